// SPDX-License-Identifier: MIT
#include "rdsReader.h"

#include <cstdint>

#include "lineReader.h"
#include "textScan.h"
#include "textSink.h"

namespace {

constexpr int TRIANGLE_CORNERS = 3;

struct RdsReaderState {
    int32_t pgsz = 0;  // corners of the polygons that follow; carries over meshes
};

bool readVertexRecord(MeshStore& store, ModelLog& log) {
    if (store.vertexCount >= MAX_VERTICES) {
        reportFatal(log, "vertex-limit", NO_LINE, "ERROR: > %d verts!\n", MAX_VERTICES);
        return false;
    }
    ++store.vertexCount;
    return true;
}

// numbers lies in a line the line reader delivered (padded after its end).
void readPosition(const char* numbers, int lineNumber, MeshStore& store, ModelLog& log) {
    if (store.vertexCount == 0) {
        reportError(log, "position-outside-vertex", lineNumber,
                    "ERROR: position outside of vert\n");
        return;
    }
    // A coordinate that does not scan keeps what the slot held.
    Vec3& slot = store.vertices[store.vertexCount - 1];
    float* const targets[] = {&slot.x, &slot.y, &slot.z};
    scanPaddedFloatList(numbers, ',', 3, targets);  // "%f,%f,%f", in the line reader's line
}

void readPolygonSize(const char* numbers, RdsReaderState& state) {
    const char* cursor = numbers;
    scanInt(cursor, state.pgsz);  // without a number the size stays
}

bool indexInTable(int32_t index) {
    return index >= 0 && index < MAX_VERTICES;
}

bool storePolygon(const int32_t* indices, int corners, int lineNumber, MeshStore& store,
                  ModelLog& log) {
    if (quadTableFull(store)) {
        reportFatal(log, "quad-limit", lineNumber, "ERROR: > %d quads", store.quadLimit);
        return false;
    }
    BrickQuad& quad = store.quads[store.quadCount];
    for (int corner = 0; corner < corners; ++corner) {
        quad.position[corner] = store.vertices[indices[corner]];
    }
    ++store.quadCount;
    return true;
}

bool readPolygon(const char* numbers, int lineNumber, const RdsReaderState& state, MeshStore& store,
                 ModelLog& log) {
    const int corners = state.pgsz;
    if (corners != TRIANGLE_CORNERS && corners != CORNERS_PER_QUAD) {
        reportWarning(log, "skipped-polygon", lineNumber, "Skipping poly of size %d\n", corners);
        return true;
    }
    int32_t indices[CORNERS_PER_QUAD] = {0, 0, 0, 0};
    int32_t* const targets[] = {&indices[0], &indices[1], &indices[2], &indices[3]};
    const char* pattern = corners == TRIANGLE_CORNERS ? "%d,%d,%d" : "%d,%d,%d,%d";
    if (scanInts(numbers, pattern, targets) != corners) {
        reportError(log, "bad-polygon", lineNumber, "ERROR reading polygon line %d\n", lineNumber);
        return true;
    }
    for (int corner = 0; corner < corners; ++corner) {
        if (!indexInTable(indices[corner])) {
            reportError(log, "index-out-of-range", lineNumber,
                        "ERROR: index out of range on line %d\n", lineNumber);
            return true;
        }
    }
    return storePolygon(indices, corners, lineNumber, store, log);
}

// The record a line starts with: its first word, letter case ignored. Every
// other word (or none) makes a line that means nothing.
enum class RdsRecord { Other, Pmsh, VerD, Posn, PgSz, Pgon };

constexpr size_t TAG_LENGTH = 4;

// The four bytes of a word in one number, each with its small-letter bit set:
// for a tag of small letters only, that bit makes a byte equal the tag's
// letter exactly when it is that letter in either case.
constexpr uint32_t tagKey(const char* word) {
    constexpr unsigned SMALL_LETTER_BIT = 0x20;
    uint32_t key = 0;
    for (size_t i = 0; i < TAG_LENGTH; ++i) {
        const unsigned byte = static_cast<unsigned char>(word[i]) | SMALL_LETTER_BIT;
        key |= static_cast<uint32_t>(byte) << (8 * i);
    }
    return key;
}

struct RecordTag {
    uint32_t key;
    RdsRecord record;
};

constexpr RecordTag RECORD_TAGS[] = {
    {tagKey("verd"), RdsRecord::VerD}, {tagKey("posn"), RdsRecord::Posn},
    {tagKey("pgon"), RdsRecord::Pgon}, {tagKey("pmsh"), RdsRecord::Pmsh},
    {tagKey("pgsz"), RdsRecord::PgSz},
};

// Reads the first word of line; rest is set just past it.
RdsRecord readRecordTag(const char* line, const char*& rest) {
    const char* word = skipScanSpace(line);
    rest = skipWord(word);
    if (static_cast<size_t>(rest - word) != TAG_LENGTH) {
        return RdsRecord::Other;
    }
    const uint32_t key = tagKey(word);
    for (const RecordTag& known : RECORD_TAGS) {
        if (key == known.key) {
            return known.record;
        }
    }
    return RdsRecord::Other;
}

bool readRdsLine(const TextLine& textLine, RdsReaderState& state, MeshStore& store, ModelLog& log) {
    const char* line = textLine.text;
    const int lineNumber = textLine.number;
    const char* rest = nullptr;
    switch (readRecordTag(line, rest)) {
        case RdsRecord::Pmsh:
            store.vertexCount = 0;
            break;
        case RdsRecord::VerD:
            return readVertexRecord(store, log);
        case RdsRecord::Posn:
            readPosition(rest, lineNumber, store, log);
            break;
        case RdsRecord::PgSz:
            readPolygonSize(rest, state);
            break;
        case RdsRecord::Pgon:
            return readPolygon(rest, lineNumber, state, store, log);
        case RdsRecord::Other:
            break;
    }
    return true;
}

bool finishRdsInput(RdsReaderState&, MeshStore& store, ModelLog& log) {
    sinkFormat(log, "Got %d quads\n", store.quadCount);
    return true;
}

}  // namespace

bool readRdsFile(LineReader& lines, MeshStore& store, Report& report) {
    RdsReaderState state;
    return readEveryLine<readRdsLine, finishRdsInput>(lines, report, state, store);
}
