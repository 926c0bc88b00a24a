// SPDX-License-Identifier: MIT
// The fixed lines of the special-brick format, shared by the converter's
// writer and the preview's parser so that both spell them the same way.
#pragma once

// The line after the size line, naming the kind of brick.
constexpr const char* BRICK_KIND_LINE = "SPECIALBRICK";

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

// The titles of the face sections in file order; each is followed by the
// number of its quads. The converter fills only the last, omni, section.
constexpr int FACE_SECTIONS = 7;
constexpr int OMNI_SECTION = FACE_SECTIONS - 1;
constexpr const char* FACE_SECTION_TITLES[FACE_SECTIONS] = {
    "----------------top quads:",  "----------------bottom quads:", "----------------north quads:",
    "----------------east quads:", "----------------south quads:",  "----------------west quads:",
    "----------------omni quads:",
};
