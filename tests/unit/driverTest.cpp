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
    FILE* log = temporaryStream();
    const int status =
        runConverter(static_cast<int>(argv.size()), argv.data(), testWorkspace(), log, startedFrom);
    return DriverRun{status, takeText(log)};
}

std::string outputPathOf(const char* input) {
    char out[PATH_BUFFER_SIZE];
    return pathOrNone(buildOutputPath(input, out, sizeof out), out);
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

    // Asked for help, the run answers it, an invalid option beside it or not.
    run = runWith({"dxf2tkm", "--up", "x", "--help"});
    EXPECT_EQ(run.status, EXIT_CONVERTED);
    EXPECT_EQ(run.log.rfind("usage: dxf2tkm.exe [input file]\n", 0), 0u);

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
         "/no/a.obj: ERROR: failed to open the file; check that the file exists and that you "
         "may read it\n"},
        {{"dxf2tkm", "/no/a.obj"},
         EXIT_FAILED,
         "/no/a.obj: ERROR: failed to open the file; check that the file exists and that you "
         "may read it\n",
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
         "ERROR: unsupported file type --help\n\nNot converted:\n---q: ERROR: not a model "
         "dxf2tkm reads\n-q: ERROR: not a model dxf2tkm reads\n--help: ERROR: not a model "
         "dxf2tkm reads\nConverted 0 of 3 models\n"},
        // Fit options anywhere before "--", their values no models; the first
        // invalid one ends the run after the echo, also without a model.
        {{"dxf2tkm", "-q", "--scale", "2", "/no/a.obj", "--up", "y", "--pair", "--fit"},
         EXIT_FAILED,
         "/no/a.obj: ERROR: failed to open the file; check that the file exists and that you "
         "may read it\n"},
        {{"dxf2tkm", "--up"},
         EXIT_USAGE,
         "argv[0] = dxf2tkm\nargv[1] = --up\nERROR: --up needs y or z\n"},
        {{"dxf2tkm", "--scale", "1e39"},
         EXIT_USAGE,
         "ERROR: --scale needs a number greater than 0\n",
         StartedFrom::Explorer},
        {{"dxf2tkm", "-q", "--", "--up", "x"},
         EXIT_FAILED,
         "--up: ERROR: not a model dxf2tkm reads; dxf2tkm reads .obj, .dxf and .rds models: "
         "export the model as OBJ\nx: ERROR: not a model dxf2tkm reads; dxf2tkm reads .obj, "
         ".dxf and .rds models: export the model as OBJ\n\nNot converted:\n--up: ERROR: not a "
         "model dxf2tkm reads\nx: ERROR: not a model dxf2tkm reads\nConverted 0 of 2 models\n"},
    };
    for (const auto& c : cases) {
        const DriverRun run = runWith(c.arguments, c.startedFrom);
        EXPECT_EQ(run.status, c.status) << c.log;
        EXPECT_EQ(run.log, c.log);
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
        Workspace& ws = testWorkspace();
        FILE* log = temporaryStream();
        startModel(ws, "model.obj", ReportStyle::Trace, log);
        FILE* input = streamWithText(line + c.faces);
        EXPECT_EQ(convertModel(ws, input, ModelFormat::Obj), c.outcome) << c.faces;
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
    const LongestPath longest = makeLongestPath('m', ".obj");
    const std::string& path = longest.path;
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
    removeLongestPath(longest);
}

}  // namespace
