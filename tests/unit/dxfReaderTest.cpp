// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <array>
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

// A 3DFACE on layer whose corners are (1, 2, 3) to (4, 5, 6).
std::string faceOnLayer(const std::string& layer) {
    return face("8\n" + layer +
                "\n10\n1\n20\n2\n30\n3\n11\n4\n21\n5\n31\n6\n12\n4\n22\n2\n32\n3\n");
}

// A POLYLINE of the given pairs, count VERTEX entities at x = 0, 1, ... that a
// polyface mesh takes as its vertices (70 = 192), then after.
std::string polyline(const std::string& pairs, int count, const std::string& after = "") {
    std::string text = "0\nPOLYLINE\n" + pairs;
    for (int i = 0; i < count; ++i) {
        text += "0\nVERTEX\n70\n192\n10\n" + std::to_string(i) + "\n";
    }
    return text + after;
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

// A MESH of the given pairs after its type.
std::string mesh(const std::string& pairs) {
    return "0\nMESH\n" + pairs;
}

// A MESH's five vertices: vertex k at (k, 10 + k, 20 + k).
const std::string FIVE_VERTICES =
    "92\n5\n10\n0\n20\n10\n30\n20\n10\n1\n20\n11\n30\n21\n10\n2\n20\n12\n30\n22\n"
    "10\n3\n20\n13\n30\n23\n10\n4\n20\n14\n30\n24\n";

// Code-90 pairs of the given values.
std::string faceValues(std::initializer_list<const char*> values) {
    std::string text;
    for (const char* value : values) {
        text += std::string("90\n") + value + "\n";
    }
    return text;
}

// Each quad's corners as the vertex numbers their x gives, "u" when unset.
std::string quadCorners(const MeshStore& store) {
    std::string text;
    for (int i = 0; i < store.quadCount; ++i) {
        text += i > 0 ? " " : "";
        for (const Vec3& position : store.quads[i].position) {
            text +=
                position.x <= UNSET_THRESHOLD ? "u" : std::to_string(static_cast<int>(position.x));
        }
    }
    return text;
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

TEST(DxfReaderTest, BinaryDrawingIsRefusedByItsFirstLineOnly) {
    // The refusal itself: the end-to-end case dxfBinaryDrawing.
    for (const char* text : {"999\nAutoCAD Binary DXF\n", "AutoCAD Binary DXF \nEOF\n"}) {
        MeshStore& store = freshStore();
        EXPECT_TRUE(readDxf(text, store).completed) << text;
    }
}

TEST(DxfLayerTest, LayerNamesActAsGroupNames) {
    // The names themselves: the OBJ reader's tests and the end-to-end case
    // dxfLayerConventions, which also pins that the last code 8 counts. A quad
    // taken back leaves its slot to the next face as it found it.
    const struct {
        const char* layer;
        char kind;  // q: a quad of the colour, b: bounds, c: a collision box
        std::array<int32_t, 4> color = {-1, -1, -1, -1};
    } cases[] = {{"COLOR_1_2_3_4", 'q', {1, 2, 3, 4}}, {"BOUNDS_box", 'b'}, {"COLLISION.001", 'c'}};
    for (const auto& example : cases) {
        MeshStore& store = freshStore();
        readDxf(faceOnLayer(example.layer) + faceOnLayer("0"), store);
        ASSERT_EQ(store.quadCount, example.kind == 'q' ? 2 : 1) << example.layer;
        EXPECT_EQ(store.collisionCount, example.kind == 'c' ? 1 : 0) << example.layer;
        EXPECT_EQ(store.boundsMax == Vec3(4, 5, 6), example.kind == 'b') << example.layer;
        const QuadColor& color = store.quads[0].color[3];
        EXPECT_EQ((std::array<int32_t, 4>{color.r, color.g, color.b, color.a}), example.color)
            << example.layer;
    }
}

TEST(DxfLayerTest, TenCollisionLayersAndNoMore) {
    // Names are compared as read: the first 254 characters of a longer one.
    std::string text =
        faceOnLayer("COLLISION" + std::string(300, 'x')) + "0\nLINE\n8\nCOLLISION_L\n";
    for (int k = 1; k < MAX_COLLISION_BOXES; ++k) {
        text += faceOnLayer("COLLISION_" + std::to_string(k));
    }
    text += faceOnLayer("COLLISION" + std::string(260, 'x')) + faceOnLayer("COLLISION_1");
    // The names' table must hold all ten: the counts of unread entities
    // and of 2D entities stay as they were, and so do their warnings.
    MeshStore& store = freshStore();
    ReaderRun run = readDxf("0\n3DSOLID\n0\nINSERT\n0\nINSERT\n" + text, store);
    EXPECT_TRUE(run.completed) << run.log;
    EXPECT_EQ(store.collisionCount, MAX_COLLISION_BOXES);
    EXPECT_EQ(store.quadCount, 0);
    EXPECT_EQ(store.brickSize, Vec3());  // nothing to convert: no size either
    EXPECT_TRUE(endsWith(run.log,
                         "Getting poly 0\n"
                         "WARNING: 1 3DSOLID entities are not read; explode them into 3DFACE "
                         "entities\n"
                         "WARNING: 2 INSERT entities (block references) are not expanded; explode "
                         "them into 3DFACE entities\n"))
        << run.log;

    store = freshStore();  // BOUNDS faces give a size, also without a visible face
    run = readDxf(faceOnLayer("BOUNDS") + text, store);
    EXPECT_EQ(store.brickSize, Vec3(3, 3, 7.5f));

    store = freshStore();
    run = readDxf(text + faceOnLayer("COLLISION_10"), store);
    EXPECT_FALSE(run.completed);
    EXPECT_TRUE(endsWith(run.log, "Getting poly 0\nERROR: > 10 collision meshes")) << run.log;
}

TEST(DxfMeshTest, PolygonMeshQuadsByTheirFlags) {
    // Flags (70), M (71) and N (72) of rows of N of six vertices, ending with
    // the input; last: the vertices of the last quad. Ragged, smoothed and thin
    // meshes: the end-to-end cases dxfPolygonMesh and dxfMalformedMeshes.
    const struct {
        const char* pairs;
        int quads;
        const char* last;
    } cases[] = {{"16\n71\n2\n72\n3\n", 2, "1254"}, {"17\n71\n2\n72\n3\n", 4, "4521"},
                 {"48\n71\n2\n72\n3\n", 3, "2035"}, {"49\n71\n2\n72\n3\n", 6, "5302"},
                 {"16\n71\n2\n72\n-3\n", 0, ""},    {"80\n71\n2\n72\n3\n", 0, ""}};
    for (const auto& example : cases) {
        MeshStore& store = freshStore();
        const ReaderRun run = readDxf(polyline(std::string("70\n") + example.pairs, 6), store);
        ASSERT_EQ(store.quadCount, example.quads) << example.pairs;
        EXPECT_EQ(run.log.find("WARNING: polygon mesh"), std::string::npos) << example.pairs;
        std::string last;
        for (int k = 0; example.quads > 0 && k < CORNERS_PER_QUAD; ++k) {
            last += std::to_string(static_cast<int>(store.quads[example.quads - 1].position[k].x));
        }
        EXPECT_EQ(last, example.last) << example.pairs;
    }
}

TEST(DxfMeshEntityTest, FaceListsBecomeQuads) {
    // The face list after FIVE_VERTICES: each face a corner count, then as
    // many vertex numbers from 0; the quads' corners, "u" for unset.
    const struct {
        const char* what;
        std::string pairs;
        const char* corners;
    } cases[] = {
        {"hexagon fan", "93\n7\n" + faceValues({"6", "0", "1", "2", "3", "4", "0"}), "0123 0340"},
        {"counts below 1 alone, 1 and 2 corners no quad",
         "93\n11\n" + faceValues({"1", "4", "-2", "0", "2", "0", "1", "3", "1", "2", "3"}), "123u"},
        {"a face past the list's end ends it",
         "93\n8\n" + faceValues({"3", "0", "1", "2", "4", "0", "1", "2"}), "012u"},
        {"values before the first 93 and past its size",
         faceValues({"3"}) + "93\n4\n" + faceValues({"3", "0", "1", "2", "3", "2", "3", "4"}),
         "012u"},
        {"the latest 93 counts", "93\n1\n93\n4\n" + faceValues({"3", "0", "1", "2"}), "012u"},
        {"a negative size", "93\n-4\n" + faceValues({"3", "0", "1", "2"}), ""},
        {"numbers outside the vertices",
         "93\n5\n" + faceValues({"4", "1", "5", "-1", "2147483648"}), "1uuu"},
        {"a count of 2^31", "93\n3\n" + faceValues({"2147483648", "0", "1"}), ""},
    };
    for (const auto& example : cases) {
        MeshStore& store = freshStore();
        const ReaderRun run = readDxf(mesh(FIVE_VERTICES + example.pairs), store);
        EXPECT_TRUE(run.completed) << example.what;
        EXPECT_EQ(quadCorners(store), example.corners) << example.what;
    }
}

TEST(DxfMeshEntityTest, VerticesByTheLatestCount) {
    // Code 10 starts a vertex while fewer than the latest code 92 have
    // started; 20 and 30 set the one started last. The trace's order: the
    // end-to-end case dxfMeshEntity.
    MeshStore& store = freshStore();
    readDxf(mesh("20\n9\n10\n9\n92\n1\n10\n1\n20\n2\n92\n2\n10\n3\n30\n4\n10\n5\n20\n6\n"
                 "93\n4\n" +
                 faceValues({"3", "0", "1", "1"})),
            store);
    ASSERT_EQ(store.vertexCount, 2);
    EXPECT_EQ(store.vertices[0], Vec3(1, 2, 0));
    EXPECT_EQ(store.vertices[1], Vec3(3, 6, 4));
    ASSERT_EQ(store.quadCount, 1);
    EXPECT_EQ(store.quads[0].position[2], Vec3(3, 6, 4));
}

TEST(DxfFlatDrawingTest, WarnsOfTwoDEntitiesWithoutFaces) {
    // "" when no warning; otherwise the count it gives. A mesh, a skipped one
    // included, is not flat; a quad announced, even one taken back, is a face.
    std::string allTypes;
    for (const char* type : {"LINE", "LWPOLYLINE", "ARC", "CIRCLE", "ELLIPSE", "SPLINE", "POINT",
                             "SOLID", "TRACE", "HATCH", "TEXT", "MTEXT", "DIMENSION"}) {
        allTypes += std::string("0\n") + type + "\n";
    }
    const struct {
        std::string drawing;
        const char* count;
    } cases[] = {
        {allTypes + "0\nPOLYLINE\n70\n8\n0\nPOLYLINE\n70\n16\n71\n2\n72\n1\n0\nline\n", "15"},
        {"0\nLINE\n0\nPOLYLINE\n70\n64\n0\nPOLYLINE\n70\n16\n71\n2\n72\n2\n" + mesh(""), "1"},
        {"0\nPOLYLINE\n70\n16\n71\n2\n72\n2\n0\nSEQEND\n" + mesh(""), ""},
        {"0\nCIRCLE\n" + faceOnLayer("BOUNDS"), ""},
        {"0\nTEXT\n" + mesh(FIVE_VERTICES + "93\n4\n" + faceValues({"3", "0", "1", "2"})), ""},
    };
    for (const auto& example : cases) {
        MeshStore& store = freshStore();
        const ReaderRun run = readDxf(example.drawing, store);
        const std::string warning =
            *example.count == '\0'
                ? ""
                : std::string("WARNING: ") + example.count +
                      " 2D entities and no 3D faces; a brick needs 3D faces (3DFACE, polyface or "
                      "polygon mesh, MESH)\n";
        EXPECT_EQ(run.log.find("2D entities") != std::string::npos, !warning.empty())
            << example.drawing;
        EXPECT_TRUE(endsWith(run.log, warning)) << run.log;
    }
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
    run = readDxf(faceOnLayer("BOUNDS") + text, store);  // taken back before the limit
    EXPECT_TRUE(run.completed);
    EXPECT_EQ(store.brickSize, Vec3(3, 3, 7.5f));

    // A BOUNDS face starts as a quad; warnings come only at the input's end.
    for (const std::string& more : {faceOnLayer("BOUNDS"), face("10\n1\n")}) {
        store = freshStore();
        run = readDxf("0\n3DSOLID\n" + text + more, store);
        EXPECT_FALSE(run.completed);
        EXPECT_TRUE(
            endsWith(run.log, "Entity type 3DFACE\nGetting poly 512\nERROR: > 512 quads\n"));
        EXPECT_EQ(store.quadCount, MAX_QUADS);
    }

    // A MESH's pentagon at the entity's end: its second quad is the 513th.
    store = freshStore();
    run = readDxf(text.substr(0, text.size() - face("10\n1\n").size()) +
                      mesh(FIVE_VERTICES + "93\n6\n" + faceValues({"5", "0", "1", "2", "3", "4"})),
                  store);
    EXPECT_FALSE(run.completed);
    EXPECT_TRUE(endsWith(run.log,
                         "unhandled groupcode 90\nGetting poly 511\nGetting poly 512\n"
                         "ERROR: > 512 quads\n"))
        << run.log.substr(run.log.size() - 200);

    // Inside a polyface mesh: its second face record is the 513th quad.
    text.resize(text.size() - face("10\n1\n").size());
    const std::string record = "0\nVERTEX\n70\n128\n71\n1\n72\n2\n73\n3\n";
    store = freshStore();
    run = readDxf(text + polyline("70\n64\n", 3, record + record + "0\nSEQEND\n"), store);
    EXPECT_FALSE(run.completed);
    EXPECT_TRUE(
        endsWith(run.log, "unhandled groupcode 73\nGetting poly 512\nERROR: > 512 quads\n"));
}

TEST(DxfReaderLimitTest, MeshesHold4096VerticesEach) {
    const std::string polyface = "70\n64\n";
    const std::string lastVertexFace = "0\nVERTEX\n70\n128\n71\n4096\n72\n1\n73\n2\n";
    MeshStore& store = freshStore();
    ReaderRun run = readDxf(
        polyline(polyface, MAX_VERTICES, lastVertexFace) + polyline(polyface, MAX_VERTICES), store);
    EXPECT_TRUE(run.completed);
    ASSERT_EQ(store.quadCount, 1);
    EXPECT_EQ(store.quads[0].position[0], Vec3(4095, 0, 0));

    for (const std::string& pairs : {polyface, std::string("70\n16\n71\n2\n72\n2049\n")}) {
        store = freshStore();
        run = readDxf(polyline(pairs, MAX_VERTICES + 1), store);
        EXPECT_FALSE(run.completed);
        EXPECT_TRUE(endsWith(run.log, "unhandled groupcode 70\nERROR: > 4096 verts!\n")) << run.log;
    }

    // A MESH's 4097th code-10 value that its count 4096 stops first.
    std::string values;
    for (int k = 0; k <= MAX_VERTICES; ++k) {
        values += "10\n" + std::to_string(k) + "\n";
    }
    store = freshStore();
    run = readDxf(mesh("92\n4096\n" + values), store);
    EXPECT_TRUE(run.completed);
    EXPECT_EQ(run.log, "Entity type MESH\nunhandled groupcode 92\n");

    // A face list longer than its table keeps its first values, and says so.
    std::string zeros;
    for (int k = 0; k < 8 * MAX_VERTICES; ++k) {
        zeros += "90\n0\n";
    }
    store = freshStore();
    run = readDxf(mesh(FIVE_VERTICES + "93\n99999\n" + faceValues({"3", "0", "1", "2"}) + zeros),
                  store);
    EXPECT_TRUE(run.completed);
    EXPECT_EQ(quadCorners(store), "012u");
    EXPECT_TRUE(endsWith(run.log,
                         "Getting poly 0\nWARNING: MESH face list of more than 32768 "
                         "values; the rest is ignored\n"));
}

}  // namespace
