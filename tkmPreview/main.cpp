// SPDX-License-Identifier: MIT
// tkmpreview: draws special-brick files as SVG pictures of four views.
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "brickDump.h"
#include "brickFile.h"
#include "compilerSupport.h"
#include "consoleWindow.h"
#include "fileReplace.h"
#include "modelFiles.h"
#include "platformFiles.h"
#include "previewPaths.h"
#include "svgPicture.h"

namespace {

constexpr int EXIT_WRITTEN = 0;
constexpr int EXIT_FAILED = 1;
constexpr size_t MESSAGE_CAPACITY = 2 * PREVIEW_PATH_SIZE + 128;
constexpr const char* USAGE_TEXT =
    "usage: tkmpreview BRICK.tkm [PICTURE.svg]\n"
    "       tkmpreview BRICK.tkm... [-- BRICK.tkm...]\n"
    "       tkmpreview --dump BRICK.tkm   (the brick as read, as text)\n";
// What a double-click on the program shows, before it waits for Enter.
constexpr const char* EXPLORER_HELP_LINES[] = {
    "Drop brick files (.tkm) on tkmpreview.exe to draw them.",
    "Each picture is written beside its brick, with the extension .svg, and opened.",
    "Bricks come from dxf2tkm.exe: drop model files on it.",
};

// Everything a run works in: large, so main owns it (static), and the run's
// only state.
struct PreviewRun {
    char text[MAX_BRICK_FILE_SIZE];  // the brick file read
    ParseError error;
    BrickFile brick;
    char picturePath[PREVIEW_PATH_SIZE];
    char lastMessage[MESSAGE_CAPACITY];  // of failWith, for the closing summary
};

// Prints "tkmpreview: " and the formatted message on standard error.
int failWith(PreviewRun& run, const char* format, ...) PRINTF_FORMAT(2, 3);
int failWith(PreviewRun& run, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(run.lastMessage, sizeof run.lastMessage, format, arguments);
    va_end(arguments);
    fprintf(stderr, "tkmpreview: %s\n", run.lastMessage);
    return EXIT_FAILED;
}

// A model given for a brick: what to do with it.
void failWithModelAdvice(PreviewRun& run, const char* path) {
    failWith(run,
             "%s is a model, not a brick: convert it with dxf2tkm first (drop it on "
             "dxf2tkm.exe), then draw the .tkm file it writes",
             path);
}

// Reads the whole file into text; returns its length, or -1 (and a message).
long readBrickText(PreviewRun& run, const char* path, char* text, size_t capacity) {
    FILE* input = openFile(path, "rb");
    if (input == nullptr) {
        failWith(run, "cannot open %s", path);
        return -1;
    }
    const size_t length = fread(text, 1, capacity, input);
    const bool readFailed = ferror(input) != 0;
    const bool tooLarge = length == capacity && fgetc(input) != EOF;
    fclose(input);
    if (readFailed) {
        failWith(run, "cannot read %s", path);
        return -1;
    }
    if (tooLarge && looksLikeModel(path, text, length)) {
        failWithModelAdvice(run, path);
        return -1;
    }
    if (tooLarge) {
        failWith(run, "%s: larger than 8 MiB, the largest brick file read", path);
        return -1;
    }
    return static_cast<long>(length);
}

// The brick file at path, parsed into run.brick; false after a message.
bool readBrick(PreviewRun& run, const char* path) {
    const long length = readBrickText(run, path, run.text, sizeof run.text);
    if (length < 0) {
        return false;
    }
    if (!parseBrickFile(run.text, static_cast<size_t>(length), run.brick, run.error)) {
        if (looksLikeModel(path, run.text, static_cast<size_t>(length))) {
            failWithModelAdvice(run, path);
        } else {
            failWith(run, "%s: %s", path, run.error.message);
        }
        return false;
    }
    return true;
}

struct PictureContent {
    const BrickFile* brick;
    const char* title;
};

void writePictureContent(FILE* out, const void* content) {
    const PictureContent& picture = *static_cast<const PictureContent*>(content);
    writeSvgPicture(out, *picture.brick, picture.title);
}

int dumpBrick(PreviewRun& run, const char* brickPath) {
    if (!readBrick(run, brickPath)) {
        return EXIT_FAILED;
    }
    writeBrickDump(stdout, run.brick);
    return fflush(stdout) == 0 ? EXIT_WRITTEN : failWith(run, "cannot write the dump");
}

// Draws the brick at brickPath into picture (nullptr: beside the brick) and,
// when show is set, opens the picture written.
int drawBrick(PreviewRun& run, const char* brickPath, const char* picture, bool show) {
    char* picturePath = run.picturePath;
    if (picture != nullptr) {
        if (strlen(picture) >= sizeof run.picturePath) {
            return failWith(run, "%s: path too long", picture);
        }
        strcpy(picturePath, picture);
    } else if (!defaultPicturePath(brickPath, picturePath, sizeof run.picturePath)) {
        return failWith(run, "%s: path too long", brickPath);
    }
    if (isSameExistingFile(brickPath, picturePath)) {
        return failWith(run, "%s is the brick file %s itself; choose another picture path",
                        picturePath, brickPath);
    }
    if (!readBrick(run, brickPath)) {
        return EXIT_FAILED;
    }
    const PictureContent content = {&run.brick, lastPathComponent(brickPath)};
    if (replaceFileWhole(picturePath, writePictureContent, &content) != ReplaceOutcome::Replaced) {
        return failWith(run, "cannot write %s", picturePath);
    }
    printf("Wrote %s\n", picturePath);
    if (show && !openInAssociatedProgram(picturePath)) {
        failWith(run, "no program opens %s", picturePath);
    }
    return EXIT_WRITTEN;
}

// Whether path ends in ".tkm", in any letter case.
bool namesBrick(const char* path) {
    const char* dot = strrchr(lastPathComponent(path), '.');
    return dot != nullptr && (dot[1] | 0x20) == 't' && (dot[2] | 0x20) == 'k' &&
           (dot[3] | 0x20) == 'm' && dot[4] == '\0';
}

// Every brick in turn; with two or more, the failed ones' messages and the
// count after them. A failed brick does not stop the others.
int drawEach(PreviewRun& run, int first, int argc, char** argv, bool show) {
    FILE* failures = argc - first > 1 ? openScratchFile() : nullptr;
    int written = 0;
    for (int i = first; i < argc; ++i) {
        run.lastMessage[0] = '\0';
        if (drawBrick(run, argv[i], nullptr, show) == EXIT_WRITTEN) {
            ++written;
        } else if (failures != nullptr) {
            fprintf(failures, "%s\n", run.lastMessage);  // each message names its file
        }
    }
    if (argc - first > 1) {
        fflush(stdout);
        if (failures != nullptr) {
            rewind(failures);
            int c = 0;
            while ((c = fgetc(failures)) != EOF) {
                putchar(c);
            }
            fclose(failures);
        }
        printf("Wrote %d of %d pictures\n", written, argc - first);
    }
    return written == argc - first ? EXIT_WRITTEN : EXIT_FAILED;
}

int runPreview(PreviewRun& run, int argc, char** argv, bool fromExplorer) {
    if (argc > 1 && strcmp(argv[1], "--help") == 0) {
        fputs(USAGE_TEXT, stdout);
        return EXIT_WRITTEN;
    }
    if (argc == 3 && strcmp(argv[1], "--dump") == 0) {
        return dumpBrick(run, argv[2]);
    }
    const int first = argc > 1 && strcmp(argv[1], "--") == 0 ? 2 : 1;
    if (first >= argc && fromExplorer) {
        for (const char* helpLine : EXPLORER_HELP_LINES) {
            printf("%s\n", helpLine);
        }
        return EXIT_FAILED;
    }
    if (first >= argc) {
        fputs(USAGE_TEXT, stderr);
        return EXIT_FAILED;
    }
    // Two arguments, the second not another brick file: a brick and its picture's path.
    if (argc - first == 2 &&
        (!namesBrick(argv[first + 1]) || isSameExistingFile(argv[first], argv[first + 1]))) {
        return drawBrick(run, argv[first], argv[first + 1], fromExplorer);
    }
    return drawEach(run, first, argc, argv, fromExplorer);
}

}  // namespace

int main(int argc, char** argv) {
    useUtf8Arguments(argc, argv);
    const bool fromExplorer = startedFromExplorer();
    if (fromExplorer) {
        setvbuf(stdout, nullptr, _IONBF, 0);  // in order with standard error, at once
    }
    static PreviewRun run;
    const int status = runPreview(run, argc, argv, fromExplorer);
    if (fromExplorer) {
        waitForEnter(stdout);
    }
    return status;
}
