// SPDX-License-Identifier: MIT
// The line reading that every model reader shares. One physical input line is
// one line, whatever its length: its first 254 characters are delivered (an
// OBJ face line's first 4,095), the rest is skipped (with a warning), so line
// numbers stay with the file's lines. A UTF-8 byte-order mark at the start is
// skipped; a UTF-16 one stops the reading.
// A CR LF line end counts as a line feed; the line end is not delivered. A zero
// byte inside a line ends its text for every string function that reads it.
// A line that lies whole in the read chunk is delivered where it lies, its end
// overwritten by the terminating zero; only a line across the chunk's end is
// copied.
#pragma once

#include <climits>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "report.h"
#include "textPadding.h"

constexpr int LINE_BUFFER_SIZE = 255;                  // a line's text and its zero
constexpr int MAX_LINE_LENGTH = LINE_BUFFER_SIZE - 1;  // 254 characters kept
// A face line of the reader that asks for them (LineLimit::LongFaceLines):
// polygons of hundreds of corners come as one line.
constexpr int FACE_LINE_BUFFER_SIZE = 4096;
constexpr int MAX_FACE_LINE_LENGTH = FACE_LINE_BUFFER_SIZE - 1;  // 4,095 characters kept
constexpr size_t INPUT_CHUNK_SIZE = 65536;
// Both buffers leave LINE_PADDING readable bytes after every line's zero.
constexpr size_t LINE_COPY_SIZE = FACE_LINE_BUFFER_SIZE + 1 + LINE_PADDING;

// Which lines may be longer than 254 characters: none, or the face lines
// ("f ") as well, up to 4,095.
enum class LineLimit { Short, LongFaceLines };

// What a model's first bytes say about its text.
enum class TextStart { Bytes, Utf16 };
constexpr size_t CHUNK_BUFFER_SIZE = INPUT_CHUNK_SIZE + LINE_PADDING;

struct LineReader {
    FILE* input;
    const char* line;  // the current line, zero-terminated, padded
#if defined(DXF2TKM_EXACT_LINE_BUFFERS)
    // The padding check's build: each buffer a heap block of exactly its size,
    // so that AddressSanitizer sees a read past its end (inside this struct
    // it would stay unseen). Allocated once, by the first initLineReader.
    char* lineCopy;
    char* chunk;
#else
    char lineCopy[LINE_COPY_SIZE];  // a line that crossed the chunk's end
    char chunk[CHUNK_BUFFER_SIZE];  // zeros after the bytes read
#endif
    int lineNumber;      // physical lines read so far, at most INT_MAX
    bool lineTooLong;    // the current line lost characters past its limit
    int lineLimit;       // characters the current line may keep: 254, or 4,095
    bool longFaceLines;  // face lines keep up to 4,095 characters
    size_t chunkStart;
    size_t chunkEnd;
};

// One line as the read loop hands it to a reader.
struct TextLine {
    const char* text;  // zero-terminated, padded
    int number;        // from 1
    bool cut;          // lost characters past its limit: a word that runs up to
                       // the cut is only the start of a word
};

// Starts reader on input, every line cut at 254 characters unless limit
// lets face lines keep more (the read loop sets the limit its reader asks
// for). A LineReader is large and lives in static storage, in the run's
// workspace (the padding check's build finds its buffers there, null until
// provided).
void initLineReader(LineReader& reader, FILE* input, LineLimit limit = LineLimit::Short);

// Reads the input's first chunk and looks at its first bytes: a UTF-8
// byte-order mark (EF BB BF) is skipped, so that the first line starts after
// it; FF FE or FE FF start UTF-16 text, which no reader can read.
TextStart readTextStart(LineReader& reader);

// Reads the next line; reader.line points to it until the next read. At least
// LINE_PADDING readable bytes follow the line's terminating zero. Returns
// false at the end of the input or on a read error. A line longer than 254
// characters is not reported here: reader.lineTooLong says so, and the
// read loop (readEveryLine) reports the warning (reportLongLine) after what
// the sink has gathered for the trace. Inline, below: the common line,
// whose line feed lies in the chunk, is then taken in the loop itself.
inline bool readLineQuietly(LineReader& reader);

// The warning of a line that lost characters past its limit:
// "WARNING: line %d is longer than 254 characters; the rest is ignored" (4095
// for a face line that may be longer).
void reportLongLine(const LineReader& reader, ModelLog& log);

// "ERROR: the file is UTF-16 text; save it as UTF-8 or ASCII", fatal.
void reportUtf16Text(ModelLog& log);

// What readLineQuietly does when the next line feed is not in the chunk.
bool readLineAcrossChunks(LineReader& reader);

// The length a line of length characters at text keeps when it is longer
// than 254: 254, or up to 4,095 for a face line that may be longer. Sets
// lineLimit and lineTooLong.
size_t cutLongLine(LineReader& reader, const char* text, size_t length);

// Delivers the line of length characters at text, its line end excluded: a
// CR right before the line feed belongs to the line end. It may sit one past
// the text a line may hold; a CR among the lost bytes of a longer line
// changes nothing, as that line is too long either way. The line is ended by
// a zero at text[length] or, when it is too long, at text[lineLimit].
inline void deliverLine(LineReader& reader, char* text, size_t length, bool endedByFeed) {
    if (endedByFeed && length > 0 && length <= static_cast<size_t>(FACE_LINE_BUFFER_SIZE) &&
        text[length - 1] == '\r') {
        --length;
    }
    if (reader.lineNumber < INT_MAX) {  // a file of 2^31 lines keeps the last number
        reader.lineNumber += 1;
    }
    reader.lineTooLong = false;
    if (length > static_cast<size_t>(MAX_LINE_LENGTH)) {
        length = cutLongLine(reader, text, length);
    }
    text[length] = '\0';
    reader.line = text;
}

inline bool readLineQuietly(LineReader& reader) {
    char* start = reader.chunk + reader.chunkStart;
    char* feed = static_cast<char*>(memchr(start, '\n', reader.chunkEnd - reader.chunkStart));
    if (feed == nullptr) {
        return readLineAcrossChunks(reader);
    }
    const size_t length = static_cast<size_t>(feed - start);
    reader.chunkStart += length + 1;
    deliverLine(reader, start, length, true);
    return true;
}

// The read loop of every model reader. Writes the trace and reports the
// messages through a ModelLog of its own on report, written out when the loop
// returns, and reads the started reader line by line (face lines as limit
// says), calling readLine(line, context..., log) for each TextLine, its
// long-line warning already reported. readLine returns false to stop the
// loop, after its fatal message. At the end of the input,
// finishInput(context..., log) does the reader's last step (a last record, a
// summary) and returns whether the reading succeeded. Returns false when
// either stopped it. The two functions are template arguments, so that they
// are called directly and inlined into the loop. UTF-16 text is refused
// before its first line, with "ERROR: the file is UTF-16 text; save it as
// UTF-8 or ASCII".
template <auto readLine, auto finishInput, LineLimit limit = LineLimit::Short, typename... Context>
bool readEveryLine(LineReader& reader, Report& report, Context&... context) {
    ModelLog log(report);
    reader.longFaceLines = limit == LineLimit::LongFaceLines;
    if (readTextStart(reader) == TextStart::Utf16) {
        reportUtf16Text(log);
        return false;
    }
    bool completed = true;
    while (completed && readLineQuietly(reader)) {
        if (reader.lineTooLong) {
            reportLongLine(reader, log);
        }
        completed =
            readLine(TextLine{reader.line, reader.lineNumber, reader.lineTooLong}, context..., log);
    }
    return completed && finishInput(context..., log);
}
