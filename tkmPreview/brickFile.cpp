// SPDX-License-Identifier: MIT
#include "brickFile.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t QUOTED_TEXT_LENGTH = 40;  // of a wrong line in a message
constexpr size_t NUMBER_TEXT_SIZE = 64;

// The lines of the file, one at a time, without their line ends.
struct LineCursor {
    const char* text;
    size_t length;
    size_t offset;
    int lineNumber;
    const char* line;
    size_t lineLength;
    bool atEnd;
};

void advance(LineCursor& cursor) {
    ++cursor.lineNumber;
    if (cursor.offset >= cursor.length) {
        cursor.atEnd = true;
        cursor.line = "";
        cursor.lineLength = 0;
        return;
    }
    const char* start = cursor.text + cursor.offset;
    const size_t rest = cursor.length - cursor.offset;
    const char* feed = static_cast<const char*>(memchr(start, '\n', rest));
    size_t lineLength = feed != nullptr ? static_cast<size_t>(feed - start) : rest;
    cursor.offset += lineLength + (feed != nullptr ? 1 : 0);
    if (feed != nullptr && lineLength > 0 && start[lineLength - 1] == '\r') {
        --lineLength;
    }
    cursor.line = start;
    cursor.lineLength = lineLength;
}

// Writes "line N: expected WHAT, found ..." into error; returns false.
bool fail(const LineCursor& cursor, const char* what, ParseError& error) {
    error.lineNumber = cursor.lineNumber;
    if (cursor.atEnd) {
        snprintf(error.message, sizeof error.message,
                 "line %d: expected %s, found the end of the file", cursor.lineNumber, what);
        return false;
    }
    char quoted[QUOTED_TEXT_LENGTH + 4];
    size_t length = 0;
    for (size_t i = 0; i < cursor.lineLength && length < QUOTED_TEXT_LENGTH; ++i) {
        const unsigned char c = static_cast<unsigned char>(cursor.line[i]);
        quoted[length++] = c >= 0x20 && c < 0x7f ? static_cast<char>(c) : '?';
    }
    if (cursor.lineLength > QUOTED_TEXT_LENGTH) {
        memcpy(quoted + length, "...", 3);
        length += 3;
    }
    quoted[length] = '\0';
    snprintf(error.message, sizeof error.message, "line %d: expected %s, found \"%s\"",
             cursor.lineNumber, what, quoted);
    return false;
}

bool lineIs(const LineCursor& cursor, const char* expected) {
    return !cursor.atEnd && cursor.lineLength == strlen(expected) &&
           memcmp(cursor.line, expected, cursor.lineLength) == 0;
}

bool expectLine(LineCursor& cursor, const char* expected, const char* what, ParseError& error) {
    advance(cursor);
    return lineIs(cursor, expected) || fail(cursor, what, error);
}

// A fixed line of the format, named in quotes when it is missing.
bool expectQuotedLine(LineCursor& cursor, const char* expected, ParseError& error) {
    char quoted[QUOTED_TEXT_LENGTH + 4];
    snprintf(quoted, sizeof quoted, "\"%s\"", expected);
    return expectLine(cursor, expected, quoted, error);
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Length of the integer token at text ("-" and digits), or 0.
size_t integerToken(const char* text, size_t length) {
    size_t i = (length > 0 && text[0] == '-') ? 1 : 0;
    const size_t firstDigit = i;
    while (i < length && isDigit(text[i])) ++i;
    return i > firstDigit ? i : 0;
}

// Length of the real token at text ("-", digits, ".", digits, or the words
// the converter writes for values that are not finite), or 0.
size_t realToken(const char* text, size_t length) {
    const char* words[] = {"-inf", "-nan", "inf", "nan"};
    for (const char* word : words) {
        const size_t wordLength = strlen(word);
        if (length >= wordLength && memcmp(text, word, wordLength) == 0) {
            return wordLength;
        }
    }
    size_t i = integerToken(text, length);
    if (i == 0 || i >= length || text[i] != '.') {
        return 0;
    }
    const size_t firstDecimal = ++i;
    while (i < length && isDigit(text[i])) ++i;
    return i > firstDecimal ? i : 0;
}

// Reads count numbers separated by single blanks that make up the whole
// line, each a token of the given kind, converted with strtod.
bool readNumbers(const LineCursor& cursor, double* values, int count,
                 size_t (*token)(const char*, size_t)) {
    size_t offset = 0;
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            if (offset >= cursor.lineLength || cursor.line[offset] != ' ') return false;
            ++offset;
        }
        const size_t tokenLength = token(cursor.line + offset, cursor.lineLength - offset);
        if (tokenLength == 0 || tokenLength >= NUMBER_TEXT_SIZE) return false;
        char number[NUMBER_TEXT_SIZE];
        memcpy(number, cursor.line + offset, tokenLength);
        number[tokenLength] = '\0';
        values[i] = strtod(number, nullptr);
        offset += tokenLength;
    }
    return offset == cursor.lineLength;
}

bool expectReals(LineCursor& cursor, double* values, int count, const char* what,
                 ParseError& error) {
    advance(cursor);
    return (!cursor.atEnd && readNumbers(cursor, values, count, realToken)) ||
           fail(cursor, what, error);
}

// A count line: one integer from 0 to limit.
bool expectCount(LineCursor& cursor, int limit, int& count, const char* what, ParseError& error) {
    advance(cursor);
    double value = 0;
    if (cursor.atEnd || !readNumbers(cursor, &value, 1, integerToken) || value < 0 ||
        value > limit) {
        return fail(cursor, what, error);
    }
    count = static_cast<int>(value);
    return true;
}

