// SPDX-License-Identifier: MIT
// The readers on files written by other tools (tests/data/corpus).
#include <gtest/gtest.h>

#include <string>

#include "dxfReader.h"
#include "finishing.h"
#include "objReader.h"
#include "testSupport.h"

namespace {

ReaderRun readCorpusFile(ReaderFunction reader, const std::string& name, MeshStore& store) {
    return runReader(reader, fileText(dataPath("corpus/" + name)), store);
}

TEST(CorpusTest, HandWrittenDxfFacesWithARepeatedFourthCorner) {
    MeshStore& store = freshStore();
    const ReaderRun run = readCorpusFile(readDxfFile, "gdal__3dface.dxf", store);
    EXPECT_TRUE(run.completed);
    EXPECT_EQ(run.log,
              "Entity type SECTION\nunhandled groupcode 2\nEntity type 3DFACE\n"
              "Getting poly 0\nEntity type 3DFACE\nGetting poly 1\nEntity type ENDSEC\n"
              "Entity type EOF\n");
    ASSERT_EQ(store.quadCount, 2);
    EXPECT_EQ(store.quads[0].position[0], Vec3(10, 20, 30));
    EXPECT_EQ(store.quads[0].position[3], Vec3(12, 22, 32));
    EXPECT_EQ(store.quads[1].position[3], Vec3(13, 23, 33));
}

TEST(CorpusTest, OldDxfWithoutFinalLineFeed) {
    MeshStore& store = freshStore();
    const ReaderRun run = readCorpusFile(readDxfFile, "ezdxf__Minimal_DXF_AC1006.dxf", store);
    EXPECT_TRUE(run.completed);
    EXPECT_TRUE(endsWith(run.log, "Entity type LINE\nEntity type ENDSEC\nEntity type EOF\n"));
    ASSERT_EQ(store.quadCount, 2);
    EXPECT_EQ(store.quads[1].position[0], Vec3(-0.5f, -0.5f, -0.5f));
    EXPECT_EQ(store.quads[1].position[3], Vec3(0, -0.5f, 0.5f));
}

TEST(CorpusTest, ObjWithDoubleBlanksReadsEachCornerOnce) {
    MeshStore& store = freshStore();
    const ReaderRun run = readCorpusFile(readObjFile, "assimp__cube_mtllib_after_g.obj", store);
    EXPECT_TRUE(run.completed);
    // Neither the double blanks nor the blank at a line's end add a corner.
    EXPECT_EQ(run.log.find("ERROR"), std::string::npos);
    EXPECT_TRUE(endsWith(run.log, "got 8 verts 6 normals 12 quads\n"));
    // "f  1//2  7//2  5//2"
    const BrickQuad& first = store.quads[0];
    EXPECT_EQ(first.position[0], Vec3(0, 0, 0));
    EXPECT_EQ(first.position[1], Vec3(1, 1, 0));
    EXPECT_EQ(first.position[2], Vec3(1, 0, 0));
    EXPECT_LE(first.position[3].x, UNSET_THRESHOLD);
    EXPECT_EQ(first.normal[0], Vec3(0, 0, -1));
}

TEST(CorpusTest, ObjCornersWithEmptyFieldsAreBareVertices) {
    MeshStore& store = freshStore();
    const ReaderRun run = readCorpusFile(readObjFile, "trimesh__polygonfaces.obj", store);
    EXPECT_EQ(run.log.find("ERROR"), std::string::npos);
    // "f 1// 2// 3// 4// 5//": a pentagon, so a quad and a triangle.
    ASSERT_EQ(store.quadCount, 2);
    EXPECT_EQ(store.quads[0].position[3], Vec3(-500, 0, -500));
    EXPECT_EQ(store.quads[1].position[2], Vec3(0, 500, -500));
    ConversionStats stats;
    FILE* log = temporaryStream();
    finishQuads(store, stats, log);
    fclose(log);
    EXPECT_EQ(store.quads[0].normal[0], Vec3(0, 1, 0));  // no normal indices: a flat normal
    EXPECT_EQ(stats.triangleCount, 1);
}

TEST(CorpusTest, ObjWithBareVertexFacesGivesEveryCorner) {
    MeshStore& store = freshStore();
    const ReaderRun run = readCorpusFile(readObjFile, "trimesh__cube.OBJ", store);
    EXPECT_TRUE(run.completed);
    EXPECT_EQ(store.quadCount, 12);
    EXPECT_EQ(run.log.find("ERROR"), std::string::npos);
    ConversionStats stats;
    FILE* log = temporaryStream();
    finishQuads(store, stats, log);
    fclose(log);
    EXPECT_EQ(stats.degenerateCount, 0);
    EXPECT_EQ(stats.triangleCount, 12);
}

}  // namespace
