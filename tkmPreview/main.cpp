// SPDX-License-Identifier: MIT
// tkmpreview: draws a special-brick file as an SVG picture of four views.
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "brickDump.h"
#include "brickFile.h"
#include "compilerSupport.h"
#include "fileReplace.h"
#include "platformFiles.h"
#include "previewPaths.h"
#include "svgPicture.h"

namespace {

constexpr int EXIT_WRITTEN = 0;
constexpr int EXIT_FAILED = 1;

// Prints "tkmpreview: " and the formatted message on standard error.
int failWith(const char* format, ...) PRINTF_FORMAT(1, 2);
int failWith(const char* format, ...) {
    fprintf(stderr, "tkmpreview: ");
    va_list arguments;
    va_start(arguments, format);
    vfprintf(stderr, format, arguments);
    va_end(arguments);
    fputc('\n', stderr);
    return EXIT_FAILED;
}

// Reads the whole file into text; returns its length, or -1 (and a message).
long readBrickText(const char* path, char* text, size_t capacity) {
    FILE* input = openFile(path, "rb");
    if (input == nullptr) {
        failWith("cannot open %s", path);
        return -1;
    }
    const size_t length = fread(text, 1, capacity, input);
    const bool readFailed = ferror(input) != 0;
    const bool tooLarge = length == capacity && fgetc(input) != EOF;
    fclose(input);
    if (readFailed) {
        failWith("cannot read %s", path);
        return -1;
    }
    if (tooLarge) {
        failWith("%s: larger than 8 MiB, the largest brick file read", path);
        return -1;
    }
    return static_cast<long>(length);
}

struct PictureContent {
    const BrickFile* brick;
    const char* title;
};

void writePictureContent(FILE* out, const void* content) {
    const PictureContent& picture = *static_cast<const PictureContent*>(content);
    writeSvgPicture(out, *picture.brick, picture.title);
}

}  // namespace

int main(int argc, char** argv) {
    useUtf8Arguments(argc, argv);
    if (argc < 2 || argc > 3 || strcmp(argv[1], "--help") == 0) {
        fprintf(argc == 2 ? stdout : stderr,
                "usage: tkmpreview BRICK.tkm [PICTURE.svg]\n"
                "       tkmpreview --dump BRICK.tkm   (the brick as read, as text)\n");
        return argc == 2 ? EXIT_WRITTEN : EXIT_FAILED;
    }
    // --dump prints what the parser read instead of drawing it.
    const bool dumpOnly = argc == 3 && strcmp(argv[1], "--dump") == 0;
    const char* brickPath = dumpOnly ? argv[2] : argv[1];
    static char picturePath[PREVIEW_PATH_SIZE];
    if (dumpOnly) {
        picturePath[0] = '\0';
    } else if (argc == 3) {
        if (strlen(argv[2]) >= sizeof picturePath) return failWith("%s: path too long", argv[2]);
        strcpy(picturePath, argv[2]);
    } else if (!defaultPicturePath(brickPath, picturePath, sizeof picturePath)) {
        return failWith("%s: path too long", brickPath);
    }
    if (isSameExistingFile(brickPath, picturePath)) {
        return failWith("%s is the brick file %s itself; choose another picture path", picturePath,
                        brickPath);
    }
    static char text[MAX_BRICK_FILE_SIZE];
    const long length = readBrickText(brickPath, text, sizeof text);
    if (length < 0) {
        return EXIT_FAILED;
    }
    static BrickFile brick;
    static ParseError error;
    if (!parseBrickFile(text, static_cast<size_t>(length), brick, error)) {
        return failWith("%s: %s", brickPath, error.message);
    }
    if (dumpOnly) {
        writeBrickDump(stdout, brick);
        return fflush(stdout) == 0 ? EXIT_WRITTEN : failWith("cannot write the dump");
    }
    const PictureContent picture = {&brick, lastPathComponent(brickPath)};
    if (replaceFileWhole(picturePath, writePictureContent, &picture) != ReplaceOutcome::Replaced) {
        return failWith("cannot write %s", picturePath);
    }
    printf("Wrote %s\n", picturePath);
    return EXIT_WRITTEN;
}
