// SPDX-License-Identifier: MIT
#include "brickFile.h"

#include <cstdio>
#include <cstring>

#include "textScan.h"

namespace {

constexpr size_t QUOTED_TEXT_LENGTH = 40;  // of a wrong line in a message
// A longer line holds no numbers of the format, however many blanks it has.
constexpr size_t MAX_NUMBER_LINE = 512;

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

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// A number line copied into padded text for the number scan.
struct PaddedLine {
    char text[MAX_NUMBER_LINE + 1 + SCAN_READS_PAST_ZERO];
};

// Whole numbers are written as a sign and digits, nothing else.
bool isWholeNumberText(const char* start, const char* end) {
    if (start < end && (*start == '-' || *start == '+')) ++start;
    if (start == end) return false;
    for (; start < end; ++start) {
        if (*start < '0' || *start > '9') return false;
    }
    return true;
}

enum class NumberForm { REAL, WHOLE };

// Reads count numbers that make up the whole line, each as the formatted
// scan's "%lf" reads it, with runs of blanks and tabs between them and
// before and after them; a whole number must be written as one.
bool readNumbers(const LineCursor& cursor, double* values, int count, NumberForm form) {
    if (cursor.atEnd || cursor.lineLength > MAX_NUMBER_LINE) return false;
    PaddedLine padded = {};
    memcpy(padded.text, cursor.line, cursor.lineLength);
    const char* p = padded.text;
    for (int i = 0; i < count; ++i) {
        const char* start = p;
        while (isBlank(*p)) ++p;
        if ((i > 0 && p == start) || isScanSpace(*p)) return false;  // no blank, or not one
        const char* end = scanPaddedDoubleAt(p, values[i]);
        if (end == nullptr || (form == NumberForm::WHOLE && !isWholeNumberText(p, end))) {
            return false;
        }
        p = end;
    }
    while (isBlank(*p)) ++p;
    return p == padded.text + cursor.lineLength;
}

bool expectReals(LineCursor& cursor, double* values, int count, const char* what,
                 ParseError& error) {
    advance(cursor);
    return readNumbers(cursor, values, count, NumberForm::REAL) || fail(cursor, what, error);
}

// A count line: one integer from 0 to limit.
bool expectCount(LineCursor& cursor, int limit, int& count, const char* what, ParseError& error) {
    advance(cursor);
    double value = 0;
    if (!readNumbers(cursor, &value, 1, NumberForm::WHOLE) || value < 0 || value > limit) {
        return fail(cursor, what, error);
    }
    count = static_cast<int>(value);
    return true;
}

bool readSizeLine(LineCursor& cursor, BrickFile& brick, ParseError& error) {
    const char* what = "the brick size: three whole numbers";
    advance(cursor);
    double size[3];
    if (!readNumbers(cursor, size, 3, NumberForm::WHOLE)) {
        return fail(cursor, what, error);
    }
    for (int axis = 0; axis < 3; ++axis) {
        if (size[axis] < INT32_MIN || size[axis] > INT32_MAX) {
            return fail(cursor, "the brick size: three whole numbers, -2147483648 to 2147483647",
                        error);
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
