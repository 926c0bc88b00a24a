// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "brickWriter.h"
#include "platformFiles.h"
#include "testSupport.h"

namespace {

// The store of the documented example: one box, one reversed coloured quad.
MeshStore& exampleStore() {
    MeshStore& store = freshStore();
    store.brickSize = Vec3(1, 1, 5);
    store.collisionCount = 1;
    store.collisionMin[0] = Vec3(-0.5f, -0.5f, 0);
    store.collisionMax[0] = Vec3(0.5f, 0.5f, 5);
    store.quadCount = 1;
    BrickQuad& quad = store.quads[0];
    quad.reversed = true;
    quad.position[0] = Vec3(-0.5f, -0.5f, 2);
    quad.position[1] = Vec3(0.5f, -0.5f, 2);
    quad.position[2] = Vec3(0.5f, 0.5f, 2);
    quad.position[3] = Vec3(-0.5f, 0.5f, 2);
    for (int corner = 0; corner < CORNERS_PER_QUAD; ++corner) {
        quad.normal[corner] = Vec3(0, 0, 1);
        quad.color[corner] = QuadColor{255, 128, 0, 255};
    }
    return store;
}

std::string brickText(const MeshStore& store) {
    FILE* out = temporaryStream();
    writeBrickText(out, store);
    return takeText(out);
}

std::vector<std::string> brickLines(const MeshStore& store) {
    const std::string text = brickText(store);
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end = text.find("\r\n"); end != std::string::npos;
         start = end + 2, end = text.find("\r\n", start)) {
        lines.push_back(text.substr(start, end - start));
    }
    EXPECT_EQ(start, text.size()) << "text after the last CR LF";
    return lines;
}

// The index-th line after the first line that equals title; "" without one.
std::string sectionLine(const std::vector<std::string>& lines, const std::string& title,
                        size_t index) {
    const auto found = std::find(lines.begin(), lines.end(), title);
    return static_cast<size_t>(lines.end() - found) > index + 1 ? found[index + 1] : "";
}

TEST(BrickWriterTest, DocumentedExampleByteForByte) {
    EXPECT_EQ(brickText(exampleStore()), fileText(dataPath("writer/fiftyLineExample.tkm")));
}

TEST(BrickWriterTest, WithoutQuadsTheFileEndsWithTheCountLine) {
    MeshStore& store = exampleStore();
    store.quadCount = 0;
    const std::string example = fileText(dataPath("writer/fiftyLineExample.tkm"));
    size_t cut = 0;
    for (int line = 0; line < 27; ++line) {
        cut = example.find("\r\n", cut) + 2;
    }
    EXPECT_EQ(brickText(store), example.substr(0, cut) + "0\r\n");
}

TEST(BrickWriterTest, WithoutBoxesCoverageFollowsTheCount) {
    MeshStore& store = exampleStore();
    store.collisionCount = 0;
    const std::vector<std::string> lines = brickLines(store);
    EXPECT_EQ(lines[3], "0");
    EXPECT_EQ(lines[4], "COVERAGE: //TBNESW ");
}

TEST(BrickWriterTest, CornerOrderGovernsPositionsAndNormalsOnly) {
    MeshStore& store = exampleStore();
    BrickQuad& quad = store.quads[0];
    for (int corner = 0; corner < CORNERS_PER_QUAD; ++corner) {
        quad.normal[corner] = Vec3(static_cast<float>(corner), 0, 1);
        quad.color[corner] = QuadColor{corner * 51, 0, 0, 255};
    }
    std::vector<std::string> lines = brickLines(store);
    EXPECT_EQ(sectionLine(lines, "POSITION:", 0), "-0.500000 0.500000 2.500000");  // corner 3 first
    EXPECT_EQ(sectionLine(lines, "UV COORDS:", 0), "0.200000 0.200000");  // uv of corner 0 first
    EXPECT_EQ(sectionLine(lines, "COLORS:", 0), "0.000000 0.000000 0.000000 1.000000");  // corner 0
    EXPECT_EQ(sectionLine(lines, "NORMALS:", 0), "3.000000 0.000000 1.000000");  // corner 3 first
    EXPECT_EQ(sectionLine(lines, "NORMALS:", 3), "0.000000 0.000000 1.000000");

    quad.reversed = false;
    lines = brickLines(store);
    EXPECT_EQ(sectionLine(lines, "POSITION:", 0), "-0.500000 -0.500000 2.500000");
    EXPECT_EQ(sectionLine(lines, "UV COORDS:", 0), "0.200000 0.200000");
    EXPECT_EQ(sectionLine(lines, "COLORS:", 0), "0.000000 0.000000 0.000000 1.000000");
    EXPECT_EQ(sectionLine(lines, "NORMALS:", 0), "0.000000 0.000000 1.000000");
}

