// SPDX-License-Identifier: MIT
#include "objReader.h"

#include <cassert>
#include <cstdint>
#include <cstring>

#include "lineReader.h"
#include "textScan.h"
#include "textSink.h"

namespace {

constexpr QuadColor NO_QUAD_COLOR{NO_COLOR, NO_COLOR, NO_COLOR, NO_COLOR};
// A declared bounds box counts once one of its extents has left the reset values.
constexpr float DECLARED_MIN_LIMIT = 999.0f;
constexpr float DECLARED_MAX_LIMIT = -999.0f;

struct ObjReaderState {
    QuadColor workingColor = NO_QUAD_COLOR;
    bool boundsMode = false;
    bool collisionMode = false;
};

// The indices of one face line; the texture index carries over from corner to
// corner until a corner of the vertex/texture/normal form replaces it.
struct FaceIndices {
    int32_t vertex = 0;
    int32_t texture = 0;
    int32_t normal = 0;
};

int32_t toZeroBased(int32_t index) {
    return index == INT32_MIN ? INT32_MIN : index - 1;
}

// numbers lies in a line the line reader delivered (padded after its end).
bool readTableLine(const char* numbers, Vec3* table, int32_t& count, const char* what,
                   TextSink& log) {
    if (count >= MAX_VERTICES) {
        fprintf(flushedStream(log), "ERROR: > %d %s!\n", MAX_VERTICES, what);
        return false;
    }
    // A partial scan keeps what the slot held.
    Vec3& slot = table[count];
    float* const targets[] = {&slot.x, &slot.y, &slot.z};
    scanPaddedFloatList(numbers, ' ', 3, targets);  // "%f %f %f", in the line reader's line
    ++count;
    return true;
}

QuadColor scanPlainColor(const char* numbers) {
    QuadColor color = NO_QUAD_COLOR;
    int32_t* const targets[] = {&color.r, &color.g, &color.b, &color.a};
    const int converted = scanInts(numbers, "%d_%d_%d_%d", targets);
    if (converted == 4) {
        return color;
    }
    if (converted == 3) {
        color.a = FULL_ALPHA;
        return color;
    }
    return NO_QUAD_COLOR;
}

int32_t negateWrapping(int32_t value) {
    return static_cast<int32_t>(0u - static_cast<uint32_t>(value));
}

// ADDCOLOR_ and SUBCOLOR_ groups: red, green and blue with the blending alpha.
QuadColor scanBlendColor(const char* numbers, bool subtract) {
    QuadColor color = NO_QUAD_COLOR;
    int32_t* const targets[] = {&color.r, &color.g, &color.b};
    if (scanInts(numbers, "%d_%d_%d", targets) != 3) {
        return NO_QUAD_COLOR;
    }
    if (subtract) {
        color.r = negateWrapping(color.r);
        color.g = negateWrapping(color.g);
        color.b = negateWrapping(color.b);
    }
    color.a = BLEND_ALPHA;
    return color;
}

bool readGroupLine(const char* line, ObjReaderState& state, MeshStore& store, TextSink& log) {
    state.workingColor = NO_QUAD_COLOR;
    state.boundsMode = false;
    state.collisionMode = false;
    if (startsWith(line, "g COLOR_")) {
        state.workingColor = scanPlainColor(line + strlen("g COLOR_"));
    } else if (startsWith(line, "g SUBCOLOR_")) {
        state.workingColor = scanBlendColor(line + strlen("g SUBCOLOR_"), true);
    } else if (startsWith(line, "g ADDCOLOR_")) {
        state.workingColor = scanBlendColor(line + strlen("g ADDCOLOR_"), false);
    } else if (startsWith(line, "g BOUNDS")) {
        state.boundsMode = true;
    } else if (startsWith(line, "g COLLISION")) {
        if (store.collisionCount >= MAX_COLLISION_BOXES) {
            fprintf(flushedStream(log), "ERROR: > %d collision meshes", MAX_COLLISION_BOXES);
            return false;
        }
        ++store.collisionCount;
        state.collisionMode = true;
    }
    return true;
}

enum class CornerForm { Unread, VertexNormal, VertexTextureNormal };

// Reads a corner as the formatted scan reads it with "%d//%d" and, where that
// does not convert both, with "%d/%d/%d": each number is stored as soon as it
// is read, also when the corner fails later (the indices carry over).
CornerForm scanCornerIndices(const char* cursor, FaceIndices& indices) {
    const char* p = cursor;
    if (!scanInt(p, indices.vertex) || p[0] != '/') {
        return CornerForm::Unread;
    }
    if (p[1] == '/') {  // "%d/%d/%d" fails at the second slash as well
        const char* normal = p + 2;
        return scanInt(normal, indices.normal) ? CornerForm::VertexNormal : CornerForm::Unread;
    }
    const char* q = p + 1;
    if (!scanInt(q, indices.texture) || q[0] != '/') {
        return CornerForm::Unread;
    }
    ++q;
    return scanInt(q, indices.normal) ? CornerForm::VertexTextureNormal : CornerForm::Unread;
}

// Reads one corner at cursor into indices and checks them. Prints the corner's
// error and returns false when the corner is to be skipped.
bool readCorner(const char* cursor, FaceIndices& indices, int lineNumber, TextSink& log) {
    const CornerForm form = scanCornerIndices(cursor, indices);
    if (form == CornerForm::Unread) {
        fprintf(flushedStream(log), "ERROR: failed to read face on line %d\n", lineNumber);
        return false;
    }
    if (form == CornerForm::VertexTextureNormal) {
        indices.texture = toZeroBased(indices.texture);
    }
    indices.vertex = toZeroBased(indices.vertex);
    indices.normal = toZeroBased(indices.normal);
    if (indices.vertex < 0 || indices.texture < 0 || indices.normal < 0) {
        fprintf(flushedStream(log), "ERROR: index < 0 on line %d\n", lineNumber);
        return false;
    }
    if (indices.vertex >= MAX_VERTICES || indices.normal >= MAX_VERTICES) {
        fprintf(flushedStream(log), "ERROR: index out of range on line %d\n", lineNumber);
        return false;
    }
    return true;
}

void storeCorner(const FaceIndices& indices, int corner, const ObjReaderState& state,
                 MeshStore& store) {
    const Vec3& point = store.vertices[indices.vertex];
    if (state.boundsMode) {
        widenBox(store.boundsMin, store.boundsMax, point);
    } else if (state.collisionMode) {
        assert(store.collisionCount > 0);
        const int box = store.collisionCount - 1;
        widenBox(store.collisionMin[box], store.collisionMax[box], point);
    } else {
        BrickQuad& quad = store.quads[store.quadCount];
        quad.position[corner] = point;
        quad.normal[corner] = store.normals[indices.normal];
        quad.color[corner] = state.workingColor;
    }
}

bool readFaceLine(const char* line, int lineNumber, const ObjReaderState& state, MeshStore& store,
                  TextSink& log) {
    const bool storesQuad = !state.boundsMode && !state.collisionMode;
    if (storesQuad && store.quadCount >= MAX_QUADS) {
        fprintf(flushedStream(log), "ERROR: > %d quads", MAX_QUADS);
        return false;
    }
    FaceIndices indices;
    const char* cursor = line;
    // Each blank starts a corner: two blanks in a row read the next corner twice.
    for (int corner = 0; corner < CORNERS_PER_QUAD; ++corner) {
        const char* blank = strchr(cursor, ' ');
        if (blank == nullptr) {
            break;
        }
        cursor = blank + 1;
        if (readCorner(cursor, indices, lineNumber, log)) {
            storeCorner(indices, corner, state, store);
        }
    }
    if (storesQuad) {
        store.quads[store.quadCount].reversed = true;
        ++store.quadCount;
    }
    return true;
}

bool bracketsDeclaredBounds(const MeshStore& store) {
    const Vec3& low = store.boundsMin;
    const Vec3& high = store.boundsMax;
    return low.x < DECLARED_MIN_LIMIT || low.y < DECLARED_MIN_LIMIT || low.z < DECLARED_MIN_LIMIT ||
           high.x > DECLARED_MAX_LIMIT || high.y > DECLARED_MAX_LIMIT ||
           high.z > DECLARED_MAX_LIMIT;
}

void settleDeclaredSize(MeshStore& store) {
    if (!bracketsDeclaredBounds(store)) {
        return;
    }
    setBrickSizeFromBounds(store);
}

// The trace line "line %d" of every line read, gathered in the sink.
void traceLine(int lineNumber, TextSink& log) {
    static constexpr char PREFIX[] = "line ";
    sinkIntLine(log, PREFIX, sizeof PREFIX - 1, lineNumber);
}

bool readObjLine(const char* line, int lineNumber, ObjReaderState& state, MeshStore& store,
                 TextSink& log) {
    traceLine(lineNumber, log);
    if (startsWith(line, "v ")) {
        return readTableLine(line + 2, store.vertices, store.vertexCount, "verts", log);
    }
    if (startsWith(line, "vn ")) {
        return readTableLine(line + 3, store.normals, store.normalCount, "normals", log);
    }
    if (startsWith(line, "g ") || startsWith(line, "o ")) {
        return readGroupLine(line, state, store, log);
    }
    if (startsWith(line, "f ")) {
        return readFaceLine(line, lineNumber, state, store, log);
    }
    return true;
}

// The declared size and the summary, once the whole input is read.
bool finishObjInput(ObjReaderState&, MeshStore& store, TextSink& log) {
    settleDeclaredSize(store);
    fprintf(flushedStream(log), "got %d verts %d normals %d quads\n", store.vertexCount,
            store.normalCount, store.quadCount);
    return true;
}

}  // namespace

bool readObjFile(FILE* input, MeshStore& store, FILE* log) {
    ObjReaderState state;
    return readEveryLine<readObjLine, finishObjInput>(input, log, state, store);
}
