// SPDX-License-Identifier: MIT
#include "objReader.h"

#include <cassert>
#include <cstdint>
#include <cstring>

#include "groupNames.h"
#include "lineReader.h"
#include "polygonFan.h"
#include "textScan.h"
#include "textSink.h"

namespace {

// The first two characters of a face line ("f "), after which its words start.
constexpr int FACE_WORDS_START = 2;
// The first two characters of a group or object line ("g ", "o "), after
// which its name starts.
constexpr int GROUP_NAME_START = 2;
// A face line of at most 4,095 characters holds at most this many words: each
// takes a character and, but for the last, a separator after it.
constexpr int MAX_FACE_PLACES = (MAX_FACE_LINE_LENGTH - FACE_WORDS_START + 1) / 2;
// A face of up to four places fills one quad; a longer one a fan
// (polygonFan.h).

struct ObjReaderState {
    QuadColor workingColor = NO_QUAD_COLOR;
    QuadColor materialColor = NO_QUAD_COLOR;
    bool boundsMode = false;
    bool collisionMode = false;
    bool commentSeen = false;         // the first comment line was read
    bool collisionBoxStored = false;  // a face stored a corner into the open collision box
};

// One place of a face line: its word read and checked, its table slots.
struct FaceCorner {
    bool stored;     // the word was read and its indices name table slots
    bool hasNormal;  // the word gave a normal index
    int32_t vertex;  // slot in vertices
    int32_t normal;  // slot in normals, when hasNormal
};

// The places of one face line, in order.
struct FaceWords {
    FaceCorner corners[MAX_FACE_PLACES];
    int count = 0;
    bool lacksNormal = false;  // a stored corner without a normal index
};

// numbers lies in a line the line reader delivered (padded after its end).
bool readTableLine(const char* numbers, Vec3* table, int32_t& count, const char* what,
                   const char* code, ModelLog& log) {
    if (count >= MAX_VERTICES) {
        reportFatal(log, code, NO_LINE, "ERROR: > %d %s!\n", MAX_VERTICES, what);
        return false;
    }
    // A partial scan keeps what the slot held.
    Vec3& slot = table[count];
    float* const targets[] = {&slot.x, &slot.y, &slot.z};
    scanPaddedFloatList(numbers, ' ', 3, targets);  // "%f %f %f", in the line reader's line
    ++count;
    return true;
}

// A collision group that stored no corner of a face makes no box: its box is
// given back, as reset, when the group ends.
void closeCollisionGroup(ObjReaderState& state, MeshStore& store) {
    if (state.collisionMode && !state.collisionBoxStored) {
        assert(store.collisionCount > 0);
        --store.collisionCount;
        resetBox(store.collisionMin[store.collisionCount],
                 store.collisionMax[store.collisionCount]);
    }
    state.collisionMode = false;
    state.collisionBoxStored = false;
}

// A group ("g ") or object ("o ") line: both carry the naming conventions.
bool readGroupLine(const char* line, ObjReaderState& state, MeshStore& store, ModelLog& log) {
    closeCollisionGroup(state, store);
    state.boundsMode = false;
    const GroupName group = readGroupName(line + GROUP_NAME_START);
    state.workingColor = group.color;
    if (group.kind == GroupKind::Bounds) {
        state.boundsMode = true;
    } else if (group.kind == GroupKind::Collision) {
        if (store.collisionCount >= MAX_COLLISION_BOXES) {
            reportFatal(log, "collision-limit", NO_LINE, "ERROR: > %d collision meshes",
                        MAX_COLLISION_BOXES);
            return false;
        }
        ++store.collisionCount;
        state.collisionMode = true;
    }
    return true;
}

bool isFaceSeparator(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

// An integer right at p (a sign and digits, nothing before them), clamped to
// 32 bits; moves p past it.
bool readIndex(const char*& p, int32_t& value) {
    const char* digits = *p == '+' || *p == '-' ? p + 1 : p;
    return *digits >= '0' && *digits <= '9' && scanInt(p, value);
}

// The indices a word gives: the vertex index, and the texture and normal
// indices where it has them.
struct CornerIndices {
    int32_t vertex;
    int32_t texture;
    int32_t normal;
    bool hasTexture;
    bool hasNormal;
};

// Reads a word of the shapes V, V/T, V//N and V/T/N from its start; whatever
// follows its last index is ignored. False when it does not begin with one.
bool readCornerWord(const char* word, CornerIndices& indices) {
    const char* p = word;
    indices.hasTexture = false;
    indices.hasNormal = false;
    if (!readIndex(p, indices.vertex)) {
        return false;
    }
    if (p[0] != '/') {
        return true;
    }
    const char* q = p + 1;
    if (p[1] == '/') {
        ++q;
        indices.hasNormal = readIndex(q, indices.normal);
        return true;
    }
    indices.hasTexture = readIndex(q, indices.texture);
    if (indices.hasTexture && q[0] == '/') {
        ++q;
        indices.hasNormal = readIndex(q, indices.normal);
    }
    return true;
}

// The table slot an index names: n > 0 slot n - 1, n < 0 slot count + n, so
// -1 names the latest; 0 names none (-1).
int64_t slotOfIndex(int32_t index, int32_t count) {
    if (index > 0) {
        return static_cast<int64_t>(index) - 1;
    }
    return index < 0 ? static_cast<int64_t>(count) + index : -1;
}

// Checks a corner's indices in their order and prints the first failure.
bool resolveCorner(const CornerIndices& indices, const MeshStore& store, int lineNumber,
                   FaceCorner& corner, ModelLog& log) {
    const int64_t vertex = slotOfIndex(indices.vertex, store.vertexCount);
    const int64_t normal = indices.hasNormal ? slotOfIndex(indices.normal, store.normalCount) : 0;
    if (vertex < 0 || (indices.hasTexture && indices.texture == 0) || normal < 0) {
        reportError(log, "bad-index", lineNumber, "ERROR: index < 0 on line %d\n", lineNumber);
        return false;
    }
    if (vertex >= MAX_VERTICES || normal >= MAX_VERTICES) {
        reportError(log, "index-out-of-range", lineNumber, "ERROR: index out of range on line %d\n",
                    lineNumber);
        return false;
    }
    corner.vertex = static_cast<int32_t>(vertex);
    corner.normal = static_cast<int32_t>(normal);
    corner.hasNormal = indices.hasNormal;
    return true;
}

FaceCorner readFaceCorner(const char* word, const MeshStore& store, int lineNumber, ModelLog& log) {
    FaceCorner corner{false, false, 0, 0};
    CornerIndices indices{0, 0, 0, false, false};
    if (!readCornerWord(word, indices)) {
        reportError(log, "bad-face", lineNumber, "ERROR: failed to read face on line %d\n",
                    lineNumber);
        return corner;
    }
    corner.stored = resolveCorner(indices, store, lineNumber, corner, log);
    return corner;
}

// Reads every word of a face line into face, printing each corner's error in
// place order. A word that the 4,095-character cut ended is not read.
void readFaceWords(const char* line, int lineNumber, bool lineCut, const MeshStore& store,
                   FaceWords& face, ModelLog& log) {
    const char* p = line + FACE_WORDS_START;
    while (face.count < MAX_FACE_PLACES) {
        while (isFaceSeparator(*p)) {
            ++p;
        }
        if (*p == '\0') {
            return;
        }
        const char* word = p;
        while (*p != '\0' && !isFaceSeparator(*p)) {
            ++p;
        }
        if (lineCut && p - line == MAX_FACE_LINE_LENGTH) {
            return;
        }
        FaceCorner& corner = face.corners[face.count++];
        corner = readFaceCorner(word, store, lineNumber, log);
        face.lacksNormal = face.lacksNormal || (corner.stored && !corner.hasNormal);
    }
}

bool hasNoColor(const QuadColor& color) {
    return color.r == NO_COLOR && color.g == NO_COLOR && color.b == NO_COLOR && color.a == NO_COLOR;
}

// Fills quads[quadCount] with quad j of the face's fan and advances quadCount.
void storeFanQuad(const FaceWords& face, int j, const QuadColor& color, MeshStore& store) {
    assert(!quadTableFull(store));
    BrickQuad& quad = store.quads[store.quadCount];
    for (int slot = 0; slot < CORNERS_PER_QUAD; ++slot) {
        const int place = fanCorner(j, slot);
        if (place >= face.count || !face.corners[place].stored) {
            continue;
        }
        const FaceCorner& corner = face.corners[place];
        quad.position[slot] = store.vertices[corner.vertex];
        quad.normal[slot] = face.lacksNormal ? Vec3() : store.normals[corner.normal];
        quad.color[slot] = color;
    }
    quad.reversed = true;
    ++store.quadCount;
}

bool storeFaceQuads(const FaceWords& face, int lineNumber, const ObjReaderState& state,
                    MeshStore& store, ModelLog& log) {
    const QuadColor& color =
        hasNoColor(state.workingColor) ? state.materialColor : state.workingColor;
    const int quads = fanQuadCount(face.count);
    for (int j = 0; j < quads; ++j) {
        if (j > 0 && quadTableFull(store)) {
            reportFatal(log, "quad-limit", lineNumber, "ERROR: > %d quads", store.quadLimit);
            return false;
        }
        storeFanQuad(face, j, color, store);
    }
    return true;
}

// In a BOUNDS or COLLISION group every stored corner widens the group's box.
void widenGroupBox(const FaceWords& face, ObjReaderState& state, MeshStore& store) {
    Vec3* boxMin = &store.boundsMin;
    Vec3* boxMax = &store.boundsMax;
    if (state.collisionMode) {
        assert(store.collisionCount > 0);
        boxMin = &store.collisionMin[store.collisionCount - 1];
        boxMax = &store.collisionMax[store.collisionCount - 1];
    }
    for (int place = 0; place < face.count; ++place) {
        if (face.corners[place].stored) {
            widenBox(*boxMin, *boxMax, store.vertices[face.corners[place].vertex]);
            state.collisionBoxStored = state.collisionBoxStored || state.collisionMode;
        }
    }
}

bool readFaceLine(const TextLine& line, ObjReaderState& state, MeshStore& store, ModelLog& log) {
    const bool storesQuads = !state.boundsMode && !state.collisionMode;
    if (storesQuads && quadTableFull(store)) {
        reportFatal(log, "quad-limit", line.number, "ERROR: > %d quads", store.quadLimit);
        return false;
    }
    static FaceWords face;  // one face line at a time; too large for a small stack
    face.count = 0;
    face.lacksNormal = false;
    readFaceWords(line.text, line.number, line.cut, store, face, log);
    if (!storesQuads) {
        widenGroupBox(face, state, store);
        return true;
    }
    return storeFaceQuads(face, line.number, state, store, log);
}

bool isDigitChar(char c) {
    return c >= '0' && c <= '9';
}

// True when a comment line names Blender 2.8 or later as its OBJ exporters
// write it on the first line ("# Blender v2.90.0 OBJ File: ''", "# Blender
// 4.2.0"): they write y up unless told otherwise.
bool namesYUpExporter(const char* comment) {
    static constexpr char NAME[] = "Blender ";
    const char* p = skipScanSpace(comment + 1);
    if (!startsWith(p, NAME)) {
        return false;
    }
    p += sizeof NAME - 1;
    p += *p == 'v' ? 1 : 0;
    const char* major = p;
    while (isDigitChar(*p)) {
        ++p;
    }
    if (p == major || p[0] != '.' || !isDigitChar(p[1])) {
        return false;
    }
    constexpr char FIRST_Y_UP_MINOR = '8';  // 2.80 on; 2.79 and before wrote 2.7x
    return p - major > 1 || *major > '2' || (*major == '2' && p[1] >= FIRST_Y_UP_MINOR);
}

// The trace line "line %d" of every line read, gathered in the sink.
void traceLine(int lineNumber, ModelLog& log) {
    static constexpr char PREFIX[] = "line ";
    sinkIntLine(log, PREFIX, sizeof PREFIX - 1, lineNumber);
}

bool readObjLine(const TextLine& textLine, ObjReaderState& state, MeshStore& store, ModelLog& log) {
    const char* line = textLine.text;
    traceLine(textLine.number, log);
    if (startsWith(line, "v ")) {
        return readTableLine(line + 2, store.vertices, store.vertexCount, "verts", "vertex-limit",
                             log);
    }
    if (startsWith(line, "vn ")) {
        return readTableLine(line + 3, store.normals, store.normalCount, "normals", "normal-limit",
                             log);
    }
    if (startsWith(line, "g ") || startsWith(line, "o ")) {
        return readGroupLine(line, state, store, log);
    }
    if (startsWith(line, "f ")) {
        return readFaceLine(textLine, state, store, log);
    }
    if (startsWith(line, "usemtl ")) {
        state.materialColor = readGroupName(line + strlen("usemtl ")).color;
    } else if (line[0] == '#' && !state.commentSeen) {
        state.commentSeen = true;
        store.yUpExporter = namesYUpExporter(line);
    }
    return true;
}

// The last collision group's end, the declared size and the summary, once the
// whole input is read.
bool finishObjInput(ObjReaderState& state, MeshStore& store, ModelLog& log) {
    closeCollisionGroup(state, store);
    settleDeclaredSize(store);
    sinkFormat(log, "got %d verts %d normals %d quads\n", store.vertexCount, store.normalCount,
               store.quadCount);
    return true;
}

}  // namespace

bool readObjFile(LineReader& lines, MeshStore& store, Report& report) {
    ObjReaderState state;
    return readEveryLine<readObjLine, finishObjInput, LineLimit::LongFaceLines>(lines, report,
                                                                                state, store);
}