TEST(BrickWriterTest, OnlyRedOfCornerZeroDecidesTheColourSection) {
    MeshStore& store = exampleStore();
    BrickQuad& quad = store.quads[0];
    quad.color[0] = QuadColor{-1, -1, -1, -1};
    std::vector<std::string> lines = brickLines(store);
    ASSERT_EQ(lines.size(), 28u + 17u);
    EXPECT_EQ(sectionLine(lines, "COLORS:", 0), "");  // no colour section at all
    EXPECT_EQ(sectionLine(lines, "UV COORDS:", 3), "0.800000 0.200000");
    EXPECT_EQ(sectionLine(lines, "UV COORDS:", 4), "NORMALS:");

    quad.color[0] = QuadColor{-1, 0, 0, 255};
    EXPECT_EQ(brickLines(store).size(), 28u + 17u);

    quad.color[0] = QuadColor{255, 0, 0, 255};
    quad.color[2] = QuadColor{-1, -1, -1, -1};
    quad.color[3] = QuadColor{-255, 510, 0, -255};
    lines = brickLines(store);
    ASSERT_EQ(lines.size(), 28u + 22u);
    EXPECT_EQ(sectionLine(lines, "COLORS:", 2), "-0.003922 -0.003922 -0.003922 -0.003922");
    EXPECT_EQ(sectionLine(lines, "COLORS:", 3), "-1.000000 2.000000 0.000000 -1.000000");
}

// The four lines after the occurrence-th line that equals title.
std::vector<std::string> linesAfter(const std::vector<std::string>& lines, const std::string& title,
                                    int occurrence) {
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i] == title && occurrence-- == 0 && i + 4 < lines.size()) {
            return std::vector<std::string>(lines.begin() + i + 1, lines.begin() + i + 5);
        }
    }
    return {};
}

// Colour, normal and texture lines that repeat are copied from the last one
// of their kind; any change of a value shows.
TEST(BrickWriterTest, RepeatedLinesFollowTheirValues) {
    MeshStore& store = exampleStore();
    store.quadCount = 3;
    store.quads[1] = store.quads[0];
    store.quads[2] = store.quads[0];
    store.quads[1].color[2] = QuadColor{0, 255, 0, 255};
    store.quads[1].normal[1] = Vec3(0, 1, 0);
    store.quads[2].uv[1] = TexCoord{0.5f, 0.25f};
    const std::vector<std::string> lines = brickLines(store);
    const std::string red = "1.000000 0.501961 0.000000 1.000000";
    const std::string green = "0.000000 1.000000 0.000000 1.000000";
    using Lines = std::vector<std::string>;
    EXPECT_EQ(linesAfter(lines, "COLORS:", 0), (Lines{red, red, red, red}));
    EXPECT_EQ(linesAfter(lines, "COLORS:", 1), (Lines{red, red, green, red}));
    EXPECT_EQ(linesAfter(lines, "COLORS:", 2), (Lines{red, red, red, red}));
    const std::string up = "0.000000 0.000000 1.000000";
    EXPECT_EQ(linesAfter(lines, "NORMALS:", 1), (Lines{up, up, "0.000000 1.000000 0.000000", up}));
    EXPECT_EQ(linesAfter(lines, "NORMALS:", 2), (Lines{up, up, up, up}));
    EXPECT_EQ(linesAfter(lines, "UV COORDS:", 2),
              (Lines{"0.200000 0.200000", "0.500000 0.250000", "0.800000 0.800000",
                     "0.800000 0.200000"}));
}

TEST(BrickWriterTest, SizeLineTruncatesAndSaturates) {
    MeshStore& store = exampleStore();
    store.brickSize = Vec3(2.9999998f, 0.5f, -2.7f);
    EXPECT_EQ(brickLines(store)[0], "2 0 -2");
    store.brickSize = Vec3(3e9f, -3e9f, NAN);
    EXPECT_EQ(brickLines(store)[0], "2147483647 -2147483648 0");
    store.brickSize = Vec3(HUGE_VALF, -HUGE_VALF, -2147483648.0f);
    EXPECT_EQ(brickLines(store)[0], "2147483647 -2147483648 -2147483648");
    EXPECT_EQ(truncateToInt32(2147483520.0f), 2147483520);
}

