// SPDX-License-Identifier: MIT
#include "driver.h"

#include <cstring>

#include "brickWriter.h"
#include "dxfReader.h"
#include "finishing.h"
#include "objReader.h"
#include "platformFiles.h"
#include "rdsReader.h"
#include "textScan.h"

#ifndef DXF2TKM_VERSION
#define DXF2TKM_VERSION "unknown"
#endif

namespace {

constexpr const char* USAGE_LINE = "usage: dxf2tkm.exe [input file]\n";
constexpr const char* OUTPUT_EXTENSION = ".tkm";
constexpr const char* HELP_TEXT =
    "\n"
    "Converts one model into a special-brick file written beside it, with the\n"
    "extension replaced by .tkm. The extension of the input, in any letter case,\n"
    "selects its format:\n"
    "  .obj  Wavefront OBJ: v, vn, f and g lines; groups named COLOR_r_g_b[_a],\n"
    "        SUBCOLOR_r_g_b, ADDCOLOR_r_g_b, BOUNDS and COLLISION\n"
    "  .rds  mesh dump with Pmsh, VerD, Posn, PgSz and Pgon lines\n"
    "  .dxf  DXF drawing; its 3DFACE entities become the brick's quads\n"
    "The trace goes to standard output. Exit status: 0 when the brick file was\n"
    "written, 1 when it was not, 2 without an input file.\n";

bool readModel(FILE* input, ModelFormat format, MeshStore& store, FILE* log) {
    switch (format) {
        case ModelFormat::Rds:
            return readRdsFile(input, store, log);
        case ModelFormat::Obj:
            return readObjFile(input, store, log);
        case ModelFormat::Dxf:
            return readDxfFile(input, store, log);
        case ModelFormat::Unsupported:
            break;
    }
    return true;
}

void printStats(const ConversionStats& stats, FILE* log) {
    fprintf(log, "Degenerate polys:   %d\n", stats.degenerateCount);
    fprintf(log, "Triangles:          %d\n", stats.triangleCount);
    fprintf(log, "Duplicates removed: %d\n", stats.duplicateCount);
    fprintf(log, "\n");
}

// Opens the model for reading, as bytes on every system: line ends, zero
// bytes and Ctrl-Z are the line reader's to handle. A directory, which Linux
// would open and give no bytes of, counts as a file that cannot be opened.
FILE* openModel(const char* path) {
    FILE* input = openFile(path, "rb");
    if (input == nullptr) {
        return nullptr;
    }
    const int first = getc(input);
    if (first == EOF && ferror(input)) {
        fclose(input);
        return nullptr;
    }
    if (first != EOF) {
        ungetc(first, input);
    }
    return input;
}

// Answers --help and --version; returns false for any other argument.
bool answerInfoRequest(const char* argument, FILE* log) {
    if (strcmp(argument, "--help") == 0) {
        fprintf(log, "%s%s", USAGE_LINE, HELP_TEXT);
        return true;
    }
    if (strcmp(argument, "--version") == 0) {
        fprintf(log, "dxf2tkm %s\n", DXF2TKM_VERSION);
        return true;
    }
    return false;
}

int convertFile(const char* inputPath, ModelFormat format, MeshStore& store, FILE* log) {
    char outFileName[PATH_BUFFER_SIZE];
    if (!buildOutputPath(inputPath, outFileName, sizeof outFileName)) {
        fprintf(log, "ERROR: path too long\n");
        return EXIT_FAILED;
    }
    FILE* input = openModel(inputPath);
    if (input == nullptr) {
        fprintf(log, "ERROR: failed to open file %s\n", inputPath);
        return EXIT_FAILED;
    }
    const ConvertOutcome outcome = convertModel(input, format, store, log);
    fclose(input);
    if (outcome != ConvertOutcome::BrickReady) {
        return EXIT_FAILED;
    }
    fprintf(log, "Writing output file '%s'\n", outFileName);
    return writeBrickFile(outFileName, store, log) ? EXIT_CONVERTED : EXIT_FAILED;
}

}  // namespace

ModelFormat formatOfExtension(const char* extension) {
    if (extension == nullptr) {
        return ModelFormat::Unsupported;
    }
    if (equalsIgnoringCase(extension, ".rds")) {
        return ModelFormat::Rds;
    }
    if (equalsIgnoringCase(extension, ".obj")) {
        return ModelFormat::Obj;
    }
    if (equalsIgnoringCase(extension, ".dxf")) {
        return ModelFormat::Dxf;
    }
    return ModelFormat::Unsupported;
}

bool buildOutputPath(const char* inputPath, char* outFileName, size_t capacity) {
    return findExtension(inputPath) != nullptr &&
           replaceExtension(inputPath, OUTPUT_EXTENSION, outFileName, capacity);
}

ConvertOutcome convertModel(FILE* input, ModelFormat format, MeshStore& store, FILE* log) {
    if (!readModel(input, format, store, log)) {
        return ConvertOutcome::ReaderStopped;
    }
    fprintf(log, "Got %d polys\n", store.quadCount);
    ConversionStats stats;
    finishQuads(store, stats, log);
    const bool nothingToConvert = store.quadCount == 0 && store.brickSize == Vec3();
    computeBrickBounds(store);
    printStats(stats, log);
    if (nothingToConvert) {
        fprintf(log, "ERROR: no polygons to convert\n");
        return ConvertOutcome::NothingToConvert;
    }
    return ConvertOutcome::BrickReady;
}

int runConverter(int argc, char** argv, MeshStore& store, FILE* log) {
    resetBoxes(store);
    for (int i = 0; i < argc; ++i) {
        fprintf(log, "argv[%d] = %s\n", i, argv[i]);
    }
    if (argc <= 1) {
        fprintf(log, "%s", USAGE_LINE);
        return EXIT_USAGE;
    }
    const char* inputPath = argv[1];
    if (answerInfoRequest(inputPath, log)) {
        return EXIT_CONVERTED;
    }
    if (strlen(inputPath) > MAX_PATH_LENGTH) {
        fprintf(log, "ERROR: path too long\n");
        return EXIT_FAILED;
    }
    const ModelFormat format = formatOfExtension(findExtension(inputPath));
    if (format == ModelFormat::Unsupported) {
        fprintf(log, "ERROR: unsupported file type %s\n", inputPath);
        return EXIT_FAILED;
    }
    return convertFile(inputPath, format, store, log);
}
