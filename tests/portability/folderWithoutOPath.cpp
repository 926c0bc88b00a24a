// SPDX-License-Identifier: MIT
// The replacement as built where <fcntl.h> has no O_PATH (macOS, the BSDs):
// fileReplace.cpp compiled here with O_PATH hidden, so that its other folder
// opening is built and run on Linux too: a brick is replaced whole, in a
// folder named and in the working folder.
#include <fcntl.h>
#undef O_PATH
#include "../../tkmCommon/fileReplace.cpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

static_assert(FOLDER_OPEN_FLAGS == (O_RDONLY | O_DIRECTORY | O_CLOEXEC),
              "the folder opening of systems without O_PATH");

namespace {

void writeNew(FILE* out, const void*) {
    fputs("new\r\n", out);
}

std::string contentOf(const std::string& path) {
    std::string text;
    if (FILE* in = fopen(path.c_str(), "rb")) {
        for (int c = 0; (c = fgetc(in)) != EOF;) text += static_cast<char>(c);
        fclose(in);
    }
    return text;
}

int failures = 0;

void expect(bool holds, const char* what) {
    if (!holds) {
        printf("FAILED: %s\n", what);
        ++failures;
    }
}

}  // namespace

int main() {
    char folder[] = "/tmp/noOPathXXXXXX";
    if (mkdtemp(folder) == nullptr) return 1;
    const std::string brick = std::string(folder) + "/arch.tkm";
    FILE* old = fopen(brick.c_str(), "wb");
    fputs("old\r\n", old);
    fclose(old);
    struct stat before = {};
    stat(brick.c_str(), &before);
    expect(replaceFileWhole(brick.c_str(), writeNew, nullptr) == ReplaceOutcome::Replaced,
           "replaced in a folder named");
    struct stat after = {};
    stat(brick.c_str(), &after);
    expect(contentOf(brick) == "new\r\n" && after.st_ino != before.st_ino, "replaced whole");
    expect(chdir(folder) == 0 &&
               replaceFileWhole("step.tkm", writeNew, nullptr) == ReplaceOutcome::Replaced,
           "written in the working folder");
    remove(brick.c_str());
    remove("step.tkm");
    rmdir(folder);
    return failures == 0 ? 0 : 1;
}
