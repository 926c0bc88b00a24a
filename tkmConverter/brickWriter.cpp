// SPDX-License-Identifier: MIT
#include "brickWriter.h"

#include <cassert>
#include <cmath>
#include <cstring>

#include "brickFormat.h"
#include "compilerSupport.h"
#include "fileReplace.h"
#include "realFormat.h"
#include "textSink.h"

namespace {

constexpr const char* LINE_END = "\r\n";
constexpr size_t LINE_END_LENGTH = 2;
constexpr int REVERSED_ORDER[CORNERS_PER_QUAD] = {3, 2, 1, 0};
constexpr int STORED_ORDER[CORNERS_PER_QUAD] = {0, 1, 2, 3};

void writeLine(TextSink& sink, const char* text) {
    sinkText(sink, text, strlen(text));
    sinkText(sink, LINE_END, LINE_END_LENGTH);
}

void writeIntLine(TextSink& sink, int32_t value) {
    sinkInt(sink, value);
    sinkText(sink, LINE_END, LINE_END_LENGTH);
}

// The constant coverage and face sections between the boxes and the quads:
// the coverage block, then every face section but the last, each empty, and
// the omni section's title.
NOT_INLINED void writeFixedSections(TextSink& sink) {
    writeLine(sink, COVERAGE_TITLE);
    for (int line = 0; line < COVERAGE_LINES; ++line) {
        writeLine(sink, COVERAGE_LINE);
    }
    char title[FACE_SECTION_TITLE_SIZE];
    for (int section = 0; section < OMNI_SECTION; ++section) {
        faceSectionTitle(section, title);
        writeLine(sink, title);
        writeIntLine(sink, 0);
    }
    faceSectionTitle(OMNI_SECTION, title);
    writeLine(sink, title);
}

void writeRealsLine(TextSink& sink, const double* values, int count) {
    sinkReals(sink, values, count);
    sinkText(sink, LINE_END, LINE_END_LENGTH);
}

void writeVec3Line(TextSink& sink, const Vec3& vector) {
    const double values[] = {vector.x, vector.y, vector.z};
    writeRealsLine(sink, values, 3);
}

// The last line of one kind, its values and its text. A brick repeats lines:
// every quad's texture coordinates, a group's colour on every corner, a flat
// normal on four corners. A repeated line is copied, not worked out again;
// its text depends on nothing but its values.
constexpr int MAX_REALS_PER_LINE = 4;

struct RememberedLine {
    int count;  // values; 0 before the first line
    double values[MAX_REALS_PER_LINE];
    size_t length;
    char text[MAX_REALS_PER_LINE * (REAL_TEXT_CAPACITY + 1) + LINE_END_LENGTH];
};

// Inline where it is called: the comparison of a known count of values then
// takes no call.
inline void writeRememberedLine(TextSink& sink, RememberedLine& line, const double* values,
                                int count) {
    assert(count > 0 && count <= MAX_REALS_PER_LINE);
    const size_t valueBytes = static_cast<size_t>(count) * sizeof(double);
    if (line.count != count || memcmp(line.values, values, valueBytes) != 0) {
        line.count = count;
        memcpy(line.values, values, valueBytes);
        line.length = formatReals(values, count, line.text);
        memcpy(line.text + line.length, LINE_END, LINE_END_LENGTH);
        line.length += LINE_END_LENGTH;
    }
    sinkText(sink, line.text, line.length);
}

// The lines that repeat, remembered for one brick file: one per texture
// corner, the colour and the normal.
struct RepeatedLines {
    RememberedLine uv[CORNERS_PER_QUAD];
    RememberedLine color;
    RememberedLine normal;
};

void forgetLines(RepeatedLines& lines) {
    for (RememberedLine& line : lines.uv) {
        line.count = 0;
    }
    lines.color.count = 0;
    lines.normal.count = 0;
}

void writeSizeLine(TextSink& sink, const Vec3& size) {
    sinkInt(sink, truncateToInt32(size.x));
    sinkText(sink, " ", 1);
    sinkInt(sink, truncateToInt32(size.y));
    sinkText(sink, " ", 1);
    sinkInt(sink, truncateToInt32(size.z));
    sinkText(sink, LINE_END, LINE_END_LENGTH);
}

// The centre is half the extent plus the minimum, its height moved down by
// half the brick height; all in 32 bits.
void writeCollisionBox(TextSink& sink, const Vec3& boxMin, const Vec3& boxMax, float brickHeight) {
    const Vec3 size(boxMax.x - boxMin.x, boxMax.y - boxMin.y, boxMax.z - boxMin.z);
    Vec3 center(size.x / 2.0f + boxMin.x, size.y / 2.0f + boxMin.y, size.z / 2.0f + boxMin.z);
    center.z = center.z - brickHeight / 2.0f;
    writeLine(sink, "");
    writeVec3Line(sink, center);
    writeVec3Line(sink, size);
}

void writePositions(TextSink& sink, const BrickQuad& quad, const int* order, float brickHeight) {
    const float halfHeight = brickHeight / 2.0f;
    for (int i = 0; i < CORNERS_PER_QUAD; ++i) {
        const Vec3& position = quad.position[order[i]];
        const double height = static_cast<double>(position.z) * Z_SCALE - halfHeight;
        const double values[] = {position.x, position.y, height};
        writeRealsLine(sink, values, 3);
    }
}

void writeColors(TextSink& sink, const BrickQuad& quad, RememberedLine& colorLine) {
    writeLine(sink, COLORS_TITLE);
    for (const QuadColor& color : quad.color) {
        const double values[] = {color.r / COLOR_SCALE, color.g / COLOR_SCALE,
                                 color.b / COLOR_SCALE, color.a / COLOR_SCALE};
        writeRememberedLine(sink, colorLine, values, 4);
    }
}

void writeQuad(TextSink& sink, const BrickQuad& quad, float brickHeight,
               RepeatedLines& repeatedLines) {
    const int* order = quad.reversed ? REVERSED_ORDER : STORED_ORDER;
    writeLine(sink, "");
    writeLine(sink, QUAD_TEXTURE_LINE);
    writeLine(sink, POSITIONS_TITLE);
    writePositions(sink, quad, order, brickHeight);
    writeLine(sink, TEXTURE_COORDS_TITLE);
    for (int corner = 0; corner < CORNERS_PER_QUAD; ++corner) {
        const double values[] = {quad.uv[corner].u, quad.uv[corner].v};
        writeRememberedLine(sink, repeatedLines.uv[corner], values, 2);
    }
    if (quad.color[0].r != NO_COLOR) {
        writeColors(sink, quad, repeatedLines.color);
    }
    writeLine(sink, NORMALS_TITLE);
    for (int i = 0; i < CORNERS_PER_QUAD; ++i) {
        const Vec3& normal = quad.normal[order[i]];
        const double values[] = {normal.x, normal.y, normal.z};
        writeRememberedLine(sink, repeatedLines.normal, values, 3);
    }
}

}  // namespace

