// SPDX-License-Identifier: MIT
#include "fitting.h"

#include <cmath>
#include <cstring>

namespace {

// Two triangles lie in one plane within about 1 degree.
constexpr double SAME_PLANE_COSINE = 0.99985;
// An extent this much above a whole number still rounds up to it.
constexpr double FIT_TOLERANCE = 0.0001;
constexpr int TRIANGLE_CORNERS = 3;
constexpr int NEXT_CORNER[TRIANGLE_CORNERS] = {1, 2, 0};  // (k + 1) mod 3

// Where pairTriangles has got to with each quad.
enum PairingState : uint8_t { NOT_TRIANGLE, OPEN_TRIANGLE, MERGED, REMOVED };

bool isSet(float coordinate) {
    return coordinate > UNSET_THRESHOLD;  // a NaN is not set
}

bool isEmptyBox(const Vec3& boxMin, const Vec3& boxMax) {
    return boxMin.x > boxMax.x;
}

bool sameBits(const Vec3& a, const Vec3& b) {
    return memcmp(&a, &b, sizeof a) == 0;
}

bool sameColor(const QuadColor& a, const QuadColor& b) {
    return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a;
}

// The two triangles' six corners 0 to 2 have one colour.
bool oneColor(const BrickQuad& a, const BrickQuad& b) {
    for (int corner = 0; corner < TRIANGLE_CORNERS; ++corner) {
        if (!sameColor(a.color[corner], a.color[0]) || !sameColor(b.color[corner], a.color[0])) {
            return false;
        }
    }
    return true;
}

// A vector in double precision, for the pairing tests.
struct Vector {
    double x;
    double y;
    double z;
};

Vector difference(const Vec3& a, const Vec3& b) {
    return Vector{static_cast<double>(a.x) - static_cast<double>(b.x),
                  static_cast<double>(a.y) - static_cast<double>(b.y),
                  static_cast<double>(a.z) - static_cast<double>(b.z)};
}

Vector cross(const Vector& a, const Vector& b) {
    return Vector{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

double dot(const Vector& a, const Vector& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

double length(const Vector& a) {
    return std::sqrt(dot(a, a));
}

// The plane and convexity tests of the quad a, p, r, q, made of the triangles
// (a, p, q) and (q, p, r). A comparison with a NaN fails.
bool mergesWell(const Vec3& a, const Vec3& p, const Vec3& r, const Vec3& q) {
    const Vector n1 = cross(difference(p, a), difference(q, a));
    const Vector n2 = cross(difference(p, q), difference(r, q));
    if (!(dot(n1, n2) >= SAME_PLANE_COSINE * length(n1) * length(n2))) {
        return false;
    }
    const Vec3* corners[CORNERS_PER_QUAD] = {&a, &p, &r, &q};
    for (int j = 0; j < CORNERS_PER_QUAD; ++j) {
        const Vec3& c0 = *corners[j];
        const Vec3& c1 = *corners[(j + 1) % CORNERS_PER_QUAD];
        const Vec3& c2 = *corners[(j + 2) % CORNERS_PER_QUAD];
        if (!(dot(cross(difference(c1, c0), difference(c2, c1)), n1) > 0.0)) {
            return false;
        }
    }
    return true;
}

void copyCorner(const BrickQuad& from, int fromCorner, BrickQuad& to, int toCorner) {
    to.position[toCorner] = from.position[fromCorner];
    to.normal[toCorner] = from.normal[fromCorner];
    to.color[toCorner] = from.color[fromCorner];
}

Vec3 upright(const Vec3& v) {
    return Vec3(v.x, -v.z, v.y);
}

void standUpBox(Vec3& boxMin, Vec3& boxMax) {
    if (isEmptyBox(boxMin, boxMax)) {
        return;
    }
    const Vec3 low = boxMin;
    const Vec3 high = boxMax;
    boxMin = Vec3(low.x, -high.z, low.y);
    boxMax = Vec3(high.x, -low.z, high.y);
}

void scaleCoordinate(float& coordinate, float scale) {
    if (isSet(coordinate)) {
        coordinate = coordinate * scale;
    }
}

void scaleBox(Vec3& boxMin, Vec3& boxMax, float scale) {
    if (isEmptyBox(boxMin, boxMax)) {
        return;
    }
    boxMin = Vec3(boxMin.x * scale, boxMin.y * scale, boxMin.z * scale);
    boxMax = Vec3(boxMax.x * scale, boxMax.y * scale, boxMax.z * scale);
}

void moveBox(Vec3& boxMin, Vec3& boxMax, const Vec3& offset) {
    if (!isEmptyBox(boxMin, boxMax)) {
        boxMin = boxMin + offset;
        boxMax = boxMax + offset;
    }
}

// A brickSize that a reader or the automatic bounds set follows the bounds box.
void resettleBrickSize(MeshStore& store) {
    if (store.brickSize != Vec3()) {
        setBrickSizeFromBounds(store);
    }
}

int boxCount(const MeshStore& store) {
    return store.collisionCount < MAX_COLLISION_BOXES ? store.collisionCount : MAX_COLLISION_BOXES;
}

// An extent rounded up to a whole number, at least 1: a NaN gives 1, an
// infinite extent stays infinite.
float roundedUp(float extent) {
    const double whole = std::ceil(static_cast<double>(extent) - FIT_TOLERANCE);
    return toFloat32(whole > 1.0 ? whole : 1.0);
}

// The colour, reversed and normal conditions, which hold for every edge.
bool alike(const BrickQuad& a, const BrickQuad& b) {
    return oneColor(a, b) && a.reversed == b.reversed &&
           (a.normal[0] == Vec3()) == (b.normal[0] == Vec3());
}

// pairTwoTriangles of two triangles. The shared edge is looked for first: it
// rules out most pairs, and the other conditions do not depend on it.
bool mergeTriangles(const BrickQuad& a, const BrickQuad& b, BrickQuad& merged) {
    for (int k = 0; k < TRIANGLE_CORNERS; ++k) {
        const int kNext = NEXT_CORNER[k];
        const int kLast = NEXT_CORNER[kNext];
        for (int m = 0; m < TRIANGLE_CORNERS; ++m) {
            const int mNext = NEXT_CORNER[m];
            const int mLast = NEXT_CORNER[mNext];
            if (!sameBits(b.position[m], a.position[kNext]) ||
                !sameBits(b.position[mNext], a.position[k])) {
                continue;
            }
            if (!alike(a, b)) {
                return false;
            }
            if (!mergesWell(a.position[kLast], a.position[k], b.position[mLast],
                            a.position[kNext])) {
                continue;
            }
            merged = BrickQuad();
            copyCorner(a, kLast, merged, 0);
            copyCorner(a, k, merged, 1);
            copyCorner(b, mLast, merged, 2);
            copyCorner(a, kNext, merged, 3);
            merged.reversed = a.reversed;
            return true;
        }
    }
    return false;
}

}  // namespace

bool isPairingTriangle(const BrickQuad& quad) {
    return isSet(quad.position[2].x) &&
           (!isSet(quad.position[3].x) || sameBits(quad.position[3], quad.position[2]));
}

bool pairTwoTriangles(const BrickQuad& a, const BrickQuad& b, BrickQuad& merged) {
    return isPairingTriangle(a) && isPairingTriangle(b) && mergeTriangles(a, b, merged);
}

int32_t pairTriangles(MeshStore& store) {
    noteQuadsUsed(store);  // the removed leave copies past the end
    const int count = store.quadCount < MAX_STORED_QUADS ? store.quadCount : MAX_STORED_QUADS;
    PairingState states[MAX_STORED_QUADS];
    for (int i = 0; i < count; ++i) {
        states[i] = isPairingTriangle(store.quads[i]) ? OPEN_TRIANGLE : NOT_TRIANGLE;
    }
    int32_t merges = 0;
    BrickQuad merged;
    for (int i = 0; i < count; ++i) {
        for (int j = i + 1; j < count && states[i] == OPEN_TRIANGLE; ++j) {
            if (states[j] == OPEN_TRIANGLE &&
                mergeTriangles(store.quads[i], store.quads[j], merged)) {
                store.quads[i] = merged;
                states[i] = MERGED;
                states[j] = REMOVED;
                ++merges;
            }
        }
    }
    int kept = 0;
    for (int i = 0; i < count; ++i) {
        if (states[i] != REMOVED) {
            if (kept != i) {
                store.quads[kept] = store.quads[i];
            }
            ++kept;
        }
    }
    store.quadCount = kept;
    return merges;
}

void standUp(MeshStore& store) {
    for (int i = 0; i < store.quadCount && i < MAX_STORED_QUADS; ++i) {
        BrickQuad& quad = store.quads[i];
        for (int corner = 0; corner < CORNERS_PER_QUAD; ++corner) {
            const Vec3& position = quad.position[corner];
            if (isSet(position.x) && isSet(position.y) && isSet(position.z)) {
                quad.position[corner] = upright(position);
            }
            quad.normal[corner] = upright(quad.normal[corner]);
        }
    }
    standUpBox(store.boundsMin, store.boundsMax);
    for (int box = 0; box < boxCount(store); ++box) {
        standUpBox(store.collisionMin[box], store.collisionMax[box]);
    }
    resettleBrickSize(store);
}

void scaleModel(MeshStore& store, float scale) {
    for (int i = 0; i < store.quadCount && i < MAX_STORED_QUADS; ++i) {
        for (Vec3& position : store.quads[i].position) {
            scaleCoordinate(position.x, scale);
            scaleCoordinate(position.y, scale);
            scaleCoordinate(position.z, scale);
        }
    }
    scaleBox(store.boundsMin, store.boundsMax, scale);
    for (int box = 0; box < boxCount(store); ++box) {
        scaleBox(store.collisionMin[box], store.collisionMax[box], scale);
    }
    resettleBrickSize(store);
}

void placeOnOrigin(MeshStore& store) {
    const float sumX = store.boundsMin.x + store.boundsMax.x;
    const float sumY = store.boundsMin.y + store.boundsMax.y;
    const float halfX = sumX / 2.0f;
    const float halfY = sumY / 2.0f;
    const Vec3 offset(-halfX, -halfY, -store.boundsMin.z);
    for (int i = 0; i < store.quadCount && i < MAX_STORED_QUADS; ++i) {
        BrickQuad& quad = store.quads[i];
        for (Vec3& position : quad.position) {
            position = position + offset;
        }
        quad.center = quad.center + offset;
    }
    store.boundsMin = store.boundsMin + offset;
    store.boundsMax = store.boundsMax + offset;
    for (int box = 0; box < boxCount(store); ++box) {
        moveBox(store.collisionMin[box], store.collisionMax[box], offset);
    }
}

void roundSizeUp(MeshStore& store) {
    placeOnOrigin(store);
    const float extentX = store.boundsMax.x - store.boundsMin.x;
    const float extentY = store.boundsMax.y - store.boundsMin.y;
    const float extentZ = store.boundsMax.z - store.boundsMin.z;
    const Vec3 size(roundedUp(extentX), roundedUp(extentY), roundedUp(scaleHeight(extentZ)));
    store.brickSize = size;
    store.boundsMin = Vec3(-(size.x / 2.0f), -(size.y / 2.0f), 0.0f);
    store.boundsMax =
        Vec3(size.x / 2.0f, size.y / 2.0f, toFloat32(static_cast<double>(size.z) / Z_SCALE));
}

void standUpAndScale(MeshStore& store, const FitOptions& options) {
    if (options.upY) {
        standUp(store);
    }
    if (options.scaled) {
        scaleModel(store, options.scale);
    }
}

void placeAndFit(MeshStore& store, const FitOptions& options) {
    if (options.fit) {
        roundSizeUp(store);
    } else if (options.place) {
        placeOnOrigin(store);
    }
}
