// SPDX-License-Identifier: MIT
// Helpers shared by the unit tests: streams over text, captured logs and a
// store in the state the driver hands to a reader.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "meshStore.h"
#include "workspace.h"

// A new temporary binary stream, open for writing and reading, that goes away
// when closed: tmpfile, which under Wine fails now and then while another
// program makes one too, so on Windows one of the tests' own.
FILE* temporaryStream();

// A temporary binary stream holding text, positioned at its start.
FILE* streamWithText(const std::string& text);

// Everything written to stream so far; closes it.
std::string takeText(FILE* stream);

// The contents of a file, or "" when it cannot be read.
std::string fileText(const std::string& path);

// The path of a file under tests/data.
std::string dataPath(const std::string& name);

bool endsWith(const std::string& text, const std::string& tail);

// text followed by LINE_PADDING zero bytes, as the line reader delivers a
// line: for the number scans, which read a few bytes past a text's end.
std::string padded(const std::string& text);

// The longest path the tests build: the most Linux takes. Windows takes
// 32,767 characters in the long form, but under Wine a Windows path reaches
// its file through the prefix folder (".../dosdevices/z:/tmp/..."), a Linux
// path that must fit Linux's limit too; 3,900 characters leave room for that
// and still need the long form, which starts at 248.
#ifdef _WIN32
constexpr size_t LONGEST_TEST_PATH = 3900;
#else
constexpr size_t LONGEST_TEST_PATH = 4095;
#endif

// Folders for a test's files, on every system: a new empty folder among the
// system's temporary files ("" when none can be made), one more folder, and
// the removal of an empty one.
std::string makeTemporaryFolder();
bool makeFolder(const std::string& path);
bool removeFolder(const std::string& path);
bool pathExists(const std::string& path);

// The tests' one workspace, as main has one.
Workspace& testWorkspace();

// A path of exactly LONGEST_TEST_PATH characters, its last component filled
// with fill and ending in extension, in a chain of new folders of 200
// characters under a new temporary folder (root); the file is not made.
struct LongestPath {
    std::string root;
    std::vector<std::string> folders;  // made, outermost first
    std::string path;
};
LongestPath makeLongestPath(char fill, const std::string& extension);

// Removes the folders of a LongestPath, innermost first; true when all went.
bool removeLongestPath(const LongestPath& longest);

// A path that a path-building function gave, or "<none>" when it gave none.
inline std::string pathOrNone(bool built, const char* path) {
    return built ? path : "<none>";
}

// A store with its program-start values and the driver's reset applied: the
// test workspace's, started on a model as the driver starts it.
MeshStore& freshStore();

// The test workspace's report, started afresh and tracing on trace: for a
// stage tried alone.
Report& traceReport(FILE* trace);

using ReaderFunction = bool (*)(LineReader&, MeshStore&, Report&);

struct ReaderRun {
    bool completed;
    std::string log;
};

// Runs reader over text into store, capturing what it prints.
ReaderRun runReader(ReaderFunction reader, const std::string& text, MeshStore& store);
