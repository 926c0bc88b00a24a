// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string>

#include "rdsReader.h"
#include "testSupport.h"

namespace {

ReaderRun readRds(const std::string& text, MeshStore& store) {
    return runReader(readRdsFile, text, store);
}

const char* const FOUR_VERTICES =
    "Pmsh\nVerD\nPosn 0,0,0\nVerD\nPosn 1,0,0\nVerD\nPosn 1,1,0\nVerD\nPosn 0,1,0\n";

TEST(RdsReaderKeywordTest, KeywordsMatchInAnyLetterCase) {
    MeshStore& store = freshStore();
    const ReaderRun run = readRds(
        "pmsh\nVERD\nposn 1,2,3\nvErD\nPOSN 4,5,6\nverd\nPoSn 7,8,9\npgsz 3\nPGON 0,1,2\n", store);
    EXPECT_TRUE(run.completed);
    EXPECT_EQ(store.vertexCount, 3);
    ASSERT_EQ(store.quadCount, 1);
    EXPECT_EQ(store.quads[0].position[2], Vec3(7, 8, 9));
    EXPECT_EQ(run.log, "Got 1 quads\n");
}

TEST(RdsReaderKeywordTest, OtherWordsAndEmptyLinesAreIgnored) {
    MeshStore& store = freshStore();
    const ReaderRun run = readRds(
        "VerD\nPosn1,2,3\n\n   \n\t\nPosition 4,5,6\nVerD extra words\nPosn 1,1,1\n", store);
    EXPECT_EQ(store.vertexCount, 2);  // no phantom vertex for the empty lines
    EXPECT_EQ(store.vertices[0], Vec3(0, 0, 0));
    EXPECT_EQ(store.vertices[1], Vec3(1, 1, 1));
    EXPECT_EQ(run.log, "Got 0 quads\n");
}

TEST(RdsReaderKeywordTest, OnlyWholeFourLetterWordsAreKeywords) {
    MeshStore& store = freshStore();
    readRds(
        "VerD\n\tPOSN 1,2,3\nVerD\nPos 4,4,4\nPosnn 4,4,4\nPosn\x01 4,4,4\nPOS@ 4,4,4\n"
        "P0sn 4,4,4\n Posn\t5,6,7\n",
        store);
    EXPECT_EQ(store.vertexCount, 2);
    EXPECT_EQ(store.vertices[0], Vec3(1, 2, 3));
    EXPECT_EQ(store.vertices[1], Vec3(5, 6, 7));
}

TEST(RdsReaderPositionTest, PartialScansKeepWhatTheSlotHeld) {
    MeshStore& store = freshStore();
    store.vertices[1] = Vec3(7, 8, 9);
    readRds("VerD\nPosn 1.5, 2, -3\nVerD\nPosn 1.5 ,2,-3\nVerD\nVerD\nPosn 1,1,1\nPosn 2,2,2\n",
            store);
    EXPECT_EQ(store.vertices[0], Vec3(1.5f, 2, -3));
    EXPECT_EQ(store.vertices[1], Vec3(1.5f, 8, 9));
    EXPECT_EQ(store.vertices[2], Vec3(0, 0, 0));  // VerD without Posn
    EXPECT_EQ(store.vertices[3], Vec3(2, 2, 2));  // the second Posn wins
}

TEST(RdsReaderPositionTest, PositionOutsideOfAVertex) {
    MeshStore& store = freshStore();
    const ReaderRun run = readRds("Posn 1,2,3\nVerD\nPmsh\nPosn 4,5,6\n", store);
    EXPECT_EQ(run.log,
              "ERROR: position outside of vert\nERROR: position outside of vert\nGot 0 quads\n");
    EXPECT_EQ(store.vertices[0], Vec3(0, 0, 0));
}

TEST(RdsReaderPolygonTest, SizeDecidesHowAPolygonIsRead) {
    MeshStore& store = freshStore();
    const ReaderRun run = readRds(std::string(FOUR_VERTICES) +
                                      "Pgon 0,1,2\n"
                                      "PgSz 3\nPgon 0,1,2,3\nPgon 0,1\n"
                                      "PgSz 4\nPgon 0,1,2\nPgon 3, 2 ,1,0\nPgon 0,1,2,3\n"
                                      "PgSz\nPgon 3,2,1,0\n"
                                      "PgSz 5\nPgon 0,1,2,3,0\n"
                                      "PgSz 99999999999\nPgon 0\n",
                                  store);
    EXPECT_EQ(run.log,
              "Skipping poly of size 0\n"
              "ERROR reading polygon line 13\n"
              "ERROR reading polygon line 15\n"
              "ERROR reading polygon line 16\n"
              "Skipping poly of size 5\n"
              "Skipping poly of size 2147483647\n"
              "Got 3 quads\n");
    ASSERT_EQ(store.quadCount, 3);
    EXPECT_EQ(store.quads[0].position[2], Vec3(1, 1, 0));
    EXPECT_EQ(store.quads[0].position[3], Vec3(UNSET_COORD, UNSET_COORD, UNSET_COORD));
    EXPECT_EQ(store.quads[1].position[3], Vec3(0, 1, 0));
    EXPECT_EQ(store.quads[2].position[0], Vec3(0, 1, 0));  // PgSz without a number keeps 4
    EXPECT_EQ(store.quads[2].normal[0], Vec3(0, 0, 0));
    EXPECT_FALSE(store.quads[2].reversed);
    EXPECT_EQ(store.quads[2].color[0].r, -1);
}

TEST(RdsReaderPolygonTest, IndicesOutsideTheTableStoreNothing) {
    MeshStore& store = freshStore();
    const ReaderRun run = readRds(std::string(FOUR_VERTICES) +
                                      "PgSz 3\nPgon -1,0,1\nPgon 0,4096,1\n"
                                      "Pgon 0,1,-2147483648\nPgon 2147483647,0,1\n"
                                      "Pgon 0,1,4095\nPgon 0,1,2,-5\n",
                                  store);
    EXPECT_EQ(run.log,
              "ERROR: index out of range on line 11\n"
              "ERROR: index out of range on line 12\n"
              "ERROR: index out of range on line 13\n"
              "ERROR: index out of range on line 14\n"
              "Got 2 quads\n");
    EXPECT_EQ(store.quads[0].position[2], Vec3(0, 0, 0));  // slot 4095, never written
}

TEST(RdsReaderMeshTest, EveryMeshRestartsTheNumberingAndQuadsAccumulate) {
    MeshStore& store = freshStore();
    const ReaderRun run = readRds(std::string(FOUR_VERTICES) +
                                      "PgSz 4\nPgon 0,1,2,3\n"
                                      "Pmsh\nVerD\nPosn 5,5,5\nPgon 0,1,2,3\n",
                                  store);
    EXPECT_EQ(run.log, "Got 2 quads\n");
    EXPECT_EQ(store.vertexCount, 1);
    EXPECT_EQ(store.quads[1].position[0], Vec3(5, 5, 5));
    EXPECT_EQ(store.quads[1].position[1], Vec3(1, 0, 0));  // left by the first mesh
}

TEST(RdsReaderLimitTest, FourThousandNinetySixVerticesPerMesh) {
    std::string mesh = "Pmsh\n";
    for (int i = 0; i < MAX_VERTICES; ++i) {
        mesh += "VerD\n";
    }
    MeshStore& store = freshStore();
    EXPECT_TRUE(readRds(mesh + mesh, store).completed);
    EXPECT_EQ(store.vertexCount, MAX_VERTICES);

    store = freshStore();
    const ReaderRun run = readRds(mesh + "VerD\nPgSz 3\n", store);
    EXPECT_FALSE(run.completed);
    EXPECT_EQ(run.log, "ERROR: > 4096 verts!\n");
}

TEST(RdsReaderLimitTest, FiveHundredTwelveQuadsAndNoMore) {
    std::string text = std::string(FOUR_VERTICES) + "PgSz 3\n";
    for (int i = 0; i < MAX_QUADS; ++i) {
        text += "Pgon 0,1,2\n";
    }
    MeshStore& store = freshStore();
    EXPECT_EQ(readRds(text + "Pgon 0,1,5000\n", store).log,
              "ERROR: index out of range on line 523\nGot 512 quads\n");

    store = freshStore();
    const ReaderRun run = readRds(text + "Pgon 0,1,2\nPgon 0,1,2\n", store);
    EXPECT_FALSE(run.completed);
    EXPECT_EQ(run.log, "ERROR: > 512 quads");
    EXPECT_EQ(store.quadCount, MAX_QUADS);
}

TEST(RdsReaderLineTest, LongLinesAndCrLfKeepLineNumbers) {
    MeshStore& store = freshStore();
    const ReaderRun run = readRds(
        "PgSz 3\r\nComment " + std::string(300, 'x') + "\r\nPgon 0,1\r\nPgon 0,1,2\r\n", store);
    EXPECT_EQ(run.log,
              "WARNING: line 2 is longer than 254 characters; the rest is ignored\n"
              "ERROR reading polygon line 3\nGot 1 quads\n");
}

}  // namespace
