// SPDX-License-Identifier: MIT
// The conversion allocates nothing beyond the C library's stream buffers: a
// tiny model and a model at every limit of its format make the same number
// of allocations.
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

#include "countingMalloc.h"
#include "driver.h"

namespace {

// Vertex i's height: every third a step up, so that four vertices in a row
// make a face with an area (a brick of faces without one is refused).
const char* height(int i) {
    return i % 3 == 1 ? "1.5" : "0.5";
}

std::string objModel(int vertices, int faces) {
    // A face line of 4,095 characters, the longest read whole.
    std::string text = "g BOUNDS\nf 1//1 2//1" + std::string(4095 - 11, ' ') + "\n";
    for (int box = 0; box < MAX_COLLISION_BOXES; ++box) {
        text += "g COLLISION_" + std::to_string(box) + "\nf 1//1 3//1\n";
    }
    for (int i = 0; i < vertices; ++i) {
        text +=
            "v " + std::to_string(i % 64) + " " + std::to_string(i / 64) + " " + height(i) + "\n";
        text += "vn 0 0 1\n";
    }
    text += "g COLOR_200_100_50\n";
    for (int i = 0; i < faces; ++i) {
        const int first = 1 + (i * 7) % (vertices - 3);
        text += "f " + std::to_string(first) + "//1 " + std::to_string(first + 1) + "//2 " +
                std::to_string(first + 2) + "/1/3 " + std::to_string(first + 3) + "//4\n";
    }
    return text;
}

std::string rdsModel(int vertices, int polygons) {
    std::string text = "Pmsh\n";
    for (int i = 0; i < vertices; ++i) {
        text += "VerD\nPosn " + std::to_string(i % 64) + "," + std::to_string(i / 64) + "," +
                height(i) + "\n";
    }
    text += "PgSz 4\n";
    for (int i = 0; i < polygons; ++i) {
        const int first = (i * 7) % (vertices - 3);
        text += "Pgon " + std::to_string(first) + "," + std::to_string(first + 1) + "," +
                std::to_string(first + 2) + "," + std::to_string(first + 3) + "\n";
    }
    return text;
}

std::string dxfModel(int faces) {
    std::string text = "  0\nSECTION\n  2\nENTITIES\n";
    for (int i = 0; i < faces; ++i) {
        text += "  0\n3DFACE\n  8\n0\n";
        for (int corner = 0; corner < 4; ++corner) {
            // y steps up at corners 1 and 2 only, so that the face has an area.
            const std::string value = std::to_string(i + corner * 0.25);
            const std::string lagging = std::to_string(i + (corner % 3 == 0 ? 0 : 0.25));
            for (int axis = 1; axis <= 3; ++axis) {
                text += " " + std::to_string(axis * 10 + corner) + "\n" +
                        (axis == 2 ? lagging : value) + "\n";
            }
        }
    }
    return text + "  0\nENDSEC\n  0\nEOF\n";
}

// Ten collision layers, a bounds face and a polyface mesh of 4096 vertices
// whose faces fill the quad table, on a colour layer; a solid and an insert.
std::string dxfMeshModel() {
    std::string text = "  0\n3DSOLID\n  0\nINSERT\n";
    for (int box = 0; box < MAX_COLLISION_BOXES; ++box) {
        text += "  0\n3DFACE\n  8\nCOLLISION_" + std::to_string(box) + "\n 10\n1\n 20\n1\n 30\n1\n";
    }
    text += "  0\n3DFACE\n  8\nBOUNDS\n 10\n-1\n 20\n-1\n 30\n0\n 11\n1\n 21\n1\n 31\n2\n";
    text += "  0\nPOLYLINE\n  8\nCOLOR_1_2_3\n 70\n64\n";
    for (int i = 0; i < MAX_VERTICES; ++i) {
        text += "  0\nVERTEX\n 70\n192\n 10\n" + std::to_string(i % 7) + "\n 20\n" +
                std::to_string(i % 5) + "\n";
    }
    for (int i = 0; i < MAX_QUADS; ++i) {
        text += "  0\nVERTEX\n 70\n128\n 71\n" + std::to_string(i + 1) + "\n 72\n" +
                std::to_string(i + 2) + "\n 73\n" + std::to_string(i + 3) + "\n";
    }
    return text + "  0\nSEQEND\n  0\nEOF\n";
}

// A MESH of 4096 vertices whose fan of 1024 corners and a triangle fill the
// quad table, with a face list that runs past its table; and a LINE.
std::string dxfMeshEntityModel() {
    constexpr int FAN_CORNERS = 1024;
    constexpr int FACE_VALUES = 40000;
    std::string text = "  0\nLINE\n  0\nMESH\n  8\nCOLOR_1_2_3\n 91\n1\n 92\n4096\n";
    for (int i = 0; i < MAX_VERTICES; ++i) {
        text += " 10\n" + std::to_string(i % 7) + "\n 20\n" + std::to_string(i % 5) + "\n 30\n1\n";
    }
    text += " 93\n" + std::to_string(FACE_VALUES) + "\n 90\n" + std::to_string(FAN_CORNERS) + "\n";
    for (int i = 0; i < FAN_CORNERS; ++i) {
        text += " 90\n" + std::to_string(i) + "\n";
    }
    text += " 90\n3\n 90\n0\n 90\n1\n 90\n2\n";
    for (int i = FAN_CORNERS + 5; i < FACE_VALUES; ++i) {
        text += " 90\n0\n";
    }
    return text + "  0\nEOF\n";
}

// A grid of 32 x (count / 64) squares drawn as triangles, two 3DFACEs each
// (the fourth corner repeating the third), which pair into one quad a square.
std::string dxfTriangles(int count) {
    std::string text = "  0\nSECTION\n  2\nENTITIES\n";
    const int halves[2][4][2] = {{{0, 0}, {1, 0}, {1, 1}, {1, 1}},
                                 {{0, 0}, {1, 1}, {0, 1}, {0, 1}}};
    for (int i = 0; i < count; ++i) {
        text += "  0\n3DFACE\n  8\n0\n";
        for (int corner = 0; corner < 4; ++corner) {
            const std::string c = std::to_string(corner);
            const int* point = halves[i % 2][corner];
            text += " 1" + c + "\n" + std::to_string(i / 2 % 32 + point[0]) + "\n 2" + c + "\n" +
                    std::to_string(i / 2 / 32 + point[1]) + "\n 3" + c + "\n0\n";
        }
    }
    return text + "  0\nENDSEC\n  0\nEOF\n";
}

// Allocations of one whole run of the converter on model, with options.
long allocationsOfConversion(const std::string& model, const char* extension,
                             std::vector<std::string> options = {}) {
    char folder[] = "/tmp/allocationTestXXXXXX";
    EXPECT_NE(mkdtemp(folder), nullptr);
    std::string path = std::string(folder) + "/model" + extension;
    FILE* file = fopen(path.c_str(), "wb");
    fwrite(model.data(), 1, model.size(), file);
    fclose(file);

    static Workspace workspace;
    FILE* log = fopen("/dev/null", "w");
    std::string program = "dxf2tkm";
    std::vector<char*> argv = {&program[0]};
    for (std::string& option : options) {
        argv.push_back(&option[0]);
    }
    argv.push_back(&path[0]);
    startCountingAllocations();
    const int status = runConverter(static_cast<int>(argv.size()), argv.data(), workspace, log);
    const long allocations = stopCountingAllocations();
    fclose(log);
    EXPECT_EQ(status, EXIT_CONVERTED) << path;

    const std::string output = std::string(folder) + "/model.tkm";
    remove(output.c_str());
    remove(path.c_str());
    rmdir(folder);
    return allocations;
}

void expectEqualAllocations(const std::string& tiny, const std::string& largest,
                            const char* extension, const std::vector<std::string>& options = {}) {
    const long tinyCount = allocationsOfConversion(tiny, extension, options);
    const long largestCount = allocationsOfConversion(largest, extension, options);
    EXPECT_EQ(tinyCount, largestCount) << extension;
    EXPECT_LE(largestCount, 4) << "more than the streams' own allocations";
    printf("%s: %ld allocations for the tiny model, %ld at the limits\n", extension, tinyCount,
           largestCount);
}

TEST(AllocationTest, ObjConversionAllocatesTheSameAtItsLimits) {
    expectEqualAllocations(objModel(4, 1), objModel(MAX_VERTICES, MAX_QUADS), ".obj");
}

TEST(AllocationTest, RdsConversionAllocatesTheSameAtItsLimits) {
    expectEqualAllocations(rdsModel(4, 1), rdsModel(MAX_VERTICES, MAX_QUADS), ".rds");
}

TEST(AllocationTest, DxfConversionAllocatesTheSameAtItsLimits) {
    expectEqualAllocations(dxfModel(1), dxfModel(MAX_QUADS), ".dxf");
    expectEqualAllocations(dxfModel(1), dxfMeshModel(), ".dxf");
    expectEqualAllocations(dxfModel(1), dxfMeshEntityModel(), ".dxf");
}

// Every fit option, on 1024 triangles that pair into 512 quads.
TEST(AllocationTest, FittedConversionAllocatesTheSameAtItsLimits) {
    expectEqualAllocations(dxfTriangles(2), dxfTriangles(MAX_STORED_QUADS), ".dxf",
                           {"--pair", "--up", "y", "--scale", "0.5", "--fit"});
}

}  // namespace
