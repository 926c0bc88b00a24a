// SPDX-License-Identifier: MIT
#include "dxfReader.h"

#include <cstdlib>
#include <cstring>

#include "lineReader.h"
#include "textScan.h"
#include "textSink.h"

namespace {

constexpr int32_t NO_GROUP_CODE = -999;  // the next line is a code line
constexpr int32_t ENTITY_TYPE_CODE = 0;
constexpr int32_t LAYER_NAME_CODE = 8;
constexpr int32_t COLOR_NUMBER_CODE = 62;
constexpr int32_t FIRST_X_CODE = 10;
constexpr int32_t FIRST_Y_CODE = 20;
constexpr int32_t FIRST_Z_CODE = 30;
constexpr const char* FACE_ENTITY = "3DFACE";

struct DxfReaderState {
    int32_t groupCode = NO_GROUP_CODE;
    bool inFace = false;
};

// Decodes a corner coordinate code (10-13, 20-23, 30-33) into its axis (0 for
// x, 1 for y, 2 for z) and corner; false for every other code.
bool decodeCornerCode(int32_t code, int& axis, int& corner) {
    const int32_t firstCodes[] = {FIRST_X_CODE, FIRST_Y_CODE, FIRST_Z_CODE};
    for (axis = 0; axis < 3; ++axis) {
        if (code >= firstCodes[axis] && code < firstCodes[axis] + CORNERS_PER_QUAD) {
            corner = code - firstCodes[axis];
            return true;
        }
    }
    return false;
}

void storeCoordinate(Vec3& position, int axis, float value) {
    float& target = axis == 0 ? position.x : axis == 1 ? position.y : position.z;
    target = value;
}

// "Entity type %s" and "Getting poly %d", one or two for every entity,
// gathered in the sink.
void traceEntity(const char* line, TextSink& log) {
    static constexpr char PREFIX[] = "Entity type ";
    sinkText(log, PREFIX, sizeof PREFIX - 1);
    sinkText(log, line, strlen(line));
    sinkText(log, "\n", 1);
}

void traceFace(int32_t quadCount, TextSink& log) {
    static constexpr char PREFIX[] = "Getting poly ";
    sinkIntLine(log, PREFIX, sizeof PREFIX - 1, quadCount);
}

bool readEntityType(const char* line, DxfReaderState& state, MeshStore& store, TextSink& log) {
    traceEntity(line, log);
    if (strcmp(line, FACE_ENTITY) != 0) {
        state.inFace = false;
        return true;
    }
    traceFace(store.quadCount, log);
    if (store.quadCount >= MAX_QUADS) {
        fprintf(flushedStream(log), "ERROR: > %d quads\n", MAX_QUADS);
        return false;
    }
    state.inFace = true;
    ++store.quadCount;
    return true;
}

bool readValueLine(const char* line, DxfReaderState& state, MeshStore& store, TextSink& log) {
    const int32_t code = state.groupCode;
    if (code == ENTITY_TYPE_CODE) {
        return readEntityType(line, state, store, log);
    }
    int axis = 0;
    int corner = 0;
    if (decodeCornerCode(code, axis, corner)) {
        if (state.inFace) {
            BrickQuad& newest = store.quads[store.quadCount - 1];
            storeCoordinate(newest.position[corner], axis, parseGroupValue(line));
        }
    } else if (code != LAYER_NAME_CODE && code != COLOR_NUMBER_CODE) {
        fprintf(flushedStream(log), "unhandled groupcode %d\n", code);
    }
    return true;
}

// A line is a group code or the value that follows one, in turn; their
// numbers are not traced.
bool readDxfLine(const char* line, int, DxfReaderState& state, MeshStore& store, TextSink& log) {
    if (state.groupCode == NO_GROUP_CODE) {
        state.groupCode = parseGroupCode(line);
        return true;
    }
    const bool completed = readValueLine(line, state, store, log);
    state.groupCode = NO_GROUP_CODE;
    return completed;
}

// Every entity is complete as it is read: nothing is left at the input's end.
bool finishDxfInput(DxfReaderState&, MeshStore&, TextSink&) {
    return true;
}

}  // namespace

int32_t parseGroupCode(const char* line) {
    int32_t code = 0;
    scanInt(line, code);
    return code;
}

float parseGroupValue(const char* line) {
    return toFloat32(scanPaddedDouble(line));
}

bool readDxfFile(FILE* input, MeshStore& store, FILE* log) {
    DxfReaderState state;
    return readEveryLine<readDxfLine, finishDxfInput>(input, log, state, store);
}
