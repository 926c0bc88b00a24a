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

bool isFaceLine(const LineReader& reader, const char* text, size_t length) {
    return reader.longFaceLines && length >= 2 && text[0] == 'f' && text[1] == ' ';
}

// Appends bytes to the copied line up to capacity; the count copied. The
// buffer is only addressed while it has room.
size_t copyUpTo(LineReader& reader, const char* bytes, size_t count, size_t length,
                size_t capacity) {
    if (length >= capacity) {
        return 0;
    }
    const size_t room = capacity - length;
    const size_t copied = count < room ? count : room;
    memcpy(reader.lineCopy + length, bytes, copied);
    return copied;
}

// Appends bytes to the copied line while it has room, counting the rest as lost:
// room for the 255 bytes that a line of 254 characters and its CR take, and,
// once its first bytes show a face line that may be longer, for 4,096. length
// is the line's true length and may pass the buffer.
void keepBytes(LineReader& reader, const char* bytes, size_t count, size_t& length) {
    size_t copied = copyUpTo(reader, bytes, count, length, static_cast<size_t>(LINE_BUFFER_SIZE));
    if (isFaceLine(reader, reader.lineCopy, length + copied)) {
        copied += copyUpTo(reader, bytes + copied, count - copied, length + copied,
                           static_cast<size_t>(FACE_LINE_BUFFER_SIZE));
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

void initLineReader(LineReader& reader, FILE* input, LineLimit limit) {
    provideBuffers(reader);
    reader.input = input;
    memset(reader.lineCopy, 0, LINE_COPY_SIZE);
    reader.line = reader.lineCopy;
    reader.lineNumber = 0;
    reader.lineTooLong = false;
    reader.lineLimit = MAX_LINE_LENGTH;
    reader.longFaceLines = limit == LineLimit::LongFaceLines;
    reader.chunkStart = 0;
    reader.chunkEnd = 0;
}

TextStart readTextStart(LineReader& reader) {
    static constexpr unsigned char UTF8_MARK[] = {0xEF, 0xBB, 0xBF};
    static constexpr size_t UTF16_MARK_LENGTH = 2;
    refillChunk(reader);
    const unsigned char* first = reinterpret_cast<const unsigned char*>(reader.chunk);
    if (reader.chunkEnd >= UTF16_MARK_LENGTH &&
        ((first[0] == 0xFF && first[1] == 0xFE) || (first[0] == 0xFE && first[1] == 0xFF))) {
        return TextStart::Utf16;
    }
    if (reader.chunkEnd >= sizeof UTF8_MARK && memcmp(first, UTF8_MARK, sizeof UTF8_MARK) == 0) {
        reader.chunkStart = sizeof UTF8_MARK;
    }
    return TextStart::Bytes;
}

size_t cutLongLine(LineReader& reader, const char* text, size_t length) {
    reader.lineLimit = isFaceLine(reader, text, length) ? MAX_FACE_LINE_LENGTH : MAX_LINE_LENGTH;
    const size_t limit = static_cast<size_t>(reader.lineLimit);
    reader.lineTooLong = length > limit;
    return reader.lineTooLong ? limit : length;
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
                  reader.lineNumber, reader.lineLimit);
}

void reportUtf16Text(ModelLog& log) {
    reportFatal(log, "utf16", NO_LINE,
                "ERROR: the file is UTF-16 text; save it as UTF-8 or ASCII\n");
}
