// SPDX-License-Identifier: MIT
// The page's core: the converter and the brick reader as one WebAssembly
// program whose entry the page calls again for every conversion, on files in
// its in-memory file system:
//   dxf2tkm [OPTION...] MODEL...   the converter, as the native dxf2tkm
//   dxf2tkm --dump BRICK [TEXT]    the brick as read, as tkmpreview --dump prints
//                                  it, on standard output or into the file TEXT
// Each call starts afresh, as a new run of the native program does, and
// leaves all its text written out.
#include <cstdio>
#include <cstring>

#include "brickDump.h"
#include "brickFile.h"
#include "driver.h"
#include "platformFiles.h"
#include "workspace.h"

namespace {

// Everything a conversion works in: large, so static; runConverter starts it
// afresh on every call.
Workspace workspace;

// Prints the brick at path as text to out; a file that cannot be read or
// does not follow the format gets one line on standard error, and exit
// status 1.
int dumpBrick(const char* path, FILE* out) {
    static char text[MAX_BRICK_FILE_SIZE];
    static BrickFile brick;
    static ParseError error;
    FILE* input = openFile(path, "rb");
    if (input == nullptr) {
        fprintf(stderr, "cannot open %s\n", path);
        return EXIT_FAILED;
    }
    const size_t length = fread(text, 1, sizeof text, input);
    const bool tooLarge = length == sizeof text && fgetc(input) != EOF;
    const bool readFailed = ferror(input) != 0;
    fclose(input);
    if (readFailed || tooLarge) {
        fprintf(stderr, "%s: %s\n", path,
                readFailed ? "cannot be read" : "larger than 8 MiB, the largest brick file read");
        return EXIT_FAILED;
    }
    if (!parseBrickFile(text, length, brick, error)) {
        fprintf(stderr, "%s: %s\n", path, error.message);
        return EXIT_FAILED;
    }
    writeBrickDump(out, brick);
    return fflush(out) == 0 ? EXIT_CONVERTED : EXIT_FAILED;
}

}  // namespace

int main(int argc, char** argv) {
    int status = EXIT_CONVERTED;
    if ((argc == 3 || argc == 4) && strcmp(argv[1], "--dump") == 0) {
        FILE* out = argc == 4 ? openFile(argv[3], "wb") : stdout;
        if (out == nullptr) {
            fprintf(stderr, "cannot write %s\n", argv[3]);
            return EXIT_FAILED;
        }
        status = dumpBrick(argv[2], out);
        if (out != stdout && fclose(out) != 0) {
            status = EXIT_FAILED;
        }
    } else {
        status = runConverter(argc, argv, workspace, stdout);
    }
    fflush(stdout);
    fflush(stderr);
    return status;
}
