// SPDX-License-Identifier: MIT
// The model's report: records, how each style shows them, the JSON report,
// and runs of the converter one after another in one process.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#if defined(DXF2TKM_JSON_REPORT)
#include <nlohmann/json.hpp>
#endif
#include <string>
#include <vector>

#include "driver.h"
#include "report.h"
#include "testSupport.h"

namespace {

// A stage's messages: its trace around them, an error on a line, a warning
// without a line end, then the fatal one.
void reportAsAStage(Report& report) {
    ModelLog log(report);
    sinkText(log, "line 1\n", 7);
    reportError(log, "bad-face", 1, "ERROR: failed to read face on line %d\n", 1);
    reportError(log, "bad-face", 2, "ERROR: failed to read face on line %d\n", 2);
    reportWarning(log, "skipped-polygon", 3, "Skipping poly of size %d\n", 7);
    reportFatal(log, "quad-limit", 4, "ERROR: > %d quads", 512);
}

TEST(ReportTest, EachStyleShowsTheRecords) {
    FILE* out = temporaryStream();
    Report& report = testWorkspace().report;
    startReport(report, ReportStyle::Trace, out, "m.obj", nullptr);
    reportAsAStage(report);
    EXPECT_EQ(takeText(out),
              "line 1\nERROR: failed to read face on line 1\nERROR: failed to read face on line "
              "2\nSkipping poly of size 7\nERROR: > 512 quads");
    EXPECT_TRUE(report.traceLineOpen);

    out = temporaryStream();
    startReport(report, ReportStyle::Quiet, out, "m.obj", nullptr);
    reportAsAStage(report);
    const std::string quiet = takeText(out);
    EXPECT_EQ(quiet.substr(0, quiet.find('\n', quiet.find("line 2"))),
              "m.obj: ERROR: failed to read face on line 1; export the model again as OBJ: a "
              "corner is not a vertex index\nm.obj: ERROR: failed to read face on line 2");
    EXPECT_NE(quiet.find("\nm.obj: WARNING: Skipping poly of size 7 (line 3); only polygons"),
              std::string::npos);
    EXPECT_NE(quiet.find("\nm.obj: ERROR: > 512 quads (line 4); the model needs more than"),
              std::string::npos);

    out = temporaryStream();
    startReport(report, ReportStyle::Json, out, "m.obj", nullptr);
    reportAsAStage(report);
    EXPECT_EQ(takeText(out), "");
    std::vector<std::string> codes;
    forEachMessage(report, [&codes](const Message& m) { codes.push_back(m.code); });
    EXPECT_EQ(codes,
              (std::vector<std::string>{"bad-face", "bad-face", "skipped-polygon", "quad-limit"}));
    EXPECT_TRUE(report.failed);
    EXPECT_EQ(report.fatal.line, 4);
    EXPECT_STREQ(report.fatal.text, "ERROR: > 512 quads");
}

// Every fatal message and every error says what to do, in its advice or in
// its own words; the advice that depends on the model, for each case.
TEST(ReportTest, EveryErrorSaysWhatToDo) {
    const struct {
        const char* code;
        const char* model;
        const char* adviceStart;  // "" where the text itself says it
    } cases[] = {
        {"path-too-long", "m.obj", "move the model"},
        {"unsupported-type", "castle.blend", "export the model as OBJ"},
        {"unsupported-type", "part.STL", "open it in a modeller"},
        {"unsupported-type", "wedge.tkm", "this is a brick file"},
        {"unsupported-type", ".", "this is a folder"},
        {"write-failed", "m.obj", "check that the folder exists"},
        {"no-polygons", "notes.obj", "the file holds no OBJ lines at all"},
        {"no-polygons", "dump.rds", "the file holds no Pmsh"},
        {"quad-limit", "m.obj", "the model needs more than the 512 quads a brick holds: reduce"},
        {"vertex-limit", "m.obj", "reduce the model's vertices"},
        {"normal-limit", "m.obj", "export without normals"},
        {"bad-index", "m.obj", "a face names a vertex"},
        {"index-out-of-range", "m.obj", "a face names a vertex the model"},
        {"position-outside-vertex", "m.rds", "a Posn line must follow"},
        {"bad-polygon", "m.rds", "a Pgon line needs"},
        {"binary-dxf", "m.dxf", ""},
        {"utf16", "m.obj", ""},
    };
    MeshStore& store = freshStore();
    for (const auto& c : cases) {
        Report& report = testWorkspace().report;
        startReport(report, ReportStyle::Json, nullptr, c.model, &store);
        reportFatal(report, c.code, NO_LINE, "ERROR: %s", c.code);
        EXPECT_EQ(std::string(report.fatal.advice).rfind(c.adviceStart, 0), 0u)
            << c.code << " " << c.model << ": " << report.fatal.advice;
    }
}

TEST(ReportTest, RecordsPastTheListAreShownAndCounted) {
    FILE* out = temporaryStream();
    Report& report = testWorkspace().report;
    startReport(report, ReportStyle::Quiet, out, "m", nullptr);
    {
        ModelLog log(report);
        for (int line = 1; line <= MAX_LISTED_MESSAGES + 5; ++line) {
            reportError(log, "bad-polygon", line, "ERROR reading polygon line %d\n", line);
        }
        reportFatal(log, "no-polygons", NO_LINE, "ERROR: no polygons to convert\n");
    }
    EXPECT_EQ(report.listedCount, MAX_LISTED_MESSAGES);
    EXPECT_EQ(report.unlistedCount, 5);
    EXPECT_TRUE(report.failed);
    const std::string quiet = takeText(out);
    EXPECT_NE(quiet.find("m: ERROR reading polygon line 105\n"), std::string::npos);
}

struct ProgramRun {
    int status;
    std::string out;
};

ProgramRun runIn(Workspace& ws, std::vector<std::string> arguments) {
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(&argument[0]);
    }
    FILE* out = temporaryStream();
    const int status = runConverter(static_cast<int>(argv.size()), argv.data(), ws, out);
    return ProgramRun{status, takeText(out)};
}