TEST(BrickWriterTest, HeightsAreScaledAndMovedDownByHalfTheBrick) {
    MeshStore& store = exampleStore();
    BrickQuad& quad = store.quads[0];
    quad.position[3] = Vec3(UNSET_COORD, UNSET_COORD, UNSET_COORD);
    quad.normal[3] = Vec3(-0.0f, 0, 1);
    std::vector<std::string> lines = brickLines(store);
    EXPECT_EQ(sectionLine(lines, "POSITION:", 0), "-9999.000000 -9999.000000 -25000.000000");
    EXPECT_EQ(sectionLine(lines, "NORMALS:", 0), "0.000000 0.000000 1.000000");

    store.brickSize.z = 0;
    quad.position[3].z = -0.0000004f / 2.5f;
    lines = brickLines(store);
    EXPECT_EQ(lines[5], "0.000000 0.000000 2.500000");  // box centre not shifted
    EXPECT_EQ(sectionLine(lines, "POSITION:", 0), "-9999.000000 -9999.000000 -0.000000");
    EXPECT_EQ(sectionLine(lines, "POSITION:", 1), "0.500000 0.500000 5.000000");
}

TEST(BrickWriterTest, ReplacesAnExistingFileCompletely) {
    const std::string folder = makeTemporaryFolder();
    ASSERT_NE(folder, "");
    const std::string path = folder + "/out.tkm";
    FILE* old = fopen(path.c_str(), "wb");
    fputs(std::string(20000, 'x').c_str(), old);
    fclose(old);
    const MeshStore& store = exampleStore();
    FILE* log = temporaryStream();
    EXPECT_TRUE(writeBrickFile(path.c_str(), store, traceReport(log)));
    EXPECT_EQ(takeText(log), "");
    EXPECT_EQ(fileText(path), fileText(dataPath("writer/fiftyLineExample.tkm")));
    remove(path.c_str());
    removeFolder(folder);
}

TEST(BrickWriterTest, FolderNamedLikeTheBrickIsNotOpened) {
    const std::string folder = makeTemporaryFolder();
    ASSERT_NE(folder, "");
    const MeshStore& store = exampleStore();
    FILE* log = temporaryStream();
    EXPECT_FALSE(writeBrickFile(folder.c_str(), store, traceReport(log)));
    EXPECT_EQ(takeText(log), "ERROR: failed to open " + folder);
    removeFolder(folder);
}

// Not on Windows, which has no full device: the failed write is an end-to-end
// scenario there (replace.failedWriteKeepsOldBrick under Wine).
#ifndef _WIN32
TEST(BrickWriterTest, FullDeviceIsReportedAndItsLinkKept) {
    // A full disk: every write to /dev/full fails.
    struct stat device;
    if (stat("/dev/full", &device) != 0 || !S_ISCHR(device.st_mode)) {
        GTEST_SKIP() << "no /dev/full on this machine";
    }
    const std::string folder = makeTemporaryFolder();
    ASSERT_NE(folder, "");
    const std::string link = folder + "/full.tkm";
    ASSERT_EQ(symlink("/dev/full", link.c_str()), 0);
    const MeshStore& store = exampleStore();
    FILE* log = temporaryStream();
    EXPECT_FALSE(writeBrickFile(link.c_str(), store, traceReport(log)));
    EXPECT_EQ(takeText(log), "ERROR: failed to write " + link + "\n");
    struct stat linkInfo;
    EXPECT_EQ(lstat(link.c_str(), &linkInfo), 0) << "the link is kept";
    EXPECT_TRUE(S_ISLNK(linkInfo.st_mode));
    EXPECT_EQ(stat("/dev/full", &device), 0);
    EXPECT_TRUE(S_ISCHR(device.st_mode)) << "a device is written, never replaced";
    remove(link.c_str());
    removeFolder(folder);
}
#endif

// The temporary's name does not grow with the brick's: a path of 4,095
// characters, as long as the system takes, is still replaced whole.
TEST(BrickWriterTest, LongestPathIsReplacedWhole) {
    const LongestPath longest = makeLongestPath('b', ".tkm");
    const std::string& path = longest.path;
    ASSERT_EQ(path.size(), LONGEST_TEST_PATH);
    FILE* old = openFile(path.c_str(), "wb");
    ASSERT_NE(old, nullptr);
    fclose(old);
#ifndef _WIN32
    struct stat before;
    ASSERT_EQ(stat(path.c_str(), &before), 0);
#endif
    const MeshStore& store = exampleStore();
    FILE* log = temporaryStream();
    EXPECT_TRUE(writeBrickFile(path.c_str(), store, traceReport(log)));
    EXPECT_EQ(takeText(log), "");
    EXPECT_EQ(fileText(path), fileText(dataPath("writer/fiftyLineExample.tkm")));
#ifndef _WIN32
    struct stat after;
    ASSERT_EQ(stat(path.c_str(), &after), 0);
    EXPECT_NE(before.st_ino, after.st_ino) << "written in place, not replaced";
#endif
    EXPECT_TRUE(removeFile(path.c_str()));
    EXPECT_TRUE(removeLongestPath(longest)) << "a temporary was left";
}

}  // namespace