bool readSizeLine(LineCursor& cursor, BrickFile& brick, ParseError& error) {
    const char* what = "the brick size: three whole numbers";
    advance(cursor);
    double size[3];
    if (cursor.atEnd || !readNumbers(cursor, size, 3, integerToken)) {
        return fail(cursor, what, error);
    }
    for (int axis = 0; axis < 3; ++axis) {
        if (size[axis] < INT32_MIN || size[axis] > INT32_MAX) {
            return fail(cursor, what, error);
        }
        brick.size[axis] = static_cast<int32_t>(size[axis]);
    }
    return true;
}

bool readBoxes(LineCursor& cursor, BrickFile& brick, ParseError& error) {
    if (!expectCount(cursor, MAX_PREVIEW_BOXES, brick.boxCount,
                     "the number of collision boxes, 0 to 64", error)) {
        return false;
    }
    for (int i = 0; i < brick.boxCount; ++i) {
        PreviewBox& box = brick.boxes[i];
        if (!expectLine(cursor, "", "an empty line before a collision box", error) ||
            !expectReals(cursor, box.center, 3, "the box centre: three numbers", error) ||
            !expectReals(cursor, box.size, 3, "the box size: three numbers", error)) {
            return false;
        }
    }
    return true;
}

bool readCoverage(LineCursor& cursor, ParseError& error) {
    if (!expectQuotedLine(cursor, COVERAGE_TITLE, error)) {
        return false;
    }
    for (int i = 0; i < COVERAGE_LINES; ++i) {
        if (!expectQuotedLine(cursor, COVERAGE_LINE, error)) {
            return false;
        }
    }
    return true;
}

bool readCorners(LineCursor& cursor, double (*values)[3], const char* what, ParseError& error) {
    for (int corner = 0; corner < CORNERS_PER_QUAD; ++corner) {
        if (!expectReals(cursor, values[corner], 3, what, error)) {
            return false;
        }
    }
    return true;
}

bool readQuad(LineCursor& cursor, PreviewQuad& quad, ParseError& error) {
    if (!expectLine(cursor, "", "an empty line before a quad", error)) return false;
    advance(cursor);
    if (cursor.atEnd || cursor.lineLength < strlen(QUAD_TEXTURE_PREFIX) ||
        memcmp(cursor.line, QUAD_TEXTURE_PREFIX, strlen(QUAD_TEXTURE_PREFIX)) != 0) {
        return fail(cursor, "a texture line \"TEX:...\"", error);
    }
    if (!expectQuotedLine(cursor, POSITIONS_TITLE, error) ||
        !readCorners(cursor, quad.position, "a corner position: three numbers", error) ||
        !expectQuotedLine(cursor, TEXTURE_COORDS_TITLE, error)) {
        return false;
    }
    for (int corner = 0; corner < CORNERS_PER_QUAD; ++corner) {
        if (!expectReals(cursor, quad.uv[corner], 2, "texture coordinates: two numbers", error)) {
            return false;
        }
    }
    advance(cursor);
    quad.hasColors = lineIs(cursor, COLORS_TITLE);
    if (quad.hasColors) {
        for (int corner = 0; corner < CORNERS_PER_QUAD; ++corner) {
            if (!expectReals(cursor, quad.color[corner], 4, "a corner colour: four numbers",
                             error)) {
                return false;
            }
        }
        advance(cursor);
    }
    if (!lineIs(cursor, NORMALS_TITLE)) {
        return fail(cursor, quad.hasColors ? "\"NORMALS:\"" : "\"COLORS:\" or \"NORMALS:\"", error);
    }
    return readCorners(cursor, quad.normal, "a corner normal: three numbers", error);
}

bool readSection(LineCursor& cursor, int section, BrickFile& brick, ParseError& error) {
    char title[FACE_SECTION_TITLE_SIZE];
    faceSectionTitle(section, title);
    if (!expectQuotedLine(cursor, title, error)) {
        return false;
    }
    int count = 0;
    const int room = MAX_PREVIEW_QUADS - brick.quadCount;
    char what[64];
    snprintf(what, sizeof what, "the number of quads, 0 to %d", room);
    if (!expectCount(cursor, room, count, what, error)) {
        return false;
    }
    for (int i = 0; i < count; ++i) {
        PreviewQuad& quad = brick.quads[brick.quadCount];
        quad.section = section;
        if (!readQuad(cursor, quad, error)) {
            return false;
        }
        ++brick.quadCount;
    }
    return true;
}

}  // namespace

bool parseBrickFile(const char* text, size_t length, BrickFile& brick, ParseError& error) {
    LineCursor cursor{text, length, 0, 0, "", 0, false};
    brick.quadCount = 0;
    brick.boxCount = 0;
    error.lineNumber = 0;
    error.message[0] = '\0';
    if (!readSizeLine(cursor, brick, error) || !expectQuotedLine(cursor, BRICK_KIND_LINE, error) ||
        !expectLine(cursor, "", "an empty line", error) || !readBoxes(cursor, brick, error) ||
        !readCoverage(cursor, error)) {
        return false;
    }
    for (int section = 0; section < FACE_SECTIONS; ++section) {
        if (!readSection(cursor, section, brick, error)) {
            return false;
        }
    }
    advance(cursor);
    return cursor.atEnd || fail(cursor, "the end of the file", error);
}
