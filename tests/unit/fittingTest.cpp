// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "fitting.h"
#include "groupNames.h"
#include "testSupport.h"

namespace {

const float NOT_A_NUMBER = std::numeric_limits<float>::quiet_NaN();
const float INFINITE = std::numeric_limits<float>::infinity();
const Vec3 UNSET(UNSET_COORD, UNSET_COORD, UNSET_COORD);

BrickQuad triangle(Vec3 p0, Vec3 p1, Vec3 p2, Vec3 p3 = UNSET) {
    BrickQuad quad;
    const Vec3 corners[] = {p0, p1, p2, p3};
    for (int corner = 0; corner < CORNERS_PER_QUAD; ++corner) {
        quad.position[corner] = corners[corner];
        quad.color[corner] = QuadColor{1, 2, 3, 255};
    }
    return quad;
}

bool sameBits(const Vec3& a, const Vec3& b) {
    return memcmp(&a, &b, sizeof a) == 0;
}

// The unit square in z = 0 cut along (0, 0, 0)-(1, 1, 0): a pair that merges
// into (1, 0, 0), (1, 1, 0), (0, 1, 0), (0, 0, 0).
const BrickQuad SQUARE_A = triangle(Vec3(0, 0, 0), Vec3(1, 0, 0), Vec3(1, 1, 0));
const BrickQuad SQUARE_B = triangle(Vec3(0, 0, 0), Vec3(1, 1, 0), Vec3(0, 1, 0));

// Each condition of pairing, broken or kept by one change to the square's
// halves. A DXF triangle, one normal only, a plane 0.57 or 5.7 degrees off,
// not convex and the edge shared the same way round: the pair* e2e cases.
TEST(FittingPairTest, EachConditionOfPairing) {
    const struct {
        const char* what;
        void (*change)(BrickQuad& a, BrickQuad& b);
        bool pairs;
    } cases[] = {
        {"the square's halves", [](BrickQuad&, BrickQuad&) {}, true},
        {"corner 3 equal to corner 2 but not bit for bit",
         [](BrickQuad& a, BrickQuad&) { a.position[3] = Vec3(1, 1, -0.0f); }, false},
        {"a quad", [](BrickQuad& a, BrickQuad&) { a.position[3] = Vec3(0, 0, 0); }, false},
        {"corner 2 unset", [](BrickQuad&, BrickQuad& b) { b.position[2].x = UNSET_THRESHOLD; },
         false},
        {"corner 2 x not a number",
         [](BrickQuad&, BrickQuad& b) { b.position[2].x = NOT_A_NUMBER; }, false},
        {"another colour on b's corner 2", [](BrickQuad&, BrickQuad& b) { b.color[2].a = 254; },
         false},
        {"another colour on a's corner 1", [](BrickQuad& a, BrickQuad&) { a.color[1].r = 0; },
         false},
        {"no colour on all six corners",
         [](BrickQuad& a, BrickQuad& b) {
             for (int corner = 0; corner < 3; ++corner) {
                 a.color[corner] = NO_QUAD_COLOR;
                 b.color[corner] = NO_QUAD_COLOR;
             }
         },
         true},
        {"another colour on corner 3 only", [](BrickQuad& a, BrickQuad&) { a.color[3].g = 9; },
         true},
        {"one reversed", [](BrickQuad& a, BrickQuad&) { a.reversed = true; }, false},
        {"both reversed",
         [](BrickQuad& a, BrickQuad& b) {
             a.reversed = true;
             b.reversed = true;
         },
         true},
        {"normals on both, different ones",
         [](BrickQuad& a, BrickQuad& b) {
             a.normal[0] = Vec3(0, 0, 1);
             b.normal[0] = Vec3(0, 1, 0);
         },
         true},
        {"a negative zero normal counts as none",
         [](BrickQuad& a, BrickQuad&) { a.normal[0] = Vec3(-0.0f, 0, 0); }, true},
        {"no shared corner", [](BrickQuad&, BrickQuad& b) { b.position[0] = Vec3(0, 0, 1e-7f); },
         false},
        {"three corners on a line", [](BrickQuad&, BrickQuad& b) { b.position[2] = Vec3(2, 2, 0); },
         false},
        {"b folded onto a", [](BrickQuad&, BrickQuad& b) { b.position[2] = Vec3(1, 0, 0); }, false},
        {"an infinite corner", [](BrickQuad&, BrickQuad& b) { b.position[2].y = INFINITE; }, false},
        {"a corner not a number", [](BrickQuad&, BrickQuad& b) { b.position[2].z = NOT_A_NUMBER; },
         false},
    };
    for (const auto& c : cases) {
        BrickQuad a = SQUARE_A;
        BrickQuad b = SQUARE_B;
        c.change(a, b);
        BrickQuad merged;
        EXPECT_EQ(pairTwoTriangles(a, b, merged), c.pairs) << c.what;
    }
}

TEST(FittingPairTest, MergedQuadTakesEachCornerWhole) {
    BrickQuad a = SQUARE_A;
    BrickQuad b = SQUARE_B;
    for (int corner = 0; corner < 3; ++corner) {
        a.normal[corner] = Vec3(0, 0, static_cast<float>(corner + 1));
        b.normal[corner] = Vec3(0, 0, static_cast<float>(corner + 4));
        a.uv[corner] = TexCoord{0.5f, 0.5f};
    }
    a.center = Vec3(7, 7, 7);
    BrickQuad merged;
    ASSERT_TRUE(pairTwoTriangles(a, b, merged));
    // (a, p, r, q): a's corners 1 and 2, b's corner 2, a's corner 0.
    const Vec3 positions[] = {Vec3(1, 0, 0), Vec3(1, 1, 0), Vec3(0, 1, 0), Vec3(0, 0, 0)};
    const float normals[] = {2, 3, 6, 1};
    const BrickQuad defaults;
    for (int corner = 0; corner < CORNERS_PER_QUAD; ++corner) {
        EXPECT_EQ(merged.position[corner], positions[corner]) << corner;
        EXPECT_EQ(merged.normal[corner], Vec3(0, 0, normals[corner])) << corner;
        EXPECT_EQ(merged.color[corner].b, 3);
        EXPECT_EQ(merged.uv[corner].u, defaults.uv[corner].u);
        EXPECT_EQ(merged.uv[corner].v, defaults.uv[corner].v);
    }
    EXPECT_EQ(merged.center, Vec3());
    EXPECT_FALSE(merged.reversed);
}

// Each triangle takes the first later one it pairs with; a merged quad and a
// removed triangle pair no further; the rest keep their order.
TEST(FittingPairTest, FirstPartnerTakenAndOrderKept) {
    MeshStore& store = freshStore();
    const BrickQuad other = triangle(Vec3(5, 5, 5), Vec3(6, 5, 5), Vec3(6, 6, 5));
    BrickQuad square = SQUARE_A;
    square.position[3] = Vec3(0, 1, 0);
    // Two copies of b: the first is taken, the second stays a triangle.
    const BrickQuad quads[] = {other, SQUARE_A, square, SQUARE_B, SQUARE_B};
    store.quadCount = 5;
    for (int i = 0; i < 5; ++i) {
        store.quads[i] = quads[i];
    }
    EXPECT_EQ(pairTriangles(store), 1);
    ASSERT_EQ(store.quadCount, 4);
    EXPECT_EQ(store.quads[0].position[0], Vec3(5, 5, 5));
    EXPECT_EQ(store.quads[1].position[0], Vec3(1, 0, 0));  // the merged square
    EXPECT_EQ(store.quads[2].position[3], Vec3(0, 1, 0));  // the quad
    EXPECT_EQ(store.quads[3].position[2], Vec3(0, 1, 0));  // b's second copy
    EXPECT_TRUE(sameBits(store.quads[3].position[3], UNSET));
}

TEST(FittingUpTest, StandsUpCornersNormalsAndBoxes) {
    MeshStore& store = freshStore();
    store.quadCount = 1;
    BrickQuad& quad = store.quads[0];
    quad.position[0] = Vec3(1, 2, 3);
    quad.position[1] = Vec3(1, UNSET_COORD, 3);  // partly set: stays
    quad.position[2] = Vec3(-0.0f, 0, 4);
    quad.normal[0] = Vec3(0, 0, 1);
    quad.normal[3] = Vec3(UNSET_COORD, 2, NOT_A_NUMBER);
    store.boundsMin = Vec3(-1, 0, -2);
    store.boundsMax = Vec3(1, 3, 2);
    store.brickSize = Vec3(9, 9, 9);
    store.collisionCount = 2;
    store.collisionMin[0] = Vec3(0, 1, 2);
    store.collisionMax[0] = Vec3(3, 4, 5);  // box 1 stays empty, box 2 is not in use
    store.collisionMin[2] = Vec3(0, 1, 2);
    store.collisionMax[2] = Vec3(3, 4, 5);
    standUp(store);
    EXPECT_EQ(quad.position[0], Vec3(1, -3, 2));
    EXPECT_TRUE(sameBits(quad.position[1], Vec3(1, UNSET_COORD, 3)));
    EXPECT_TRUE(sameBits(quad.position[2], Vec3(-0.0f, -4, 0)));
    EXPECT_TRUE(sameBits(quad.position[3], UNSET));
    EXPECT_TRUE(sameBits(quad.normal[0], Vec3(0, -1, 0)));
    EXPECT_TRUE(std::isnan(quad.normal[3].y));
    EXPECT_EQ(quad.normal[3].z, 2);
    EXPECT_EQ(store.boundsMin, Vec3(-1, -2, 0));
    EXPECT_EQ(store.boundsMax, Vec3(1, 2, 3));
    EXPECT_EQ(store.brickSize, Vec3(2, 4, 7.5f));
    EXPECT_EQ(store.collisionMin[0], Vec3(0, -5, 1));
    EXPECT_EQ(store.collisionMax[0], Vec3(3, -2, 4));
    EXPECT_EQ(store.collisionMin[1], Vec3(BOX_RESET_MIN, BOX_RESET_MIN, BOX_RESET_MIN));
    EXPECT_EQ(store.collisionMin[2], Vec3(0, 1, 2));

    // A size not given stays to be settled.
    MeshStore& other = freshStore();
    standUp(other);
    EXPECT_EQ(other.brickSize, Vec3());
    EXPECT_EQ(other.boundsMin, Vec3(BOX_RESET_MIN, BOX_RESET_MIN, BOX_RESET_MIN));
}

TEST(FittingScaleTest, ScalesSetCoordinatesAndBoxes) {
    MeshStore& store = freshStore();
    store.quadCount = 1;
    BrickQuad& quad = store.quads[0];
    quad.position[0] = Vec3(16, UNSET_COORD, 9.6f);
    quad.position[1] = Vec3(3e38f, -9997, NOT_A_NUMBER);
    quad.normal[0] = Vec3(0, 0, 1);
    store.boundsMin = Vec3(-8, -9999, 0);  // not empty: every corner scales
    store.boundsMax = Vec3(8, 8, 9.6f);
    store.brickSize = Vec3(16, 10007, 24);
    store.collisionCount = 1;
    scaleModel(store, 0.125f);
    EXPECT_EQ(quad.position[0], Vec3(2, UNSET_COORD, 9.6f * 0.125f));
    EXPECT_EQ(quad.position[1].x, 3e38f * 0.125f);
    EXPECT_EQ(quad.position[1].y, -9997.0f * 0.125f);
    EXPECT_TRUE(std::isnan(quad.position[1].z));
    EXPECT_TRUE(sameBits(quad.position[2], UNSET));
    EXPECT_EQ(quad.normal[0], Vec3(0, 0, 1));
    EXPECT_EQ(store.boundsMin, Vec3(-1, -1249.875f, 0));
    EXPECT_EQ(store.boundsMax, Vec3(1, 1, 1.2f));
    EXPECT_EQ(store.brickSize, Vec3(2, 1250.875f, scaleHeight(1.2f)));
    EXPECT_EQ(store.collisionMax[0], Vec3(BOX_RESET_MAX, BOX_RESET_MAX, BOX_RESET_MAX));

    scaleModel(store, 1e38f);  // beyond the floats: infinite
    EXPECT_EQ(quad.position[1].x, INFINITE);
}

TEST(FittingPlaceTest, PlacesQuadsCentresAndBoxes) {
    MeshStore& store = freshStore();
    store.quadCount = 1;
    BrickQuad& quad = store.quads[0];
    for (Vec3& position : quad.position) {
        position = Vec3(5, 5, 0);
    }
    quad.position[3] = UNSET;  // moved all the same
    quad.center = Vec3(5, 5, 0);
    store.boundsMin = Vec3(4, 4, -1);
    store.boundsMax = Vec3(8.3f, 6, 1);
    store.brickSize = Vec3(4.3f, 2, 5);
    store.collisionCount = 2;
    store.collisionMin[0] = Vec3(4, 4, -1);
    store.collisionMax[0] = Vec3(5, 5, 1);
    placeOnOrigin(store);
    // d = (-((4 + 8.3) / 2), -((4 + 6) / 2), 1), each step in 32 bits.
    const float dx = -((4.0f + 8.3f) / 2.0f);
    EXPECT_EQ(quad.position[0], Vec3(5 + dx, 0, 1));
    EXPECT_EQ(quad.position[3], Vec3(UNSET_COORD + dx, UNSET_COORD - 5, UNSET_COORD + 1));
    EXPECT_EQ(quad.center, Vec3(5 + dx, 0, 1));
    EXPECT_EQ(store.boundsMin, Vec3(4 + dx, -1, 0));
    EXPECT_EQ(store.boundsMax, Vec3(8.3f + dx, 1, 2));
    EXPECT_EQ(store.collisionMin[0], Vec3(4 + dx, -1, 0));
    EXPECT_EQ(store.collisionMin[1], Vec3(BOX_RESET_MIN, BOX_RESET_MIN, BOX_RESET_MIN));
    EXPECT_EQ(store.brickSize, Vec3(4.3f, 2, 5));
}

TEST(FittingRoundUpTest, SizeRoundedUpWithinItsTolerance) {
    const struct {
        float extent[3];  // x, y and z of the bounds box from 0
        float size[3];
    } cases[] = {
        {{4.3f, 2, 1.2f}, {5, 2, 3}},  // 1.2 * 2.5 is 3 in 32 bits
        {{2.0001f, 2.0002f, 0.4001f}, {2, 3, 2}},
        {{0, 0.5f, 0}, {1, 1, 1}},
        {{NOT_A_NUMBER, 3e38f, INFINITE}, {1, 3e38f, INFINITE}},
    };
    for (const auto& c : cases) {
        MeshStore& store = freshStore();
        store.boundsMin = Vec3(0, 0, 0);
        store.boundsMax = Vec3(c.extent[0], c.extent[1], c.extent[2]);
        roundSizeUp(store);
        const Vec3 size(c.size[0], c.size[1], c.size[2]);
        EXPECT_EQ(store.brickSize, size) << c.extent[0];
        EXPECT_EQ(store.boundsMin, Vec3(-(size.x / 2), -(size.y / 2), 0));
        EXPECT_EQ(store.boundsMax.z, static_cast<float>(size.z / 2.5));
    }
}

}  // namespace
