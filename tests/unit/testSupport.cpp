// SPDX-License-Identifier: MIT
#include "testSupport.h"

#include "platformFiles.h"
#include "textPadding.h"

#include "windowsApi.h"

#ifdef _WIN32
#include <direct.h>
#include <fcntl.h>
#include <io.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

FILE* streamWithText(const std::string& text) {
    FILE* stream = temporaryStream();
    fwrite(text.data(), 1, text.size(), stream);
    rewind(stream);
    return stream;
}

namespace {

// Everything stream holds from where it stands; closes it.
std::string readRest(FILE* stream) {
    std::string text;
    char chunk[4096];
    size_t count = 0;
    while ((count = fread(chunk, 1, sizeof chunk, stream)) > 0) {
        text.append(chunk, count);
    }
    fclose(stream);
    return text;
}

}  // namespace

std::string takeText(FILE* stream) {
    fflush(stream);
    rewind(stream);
    return readRest(stream);
}

std::string fileText(const std::string& path) {
    FILE* file = openFile(path.c_str(), "rb");
    return file != nullptr ? readRest(file) : "";
}

std::string dataPath(const std::string& name) {
    return std::string(TEST_DATA_DIR) + "/" + name;
}

Workspace& testWorkspace() {
    static Workspace workspace;
    return workspace;
}

MeshStore& freshStore() {
    Workspace& ws = testWorkspace();
    startModel(ws, "model", ReportStyle::Trace, nullptr);
    return ws.store;
}

Report& traceReport(FILE* trace) {
    Report& report = testWorkspace().report;
    startReport(report, ReportStyle::Trace, trace, "model", nullptr);
    return report;
}

ReaderRun runReader(ReaderFunction reader, const std::string& text, MeshStore& store) {
    FILE* input = streamWithText(text);
    FILE* log = temporaryStream();
    LineReader& lines = testWorkspace().lines;
    initLineReader(lines, input);
    const bool completed = reader(lines, store, traceReport(log));
    fclose(input);
    return ReaderRun{completed, takeText(log)};
}

LongestPath makeLongestPath(char fill, const std::string& extension) {
    LongestPath longest{makeTemporaryFolder(), {}, ""};
    std::string path = longest.root;
    while (!path.empty() && path.size() + 1 + 200 + 1 + extension.size() + 1 < LONGEST_TEST_PATH) {
        path += "/" + std::string(200, 'd');
        if (!makeFolder(path)) {
            return longest;
        }
        longest.folders.push_back(path);
    }
    if (!path.empty()) {
        longest.path = path + "/" +
                       std::string(LONGEST_TEST_PATH - path.size() - 1 - extension.size(), fill) +
                       extension;
    }
    return longest;
}

bool removeLongestPath(const LongestPath& longest) {
    bool removed = true;
    for (auto it = longest.folders.rbegin(); it != longest.folders.rend(); ++it) {
        removed = removeFolder(*it) && removed;
    }
    return removeFolder(longest.root) && removed;
}

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::string padded(const std::string& text) {
    return text + std::string(LINE_PADDING, '\0');
}

#ifdef _WIN32

std::string makeTemporaryFolder() {
    char base[MAX_PATH + 1];
    const DWORD length = GetTempPathA(sizeof base, base);
    if (length == 0 || length > MAX_PATH) {
        return "";
    }
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string path = std::string(base, length) + "dxf2tkmTest" +
                                 std::to_string(GetCurrentProcessId()) + "-" +
                                 std::to_string(counter++);
        if (_mkdir(path.c_str()) == 0) {
            return path;
        }
    }
    return "";
}

// The wide form of path, long paths included; valid until the next call.
const wchar_t* wide(const std::string& path) {
    static wchar_t text[WIDE_PATH_SIZE];
    return widePath(path.c_str(), text, WIDE_PATH_SIZE) ? text : L"";
}

bool makeFolder(const std::string& path) {
    return _wmkdir(wide(path)) == 0;
}

bool removeFolder(const std::string& path) {
    return _wrmdir(wide(path)) == 0;
}

bool pathExists(const std::string& path) {
    return _waccess(wide(path), 0) == 0;
}

#else

std::string makeTemporaryFolder() {
    char folder[] = "/tmp/dxf2tkmTestXXXXXX";
    return mkdtemp(folder) != nullptr ? folder : "";
}

bool makeFolder(const std::string& path) {
    return mkdir(path.c_str(), 0700) == 0;
}

bool removeFolder(const std::string& path) {
    return rmdir(path.c_str()) == 0;
}

bool pathExists(const std::string& path) {
    return access(path.c_str(), F_OK) == 0;
}

#endif

FILE* temporaryStream() {
    return openScratchFile();
}
