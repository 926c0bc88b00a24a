// The line reading that every model reader shares. One physical input line is
// one line, whatever its length: its first 254 characters are delivered, the
// rest is skipped (with a warning), so line numbers stay with the file's lines.
// A CR LF line end counts as a line feed; the line end is not delivered. A zero
// byte inside a line ends its text for every string function that reads it.
#pragma once

#include <cstddef>
#include <cstdio>

constexpr int LINE_BUFFER_SIZE = 255;                  // a line's text and its zero
constexpr int MAX_LINE_LENGTH = LINE_BUFFER_SIZE - 1;  // 254 characters kept
constexpr size_t INPUT_CHUNK_SIZE = 65536;

struct LineReader {
    FILE* input;
    char line[LINE_BUFFER_SIZE + 1];  // the current line, zero-terminated
    int lineNumber;                   // physical lines read so far, at most INT_MAX
    bool lineTooLong;                 // the current line lost characters past 254
    char chunk[INPUT_CHUNK_SIZE];
    size_t chunkStart;
    size_t chunkEnd;
};

void initLineReader(LineReader& reader, FILE* input);

// Reads the next line into reader.line. Returns false at the end of the input
// or on a read error. A line longer than 254 characters is reported on log as
// "WARNING: line %d is longer than 254 characters; the rest is ignored".
bool readLine(LineReader& reader, FILE* log);
