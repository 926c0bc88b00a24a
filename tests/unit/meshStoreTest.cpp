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

    // 3 and 4 times the float nearest 1/5 round to the floats nearest 0.6 and 0.8.
    Vec3 slanted(3.0f, 4.0f, 0.0f);
    slanted.normalize();
    expectVec3(slanted, 0.6f, 0.8f, 0.0f);
}

// Any other vector comes out at unit length, parallel to the original and along it.
TEST(Vec3Test, NormalizeKeepsTheDirectionAtUnitLength) {
    for (const Vec3& original :
         {Vec3(1, 1, 1), Vec3(-2.5f, 0.001f, 7), Vec3(1e15f, -3e15f, 2e15f), Vec3(0, -1e-10f, 0)}) {
        Vec3 unit = original;
        unit.normalize();
        const Vec3 across = unit.cross(original);
        const float size = std::fabs(original.x) + std::fabs(original.y) + std::fabs(original.z);
        EXPECT_NEAR(std::hypot(unit.x, unit.y, unit.z), 1.0f, 1e-6f) << original.x;
        EXPECT_LE(std::fabs(across.x) + std::fabs(across.y) + std::fabs(across.z), 1e-6f * size);
        EXPECT_GE(unit.x * original.x + unit.y * original.y + unit.z * original.z, 0.0f);
    }
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
    // 4096^2 + 1 = 16777217 is not a float: in 32 bits it is 2^24, the length
    // exactly 4096, and the vector (1, 2^-12); in 64 bits neither would be exact.
    Vec3 v(4096.0f, 1.0f, 0.0f);
    v.normalize();
    expectVec3(v, 1.0f, 0x1p-12f, 0.0f);
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
