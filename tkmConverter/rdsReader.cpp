#include "rdsReader.h"

#include <cstdint>

#include "lineReader.h"
#include "textScan.h"

namespace {

constexpr int TRIANGLE_CORNERS = 3;
constexpr int QUAD_CORNERS = 4;

struct RdsReaderState {
    int lineNumber = 0;
    int32_t pgsz = 0;  // corners of the polygons that follow; carries over meshes
};

bool readVertexRecord(MeshStore& store, FILE* log) {
    if (store.vertexCount >= MAX_VERTICES) {
        fprintf(log, "ERROR: > %d verts!\n", MAX_VERTICES);
        return false;
    }
    ++store.vertexCount;
    return true;
}

void readPosition(const char* numbers, MeshStore& store, FILE* log) {
    if (store.vertexCount == 0) {
        fprintf(log, "ERROR: position outside of vert\n");
        return;
    }
    // A coordinate that does not scan keeps what the slot held.
    Vec3& slot = store.vertices[store.vertexCount - 1];
    float* const targets[] = {&slot.x, &slot.y, &slot.z};
    scanFloats(numbers, "%f,%f,%f", targets);
}

void readPolygonSize(const char* numbers, RdsReaderState& state) {
    const char* cursor = numbers;
    scanInt(cursor, state.pgsz);  // without a number the size stays
}

bool indexInTable(int32_t index) {
    return index >= 0 && index < MAX_VERTICES;
}

bool storePolygon(const int32_t* indices, int corners, MeshStore& store, FILE* log) {
    if (store.quadCount >= MAX_QUADS) {
        fprintf(log, "ERROR: > %d quads", MAX_QUADS);
        return false;
    }
    BrickQuad& quad = store.quads[store.quadCount];
    for (int corner = 0; corner < corners; ++corner) {
        quad.position[corner] = store.vertices[indices[corner]];
    }
    ++store.quadCount;
    return true;
}

bool readPolygon(const char* numbers, const RdsReaderState& state, MeshStore& store, FILE* log) {
    const int corners = state.pgsz;
    if (corners != TRIANGLE_CORNERS && corners != QUAD_CORNERS) {
        fprintf(log, "Skipping poly of size %d\n", corners);
        return true;
    }
    int32_t indices[QUAD_CORNERS] = {0, 0, 0, 0};
    int32_t* const targets[] = {&indices[0], &indices[1], &indices[2], &indices[3]};
    const char* pattern = corners == TRIANGLE_CORNERS ? "%d,%d,%d" : "%d,%d,%d,%d";
    if (scanInts(numbers, pattern, targets) != corners) {
        fprintf(log, "ERROR reading polygon line %d\n", state.lineNumber);
        return true;
    }
    for (int corner = 0; corner < corners; ++corner) {
        if (!indexInTable(indices[corner])) {
            fprintf(log, "ERROR: index out of range on line %d\n", state.lineNumber);
            return true;
        }
    }
    return storePolygon(indices, corners, store, log);
}

bool readRdsLine(const char* line, RdsReaderState& state, MeshStore& store, FILE* log) {
    char tag[LINE_BUFFER_SIZE + 1];
    const char* rest = scanFirstWord(line, tag, sizeof tag);
    if (tag[0] == '\0') {
        return true;  // a line without a word means nothing
    }
    if (equalsIgnoringCase(tag, "Pmsh")) {
        store.vertexCount = 0;
    } else if (equalsIgnoringCase(tag, "VerD")) {
        return readVertexRecord(store, log);
    } else if (equalsIgnoringCase(tag, "Posn")) {
        readPosition(rest, store, log);
    } else if (equalsIgnoringCase(tag, "PgSz")) {
        readPolygonSize(rest, state);
    } else if (equalsIgnoringCase(tag, "Pgon")) {
        return readPolygon(rest, state, store, log);
    }
    return true;
}

}  // namespace

bool readRdsFile(FILE* input, MeshStore& store, FILE* log) {
    static LineReader reader;
    initLineReader(reader, input);
    RdsReaderState state;
    while (readLine(reader, log)) {
        state.lineNumber = reader.lineNumber;
        if (!readRdsLine(reader.line, state, store, log)) {
            return false;
        }
    }
    fprintf(log, "Got %d quads\n", store.quadCount);
    return true;
}