// A folder of models: one of each format, one failing, one with a name that
// is not UTF-8.
std::string modelFolder() {
    const std::string folder = makeTemporaryFolder();
    const std::string wedge = fileText(EXAMPLES_DIR "/wedge.obj");
    for (const auto& model : {std::make_pair("wedge.obj", wedge),
                              {"steps.rds", fileText(EXAMPLES_DIR "/steps.rds")},
                              {"stud.dxf", fileText(EXAMPLES_DIR "/stud.dxf")},
                              {"bad\xff.obj", wedge},
                              {"flat.obj", "v 0 0 0\nv 1 0 0\nf 1 2 x\n"}}) {
        FILE* file = fopen((folder + "/" + model.first).c_str(), "wb");
        fputs(model.second.c_str(), file);
        fclose(file);
    }
    return folder;
}

void removeModelFolder(const std::string& folder) {
    for (const char* name : {"wedge", "steps", "stud", "bad\xff", "flat"}) {
        for (const char* extension : {".obj", ".rds", ".dxf", ".tkm"}) {
            remove((folder + "/" + name + extension).c_str());
        }
    }
    removeFolder(folder);
}

// The JSON report: one object per model and a closing one, each valid JSON,
// also for a model whose name is not UTF-8.
#if defined(DXF2TKM_JSON_REPORT)
TEST(ReportTest, JsonReportListsEveryModel) {
    const std::string folder = modelFolder();
    const ProgramRun run = runIn(testWorkspace(), {"dxf2tkm", "--json", folder + "/wedge.obj",
                                                   folder + "/flat.obj", folder + "/bad\xff.obj"});
    EXPECT_EQ(run.status, EXIT_FAILED);
    std::vector<nlohmann::json> objects;
    size_t start = 0;
    for (size_t end; (end = run.out.find('\n', start)) != std::string::npos; start = end + 1) {
        objects.push_back(nlohmann::json::parse(run.out.substr(start, end - start)));
    }
    ASSERT_EQ(objects.size(), 4u) << run.out;
    const auto expectFields = [](const nlohmann::json& object, const char* fields) {
        const nlohmann::json expected = nlohmann::json::parse(fields);
        for (const auto& field : expected.items()) {
            EXPECT_EQ(object.at(field.key()), field.value()) << field.key();
        }
    };
    expectFields(objects[0], R"({"format":1,"written":true,"quads":5,"coloured":4,"paintable":1,
        "collisionBoxes":1,"size":[4,2,3],"extent":[4.0,2.0,3.0],"offset":[0.0,0.0,0.0]})");
    EXPECT_EQ(objects[0]["brick"], folder + "/wedge.tkm");
    const nlohmann::json& flat = objects[1];
    EXPECT_EQ(flat["written"], false);
    const nlohmann::json& reason = flat["messages"].back();
    expectFields(
        reason,
        R"({"severity":"fatal","code":"no-polygons","text":"ERROR: no polygons to convert"})");
    EXPECT_EQ(reason["advice"].get<std::string>().rfind("all 1 faces were dropped", 0), 0u);
    expectFields(flat["messages"][0], R"({"code":"bad-face","line":3})");
    EXPECT_EQ(objects[2]["model"], folder + "/bad\xef\xbf\xbd.obj");