int32_t truncateToInt32(float value) {
    if (std::isnan(value)) {
        return 0;
    }
    if (value >= 2147483648.0f) {
        return INT32_MAX;
    }
    if (value < -2147483648.0f) {
        return INT32_MIN;
    }
    return static_cast<int32_t>(value);
}

void writeBrickText(FILE* out, const MeshStore& store) {
    TextSink sink(out);
    const float brickHeight = store.brickSize.z;
    writeSizeLine(sink, store.brickSize);
    writeLine(sink, BRICK_KIND_LINE);
    writeLine(sink, "");
    writeIntLine(sink, store.collisionCount);
    for (int box = 0; box < store.collisionCount && box < MAX_COLLISION_BOXES; ++box) {
        writeCollisionBox(sink, store.collisionMin[box], store.collisionMax[box], brickHeight);
    }
    writeFixedSections(sink);
    writeIntLine(sink, store.quadCount);
    RepeatedLines repeatedLines;
    forgetLines(repeatedLines);
    for (int q = 0; q < store.quadCount && q < MAX_STORED_QUADS; ++q) {
        writeQuad(sink, store.quads[q], brickHeight, repeatedLines);
    }
}

bool writeBrickFile(const char* outFileName, const MeshStore& store, Report& report) {
    const ContentWriter writeStore = [](FILE* out, const void* content) {
        writeBrickText(out, *static_cast<const MeshStore*>(content));
    };
    switch (replaceFileWhole(outFileName, writeStore, &store)) {
        case ReplaceOutcome::Replaced:
            return true;
        case ReplaceOutcome::OpenFailed:
            reportFatal(report, "write-failed", NO_LINE, "ERROR: failed to open %s", outFileName);
            return false;
        case ReplaceOutcome::WriteFailed:
            break;
    }
    reportFatal(report, "write-failed", NO_LINE, "ERROR: failed to write %s\n", outFileName);
    return false;
}
