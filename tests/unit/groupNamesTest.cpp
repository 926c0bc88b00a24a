// SPDX-License-Identifier: MIT
// The naming conventions of OBJ groups and materials and DXF layers, and the
// brick size a BOUNDS box gives.
#include <gtest/gtest.h>

#include <tuple>

#include "groupNames.h"
#include "testSupport.h"

namespace {

TEST(GroupNamesTest, PrefixDecidesKindAndColour) {
    const struct {
        const char* name;
        GroupKind kind;
        QuadColor color;
    } cases[] = {
        {"COLOR_255_128_0_200", GroupKind::Color, {255, 128, 0, 200}},
        {"COLOR_255_128_0", GroupKind::Color, {255, 128, 0, 255}},
        {"COLOR_255_128_0_7_junk", GroupKind::Color, {255, 128, 0, 7}},
        {"COLOR_255_128", GroupKind::Color, NO_QUAD_COLOR},
        {"COLOR_red", GroupKind::Color, NO_QUAD_COLOR},
        {"SUBCOLOR_10_20_30", GroupKind::Color, {-10, -20, -30, -255}},
        {"SUBCOLOR_-2147483648_0_0", GroupKind::Color, {-2147483647 - 1, 0, 0, -255}},
        {"ADDCOLOR_10_20_30", GroupKind::Color, {10, 20, 30, -255}},
        {"ADDCOLOR_10_20", GroupKind::Color, NO_QUAD_COLOR},
        {"BOUNDS_box", GroupKind::Bounds, NO_QUAD_COLOR},
        {"COLLISION.001", GroupKind::Collision, NO_QUAD_COLOR},
        {"Collision", GroupKind::Plain, NO_QUAD_COLOR},
        {"bounds", GroupKind::Plain, NO_QUAD_COLOR},
        {"Cube", GroupKind::Plain, NO_QUAD_COLOR},
    };
    const auto rgba = [](QuadColor c) { return std::make_tuple(c.r, c.g, c.b, c.a); };
    for (const auto& c : cases) {
        const GroupName group = readGroupName(c.name);
        EXPECT_EQ(group.kind, c.kind) << c.name;
        EXPECT_EQ(rgba(group.color), rgba(c.color)) << c.name;
    }
}

// The declared size follows a BOUNDS box that a corner widened, and only then;
// a box of one point declares nothing (its size is 0).
TEST(GroupNamesTest, DeclaredSizeNeedsAWidenedBox) {
    MeshStore& store = freshStore();
    settleDeclaredSize(store);
    EXPECT_EQ(store.brickSize, Vec3());
    widenBox(store.boundsMin, store.boundsMax, Vec3(-1, -2, 0));
    widenBox(store.boundsMin, store.boundsMax, Vec3(1, 2, 1.2f));
    settleDeclaredSize(store);
    EXPECT_EQ(store.brickSize, Vec3(2, 4, 3));
    EXPECT_FALSE(hasNothingToConvert(store));
    MeshStore& point = freshStore();
    widenBox(point.boundsMin, point.boundsMax, Vec3(5, 5, 5));
    settleDeclaredSize(point);
    EXPECT_EQ(point.brickSize, Vec3());
    EXPECT_TRUE(hasNothingToConvert(point));
}

}  // namespace
