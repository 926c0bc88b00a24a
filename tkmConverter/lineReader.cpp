#include "lineReader.h"

#include <climits>
#include <cstring>

void initLineReader(LineReader& reader, FILE* input) {
    reader.input = input;
    reader.line[0] = '\0';
    reader.lineNumber = 0;
    reader.lineTooLong = false;
    reader.chunkStart = 0;
    reader.chunkEnd = 0;
}

namespace {

bool refillChunk(LineReader& reader) {
    reader.chunkStart = 0;
    reader.chunkEnd = fread(reader.chunk, 1, INPUT_CHUNK_SIZE, reader.input);
    return reader.chunkEnd > 0;
}

// Appends bytes to the current line while it has room, counting the rest as lost.
// length is the line's true length and may pass the buffer; the buffer is
// only addressed while it has room.
void keepBytes(LineReader& reader, const char* bytes, size_t count, size_t& length) {
    const size_t capacity = static_cast<size_t>(LINE_BUFFER_SIZE);
    if (length < capacity) {
        const size_t room = capacity - length;
        memcpy(reader.line + length, bytes, count < room ? count : room);
    }
    length += count;
}

}  // namespace

bool readLine(LineReader& reader, FILE* log) {
    size_t length = 0;  // characters of the line so far, line end excluded
    bool sawAnything = false;
    bool endedByFeed = false;
    while (!endedByFeed) {
        if (reader.chunkStart == reader.chunkEnd && !refillChunk(reader)) {
            break;
        }
        sawAnything = true;
        const char* start = reader.chunk + reader.chunkStart;
        const size_t available = reader.chunkEnd - reader.chunkStart;
        const char* feed = static_cast<const char*>(memchr(start, '\n', available));
        const size_t count = feed != nullptr ? static_cast<size_t>(feed - start) : available;
        keepBytes(reader, start, count, length);
        reader.chunkStart += count;
        if (feed != nullptr) {
            reader.chunkStart += 1;
            endedByFeed = true;
        }
    }
    if (!sawAnything) {
        return false;
    }
    // A CR right before the line feed belongs to the line end. It may sit in the
    // 255th byte, one past the text a line may hold; a CR among the lost bytes
    // of a longer line changes nothing, as that line is too long either way.
    if (endedByFeed && length > 0 && length <= static_cast<size_t>(LINE_BUFFER_SIZE) &&
        reader.line[length - 1] == '\r') {
        --length;
    }
    if (reader.lineNumber < INT_MAX) {  // a file of 2^31 lines keeps the last number
        reader.lineNumber += 1;
    }
    reader.lineTooLong = length > static_cast<size_t>(MAX_LINE_LENGTH);
    const size_t kept = reader.lineTooLong ? static_cast<size_t>(MAX_LINE_LENGTH) : length;
    reader.line[kept] = '\0';
    if (reader.lineTooLong) {
        fprintf(log, "WARNING: line %d is longer than %d characters; the rest is ignored\n",
                reader.lineNumber, MAX_LINE_LENGTH);
    }
    return true;
}
