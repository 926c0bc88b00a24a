// SPDX-License-Identifier: MIT
// Reading a special-brick file back into fixed tables: the lines of the
// format dxf2tkm writes (CR LF or LF line ends), each number read as the C
// library's formatted scan reads it ("0", "-0.5", "1e-3", "+.5"), with any
// run of blanks and tabs between numbers, so that a brick edited by hand
// reads as its writer meant. A file that does not follow the format is
// rejected with the line number, what was expected and what was found.
#pragma once

#include <cstddef>
#include <cstdint>

#include "brickFormat.h"

constexpr int MAX_PREVIEW_QUADS = 1024;
constexpr int MAX_PREVIEW_BOXES = 64;
constexpr size_t MAX_BRICK_FILE_SIZE = 8u << 20;
constexpr size_t PARSE_MESSAGE_SIZE = 256;

struct PreviewQuad {
    double position[CORNERS_PER_QUAD][3];
    double uv[CORNERS_PER_QUAD][2];
    bool hasColors;
    double color[CORNERS_PER_QUAD][4];  // r, g, b, a as fractions of 255
    double normal[CORNERS_PER_QUAD][3];
    int section;  // index into the face sections, OMNI_SECTION for omni
};

struct PreviewBox {
    double center[3];
    double size[3];
};

struct BrickFile {
    int32_t size[3];
    int boxCount;
    PreviewBox boxes[MAX_PREVIEW_BOXES];
    int quadCount;  // over all sections, in file order
    PreviewQuad quads[MAX_PREVIEW_QUADS];
};

struct ParseError {
    int lineNumber;                    // 0 when the error is not on a line (the file is too large)
    char message[PARSE_MESSAGE_SIZE];  // "line N: expected ..., found ..."
};

// Parses text (length bytes, not zero-terminated) into brick. Returns false
// with error filled when the text does not follow the format.
bool parseBrickFile(const char* text, size_t length, BrickFile& brick, ParseError& error);
