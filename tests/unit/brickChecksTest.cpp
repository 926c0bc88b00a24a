// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "brickChecks.h"
#include "testSupport.h"

namespace {

TEST(BrickChecksTest, ShortRealNeverMakesAPartReadWhole) {
    const float infinity = std::numeric_limits<float>::infinity();
    const struct {
        float value;
        const char* text;
    } cases[] = {
        {-0.0f, "0"},
        {std::nextafter(1.0f, 2.0f), "1.000000119"},  // six decimals would say 1
        {-1e-9f, "-0.000000001"},
        {1e-7f, "0.0000001"},
        {std::nextafter(8388608.0f, 0.0f), "8388607.5"},  // the last float with a fraction
        {infinity, "inf"},
        {-infinity, "-inf"},
    };
    for (const auto& c : cases) {
        char text[SHORT_REAL_CAPACITY];
        EXPECT_EQ(shortReal(c.value, text), strlen(c.text)) << c.text;
        EXPECT_STREQ(text, c.text);
    }
}

// Each check at the edges of its tolerance, for a brick set by hand: which
// checks fire, and the figures they are decided on. (Their words are pinned
// by the end-to-end case quietModels.)
TEST(BrickChecksTest, WarningsAtTheirTolerances) {
    const struct {
        float box[9];  // the size, the lowest corner, the highest corner
        int32_t degenerate;
        const char* codes;
        float offset[3];
        bool yUpExporter = false;
    } cases[] = {
        {{0.9f, 0.9f, 0.75f, -0.45f, -0.45f, 0, 0.45f, 0.45f, 0.3f}, 0, "size-cut ", {0, 0, 0}},
        {{2.00009f, 3.9999f, -0.00009f, -1.00005f, -1, -0.00009f, 1.0001f, 1, 1},
         0,
         "size-cut ",
         {0.000025f, 0, -0.00009f}},
        {{3.9999998f, 2, 5, 0, -1, 0.0002f, 3.9999998f, 1, 2},
         0,
         "size-cut off-origin ",
         {1.9999999f, 0, 0.0002f}},
        {{2, 2, 5, -1, -0.9996f, 0, 1, 1, 2}, 1, "off-origin dropped-quads ", {0, 0.0002f, 0}},
        {{2, 2, 5, -1, -0.9999f, 0.0001f, 1, 1, 2}, 0, "", {0, 0.00005f, 0.0001f}},
        {{std::nanf(""), 2, 5, -1, -1, 0, 1, 1, 2}, 2, "size-cut dropped-quads ", {0, 0, 0}},
        // Written by Blender 2.8 or later (the last column): lowest on y = 0, not z = 0.
        {{2, 2, 5, -1, -0.00009f, -1, 1, 1, 1}, 0, "y-up off-origin ", {0, 0.499955f, -1}, true},
        {{2, 2, 5, -1, 0, -0.0001f, 1, 1, 1}, 0, "off-origin ", {0, 0.5f, -0.0001f}, true},
        {{2, 2, 5, -1, 0.0002f, -1, 1, 1, 1}, 0, "off-origin ", {0, 0.5001f, -1}, true},
        {{2, 2, 5, -1, 0, -1, 1, 1, 1}, 0, "off-origin ", {0, 0.5f, -1}},
    };
    MeshStore& store = freshStore();
    for (const auto& c : cases) {
        store.yUpExporter = c.yUpExporter;
        store.brickSize = Vec3(c.box[0], c.box[1], c.box[2]);
        store.boundsMin = Vec3(c.box[3], c.box[4], c.box[5]);
        store.boundsMax = Vec3(c.box[6], c.box[7], c.box[8]);
        Report& report = traceReport(nullptr);
        checkBrick(report, store, c.degenerate);
        std::string codes;
        forEachMessage(report, [&codes](const Message& message) {
            EXPECT_EQ(message.severity, Severity::Warning);
            EXPECT_FALSE(message.traced) << "the trace stays as it was";
            codes += std::string(message.code) + " ";
        });
        EXPECT_EQ(codes, c.codes) << c.box[0];
        const BrickFacts facts = brickFacts(store);
        for (int axis = 0; axis < 3; ++axis) {
            EXPECT_NEAR(facts.offset[axis], c.offset[axis], 1e-7) << c.codes << axis;
        }
    }
}

}  // namespace
