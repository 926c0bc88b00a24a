#include "brickWriter.h"

#include <cmath>

#include "brickFormat.h"
#include "fileReplace.h"
#include "realFormat.h"

namespace {

constexpr const char* LINE_END = "\r\n";
constexpr double COLOR_SCALE = 255.0;
constexpr int REVERSED_ORDER[CORNERS_PER_QUAD] = {3, 2, 1, 0};
constexpr int STORED_ORDER[CORNERS_PER_QUAD] = {0, 1, 2, 3};

// The constant coverage and face sections between the boxes and the quads:
// the coverage block, then every face section but the last, each empty.
constexpr const char* FIXED_SECTIONS[] = {
    COVERAGE_TITLE,
    COVERAGE_LINE,
    COVERAGE_LINE,
    COVERAGE_LINE,
    COVERAGE_LINE,
    COVERAGE_LINE,
    COVERAGE_LINE,
    FACE_SECTION_TITLES[0],
    "0",
    FACE_SECTION_TITLES[1],
    "0",
    FACE_SECTION_TITLES[2],
    "0",
    FACE_SECTION_TITLES[3],
    "0",
    FACE_SECTION_TITLES[4],
    "0",
    FACE_SECTION_TITLES[5],
    "0",
    FACE_SECTION_TITLES[OMNI_SECTION],
};
static_assert(sizeof FIXED_SECTIONS / sizeof FIXED_SECTIONS[0] ==
                  1 + COVERAGE_LINES + 2 * OMNI_SECTION + 1,
              "one coverage title and its lines, the empty sections and the omni title");

void writeLine(FILE* out, const char* text) {
    fputs(text, out);
    fputs(LINE_END, out);
}

void writeIntLine(FILE* out, int32_t value) {
    fprintf(out, "%d%s", static_cast<int>(value), LINE_END);
}

void writeRealsLine(FILE* out, const double* values, int count) {
    printReals(out, values, count);
    fputs(LINE_END, out);
}

void writeVec3Line(FILE* out, const Vec3& vector) {
    const double values[] = {vector.x, vector.y, vector.z};
    writeRealsLine(out, values, 3);
}

void writeSizeLine(FILE* out, const Vec3& size) {
    fprintf(out, "%d %d %d%s", static_cast<int>(truncateToInt32(size.x)),
            static_cast<int>(truncateToInt32(size.y)), static_cast<int>(truncateToInt32(size.z)),
            LINE_END);
}

// The centre is half the extent plus the minimum, its height moved down by
// half the brick height; all in 32 bits.
void writeCollisionBox(FILE* out, const Vec3& boxMin, const Vec3& boxMax, float brickHeight) {
    const Vec3 size(boxMax.x - boxMin.x, boxMax.y - boxMin.y, boxMax.z - boxMin.z);
    Vec3 center(size.x / 2.0f + boxMin.x, size.y / 2.0f + boxMin.y, size.z / 2.0f + boxMin.z);
    center.z = center.z - brickHeight / 2.0f;
    writeLine(out, "");
    writeVec3Line(out, center);
    writeVec3Line(out, size);
}

void writePositions(FILE* out, const BrickQuad& quad, const int* order, float brickHeight) {
    const float halfHeight = brickHeight / 2.0f;
    for (int i = 0; i < CORNERS_PER_QUAD; ++i) {
        const Vec3& position = quad.position[order[i]];
        const double height = static_cast<double>(position.z) * Z_SCALE - halfHeight;
        const double values[] = {position.x, position.y, height};
        writeRealsLine(out, values, 3);
    }
}

void writeColors(FILE* out, const BrickQuad& quad) {
    writeLine(out, COLORS_TITLE);
    for (const QuadColor& color : quad.color) {
        const double values[] = {color.r / COLOR_SCALE, color.g / COLOR_SCALE,
                                 color.b / COLOR_SCALE, color.a / COLOR_SCALE};
        writeRealsLine(out, values, 4);
    }
}

void writeQuad(FILE* out, const BrickQuad& quad, float brickHeight) {
    const int* order = quad.reversed ? REVERSED_ORDER : STORED_ORDER;
    writeLine(out, "");
    writeLine(out, QUAD_TEXTURE_LINE);
    writeLine(out, POSITIONS_TITLE);
    writePositions(out, quad, order, brickHeight);
    writeLine(out, TEXTURE_COORDS_TITLE);
    for (const TexCoord& uv : quad.uv) {
        const double values[] = {uv.u, uv.v};
        writeRealsLine(out, values, 2);
    }
    if (quad.color[0].r != NO_COLOR) {
        writeColors(out, quad);
    }
    writeLine(out, NORMALS_TITLE);
    for (int i = 0; i < CORNERS_PER_QUAD; ++i) {
        writeVec3Line(out, quad.normal[order[i]]);
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
    const float brickHeight = store.brickSize.z;
    writeSizeLine(out, store.brickSize);
    writeLine(out, BRICK_KIND_LINE);
    writeLine(out, "");
    writeIntLine(out, store.collisionCount);
    for (int box = 0; box < store.collisionCount && box < MAX_COLLISION_BOXES; ++box) {
        writeCollisionBox(out, store.collisionMin[box], store.collisionMax[box], brickHeight);
    }
    for (const char* line : FIXED_SECTIONS) {
        writeLine(out, line);
    }
    writeIntLine(out, store.quadCount);
    for (int q = 0; q < store.quadCount && q < MAX_QUADS; ++q) {
        writeQuad(out, store.quads[q], brickHeight);
    }
}

bool writeBrickFile(const char* outFileName, const MeshStore& store, FILE* log) {
    const ContentWriter writeStore = [](FILE* out, const void* content) {
        writeBrickText(out, *static_cast<const MeshStore*>(content));
    };
    switch (replaceFileWhole(outFileName, writeStore, &store)) {
        case ReplaceOutcome::Replaced:
            return true;
        case ReplaceOutcome::OpenFailed:
            fprintf(log, "ERROR: failed to open %s", outFileName);
            return false;
        case ReplaceOutcome::WriteFailed:
            break;
    }
    fprintf(log, "ERROR: failed to write %s\n", outFileName);
    return false;
}
