// SPDX-License-Identifier: MIT
#include "lineReader.h"

#include <cstdlib>
#include <cstring>

namespace {

#if defined(DXF2TKM_EXACT_LINE_BUFFERS)
char* exactBlock(size_t size) {
    char* block = static_cast<char*>(malloc(size));
    if (block == nullptr) {
        abort();  // the padding check's build only: nothing to check without its buffers
    }
    return block;
}

void provideBuffers(LineReader& reader) {
    if (reader.chunk == nullptr) {
        reader.lineCopy = exactBlock(LINE_COPY_SIZE);
        reader.chunk = exactBlock(CHUNK_BUFFER_SIZE);
    }
}
#else
void provideBuffers(LineReader&) {}
#endif

bool refillChunk(LineReader& reader) {
    reader.chunkStart = 0;
    reader.chunkEnd = fread(reader.chunk, 1, INPUT_CHUNK_SIZE, reader.input);
    memset(reader.chunk + reader.chunkEnd, 0, LINE_PADDING);
    return reader.chunkEnd > 0;
}

// Appends bytes to the copied line while it has room, counting the rest as lost.
// length is the line's true length and may pass the buffer; the buffer is
// only addressed while it has room.
void keepBytes(LineReader& reader, const char* bytes, size_t count, size_t& length) {
    const size_t capacity = static_cast<size_t>(LINE_BUFFER_SIZE);
    if (length < capacity) {
        const size_t room = capacity - length;
        memcpy(reader.lineCopy + length, bytes, count < room ? count : room);
    }
    length += count;
}

// A line that crosses the chunk's end, or the last line without a line feed:
// copied into reader.lineCopy as the chunks come. False when no byte is left.
bool copyLineAcrossChunks(LineReader& reader, size_t& length, bool& endedByFeed) {
    length = 0;  // characters of the line so far, line end excluded
    bool sawAnything = false;
    endedByFeed = false;
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
    return sawAnything;
}

}  // namespace

void initLineReader(LineReader& reader, FILE* input) {
    provideBuffers(reader);
    reader.input = input;
    memset(reader.lineCopy, 0, LINE_COPY_SIZE);
    reader.line = reader.lineCopy;
    reader.lineNumber = 0;
    reader.lineTooLong = false;
    reader.chunkStart = 0;
    reader.chunkEnd = 0;
}

bool readLineAcrossChunks(LineReader& reader) {
    size_t length = 0;
    bool endedByFeed = false;
    if (!copyLineAcrossChunks(reader, length, endedByFeed)) {
        return false;
    }
    deliverLine(reader, reader.lineCopy, length, endedByFeed);
    return true;
}

void reportLongLine(const LineReader& reader, ModelLog& log) {
    reportWarning(log, "long-line", reader.lineNumber,
                  "WARNING: line %d is longer than %d characters; the rest is ignored\n",
                  reader.lineNumber, MAX_LINE_LENGTH);
}
