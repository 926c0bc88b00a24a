// SPDX-License-Identifier: MIT
#include "brickDump.h"

#include "realFormat.h"

namespace {

constexpr int MAX_RECORD_REALS = 6;

void writeRecord(FILE* out, const char* keyword, const double* values, int count) {
    char text[MAX_RECORD_REALS * (REAL_TEXT_CAPACITY + 1)];
    formatReals(values, count, text);
    fprintf(out, "%s %s\n", keyword, text);
}

void writeCorners(FILE* out, const char* keyword, const double* values, int perCorner) {
    for (int corner = 0; corner < CORNERS_PER_QUAD; ++corner) {
        writeRecord(out, keyword, values + corner * perCorner, perCorner);
    }
}

}  // namespace

void writeBrickDump(FILE* out, const BrickFile& brick) {
    fprintf(out, "size %d %d %d\n", brick.size[0], brick.size[1], brick.size[2]);
    for (int b = 0; b < brick.boxCount; ++b) {
        const PreviewBox& box = brick.boxes[b];
        const double values[MAX_RECORD_REALS] = {box.center[0], box.center[1], box.center[2],
                                                 box.size[0],   box.size[1],   box.size[2]};
        writeRecord(out, "box", values, MAX_RECORD_REALS);
    }
    for (int q = 0; q < brick.quadCount; ++q) {
        const PreviewQuad& quad = brick.quads[q];
        fprintf(out, "quad %s\n", FACE_SECTION_NAMES[quad.section]);
        writeCorners(out, "position", &quad.position[0][0], 3);
        writeCorners(out, "uv", &quad.uv[0][0], 2);
        if (quad.hasColors) writeCorners(out, "color", &quad.color[0][0], 4);
        writeCorners(out, "normal", &quad.normal[0][0], 3);
    }
}