#ifdef _WIN32
    const char* closing = R"({"format":1,"models":3,"bricks":1})";  // no file has that name
#else
    const char* closing = R"({"format":1,"models":3,"bricks":2})";
#endif
    EXPECT_EQ(objects[3], nlohmann::json::parse(closing));
    removeModelFolder(folder);
}
#else
TEST(ReportTest, JsonReportListsEveryModel) {
    GTEST_SKIP() << "built without nlohmann-json (Debian package nlohmann-json3-dev)";
}
#endif

#ifndef _WIN32
// The program itself, run as its own process.
ProgramRun runProgram(const std::vector<std::string>& arguments) {
    std::string command = DXF2TKM_PROGRAM;
    for (const std::string& argument : arguments) {
        command += " '" + argument + "'";
    }
    FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    char chunk[4096];
    for (size_t count; (count = fread(chunk, 1, sizeof chunk, pipe)) > 0;) {
        out.append(chunk, count);
    }
    return ProgramRun{WEXITSTATUS(pclose(pipe)), out};
}
#endif

// Runs one after another in one process, in different orders, give the bytes
// of runs in a fresh process each: nothing carries over from one to the next.
TEST(ReportTest, RunsInOneProcessAreIndependent) {
    const std::string folder = modelFolder();
    const std::string wedge = folder + "/wedge.obj";
    const std::string steps = folder + "/steps.rds";
    const std::string stud = folder + "/stud.dxf";
    const std::string flat = folder + "/flat.obj";
    const std::vector<std::vector<std::string>> runs = {
        {"-q", wedge, flat, stud},
        {flat},
        {stud, wedge},
        {"--json", steps, flat},
        {wedge},
        {"-q", stud},
        {steps, flat, wedge, stud},
        {"-q", flat, steps},
    };
    for (int round = 0; round < 2; ++round) {
        for (const auto& arguments : runs) {
            std::vector<std::string> argv{"dxf2tkm"};
            argv.insert(argv.end(), arguments.begin(), arguments.end());
            const ProgramRun again = runIn(testWorkspace(), argv);
            // As at a process's start: zero, then constructed.
            const std::unique_ptr<Workspace> fresh(new Workspace());
            const ProgramRun first = runIn(*fresh, argv);
            EXPECT_EQ(again.out, first.out) << arguments.back();
            EXPECT_EQ(again.status, first.status);
#ifndef _WIN32
            const ProgramRun alone = runProgram(arguments);
            EXPECT_EQ(again.out.substr(again.out.find('\n')),
                      alone.out.substr(alone.out.find('\n')))
                << arguments.back();
            EXPECT_EQ(again.status, alone.status);
#endif
        }
    }
    removeModelFolder(folder);
}

}  // namespace
