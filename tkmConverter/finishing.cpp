// SPDX-License-Identifier: MIT
#include "finishing.h"

#include <cmath>

#include "textSink.h"

namespace {

bool isUnsetCorner(const Vec3& position) {
    return position.x <= UNSET_THRESHOLD;
}

bool isFinite(const Vec3& position) {
    return std::isfinite(position.x) && std::isfinite(position.y) && std::isfinite(position.z);
}

// A NaN or infinite coordinate in corners 0 to 2, or in corner 3 unless it
// is unset (a NaN x is not unset): such a quad has no place in a brick.
bool hasNonNumberCorner(const BrickQuad& quad) {
    for (int corner = 0; corner < CORNERS_PER_QUAD - 1; ++corner) {
        if (!isFinite(quad.position[corner])) {
            return true;
        }
    }
    return !isUnsetCorner(quad.position[3]) && !isFinite(quad.position[3]);
}

// Moves the last quad into slot and shortens the table by one.
void removeQuad(MeshStore& store, int slot) {
    const int last = store.quadCount - 1;
    if (slot != last) {
        store.quads[slot] = store.quads[last];
    }
    store.quadCount = last;
}

void completeTriangle(BrickQuad& quad) {
    quad.position[3] = quad.position[2];
    quad.normal[3] = quad.normal[2];
    quad.uv[3] = quad.uv[2];
    quad.color[3] = quad.color[2];
}

void computeCenter(BrickQuad& quad) {
    constexpr float CORNER_COUNT = static_cast<float>(CORNERS_PER_QUAD);
    Vec3 sum;
    for (int corner = 0; corner < CORNERS_PER_QUAD; ++corner) {
        sum = sum + quad.position[corner];
    }
    quad.center = Vec3(sum.x / CORNER_COUNT, sum.y / CORNER_COUNT, sum.z / CORNER_COUNT);
}

void traceCenter(int slot, const Vec3& center, TextSink& log) {
    static constexpr char PREFIX[] = "centroid ";
    if (log.out == nullptr) {
        return;  // no trace: nothing to spell
    }
    const double components[] = {center.x, center.y, center.z};
    sinkText(log, PREFIX, sizeof PREFIX - 1);
    sinkInt(log, slot);
    sinkText(log, " = ", 3);
    sinkReals(log, components, 3);
    sinkText(log, "\n", 1);
}

// Twice the vector area over the stored corner order, normalised, on all corners.
void setFlatNormal(BrickQuad& quad) {
    Vec3 normal = areaVector(quad);
    normal.normalize();
    for (int corner = 0; corner < CORNERS_PER_QUAD; ++corner) {
        quad.normal[corner] = normal;
    }
}

void scaleBoxHeights(Vec3& boxMin, Vec3& boxMax) {
    boxMin.z = scaleHeight(boxMin.z);
    boxMax.z = scaleHeight(boxMax.z);
}

}  // namespace

void finishQuads(MeshStore& store, ConversionStats& stats, FILE* log) {
    TextSink sink(log);  // the trace of every quad's centre
    // Removals leave copies past the end, which the store's clear must reach.
    noteQuadsUsed(store);
    int slot = 0;
    while (slot < store.quadCount) {
        BrickQuad& quad = store.quads[slot];
        const bool withoutThirdCorner = isUnsetCorner(quad.position[2]);
        if (withoutThirdCorner || hasNonNumberCorner(quad)) {
            ++stats.degenerateCount;
            stats.nonNumberCount += withoutThirdCorner ? 0 : 1;
            removeQuad(store, slot);
            continue;  // the slot now holds the former last quad, not yet examined
        }
        if (isUnsetCorner(quad.position[3])) {
            ++stats.triangleCount;
            completeTriangle(quad);
        }
        computeCenter(quad);
        traceCenter(slot, quad.center, sink);
        if (quad.normal[0] == Vec3()) {
            setFlatNormal(quad);
        }
        ++slot;
    }
}

Vec3 areaVector(const BrickQuad& quad) {
    Vec3 sum;
    for (int corner = 0; corner < CORNERS_PER_QUAD; ++corner) {
        const Vec3& next = quad.position[(corner + 1) % CORNERS_PER_QUAD];
        sum = sum + quad.position[corner].cross(next);
    }
    return sum;
}

void settleBrickSize(MeshStore& store) {
    if (store.brickSize == Vec3()) {
        for (int i = 0; i < store.quadCount; ++i) {
            for (int corner = 0; corner < CORNERS_PER_QUAD; ++corner) {
                widenBox(store.boundsMin, store.boundsMax, store.quads[i].position[corner]);
            }
        }
        setBrickSizeFromBounds(store);
    }
}

void settleCollisionBoxes(MeshStore& store) {
    if (store.collisionCount == 0) {
        store.collisionMin[0] = store.boundsMin;
        store.collisionMax[0] = store.boundsMax;
        store.collisionCount = 1;
    }
    for (int box = 0; box < store.collisionCount; ++box) {
        scaleBoxHeights(store.collisionMin[box], store.collisionMax[box]);
    }
}

void computeBrickBounds(MeshStore& store) {
    settleBrickSize(store);
    settleCollisionBoxes(store);
}
