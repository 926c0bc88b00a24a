// SPDX-License-Identifier: MIT
#include "meshStore.h"

#include <cfloat>
#include <cmath>

bool Vec3::operator==(const Vec3& other) const {
    return x == other.x && y == other.y && z == other.z;
}

bool Vec3::operator!=(const Vec3& other) const {
    return !(*this == other);
}

Vec3 Vec3::operator+(const Vec3& other) const {
    return Vec3(x + other.x, y + other.y, z + other.z);
}

Vec3 Vec3::cross(const Vec3& other) const {
    const float crossX = y * other.z - z * other.y;
    const float crossY = z * other.x - x * other.z;
    const float crossZ = x * other.y - y * other.x;
    return Vec3(crossX, crossY, crossZ);
}

void Vec3::normalize() {
    // Every product and sum is rounded to 32 bits before the next step.
    const float xx = x * x;
    const float yy = y * y;
    const float zz = z * z;
    const float xxyy = xx + yy;
    const float lengthSquared = xxyy + zz;
    if (lengthSquared == 0.0f) {
        *this = Vec3(0.0f, 0.0f, 1.0f);
        return;
    }
    const float inverseLength = toFloat32(1.0 / std::sqrt(static_cast<double>(lengthSquared)));
    x = x * inverseLength;
    y = y * inverseLength;
    z = z * inverseLength;
}

BrickQuad::BrickQuad() {
    for (int corner = 0; corner < CORNERS_PER_QUAD; ++corner) {
        position[corner] = Vec3(UNSET_COORD, UNSET_COORD, UNSET_COORD);
        normal[corner] = Vec3();
        color[corner] = QuadColor{NO_COLOR, NO_COLOR, NO_COLOR, NO_COLOR};
    }
    uv[0] = TexCoord{0.2f, 0.2f};
    uv[1] = TexCoord{0.2f, 0.8f};
    uv[2] = TexCoord{0.8f, 0.8f};
    uv[3] = TexCoord{0.8f, 0.2f};
}

void clearMeshStore(MeshStore& store) {
    store.vertexCount = 0;
    store.normalCount = 0;
    store.collisionCount = 0;
    for (int i = 0; i < MAX_VERTICES; ++i) {
        store.vertices[i] = Vec3();
        store.normals[i] = Vec3();
    }
    noteQuadsUsed(store);
    const int used = store.quadsUsed < MAX_STORED_QUADS ? store.quadsUsed : MAX_STORED_QUADS;
    for (int i = 0; i < used; ++i) {
        store.quads[i] = BrickQuad();
    }
    store.quadsUsed = 0;
    store.boundsMin = Vec3();
    store.boundsMax = Vec3();
    store.brickSize = Vec3();
    for (int i = 0; i < MAX_COLLISION_BOXES; ++i) {
        store.collisionMin[i] = Vec3();
        store.collisionMax[i] = Vec3();
    }
    store.quadCount = 0;
    store.quadLimit = MAX_QUADS;
    store.yUpExporter = false;
}

void startMeshStore(MeshStore& store) {
    clearMeshStore(store);
    resetBoxes(store);
}

void resetBox(Vec3& boxMin, Vec3& boxMax) {
    boxMin = Vec3(BOX_RESET_MIN, BOX_RESET_MIN, BOX_RESET_MIN);
    boxMax = Vec3(BOX_RESET_MAX, BOX_RESET_MAX, BOX_RESET_MAX);
}

void resetBoxes(MeshStore& store) {
    resetBox(store.boundsMin, store.boundsMax);
    for (int i = 0; i < MAX_COLLISION_BOXES; ++i) {
        resetBox(store.collisionMin[i], store.collisionMax[i]);
    }
}

void widenBox(Vec3& boxMin, Vec3& boxMax, const Vec3& point) {
    if (point.x < boxMin.x) boxMin.x = point.x;
    if (point.y < boxMin.y) boxMin.y = point.y;
    if (point.z < boxMin.z) boxMin.z = point.z;
    if (point.x > boxMax.x) boxMax.x = point.x;
    if (point.y > boxMax.y) boxMax.y = point.y;
    if (point.z > boxMax.z) boxMax.z = point.z;
}

float saturatedFloat32(double value) {
    // Halfway between FLT_MAX and the next power of two: from here on the
    // nearest float (ties to even) is infinity.
    const double overflowEdge = 0x1.ffffffp+127;
    const float magnitude = std::fabs(value) >= overflowEdge ? HUGE_VALF : FLT_MAX;
    return value < 0.0 ? -magnitude : magnitude;
}

float scaleHeight(float height) {
    return toFloat32(static_cast<double>(height) * Z_SCALE);
}

void setBrickSizeFromBounds(MeshStore& store) {
    store.brickSize.x = store.boundsMax.x - store.boundsMin.x;
    store.brickSize.y = store.boundsMax.y - store.boundsMin.y;
    store.brickSize.z = store.boundsMax.z - store.boundsMin.z;
    store.brickSize.z = scaleHeight(store.brickSize.z);
}

namespace {

constexpr float DECLARED_MIN_LIMIT = 999.0f;
constexpr float DECLARED_MAX_LIMIT = -999.0f;

bool bracketsDeclaredBounds(const MeshStore& store) {
    const Vec3& low = store.boundsMin;
    const Vec3& high = store.boundsMax;
    return low.x < DECLARED_MIN_LIMIT || low.y < DECLARED_MIN_LIMIT || low.z < DECLARED_MIN_LIMIT ||
           high.x > DECLARED_MAX_LIMIT || high.y > DECLARED_MAX_LIMIT ||
           high.z > DECLARED_MAX_LIMIT;
}

}  // namespace

void settleDeclaredSize(MeshStore& store) {
    if (bracketsDeclaredBounds(store)) {
        setBrickSizeFromBounds(store);
    }
}

bool hasNothingToConvert(const MeshStore& store) {
    return store.quadCount == 0 && store.brickSize == Vec3();
}
