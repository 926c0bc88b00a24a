// SPDX-License-Identifier: MIT
// The value types and the one store of tables that every stage of a conversion
// fills or reads. A run owns exactly one MeshStore; the driver resets its boxes,
// one reader fills it, the finishing steps complete it in place and the writer
// reads it. Every table has a fixed capacity: no stage allocates.
#pragma once

#include <cfloat>
#include <cmath>
#include <cstdint>

#include "brickFormat.h"  // CORNERS_PER_QUAD, BLEND_ALPHA

constexpr int MAX_VERTICES = 4096;       // vertex table and normal table, each
constexpr int MAX_QUADS = 512;           // quads of a brick, and the readers' usual limit
constexpr int MAX_STORED_QUADS = 1024;   // quad table: what the readers take before pairing
constexpr int MAX_COLLISION_BOXES = 10;  // collision box tables

constexpr float UNSET_COORD = -9999.0f;      // coordinate of a corner no reader set
constexpr float UNSET_THRESHOLD = -9998.0f;  // a corner x at or below this is unset
constexpr float BOX_RESET_MIN = 9999.0f;     // box minimum before any point widens it
constexpr float BOX_RESET_MAX = -9999.0f;    // box maximum before any point widens it
constexpr int32_t NO_COLOR = -1;             // every component of an uncoloured corner
constexpr int32_t FULL_ALPHA = 255;
constexpr double Z_SCALE = 2.5;  // vertical scale of the brick

struct Vec3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    Vec3() = default;
    Vec3(float xValue, float yValue, float zValue) : x(xValue), y(yValue), z(zValue) {}

    bool operator==(const Vec3& other) const;
    bool operator!=(const Vec3& other) const;
    Vec3 operator+(const Vec3& other) const;
    Vec3 cross(const Vec3& other) const;
    // Scales to unit length with one shared reciprocal; a zero vector becomes (0, 0, 1).
    void normalize();
};

struct QuadColor {
    int32_t r = 0;
    int32_t g = 0;
    int32_t b = 0;
    int32_t a = 0;
};

struct TexCoord {
    float u = 0.0f;
    float v = 0.0f;
};

struct BrickQuad {
    Vec3 position[CORNERS_PER_QUAD];
    Vec3 normal[CORNERS_PER_QUAD];
    TexCoord uv[CORNERS_PER_QUAD];
    Vec3 center;
    QuadColor color[CORNERS_PER_QUAD];
    bool reversed = false;

    BrickQuad();
};

struct MeshStore {
    int32_t quadCount = 0;
    int32_t vertexCount = 0;
    int32_t normalCount = 0;
    int32_t collisionCount = 0;
    Vec3 vertices[MAX_VERTICES];
    Vec3 normals[MAX_VERTICES];
    BrickQuad quads[MAX_STORED_QUADS];
    Vec3 boundsMin;
    Vec3 boundsMax;
    Vec3 brickSize;
    Vec3 collisionMin[MAX_COLLISION_BOXES];
    Vec3 collisionMax[MAX_COLLISION_BOXES];
    // The readers store at most this many quads: MAX_QUADS, or up to
    // MAX_STORED_QUADS when triangles are paired after reading.
    int32_t quadLimit = MAX_QUADS;
    // The most quads the table held since it was cleared, noted where
    // quadCount is lowered: the slots clearMeshStore puts back.
    int32_t quadsUsed = 0;
    // The OBJ reader's note: the file's first comment names an exporter that
    // writes y up by default (Blender 2.8 and later).
    bool yUpExporter = false;
};

// Notes quadCount in quadsUsed before a step lowers it.
inline void noteQuadsUsed(MeshStore& store) {
    if (store.quadCount > store.quadsUsed) {
        store.quadsUsed = store.quadCount;
    }
}

// True when the readers may store no further quad.
inline bool quadTableFull(const MeshStore& store) {
    return store.quadCount >= store.quadLimit || store.quadCount >= MAX_STORED_QUADS;
}

// Counters of the finishing pass, printed by the driver after it.
struct ConversionStats {
    int32_t degenerateCount = 0;  // quads removed, those of nonNumberCount included
    int32_t triangleCount = 0;
    int32_t duplicateCount = 0;  // no step removes duplicates: always 0
    int32_t nonNumberCount = 0;  // quads removed for a coordinate that is NaN or infinite
};

// Puts every table and counter back to its program-start value, in place:
// of the quad table, the slots used since the last clear.
void clearMeshStore(MeshStore& store);

// The store as a reader expects it: clearMeshStore, then resetBoxes.
void startMeshStore(MeshStore& store);
// One box back to its unset extent (minimum 9999, maximum -9999 on every axis).
void resetBox(Vec3& boxMin, Vec3& boxMax);

// The driver's reset before reading: the bounds box and all collision boxes
// to their unset extents (minimum 9999, maximum -9999 on every axis).
void resetBoxes(MeshStore& store);

// Widens the box [boxMin, boxMax] to take in point. Strict comparisons: a NaN
// coordinate changes nothing.
void widenBox(Vec3& boxMin, Vec3& boxMax, const Vec3& point);

// What toFloat32 gives for a value beyond the largest float: it or infinity.
float saturatedFloat32(double value);

// Nearest 32-bit float to value, without undefined behaviour outside the float
// range: values beyond the largest float round to it or to infinity. Inline:
// the readers convert every coordinate they read.
inline float toFloat32(double value) {
    if (std::isnan(value) || std::fabs(value) <= static_cast<double>(FLT_MAX)) {
        return static_cast<float>(value);
    }
    return saturatedFloat32(value);
}

// The brick-size rule, in one place. brickSize = boundsMax - boundsMin per
// axis, its height then scaled.
void setBrickSizeFromBounds(MeshStore& store);

// Sets brickSize from the bounds box once a BOUNDS face has widened it: a
// declared box counts once one of its extents has left the reset values.
void settleDeclaredSize(MeshStore& store);

// No quads and no declared size: nothing for a brick.
bool hasNothingToConvert(const MeshStore& store);

// The brick's vertical scale applied to a 32-bit height, rounded back to 32 bits.
float scaleHeight(float height);
