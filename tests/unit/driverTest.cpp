// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "brickChecks.h"
#include "driver.h"
#include "platformFiles.h"
#include "testSupport.h"

namespace {

struct DriverRun {
    int status;
    std::string log;
};

DriverRun runWith(std::vector<std::string> arguments,
                  StartedFrom startedFrom = StartedFrom::Console) {
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(&argument[0]);
    }
    static MeshStore store;
    clearMeshStore(store);
    FILE* log = temporaryStream();
    const int status =
        runConverter(static_cast<int>(argv.size()), argv.data(), store, log, startedFrom);
    return DriverRun{status, takeText(log)};
}

std::string outputPathOf(const char* input) {
    char out[PATH_BUFFER_SIZE];
    if (!buildOutputPath(input, out, sizeof out)) {
        return "<none>";
    }
    return out;
}

TEST(DriverPathTest, ExtensionComesFromTheLastPathComponent) {
    EXPECT_STREQ(findExtension("models/arch.obj"), ".obj");
    EXPECT_STREQ(findExtension("arch.old.obj"), ".obj");
    EXPECT_EQ(findExtension("old.models/arch"), nullptr);
    EXPECT_EQ(findExtension("arch"), nullptr);
    EXPECT_STREQ(findExtension("./arch.DXF"), ".DXF");
    EXPECT_STREQ(findExtension("dir/.obj"), ".obj");
}

// Windows separates folders with "\\" as well as "/", and a drive letter ends
// a folder part; on Linux a backslash is a file name's character.
TEST(DriverPathTest, BackslashSeparatesFoldersOnWindowsOnly) {
#ifdef _WIN32
    EXPECT_EQ(findExtension("C:\\models.v2\\arch"), nullptr);
    EXPECT_EQ(outputPathOf("C:\\models.v2\\arch"), "<none>");
    EXPECT_EQ(outputPathOf("C:\\bricks\\arch.obj"), "C:\\bricks\\arch.tkm");
    EXPECT_EQ(outputPathOf("C:\\old.bricks/new\\arch.rds"), "C:\\old.bricks/new\\arch.tkm");
    EXPECT_EQ(outputPathOf("\\\\server\\share.v2\\arch.DXF"), "\\\\server\\share.v2\\arch.tkm");
    EXPECT_EQ(outputPathOf("D:arch.obj"), "D:arch.tkm");
    EXPECT_STREQ(findExtension("D:.obj"), ".obj");
#else
    EXPECT_STREQ(findExtension("C:\\models.v2\\arch"), ".v2\\arch");
    EXPECT_EQ(outputPathOf("C:\\bricks\\arch.obj"), "C:\\bricks\\arch.tkm");
    EXPECT_EQ(outputPathOf("old.bricks/C:arch"), "<none>");
#endif
}

TEST(DriverPathTest, ReaderChosenByExtensionInAnyLetterCase) {
    EXPECT_EQ(formatOfExtension(".rds"), ModelFormat::Rds);
    EXPECT_EQ(formatOfExtension(".RDS"), ModelFormat::Rds);
    EXPECT_EQ(formatOfExtension(".oBj"), ModelFormat::Obj);
    EXPECT_EQ(formatOfExtension(".Dxf"), ModelFormat::Dxf);
    EXPECT_EQ(formatOfExtension(".stl"), ModelFormat::Unsupported);
    EXPECT_EQ(formatOfExtension(".obj2"), ModelFormat::Unsupported);
    EXPECT_EQ(formatOfExtension("."), ModelFormat::Unsupported);
    EXPECT_EQ(formatOfExtension(nullptr), ModelFormat::Unsupported);
}

TEST(DriverPathTest, OutputPathReplacesTheExtensionOnly) {
    EXPECT_EQ(outputPathOf("models/arch.obj"), "models/arch.tkm");
    EXPECT_EQ(outputPathOf("arch.old.obj"), "arch.old.tkm");
    EXPECT_EQ(outputPathOf("old.models/arch.OBJ"), "old.models/arch.tkm");
    EXPECT_EQ(outputPathOf("old.models/arch"), "<none>");
    char small[8];
    EXPECT_FALSE(buildOutputPath("abcd.obj", small, sizeof small));
    EXPECT_TRUE(buildOutputPath("abc.obj", small, sizeof small));
}

TEST(DriverRunTest, UsageHelpAndVersion) {
    DriverRun run = runWith({"dxf2tkm"});
    EXPECT_EQ(run.status, EXIT_USAGE);
    EXPECT_EQ(run.log, "argv[0] = dxf2tkm\nusage: dxf2tkm.exe [input file]\n");

    // Only their text, without the argument echo, wherever they stand before "--".
    run = runWith({"dxf2tkm", "--version"});
    EXPECT_EQ(run.status, EXIT_CONVERTED);
    EXPECT_EQ(run.log, "dxf2tkm " PROJECT_VERSION_TEXT "\n");
    run = runWith({"dxf2tkm", "-q", "a.obj", "--version", "--help"});
    EXPECT_EQ(run.log, "dxf2tkm " PROJECT_VERSION_TEXT "\n");

    run = runWith({"dxf2tkm", "--help", "x"});
    EXPECT_EQ(run.status, EXIT_CONVERTED);
    EXPECT_EQ(run.log.rfind("usage: dxf2tkm.exe [input file]\n", 0), 0u);
    EXPECT_NE(run.log.find(".rds"), std::string::npos);
}

