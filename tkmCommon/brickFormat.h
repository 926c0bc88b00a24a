// SPDX-License-Identifier: MIT
// The fixed lines and values of the special-brick format, shared by the
// converter's writer and the preview's parser so that both spell them the
// same way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// The line after the size line, naming the kind of brick.
constexpr const char* BRICK_KIND_LINE = "SPECIALBRICK";

// The corners of a quad: every quad block lists four of each thing.
constexpr int CORNERS_PER_QUAD = 4;

// The titles inside a quad block, in file order; the colours are optional.
constexpr const char* QUAD_TEXTURE_LINE = "TEX:SIDE";
constexpr const char* QUAD_TEXTURE_PREFIX = "TEX:";  // what a reader accepts
constexpr const char* POSITIONS_TITLE = "POSITION:";
constexpr const char* TEXTURE_COORDS_TITLE = "UV COORDS:";
constexpr const char* COLORS_TITLE = "COLORS:";
constexpr const char* NORMALS_TITLE = "NORMALS:";

// The coverage block between the collision boxes and the first face section:
// its title (with its trailing blank) and as many lines of full coverage.
constexpr const char* COVERAGE_TITLE = "COVERAGE: //TBNESW ";
constexpr const char* COVERAGE_LINE = "0 : 999";
constexpr int COVERAGE_LINES = 6;

// The face sections in file order, each a title and the number of its quads.
// A title is the prefix, the section's name and the suffix
// ("----------------top quads:"). The converter fills only the last, omni,
// section.
constexpr int FACE_SECTIONS = 7;
constexpr int OMNI_SECTION = FACE_SECTIONS - 1;
constexpr const char* FACE_SECTION_NAMES[FACE_SECTIONS] = {"top",   "bottom", "north", "east",
                                                           "south", "west",   "omni"};
constexpr const char* FACE_SECTION_PREFIX = "----------------";
constexpr const char* FACE_SECTION_SUFFIX = " quads:";
constexpr size_t FACE_SECTION_TITLE_SIZE = 32;  // the longest title and its zero, with room

constexpr size_t constantTextLength(const char* text) {
    size_t length = 0;
    while (text[length] != '\0') {
        ++length;
    }
    return length;
}

constexpr bool faceSectionTitlesFit() {
    for (const char* name : FACE_SECTION_NAMES) {
        if (constantTextLength(FACE_SECTION_PREFIX) + constantTextLength(name) +
                constantTextLength(FACE_SECTION_SUFFIX) >=
            FACE_SECTION_TITLE_SIZE) {
            return false;
        }
    }
    return true;
}
static_assert(faceSectionTitlesFit(), "every face section title and its zero fit the buffer");

// Writes the title of section (0 to FACE_SECTIONS - 1) and its zero into
// title (FACE_SECTION_TITLE_SIZE bytes); returns its length.
inline size_t faceSectionTitle(int section, char* title) {
    const char* parts[] = {FACE_SECTION_PREFIX, FACE_SECTION_NAMES[section], FACE_SECTION_SUFFIX};
    size_t length = 0;
    for (const char* part : parts) {
        const size_t partLength = strlen(part);
        memcpy(title + length, part, partLength);
        length += partLength;
    }
    title[length] = '\0';
    return length;
}

// A colour component is written as its value over COLOR_SCALE: 255 is 1.0.
constexpr double COLOR_SCALE = 255.0;
// The alpha of additive and subtractive colours, which blend with what lies
// behind them: -255, written -1.000000.
constexpr int32_t BLEND_ALPHA = -255;
