// SPDX-License-Identifier: MIT
// The replacement as built where <fcntl.h> has no O_PATH (macOS, the BSDs):
// fileReplace.cpp compiled here with O_PATH hidden, so that its other folder
// opening is built and run on Linux too: a brick is replaced whole, in a
// folder named and in the working folder.
#include <fcntl.h>
#undef O_PATH
#include "../../tkmCommon/fileReplace.cpp"

#include <unistd.h>

#include <string>

static_assert(FOLDER_OPEN_FLAGS == (O_RDONLY | O_DIRECTORY | O_CLOEXEC),
              "the folder opening of systems without O_PATH");

namespace {

void writeNew(FILE* out, const void*) {
    fputs("new\r\n", out);
}

}  // namespace

int main() {
    char folder[] = "/tmp/noOPathXXXXXX";
    const std::string brick = std::string(mkdtemp(folder) ? folder : ".") + "/arch.tkm";
    FILE* old = fopen(brick.c_str(), "wb");
    fputs("old\r\n", old);
    fclose(old);
    const bool replaced =
        replaceFileWhole(brick.c_str(), writeNew, nullptr) == ReplaceOutcome::Replaced;
    char text[16] = "";
    old = fopen(brick.c_str(), "rb");
    text[fread(text, 1, sizeof text - 1, old)] = '\0';
    fclose(old);
    const bool inWorkingFolder =
        chdir(folder) == 0 &&
        replaceFileWhole("step.tkm", writeNew, nullptr) == ReplaceOutcome::Replaced;
    remove(brick.c_str());
    remove("step.tkm");
    rmdir(folder);
    if (!replaced || strcmp(text, "new\r\n") != 0 || !inWorkingFolder) {
        puts("FAILED: the replacement without O_PATH");
        return 1;
    }
    return 0;
}