// Options, "--" and the start from Explorer, with models that cannot be
// opened: what is echoed and how each model is reported.
TEST(DriverRunTest, OptionsAndModels) {
    const struct {
        std::vector<std::string> arguments;
        int status;
        const char* log;
        StartedFrom startedFrom = StartedFrom::Console;
    } cases[] = {
        {{"dxf2tkm", "-q"}, EXIT_USAGE, "usage: dxf2tkm.exe [input file]\n"},
        {{"dxf2tkm", "--quiet", "/no/a.obj"},
         EXIT_FAILED,
         "/no/a.obj: ERROR: failed to open file /no/a.obj\n"},
        {{"dxf2tkm", "/no/a.obj"},
         EXIT_FAILED,
         "/no/a.obj: ERROR: failed to open file /no/a.obj\n",
         StartedFrom::Explorer},
        // The program's own name is never an option, whatever it looks like.
        {{"-q", "/no/a.obj"},
         EXIT_FAILED,
         "argv[0] = -q\nargv[1] = /no/a.obj\nERROR: failed to open file /no/a.obj\n"},
        // An option of one dash too many is a model, and so are options after "--".
        {{"dxf2tkm", "---q", "--", "-q", "--help"},
         EXIT_FAILED,
         "argv[0] = dxf2tkm\nargv[1] = ---q\nargv[2] = --\nargv[3] = -q\nargv[4] = --help\n"
         "ERROR: unsupported file type ---q\nERROR: unsupported file type -q\n"
         "ERROR: unsupported file type --help\n---q: ERROR: unsupported file type ---q\n"
         "-q: ERROR: unsupported file type -q\n--help: ERROR: unsupported file type --help\n"
         "Converted 0 of 3 models\n"},
    };
    for (const auto& c : cases) {
        const DriverRun run = runWith(c.arguments, c.startedFrom);
        EXPECT_EQ(run.status, c.status) << c.log;
        EXPECT_EQ(run.log, c.log);
    }
}

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

// Each warning at the edges of its tolerance, for a brick set by hand; each
// line up to the ")" before its advice, which the end-to-end case quietModels pins.
TEST(BrickChecksTest, WarningsAtTheirTolerances) {
    const struct {
        float box[9];  // the size, the lowest corner, the highest corner
        int32_t degenerate;
        const char* warnings;
    } cases[] = {
        {{0.9f, 0.9f, 0.75f, -0.45f, -0.45f, 0, 0.45f, 0.45f, 0.3f},
         0,
         "extent 0.9 0.9 0.75 is written as size 0 0 0 (heights scaled by 2.5\n"},
        {{2.00009f, 3.9999f, -0.00009f, -1.00005f, -1, -0.00009f, 1.0001f, 1, 1},
         0,
         "extent 2.00009 3.9999 -0.00009 is written as size 2 3 0 (heights scaled by 2.5\n"},
        {{3.9999998f, 2, 5, 0, -1, 0.0002f, 3.9999998f, 1, 2},
         0,
         "extent 3.999999762 2 5 is written as size 3 2 5 (heights scaled by 2.5\n"
         "off the origin (footprint centred on x = 1.999999881, y = 0; lowest point at z = "
         "0.0002\n"},
        {{2, 2, 5, -1, -0.9996f, 0, 1, 1, 2},
         1,
         "off the origin (footprint centred on x = 0, y = 0.0002\n"
         "1 quad dropped without a third corner (Degenerate polys: 1\n"},
        {{std::nanf(""), 2, 5, -1, -1, 0, 1, 1, 2},
         2,
         "extent nan 2 5 is written as size 0 2 5 (heights scaled by 2.5\n"
         "2 quads dropped without a third corner (Degenerate polys: 2\n"},
    };
    static MeshStore store;
    for (const auto& c : cases) {
        store.brickSize = Vec3(c.box[0], c.box[1], c.box[2]);
        store.boundsMin = Vec3(c.box[3], c.box[4], c.box[5]);
        store.boundsMax = Vec3(c.box[6], c.box[7], c.box[8]);
        FILE* out = temporaryStream();
        printBrickWarnings("m", store, c.degenerate, out);
        std::string warnings = takeText(out);
        for (size_t at = 0; (at = warnings.find("m: WARNING: ", at)) != std::string::npos;) {
            warnings.erase(at, 12);
            at = warnings.find(')', at);
            warnings.erase(at, warnings.find('\n', at) - at);
        }
        EXPECT_EQ(warnings, c.warnings);
    }
}

