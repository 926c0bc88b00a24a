// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <string>

#include "finishing.h"
#include "testSupport.h"

namespace {

struct FinishRun {
    ConversionStats stats;
    std::string log;
};

FinishRun finish(MeshStore& store) {
    FinishRun run;
    FILE* log = temporaryStream();
    finishQuads(store, run.stats, log);
    run.log = takeText(log);
    return run;
}

BrickQuad quadWith(Vec3 p0, Vec3 p1, Vec3 p2, Vec3 p3) {
    BrickQuad quad;
    quad.position[0] = p0;
    quad.position[1] = p1;
    quad.position[2] = p2;
    quad.position[3] = p3;
    return quad;
}

const Vec3 UNSET(UNSET_COORD, UNSET_COORD, UNSET_COORD);

// A quad whose corner 0 x marks it, so that its slot can be followed.
BrickQuad markedQuad(float mark, bool degenerate) {
    return quadWith(Vec3(mark, 0, 0), Vec3(mark, 1, 0), degenerate ? UNSET : Vec3(mark, 1, 1),
                    Vec3(mark, 0, 1));
}

TEST(FinishQuadsTest, EmptyTableIsNotAnError) {
    MeshStore& store = freshStore();
    const FinishRun run = finish(store);
    EXPECT_EQ(run.log, "");
    EXPECT_EQ(run.stats.degenerateCount, 0);
    EXPECT_EQ(run.stats.triangleCount, 0);
    EXPECT_EQ(run.stats.duplicateCount, 0);
}

TEST(FinishQuadsTest, RemovalMovesTheLastQuadIntoTheSlotAndExaminesItAgain) {
    MeshStore& store = freshStore();
    store.quadCount = 5;
    for (int i = 0; i < 5; ++i) {
        store.quads[i] = markedQuad(static_cast<float>(i), i == 0 || i == 4);
    }
    const FinishRun run = finish(store);
    EXPECT_EQ(store.quadCount, 3);
    EXPECT_EQ(run.stats.degenerateCount, 2);
    EXPECT_EQ(store.quads[0].position[0].x, 3.0f);  // the fourth quad, moved twice
    EXPECT_EQ(store.quads[1].position[0].x, 1.0f);
    EXPECT_EQ(store.quads[2].position[0].x, 2.0f);
    EXPECT_EQ(run.log,
              "centroid 0 = 3.000000 0.500000 0.500000\n"
              "centroid 1 = 1.000000 0.500000 0.500000\n"
              "centroid 2 = 2.000000 0.500000 0.500000\n");
}

TEST(FinishQuadsTest, EveryQuadDegenerate) {
    MeshStore& store = freshStore();
    store.quadCount = 4;
    for (int i = 0; i < 4; ++i) {
        store.quads[i] = markedQuad(static_cast<float>(i), true);
    }
    const FinishRun run = finish(store);
    EXPECT_EQ(store.quadCount, 0);
    EXPECT_EQ(run.stats.degenerateCount, 4);
    EXPECT_EQ(run.log, "");
}

TEST(FinishQuadsTest, UnsetMeansXAtOrBelowTheThreshold) {
    MeshStore& store = freshStore();
    store.quadCount = 4;
    store.quads[0] = quadWith(Vec3(), Vec3(), Vec3(-9998.0f, 5, 5), Vec3());
    store.quads[1] = quadWith(Vec3(), Vec3(), Vec3(-9997.9f, 5, 5), Vec3(-9997.9f, 0, 0));
    store.quads[2] = quadWith(Vec3(), Vec3(), UNSET, UNSET);
    store.quads[3] = quadWith(Vec3(), Vec3(), Vec3(NAN, 0, 0), Vec3(1, -9999, -9999));
    const FinishRun run = finish(store);
    // The first and the one with both unset; a NaN x is not unset, so the last
    // goes for its coordinate that is not a number.
    EXPECT_EQ(run.stats.degenerateCount, 3);
    EXPECT_EQ(run.stats.nonNumberCount, 1);
    EXPECT_EQ(run.stats.triangleCount, 0);
    EXPECT_EQ(store.quadCount, 1);
}

// A NaN or infinite coordinate removes a quad, after the corner-2 test: in
// corners 0 to 2, and in corner 3 unless its x marks it unset.
TEST(FinishQuadsTest, CoordinatesThatAreNotNumbersRemoveTheQuad) {
    const Vec3 set(1, 1, 0);
    const struct {
        Vec3 corners[CORNERS_PER_QUAD];
        bool removed;
        bool counted;  // as a quad with a coordinate that is not a number
    } cases[] = {
        {{Vec3(NAN, 0, 0), set, set, set}, true, true},
        {{set, Vec3(0, INFINITY, 0), set, set}, true, true},
        {{set, set, Vec3(0, 0, -INFINITY), UNSET}, true, true},
        {{set, set, set, Vec3(NAN, 0, 0)}, true, true},  // a NaN x is not unset
        {{set, set, set, Vec3(1, NAN, 0)}, true, true},
        {{set, set, set, Vec3(-9998, NAN, INFINITY)}, false, false},  // unset: closed as a triangle
        {{Vec3(NAN, 0, 0), set, UNSET, set}, true, false},  // no third corner, counted as such
        {{set, set, Vec3(FLT_MAX, -FLT_MAX, 0), set}, false, false},
    };
    for (const auto& c : cases) {
        MeshStore& store = freshStore();
        store.quadCount = 1;
        store.quads[0] = quadWith(c.corners[0], c.corners[1], c.corners[2], c.corners[3]);
        const FinishRun run = finish(store);
        EXPECT_EQ(store.quadCount, c.removed ? 0 : 1) << &c - cases;
        EXPECT_EQ(run.stats.degenerateCount, c.removed ? 1 : 0) << &c - cases;
        EXPECT_EQ(run.stats.nonNumberCount, c.counted ? 1 : 0) << &c - cases;
    }
}

TEST(FinishQuadsTest, UnsetFirstCornersEnterTheCentreAsTheyStand) {
    MeshStore& store = freshStore();
    store.quadCount = 1;
    store.quads[0] = quadWith(UNSET, Vec3(1, 1, 1), Vec3(2, 2, 2), Vec3(3, 3, 3));
    const FinishRun run = finish(store);
    EXPECT_EQ(store.quadCount, 1);
    EXPECT_EQ(run.log, "centroid 0 = -2498.250000 -2498.250000 -2498.250000\n");
}

TEST(FinishQuadsTest, TriangleIsClosedWithCornerTwo) {
    MeshStore& store = freshStore();
    store.quadCount = 1;
    BrickQuad& quad = store.quads[0];
    quad = quadWith(Vec3(0, 0, 0), Vec3(1, 0, 0), Vec3(0, 1, 0), UNSET);
    quad.color[2] = QuadColor{1, 2, 3, 4};
    const FinishRun run = finish(store);
    EXPECT_EQ(run.stats.triangleCount, 1);
    EXPECT_EQ(quad.position[3], Vec3(0, 1, 0));
    EXPECT_EQ(quad.uv[3].u, 0.8f);
    EXPECT_EQ(quad.uv[3].v, 0.8f);
    EXPECT_EQ(quad.color[3].r, 1);
    EXPECT_EQ(quad.color[3].a, 4);
    EXPECT_EQ(quad.center, Vec3(0.25f, 0.5f, 0));
    for (const Vec3& normal : quad.normal) {
        EXPECT_EQ(normal, Vec3(0, 0, 1));
    }
    EXPECT_EQ(run.log, "centroid 0 = 0.250000 0.500000 0.000000\n");
}

TEST(FinishQuadsTest, TriangleWithNormalsKeepsThem) {
    MeshStore& store = freshStore();
    store.quadCount = 1;
    BrickQuad& quad = store.quads[0];
    quad = quadWith(Vec3(0, 0, 0), Vec3(1, 0, 0), Vec3(0, 1, 0), UNSET);
    quad.normal[0] = Vec3(0, 0, 3);
    quad.normal[2] = Vec3(0, 2, 0);
    finish(store);
    EXPECT_EQ(quad.normal[0], Vec3(0, 0, 3));
    EXPECT_EQ(quad.normal[1], Vec3(0, 0, 0));
    EXPECT_EQ(quad.normal[3], Vec3(0, 2, 0));
}

TEST(FinishQuadsTest, FlatNormalFollowsTheStoredCornerOrder) {
    MeshStore& store = freshStore();
    store.quadCount = 1;
    BrickQuad& quad = store.quads[0];
    quad = quadWith(Vec3(0, 0, 0), Vec3(0, 1, 0), Vec3(1, 1, 0), Vec3(1, 0, 0));
    quad.reversed = true;
    quad.normal[1] = Vec3(5, 5, 5);  // replaced: only normal 0 decides
    finish(store);
    EXPECT_EQ(quad.center, Vec3(0.5f, 0.5f, 0));
    for (const Vec3& normal : quad.normal) {
        EXPECT_EQ(normal, Vec3(0, 0, -1));
    }
}

TEST(FinishQuadsTest, FlatNormalOfACollapsedQuadPointsUp) {
    const BrickQuad shapes[] = {
        quadWith(Vec3(1, 0, 0), Vec3(2, 1, 0), Vec3(3, 2, 0), Vec3(4, 3, 0)),
        quadWith(Vec3(2, 2, 2), Vec3(2, 2, 2), Vec3(2, 2, 2), Vec3(2, 2, 2)),
    };
    for (const BrickQuad& shape : shapes) {
        MeshStore& store = freshStore();
        store.quadCount = 1;
        store.quads[0] = shape;
        finish(store);
        for (const Vec3& normal : store.quads[0].normal) {
            EXPECT_EQ(normal, Vec3(0, 0, 1));
        }
    }
}

TEST(FinishQuadsTest, NegativeZeroNormalCountsAsMissingAndNanDoesNot) {
    MeshStore& store = freshStore();
    store.quadCount = 2;
    store.quads[0] = quadWith(Vec3(0, 0, 0), Vec3(1, 0, 0), Vec3(1, 1, 0), Vec3(0, 1, 0));
    store.quads[0].normal[0] = Vec3(-0.0f, 0, 0);
    store.quads[1] = store.quads[0];
    store.quads[1].normal[0] = Vec3(NAN, 0, 0);
    finish(store);
    EXPECT_EQ(store.quads[0].normal[0], Vec3(0, 0, 1));
    EXPECT_EQ(store.quads[0].normal[3], Vec3(0, 0, 1));
    EXPECT_TRUE(std::isnan(store.quads[1].normal[0].x));
    EXPECT_EQ(store.quads[1].normal[3], Vec3(0, 0, 0));
}

TEST(FinishQuadsTest, CentreSumsIn32Bits) {
    MeshStore& store = freshStore();
    store.quadCount = 1;
    store.quads[0] = quadWith(Vec3(16777216, 0, 0), Vec3(1, 0, 0), Vec3(1, 0, 0), Vec3(0, 0, 0));
    finish(store);
    // 16777216 + 1 + 1 rounds to 16777216 in 32 bits; in 64 it would be 16777218.
    EXPECT_EQ(store.quads[0].center.x, 4194304.0f);
}

TEST(ComputeBrickBoundsTest, EmptyModelGivesTheUnsetExtent) {
    MeshStore& store = freshStore();
    computeBrickBounds(store);
    EXPECT_EQ(store.brickSize, Vec3(-19998, -19998, -49995));
    EXPECT_EQ(store.collisionCount, 1);
    EXPECT_EQ(store.collisionMin[0], Vec3(9999, 9999, 24997.5f));
    EXPECT_EQ(store.collisionMax[0], Vec3(-9999, -9999, -24997.5f));
}

TEST(ComputeBrickBoundsTest, SizeAndDefaultBoxFromTheQuads) {
    MeshStore& store = freshStore();
    store.quadCount = 2;
    store.quads[0] = quadWith(Vec3(-10, 0, 0), Vec3(0, -5, 1), Vec3(1, 1, 1), Vec3(0, 0, 0));
    store.quads[1] = quadWith(Vec3(10, 0, 0), Vec3(0, 5, 4), Vec3(1, 1, NAN), Vec3(0, 0, 0));
    computeBrickBounds(store);
    EXPECT_EQ(store.brickSize, Vec3(20, 10, 10));
    EXPECT_EQ(store.boundsMin, Vec3(-10, -5, 0));
    EXPECT_EQ(store.boundsMax, Vec3(10, 5, 4));
    EXPECT_EQ(store.collisionMin[0], Vec3(-10, -5, 0));
    EXPECT_EQ(store.collisionMax[0], Vec3(10, 5, 10));
}

TEST(ComputeBrickBoundsTest, DeclaredSizeIsKept) {
    MeshStore& store = freshStore();
    store.boundsMin = Vec3(-20, -20, 0);
    store.boundsMax = Vec3(20, 20, 12);
    store.brickSize = Vec3(40, 40, 30);
    store.quadCount = 1;
    store.quads[0] = quadWith(Vec3(-100, 0, 0), Vec3(100, 0, 0), Vec3(0, 0, 50), Vec3());
    computeBrickBounds(store);
    EXPECT_EQ(store.brickSize, Vec3(40, 40, 30));
    EXPECT_EQ(store.collisionMin[0], Vec3(-20, -20, 0));
    EXPECT_EQ(store.collisionMax[0], Vec3(20, 20, 30));
}

TEST(ComputeBrickBoundsTest, DeclaredZeroExtentStartsTheAutomaticBounds) {
    MeshStore& store = freshStore();
    store.boundsMin = Vec3(5, 5, 5);
    store.boundsMax = Vec3(5, 5, 5);
    store.quadCount = 1;
    store.quads[0] = quadWith(Vec3(0, 0, 6), Vec3(1, 0, 6), Vec3(1, 1, 6), Vec3(0, 1, 6));
    computeBrickBounds(store);
    EXPECT_EQ(store.boundsMin, Vec3(0, 0, 5));
    EXPECT_EQ(store.boundsMax, Vec3(5, 5, 6));
    EXPECT_EQ(store.brickSize, Vec3(5, 5, 2.5f));
}

TEST(ComputeBrickBoundsTest, DeclaredBoxesAreScaledOnceAndEmptyOnesKeepTheirReset) {
    MeshStore& store = freshStore();
    store.brickSize = Vec3(1, 1, 1);
    store.collisionCount = MAX_COLLISION_BOXES;
    for (int box = 0; box < MAX_COLLISION_BOXES - 1; ++box) {
        store.collisionMin[box] = Vec3(0, 0, static_cast<float>(box));
        store.collisionMax[box] = Vec3(1, 1, static_cast<float>(box + 2));
    }
    computeBrickBounds(store);
    EXPECT_EQ(store.collisionCount, MAX_COLLISION_BOXES);
    EXPECT_EQ(store.collisionMin[4], Vec3(0, 0, 10));
    EXPECT_EQ(store.collisionMax[4], Vec3(1, 1, 15));
    EXPECT_EQ(store.collisionMin[9], Vec3(9999, 9999, 24997.5f));
    EXPECT_EQ(store.collisionMax[9], Vec3(-9999, -9999, -24997.5f));
}

}  // namespace
