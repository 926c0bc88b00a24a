// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

#include "meshStore.h"
#include "testSupport.h"

namespace {

void expectVec3(const Vec3& actual, float x, float y, float z) {
    EXPECT_EQ(actual.x, x);
    EXPECT_EQ(actual.y, y);
    EXPECT_EQ(actual.z, z);
}

TEST(BrickQuadTest, ConstructionLeavesEveryCornerUnset) {
    const BrickQuad quad;
    for (int corner = 0; corner < CORNERS_PER_QUAD; ++corner) {
        expectVec3(quad.position[corner], -9999.0f, -9999.0f, -9999.0f);
        expectVec3(quad.normal[corner], 0.0f, 0.0f, 0.0f);
        EXPECT_EQ(quad.color[corner].r, -1);
        EXPECT_EQ(quad.color[corner].g, -1);
        EXPECT_EQ(quad.color[corner].b, -1);
        EXPECT_EQ(quad.color[corner].a, -1);
    }
    const float expectedUv[4][2] = {{0.2f, 0.2f}, {0.2f, 0.8f}, {0.8f, 0.8f}, {0.8f, 0.2f}};
    for (int corner = 0; corner < CORNERS_PER_QUAD; ++corner) {
        EXPECT_EQ(quad.uv[corner].u, expectedUv[corner][0]);
        EXPECT_EQ(quad.uv[corner].v, expectedUv[corner][1]);
    }
    expectVec3(quad.center, 0.0f, 0.0f, 0.0f);
    EXPECT_FALSE(quad.reversed);
}

TEST(Vec3Test, NormalizeScalesByOneSharedReciprocal) {
    Vec3 zero;
    zero.normalize();
    expectVec3(zero, 0.0f, 0.0f, 1.0f);

    Vec3 down(0.0f, 0.0f, -2.0f);
    down.normalize();
    expectVec3(down, 0.0f, 0.0f, -1.0f);

    Vec3 slanted(3.0f, 4.0f, 0.0f);
    slanted.normalize();
    const float inverse = static_cast<float>(1.0 / std::sqrt(25.0));
    expectVec3(slanted, 3.0f * inverse, 4.0f * inverse, 0.0f);
    EXPECT_FLOAT_EQ(slanted.x, 0.6f);
    EXPECT_FLOAT_EQ(slanted.y, 0.8f);
}

TEST(Vec3Test, NormalizeHasNoToleranceForTinyVectors) {
    // The squared length underflows to zero in 32 bits: the vector becomes up.
    Vec3 vanishing(1e-30f, 0.0f, 0.0f);
    vanishing.normalize();
    expectVec3(vanishing, 0.0f, 0.0f, 1.0f);

    // A squared length that is still positive is scaled, however small.
    Vec3 tiny(1e-20f, 0.0f, 0.0f);
    tiny.normalize();
    EXPECT_NEAR(tiny.x, 1.0f, 1e-5f);  // the squared length is subnormal
}

TEST(Vec3Test, NormalizeRoundsTheSquaredLengthTo32Bits) {
    // 16777217 is not a float: 4096.0001^2 + 1 rounds differently in 64 bits.
    Vec3 v(4096.0f, 1.0f, 0.0f);
    v.normalize();
    const float xx = 4096.0f * 4096.0f;
    const float sum = xx + 1.0f;  // 16777216 in 32 bits
    const float inverse = static_cast<float>(1.0 / std::sqrt(static_cast<double>(sum)));
    EXPECT_EQ(v.x, 4096.0f * inverse);
    EXPECT_EQ(v.y, 1.0f * inverse);
}

TEST(Vec3Test, CrossFollowsTheRightHandRule) {
    const Vec3 xAxis(1.0f, 0.0f, 0.0f);
    const Vec3 yAxis(0.0f, 1.0f, 0.0f);
    expectVec3(xAxis.cross(yAxis), 0.0f, 0.0f, 1.0f);
    expectVec3(yAxis.cross(xAxis), 0.0f, 0.0f, -1.0f);
}

TEST(Vec3Test, EqualityComparesFloatsExactly) {
    EXPECT_TRUE(Vec3(1, 2, 3) == Vec3(1, 2, 3));
    EXPECT_FALSE(Vec3(1, 2, 3) != Vec3(1, 2, 3));
    EXPECT_TRUE(Vec3(-0.0f, 0.0f, 0.0f) == Vec3());
    const Vec3 withNan(NAN, 0.0f, 0.0f);
    EXPECT_FALSE(withNan == withNan);
    EXPECT_TRUE(withNan != withNan);
    expectVec3(Vec3(1, 2, 3) + Vec3(0.5f, -2, 4), 1.5f, 0.0f, 7.0f);
}

TEST(MeshStoreTest, DriverResetLeavesBoxesUnsetAndCountsAtZero) {
    MeshStore& store = freshStore();
    EXPECT_EQ(store.quadCount, 0);
    EXPECT_EQ(store.vertexCount, 0);
    EXPECT_EQ(store.normalCount, 0);
    EXPECT_EQ(store.collisionCount, 0);
    expectVec3(store.brickSize, 0, 0, 0);
    expectVec3(store.boundsMin, 9999, 9999, 9999);
    expectVec3(store.boundsMax, -9999, -9999, -9999);
    for (int box = 0; box < MAX_COLLISION_BOXES; ++box) {
        expectVec3(store.collisionMin[box], 9999, 9999, 9999);
        expectVec3(store.collisionMax[box], -9999, -9999, -9999);
    }
}

TEST(MeshStoreTest, WidenBoxIsStrictAndIgnoresNan) {
    Vec3 low(0, 0, 0);
    Vec3 high(1, 1, 1);
    widenBox(low, high, Vec3(NAN, -1, 2));
    expectVec3(low, 0, -1, 0);
    expectVec3(high, 1, 1, 2);
}

TEST(MeshStoreTest, ToFloat32RoundsToNearestWithoutOverflowing) {
    EXPECT_EQ(toFloat32(0.1), 0.1f);
    EXPECT_EQ(toFloat32(1e300), HUGE_VALF);
    EXPECT_EQ(toFloat32(-1e300), -HUGE_VALF);
    EXPECT_EQ(toFloat32(static_cast<double>(FLT_MAX) * (1 + 1e-9)), FLT_MAX);
    EXPECT_EQ(toFloat32(0x1.ffffffp+127), HUGE_VALF);  // the tie goes to even
    EXPECT_TRUE(std::isnan(toFloat32(NAN)));
    EXPECT_EQ(scaleHeight(FLT_MAX), HUGE_VALF);
    EXPECT_EQ(scaleHeight(12.0f), 30.0f);
}

}  // namespace
