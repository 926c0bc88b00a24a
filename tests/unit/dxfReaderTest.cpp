// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "dxfReader.h"
#include "testSupport.h"

namespace {

ReaderRun readDxf(const std::string& text, MeshStore& store) {
    return runReader(readDxfFile, text, store);
}

// One 3DFACE entity with the given pairs after its type, and the end marker.
std::string face(const std::string& pairs) {
    return "0\n3DFACE\n" + pairs;
}

TEST(DxfValueTest, GroupCodesAgreeWithAtoiWithinRange) {
    const char* lines[] = {"0",    "  0", " 10", "+5",  "-999", "abc", "12abc",        "",
                           "\t62", "1 2", "-0",  "- 1", "0x10", "007", "  -2147483648"};
    for (const char* line : lines) {
        EXPECT_EQ(parseGroupCode(line), atoi(line)) << line;
    }
}

TEST(DxfValueTest, GroupCodesBeyond32BitsAreClamped) {
    EXPECT_EQ(parseGroupCode("99999999999"), INT32_MAX);
    EXPECT_EQ(parseGroupCode("4294967306"), INT32_MAX);  // not the handled code 10
    EXPECT_EQ(parseGroupCode("-99999999999999999999999"), INT32_MIN);
}

TEST(DxfValueTest, ValuesAreReadAsAtofThenRoundedTo32Bits) {
    // What C's atof gives (a hexadecimal value too, as C99 reads it), written
    // out: the C library of Windows reads no hexadecimal values.
    const struct {
        const char* line;
        float value;
    } cases[] = {{"1.5", 1.5f},    {"  -2.25", -2.25f},
                 {"1e3", 1000.0f}, {"0.1", static_cast<float>(0.1)},
                 {"abc", 0.0f},    {"", 0.0f},
                 {"12abc", 12.0f}, {"0x1p4", 16.0f},
                 {".5", 0.5f},     {"+7e-2", static_cast<float>(0.07)},
                 {"1e", 1.0f},     {"  3.0 4", 3.0f}};
    for (const auto& example : cases) {
        EXPECT_EQ(parseGroupValue(padded(example.line).c_str()), example.value) << example.line;
    }
    EXPECT_TRUE(std::isnan(parseGroupValue(padded("nan").c_str())));
    EXPECT_EQ(parseGroupValue(padded("inf").c_str()), HUGE_VALF);
    EXPECT_EQ(parseGroupValue(padded("1e40").c_str()), HUGE_VALF);
    EXPECT_EQ(parseGroupValue(padded("-1e400").c_str()), -HUGE_VALF);
    EXPECT_EQ(parseGroupValue(padded("1e-50").c_str()), 0.0f);
}

TEST(DxfReaderTest, FacesStoreTheirCornersInAnyOrder) {
    MeshStore& store = freshStore();
    const ReaderRun run = readDxf(face("8\nLayer\n62\n7\n13\n4\n10\n1\n20\n2\n30\n3\n"
                                       "11\n5\n21\n6\n31\n7\n12\n8\n22\n9\n32\n10\n"
                                       "23\n11\n33\n12\n10\n-1\n") +
                                      "0\nEOF\n",
                                  store);
    EXPECT_TRUE(run.completed);
    EXPECT_EQ(run.log, "Entity type 3DFACE\nGetting poly 0\nEntity type EOF\n");
    ASSERT_EQ(store.quadCount, 1);
    const BrickQuad& quad = store.quads[0];
    EXPECT_EQ(quad.position[0], Vec3(-1, 2, 3));  // the later x wins
    EXPECT_EQ(quad.position[1], Vec3(5, 6, 7));
    EXPECT_EQ(quad.position[2], Vec3(8, 9, 10));
    EXPECT_EQ(quad.position[3], Vec3(4, 11, 12));
    EXPECT_FALSE(quad.reversed);
    EXPECT_EQ(quad.normal[0], Vec3());
}

TEST(DxfReaderTest, MissingCoordinatesStayUnset) {
    MeshStore& store = freshStore();
    readDxf(face("10\n1\n20\n1\n30\n1\n11\n2\n21\n2\n31\n2\n22\n3\n32\n3\n"), store);
    EXPECT_EQ(store.quads[0].position[2], Vec3(UNSET_COORD, 3, 3));
    EXPECT_EQ(store.quads[0].position[3], Vec3(UNSET_COORD, UNSET_COORD, UNSET_COORD));
}

TEST(DxfReaderTest, OtherEntitiesAndCodesAreTracedOrIgnored) {
    MeshStore& store = freshStore();
    const ReaderRun run = readDxf(
        "0\nSECTION\n2\nENTITIES\n10\n5\n0\nLINE\n5\n2A\n100\nAcDbLine\n10\n1\n11\n2\n"
        "0\n3DFACE\n14\n1\n24\n1\n70\n15\n0\n3dface\n10\n9\n0\n3DFACE \n10\n9\n0\nENDSEC\n",
        store);
    EXPECT_EQ(run.log,
              "Entity type SECTION\nunhandled groupcode 2\nEntity type LINE\n"
              "unhandled groupcode 5\nunhandled groupcode 100\nEntity type 3DFACE\n"
              "Getting poly 0\nunhandled groupcode 14\nunhandled groupcode 24\n"
              "unhandled groupcode 70\nEntity type 3dface\nEntity type 3DFACE \n"
              "Entity type ENDSEC\n");
    EXPECT_EQ(store.quadCount, 1);
    EXPECT_EQ(store.quads[0].position[0].x, UNSET_COORD);
}

TEST(DxfReaderTest, PairingIsByPositionOnly) {
    // A code line that is not a number is code 0; -999 leaves no code pending.
    MeshStore& store = freshStore();
    ReaderRun run = readDxf("text\nSECTION\n-999\n0\n3DFACE\n10\n", store);
    EXPECT_EQ(run.log, "Entity type SECTION\nEntity type 3DFACE\nGetting poly 0\n");
    EXPECT_EQ(store.quadCount, 1);

    store = freshStore();
    run = readDxf("99999999999\nvalue\n4294967306\n5\n", store);
    EXPECT_EQ(run.log, "unhandled groupcode 2147483647\nunhandled groupcode 2147483647\n");
}

TEST(DxfReaderTest, LastLineWithoutLineFeedAndCrLfLines) {
    MeshStore& store = freshStore();
    const ReaderRun run = readDxf("  0\r\n3DFACE\r\n 10\r\n1.5\r\n  0\r\nEOF", store);
    EXPECT_EQ(run.log, "Entity type 3DFACE\nGetting poly 0\nEntity type EOF\n");
    EXPECT_EQ(store.quads[0].position[0].x, 1.5f);
}

TEST(DxfReaderTest, LongValueDoesNotShiftThePairing) {
    MeshStore& store = freshStore();
    const ReaderRun run = readDxf("1\n" + std::string(400, 'T') + "\n0\n3DFACE\n10\n2\n", store);
    EXPECT_EQ(run.log,
              "WARNING: line 2 is longer than 254 characters; the rest is ignored\n"
              "unhandled groupcode 1\nEntity type 3DFACE\nGetting poly 0\n");
    EXPECT_EQ(store.quads[0].position[0].x, 2.0f);
}

TEST(DxfReaderLimitTest, FiveHundredTwelveFacesAndNoMore) {
    std::string text;
    for (int i = 0; i < MAX_QUADS; ++i) {
        text += face("10\n1\n");
    }
    MeshStore& store = freshStore();
    ReaderRun run = readDxf(text, store);
    EXPECT_TRUE(run.completed);
    EXPECT_EQ(store.quadCount, MAX_QUADS);
    EXPECT_TRUE(endsWith(run.log, "Getting poly 511\n"));

    store = freshStore();
    run = readDxf(text + face("10\n1\n"), store);
    EXPECT_FALSE(run.completed);
    EXPECT_TRUE(endsWith(run.log, "Entity type 3DFACE\nGetting poly 512\nERROR: > 512 quads\n"));
    EXPECT_EQ(store.quadCount, MAX_QUADS);
}

}  // namespace
