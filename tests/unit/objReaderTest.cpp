// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>

#include "objReader.h"
#include "testSupport.h"

namespace {

const char* const TRIANGLE_VERTICES = "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 1\n";

ReaderRun readObj(const std::string& text, MeshStore& store) {
    return runReader(readObjFile, text, store);
}

void expectColor(const QuadColor& color, int32_t r, int32_t g, int32_t b, int32_t a) {
    EXPECT_EQ(color.r, r);
    EXPECT_EQ(color.g, g);
    EXPECT_EQ(color.b, b);
    EXPECT_EQ(color.a, a);
}

void expectUnset(const Vec3& position) {
    EXPECT_EQ(position, Vec3(UNSET_COORD, UNSET_COORD, UNSET_COORD));
}

// The colour that a group line gives the face after it.
QuadColor colorAfterGroup(const std::string& groupLine) {
    MeshStore& store = freshStore();
    readObj(std::string(TRIANGLE_VERTICES) + groupLine + "\nf 1//1 2//1 3//1\n", store);
    EXPECT_EQ(store.quadCount, 1) << groupLine;
    return store.quads[0].color[0];
}

TEST(ObjReaderColorTest, GroupNamesGiveTheirColours) {
    expectColor(colorAfterGroup("g COLOR_255_128_0_200"), 255, 128, 0, 200);
    expectColor(colorAfterGroup("g COLOR_255_128_0"), 255, 128, 0, 255);
    expectColor(colorAfterGroup("g COLOR_255_128_0_200_7 trailing"), 255, 128, 0, 200);
    expectColor(colorAfterGroup("g COLOR_255_128"), -1, -1, -1, -1);
    expectColor(colorAfterGroup("g COLOR_red"), -1, -1, -1, -1);
    expectColor(colorAfterGroup("g COLOR_ 1_2_3"), 1, 2, 3, 255);  // a number skips blanks
    expectColor(colorAfterGroup("g COLOR_1 _2_3"), -1, -1, -1, -1);
    expectColor(colorAfterGroup("g SUBCOLOR_10_20_30"), -10, -20, -30, -255);
    expectColor(colorAfterGroup("g ADDCOLOR_10_20_30"), 10, 20, 30, -255);
    expectColor(colorAfterGroup("g ADDCOLOR_10_20"), -1, -1, -1, -1);
    expectColor(colorAfterGroup("g SUBCOLOR_-2147483648_2147483647_0"), INT32_MIN, -INT32_MAX, 0,
                -255);
    expectColor(colorAfterGroup("g COLOR_99999999999_-99999999999_0"), INT32_MAX, INT32_MIN, 0,
                255);
    expectColor(colorAfterGroup("o SUBCOLOR_10_20_30.001"), -10, -20, -30, -255);
}

TEST(ObjReaderColorTest, GroupAndObjectLinesEndTheColour) {
    expectColor(colorAfterGroup("g COLOR_1_2_3\no part2"), -1, -1, -1, -1);
    expectColor(colorAfterGroup("g COLOR_1_2_3\ng other"), -1, -1, -1, -1);
    expectColor(colorAfterGroup("g COLOR_1_2_3\ng"), 1, 2, 3, 255);  // not a group line
    expectColor(colorAfterGroup("g COLOR_1_2_3\n g other"), 1, 2, 3, 255);
    expectColor(colorAfterGroup("g COLOR_1_2_3\ng\tother"), 1, 2, 3, 255);
    expectColor(colorAfterGroup("g color_1_2_3"), -1, -1, -1, -1);
}

TEST(ObjReaderColorTest, MaterialNamesColourWhereTheGroupGivesNoColour) {
    expectColor(colorAfterGroup("usemtl COLOR_255_128_0_200"), 255, 128, 0, 200);
    expectColor(colorAfterGroup("usemtl COLOR_1_2_3\ng COLOR_-1_-1_-1"), -1, -1, -1, 255);
    expectColor(colorAfterGroup("usemtl COLOR_1_2_3\ng COLOR_-1_-1_-1_-1"), 1, 2, 3, 255);
    expectColor(colorAfterGroup("g COLOR_4_5_6\nusemtl COLOR_1_2_3\ng other"), 1, 2, 3, 255);
    expectColor(colorAfterGroup("usemtl COLOR_1_2_3\n\tusemtl other"), 1, 2, 3, 255);
    // Any other name ends the material colour; COLLISION is a name too.
    expectColor(colorAfterGroup("usemtl COLOR_1_2_3\nusemtl COLLISION"), -1, -1, -1, -1);
    expectColor(colorAfterGroup("usemtl  COLOR_1_2_3"), -1, -1, -1, -1);
}

TEST(ObjReaderFaceTest, TriangleLeavesCornerThreeUnsetAndIsReversed) {
    MeshStore& store = freshStore();
    const ReaderRun run = readObj(
        std::string(TRIANGLE_VERTICES) + "vn 0 0 1\nvn 0 1 0\nvn 1 0 0\nf 1//1 2//2 3//3\n", store);
    EXPECT_TRUE(run.completed);
    ASSERT_EQ(store.quadCount, 1);
    const BrickQuad& quad = store.quads[0];
    EXPECT_EQ(quad.position[1], Vec3(1, 0, 0));
    EXPECT_EQ(quad.position[2], Vec3(0, 1, 0));
    EXPECT_EQ(quad.normal[0], Vec3(0, 0, 1));
    EXPECT_EQ(quad.normal[2], Vec3(1, 0, 0));
    expectUnset(quad.position[3]);
    EXPECT_TRUE(quad.reversed);
    EXPECT_EQ(run.log,
              "line 1\nline 2\nline 3\nline 4\nline 5\nline 6\nline 7\nline 8\n"
              "got 4 verts 3 normals 1 quads\n");
}

// Vertex k at (k, 0, 0) and normal k at (0, 0, k), k = 1 to 8: a stored
// corner reads back as "V/N", with N 0 for the normal (0, 0, 0).
std::string numberedTables() {
    std::string text;
    for (int k = 1; k <= 8; ++k) {
        text += "v " + std::to_string(k) + " 0 0\nvn 0 0 " + std::to_string(k) + "\n";
    }
    return text;
}

// The quads of a run: corners as "V/N" or "-" when unset, quads joined by " | ".
std::string describeQuads(const MeshStore& store) {
    std::string text;
    for (int q = 0; q < store.quadCount; ++q) {
        const BrickQuad& quad = store.quads[q];
        EXPECT_TRUE(quad.reversed);
        for (int corner = 0; corner < CORNERS_PER_QUAD; ++corner) {
            text += corner > 0 ? " " : q > 0 ? " | " : "";
            text += quad.position[corner].x <= UNSET_THRESHOLD
                        ? "-"
                        : std::to_string(static_cast<int>(quad.position[corner].x)) + "/" +
                              std::to_string(static_cast<int>(quad.normal[corner].z));
        }
    }
    return text;
}

// The errors of a log, in order, each by one word; each names line 17, the face.
std::string describeErrors(const std::string& log) {
    static const char* const KINDS[][2] = {{"ERROR: failed to read face", "fail"},
                                           {"ERROR: index < 0", "negative"},
                                           {"ERROR: index out of range", "range"}};
    std::string text;
    for (size_t at = log.find("ERROR"); at != std::string::npos; at = log.find("ERROR", at + 1)) {
        for (const auto& kind : KINDS) {
            const std::string error = std::string(kind[0]) + " on line 17\n";
            if (log.compare(at, error.size(), error) == 0) {
                text += (text.empty() ? "" : " ") + std::string(kind[1]);
            }
        }
    }
    return text;
}

struct FaceRow {
    const char* face;
    const char* errors;
    const char* quads;
};

// Each row is a face line after eight vertices and eight normals.
const FaceRow FACE_ROWS[] = {
    // Words: runs of anything but blank, tab and carriage return; each a place.
    {"f 1//1 2//2", "", "1/1 2/2 - -"},
    {"f \t\r ", "", "- - - -"},
    {"f 9//9 1//1 2//2", "", "0/0 1/1 2/2 -"},  // slot 8 was never written
    // Shapes V, V/T, V//N and V/T/N; a word must begin with a number.
    {"f 1 2/5 3//3 4/5/4", "", "1/0 2/0 3/0 4/0"},
    {"f 1/x/1 2/3x/2 3//3 4//x", "", "1/0 2/0 3/0 4/0"},
    {"f 1//2abc 2/1/2/9 +3//+3 4/-1/4", "", "1/2 2/2 3/3 4/4"},
    {"f x1 /1 -x \v1//1", "fail fail fail fail", "- - - -"},
    // Relative indices count back from the lines read so far; the tests' order.
    {"f -9//1 1//-9 -2147483648//-2147483648 1/0/1", "negative negative negative negative",
     "- - - -"},
    {"f 0//1 1//0 1/0 1/-2147483648/1", "negative negative negative", "- - - 1/1"},
    {"f 4097//1 1//4097 4096//4096 99999999999//1", "range range range", "- - 0/0 -"},
    {"f 4097//-9 -9//4097 1/0/4097", "negative negative negative", "- - - -"},
    {"f 1/0/1 2//2 3//3", "negative", "- 2/2 3/3 -"},  // the 0 is not carried on
    {"f 0 x 1 5000 1", "negative fail range", "- - 1/0 - | - - 1/0 -"},
    // Five corners and more: a fan of quads from the first.
    {"f 1//1 2//2 3//3 4//4 5//5 6//6", "", "1/1 2/2 3/3 4/4 | 1/1 4/4 5/5 6/6"},
    {"f 1//1 2//2 3//3 x 5//5 6//6 0//7", "fail negative",
     "1/1 2/2 3/3 - | 1/1 - 5/5 6/6 | 1/1 6/6 - -"},
};

TEST(ObjReaderFaceTest, FaceLinesFillQuadsByTheirWords) {
    for (const FaceRow& row : FACE_ROWS) {
        MeshStore& store = freshStore();
        const ReaderRun run = readObj(numberedTables() + row.face + "\n", store);
        EXPECT_TRUE(run.completed) << row.face;
        EXPECT_EQ(describeErrors(run.log), row.errors) << row.face;
        EXPECT_EQ(describeQuads(store), row.quads) << row.face;
    }
}

TEST(ObjReaderFaceTest, PositionsAndNormalsAreCopiedWhenTheFaceIsRead) {
    MeshStore& store = freshStore();
    readObj("v 1 2 3\nvn 0 0 5\nf 1//1 1//1 1//1\nv 7 7 7\n", store);
    EXPECT_EQ(store.quads[0].position[0], Vec3(1, 2, 3));
    EXPECT_EQ(store.quads[0].normal[0], Vec3(0, 0, 5));  // not normalised
}

TEST(ObjReaderTableTest, PartialScansKeepWhatTheSlotHeld) {
    MeshStore& store = freshStore();
    store.vertices[1] = Vec3(7, 8, 9);
    const ReaderRun run = readObj("v 1 2\nv x\nv 1e 2 3\nvn 0x1p3 nan -inf\nv\nvn\n", store);
    EXPECT_EQ(store.vertices[0], Vec3(1, 2, 0));
    EXPECT_EQ(store.vertices[1], Vec3(7, 8, 9));
    // The formatted scan takes "1e" as the number 1, then reads on.
    float x = 0, y = 0, z = 0;
    EXPECT_EQ(sscanf("1e 2 3", "%f %f %f", &x, &y, &z), 3);
    EXPECT_EQ(store.vertices[2], Vec3(x, y, z));
    EXPECT_EQ(store.normals[0].x, 8.0f);
    EXPECT_TRUE(std::isnan(store.normals[0].y));
    EXPECT_EQ(store.normals[0].z, -HUGE_VALF);
    EXPECT_NE(run.log.find("got 3 verts 1 normals 0 quads\n"), std::string::npos) << run.log;
}

TEST(ObjReaderBoxTest, BoundsGroupSetsTheBrickSize) {
    MeshStore& store = freshStore();
    const ReaderRun run = readObj(
        "v -20 -20 0\nv 20 20 12\nv 5 5 5\ng BOUNDS_box\nf 1//1 2//1\n"
        "g COLOR_1_2_3\nf 1//1 2//1 3//1\n",
        store);
    EXPECT_EQ(store.brickSize, Vec3(40, 40, 30));
    EXPECT_EQ(store.boundsMin, Vec3(-20, -20, 0));
    EXPECT_EQ(store.boundsMax, Vec3(20, 20, 12));
    EXPECT_EQ(store.quadCount, 1);
    EXPECT_NE(run.log.find("got 3 verts 0 normals 1 quads\n"), std::string::npos);
}

TEST(ObjReaderBoxTest, OtherLetterCaseIsAnOrdinaryGroup) {
    MeshStore& store = freshStore();
    readObj("v 1 1 1\ng bounds\nf 1//1 1//1 1//1\ng Collision\nf 1//1 1//1 1//1\n", store);
    EXPECT_EQ(store.quadCount, 2);
    EXPECT_EQ(store.collisionCount, 0);
    EXPECT_EQ(store.brickSize, Vec3());
}

TEST(ObjReaderBoxTest, TenCollisionBoxesAndNoMore) {
    std::string text = "v -1 -2 -3\nv 4 5 6\n";
    for (int box = 0; box < 10; ++box) {
        text += "g COLLISION." + std::to_string(box) + "\n";
        if (box != 3) {
            text += "f 1//1 2//1\n";
        }
    }
    // The group without faces gave its box back when the next one began.
    MeshStore& store = freshStore();
    ReaderRun run = readObj(text, store);
    EXPECT_TRUE(run.completed);
    EXPECT_EQ(store.collisionCount, 9);
    EXPECT_EQ(store.quadCount, 0);
    EXPECT_EQ(store.collisionMin[8], Vec3(-1, -2, -3));
    EXPECT_EQ(store.collisionMax[0], Vec3(4, 5, 6));
    EXPECT_EQ(store.collisionMin[9], Vec3(9999, 9999, 9999));
    EXPECT_EQ(store.collisionMax[9], Vec3(-9999, -9999, -9999));

    text += "o COLLISION\nf 1//1 2//1\n";  // the tenth box
    store = freshStore();
    EXPECT_TRUE(readObj(text, store).completed);
    EXPECT_EQ(store.collisionCount, 10);

    // The eleventh stops the run at its own line, before it could be given back.
    store = freshStore();
    run = readObj(text + "g COLLISION\ng other\n", store);
    EXPECT_FALSE(run.completed);
    EXPECT_EQ(store.collisionCount, 10);
    EXPECT_TRUE(endsWith(run.log, "line 24\nERROR: > 10 collision meshes"));
}

// A collision group makes a box only when a face stored a corner in it: a
// corner rejected with an error stores nothing, a vertex holding a NaN does.
// The group ends at the next group or object line, or at the input's end.
TEST(ObjReaderBoxTest, CollisionGroupsWithoutCornersGiveNoBox) {
    const struct {
        const char* groups;
        int boxes;
    } cases[] = {
        {"g COLLISION\n", 0},
        {"g COLLISION\nf 1//1\n", 1},
        {"o COLLISION\nf 1//1\no COLLISION.001\nf 2//1\n", 2},
        {"g COLLISION\ng BOUNDS\nf 1//1\n", 0},
        {"g COLLISION\nf 0//1 x 9999//1\ng other\n", 0},
        {"g COLLISION\nf 3//1\ng other\n", 1},  // vertex 3 holds a NaN
        {"o BOUNDS\nf 1//1 2//1\ng COLLISION\nf 1//1\ng COLLISION\nf 0//1\n", 1},
    };
    for (const auto& c : cases) {
        MeshStore& store = freshStore();
        EXPECT_TRUE(
            readObj(std::string("v -1 -2 -3\nv 4 5 6\nv nan 0 0\n") + c.groups, store).completed);
        EXPECT_EQ(store.collisionCount, c.boxes) << c.groups;
        EXPECT_EQ(store.collisionMin[c.boxes], Vec3(9999, 9999, 9999)) << c.groups;
        EXPECT_EQ(store.collisionMax[c.boxes], Vec3(-9999, -9999, -9999)) << c.groups;
    }
}

TEST(ObjReaderLimitTest, FiveHundredTwelveQuadsAndNoMore) {
    std::string text = TRIANGLE_VERTICES;
    for (int face = 0; face < MAX_QUADS; ++face) {
        text += "f 1//1 2//1 3//1\n";
    }
    MeshStore& store = freshStore();
    ReaderRun run = readObj(text + "g BOUNDS\nf 1//1 2//1\n", store);
    EXPECT_TRUE(run.completed);
    EXPECT_NE(run.log.find("got 4 verts 0 normals 512 quads\n"), std::string::npos);

    store = freshStore();
    run = readObj(text + "f 1//1 2//1 3//1\n", store);
    EXPECT_FALSE(run.completed);
    EXPECT_EQ(store.quadCount, MAX_QUADS);
    EXPECT_TRUE(endsWith(run.log, "line 517\nERROR: > 512 quads"));

    // A fan of 120 corners: 59 quads, the last one full.
    std::string corners120 = "f";
    for (int corner = 0; corner < 120; ++corner) {
        corners120 += " 1";
    }
    store = freshStore();
    run = readObj(std::string(TRIANGLE_VERTICES) + corners120 + "\n", store);
    EXPECT_TRUE(run.completed);
    EXPECT_EQ(store.quadCount, 59);
    EXPECT_EQ(store.quads[58].position[3], Vec3(0, 0, 0));
}

TEST(ObjReaderLimitTest, VertexAndNormalTablesHold4096Each) {
    std::string vertices;
    std::string normals;
    for (int i = 0; i < MAX_VERTICES; ++i) {
        vertices += "v 1 2 3\n";
        normals += "vn 0 0 1\n";
    }
    MeshStore& store = freshStore();
    EXPECT_TRUE(readObj(vertices + normals, store).completed);
    EXPECT_EQ(store.vertexCount, MAX_VERTICES);
    EXPECT_EQ(store.normalCount, MAX_VERTICES);

    store = freshStore();
    ReaderRun run = readObj(vertices + "v 4 4 4\n", store);
    EXPECT_FALSE(run.completed);
    EXPECT_TRUE(endsWith(run.log, "line 4097\nERROR: > 4096 verts!\n"));

    store = freshStore();
    run = readObj(normals + "vn 4 4 4\n", store);
    EXPECT_FALSE(run.completed);
    EXPECT_TRUE(endsWith(run.log, "line 4097\nERROR: > 4096 normals!\n"));
}

// The first comment line names the exporter: Blender 2.8 and later write y up.
TEST(ObjReaderLineTest, FirstCommentNotesAYUpExporter) {
    const struct {
        const char* text;
        bool yUp;
    } cases[] = {
        {"# Blender v2.90.0 OBJ File: ''\n", true},
        {"# Blender v2.80 (sub 75) OBJ File: ''\n", true},
        {"#Blender 3.4.1\r\n", true},
        {"# Blender 10.0\n", true},
        {"v 0 0 0\n# Blender 5.0.1\n", true},  // the first comment, not the first line
        {"# Blender v2.79 (sub 0) OBJ File: ''\n", false},
        {"# Blender v2.61 (sub 0) OBJ File: ''\n", false},
        {"# made by hand\n# Blender 4.2.0\n", false},  // only the first comment counts
        {"  # Blender 4.2.0\n", false},                // not a comment line
        {"# blender 4.2.0\n", false},
        {"# Exported from Blender 4.2.0\n", false},
        {"# Blender 4\n", false},
        {"# Blender v.2\n", false},
        {"", false},
    };
    for (const auto& c : cases) {
        MeshStore& store = freshStore();
        EXPECT_TRUE(readObj(c.text, store).completed);
        EXPECT_EQ(store.yUpExporter, c.yUp) << c.text;
    }
}

TEST(ObjReaderLineTest, CrLfReadsLikeLf) {
    const std::string lf = std::string(TRIANGLE_VERTICES) + "g COLOR_1_2_3\nf 1//1 2//1 3//1\n";
    std::string crlf;
    for (char c : lf) {
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    MeshStore& store = freshStore();
    const std::string lfLog = readObj(lf, store).log;
    const QuadColor lfColor = store.quads[0].color[0];
    store = freshStore();
    EXPECT_EQ(readObj(crlf, store).log, lfLog);
    expectColor(store.quads[0].color[0], lfColor.r, lfColor.g, lfColor.b, lfColor.a);
}

TEST(ObjReaderLineTest, LongLinesWarnBeforeTheirTraceAndKeepLineNumbers) {
    const std::string exact = "f 1//1 2//1 3//1" + std::string(254 - 16, ' ');
    const std::string longer = "# " + std::string(253, 'c') + "\nf x\n";
    MeshStore& store = freshStore();
    const ReaderRun run = readObj(std::string(TRIANGLE_VERTICES) + exact + "\n" + longer, store);
    EXPECT_EQ(store.quadCount, 2);
    EXPECT_EQ(store.quads[0].position[2], Vec3(0, 1, 0));
    EXPECT_NE(run.log.find("line 5\nWARNING: line 6"), std::string::npos) << run.log;
    EXPECT_NE(run.log.find("WARNING: line 6 is longer than 254 characters; the rest is ignored\n"
                           "line 6\nline 7\nERROR: failed to read face on line 7\n"),
              std::string::npos)
        << run.log;
}

// A word that the 4,095-character cut ends is not read; one that ends before it is.
TEST(ObjReaderLineTest, CornerCutByTheLineLimitIsNotRead) {
    const std::string face = "f 1//1 2//1 3//1" + std::string(4074, ' ');  // 4,090 characters
    MeshStore& store = freshStore();
    readObj(std::string(TRIANGLE_VERTICES) + face + " 4//1999\n" + face + "4//1 999\n", store);
    ASSERT_EQ(store.quadCount, 2);
    expectUnset(store.quads[0].position[3]);
    EXPECT_EQ(store.quads[1].position[3], Vec3(1, 1, 1));
}

// The line trace is gathered and written in pieces; messages in between, and
// line numbers that gain a digit, keep their places over many lines.
TEST(ObjReaderLineTest, TraceAndMessagesKeepTheirOrderOverThousandsOfLines) {
    std::string model;
    std::string expected;
    for (int line = 1; line <= 2500; ++line) {
        const bool badFace = line % 700 == 0;
        const bool tooLong = line == 1500;
        model += badFace ? "f x\n" : tooLong ? "# " + std::string(300, 'c') + "\n" : "# c\n";
        if (tooLong) {
            expected += "WARNING: line 1500 is longer than 254 characters; the rest is ignored\n";
        }
        expected += "line " + std::to_string(line) + "\n";
        if (badFace) {
            expected += "ERROR: failed to read face on line " + std::to_string(line) + "\n";
        }
    }
    MeshStore& store = freshStore();
    const ReaderRun run = readObj(model, store);
    EXPECT_TRUE(run.completed);
    EXPECT_EQ(run.log, expected + "got 0 verts 0 normals 3 quads\n");
}

}  // namespace