// Without a declared size a model needs a face with an area; quads dropped
// for coordinates that are not numbers are named after the statistics.
TEST(DriverRunTest, NothingToConvertWithoutAFaceOfSomeArea) {
    const std::string line = "v 0 0 0\nv 1 1 1\nv 2 2 2\nv 0 1 0\nv nan 0 0\n";
    const std::string stats =
        "Degenerate polys:   1\nTriangles:          1\nDuplicates removed: 0\n\n"
        "WARNING: 1 quads with coordinates that are not numbers were dropped\n";
    const struct {
        std::string faces;
        ConvertOutcome outcome;
        std::string logEnd;
    } cases[] = {
        {"f 1//1 2//1 3//1\nf 5//1 4//1 1//1\n", ConvertOutcome::NothingToConvert,
         stats + "ERROR: no polygons to convert\n"},
        {"f 1//1 2//1 4//1\nf 5//1 4//1 1//1\n", ConvertOutcome::BrickReady, stats},
        {"g BOUNDS\nf 1//1 2//1\ng x\nf 1//1 2//1 3//1\n", ConvertOutcome::BrickReady,
         "Duplicates removed: 0\n\n"},
    };
    for (const auto& c : cases) {
        static MeshStore store;
        clearMeshStore(store);
        resetBoxes(store);
        FILE* input = streamWithText(line + c.faces);
        FILE* log = temporaryStream();
        EXPECT_EQ(convertModel(input, ModelFormat::Obj, store, log), c.outcome) << c.faces;
        fclose(input);
        EXPECT_TRUE(endsWith(takeText(log), c.logEnd)) << c.faces;
    }
}

TEST(DriverRunTest, RejectedPathsTouchNothing) {
    DriverRun run = runWith({"dxf2tkm", "/nonexistent/model.txt"});
    EXPECT_EQ(run.status, EXIT_FAILED);
    EXPECT_EQ(run.log,
              "argv[0] = dxf2tkm\nargv[1] = /nonexistent/model.txt\n"
              "ERROR: unsupported file type /nonexistent/model.txt\n");

    run = runWith({"dxf2tkm", "/nonexistent/model.obj"});
    EXPECT_EQ(run.status, EXIT_FAILED);
    EXPECT_EQ(run.log,
              "argv[0] = dxf2tkm\nargv[1] = /nonexistent/model.obj\n"
              "ERROR: failed to open file /nonexistent/model.obj\n");

    // The length check comes before the file type check.
    const std::string tooLong(4096, 'a');
    run = runWith({"dxf2tkm", tooLong});
    EXPECT_EQ(run.status, EXIT_FAILED);
    EXPECT_EQ(run.log, "argv[0] = dxf2tkm\nargv[1] = " + tooLong + "\nERROR: path too long\n");
}

TEST(DriverRunTest, DirectoryCannotBeOpened) {
    const std::string folder = makeTemporaryFolder();
    ASSERT_NE(folder, "");
    const std::string directory = folder + "/model.obj";
    ASSERT_TRUE(makeFolder(directory));
    const DriverRun run = runWith({"dxf2tkm", directory});
    EXPECT_EQ(run.status, EXIT_FAILED);
    EXPECT_NE(run.log.find("ERROR: failed to open file " + directory + "\n"), std::string::npos);
    EXPECT_FALSE(pathExists(folder + "/model.tkm"));
    removeFolder(directory);
    removeFolder(folder);
}

TEST(DriverRunTest, PathOf4095CharactersConverts) {
    const std::string folder = makeTemporaryFolder();
    ASSERT_NE(folder, "");
    std::string path = folder;
    std::vector<std::string> directories;
    while (path.size() + 1 + 200 < LONGEST_TEST_PATH - 20) {
        path += "/" + std::string(200, 'd');
        ASSERT_TRUE(makeFolder(path));
        directories.push_back(path);
    }
    path += "/" + std::string(LONGEST_TEST_PATH - path.size() - 1 - 4, 'm') + ".obj";
    ASSERT_EQ(path.size(), LONGEST_TEST_PATH);
    FILE* model = openFile(path.c_str(), "wb");
    ASSERT_NE(model, nullptr);
    fputs("v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1//1 2//1 3//1\n", model);
    fclose(model);

    const DriverRun run = runWith({"dxf2tkm", path});
    EXPECT_EQ(run.status, EXIT_CONVERTED) << run.log;
    std::string output = path.substr(0, path.size() - 4) + ".tkm";
    EXPECT_TRUE(pathExists(output));
    removeFile(output.c_str());
    removeFile(path.c_str());
    for (auto it = directories.rbegin(); it != directories.rend(); ++it) {
        removeFolder(*it);
    }
    removeFolder(folder);
}

}  // namespace
