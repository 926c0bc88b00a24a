// SPDX-License-Identifier: MIT
#include "driver.h"

#include <cstring>

#include "brickChecks.h"
#include "brickWriter.h"
#include "dxfReader.h"
#include "finishing.h"
#include "objReader.h"
#include "platformFiles.h"
#include "rdsReader.h"
#include "textScan.h"
#include "traceReplay.h"

#ifndef DXF2TKM_VERSION
#define DXF2TKM_VERSION "unknown"
#endif

namespace {

constexpr const char* USAGE_LINE = "usage: dxf2tkm.exe [input file]\n";
constexpr const char* OUTPUT_EXTENSION = ".tkm";
constexpr const char* HELP_TEXT =
    "       dxf2tkm.exe [-q] MODEL... [-- MODEL...]\n"
    "\n"
    "Converts each model into a special-brick file written beside it, with the\n"
    "extension replaced by .tkm. The extension of the input, in any letter case,\n"
    "selects its format:\n"
    "  .obj  Wavefront OBJ: v, vn, f, g and usemtl lines; groups and materials\n"
    "        named COLOR_r_g_b[_a], SUBCOLOR_r_g_b or ADDCOLOR_r_g_b; groups named\n"
    "        BOUNDS and COLLISION\n"
    "  .rds  mesh dump with Pmsh, VerD, Posn, PgSz and Pgon lines\n"
    "  .dxf  ASCII DXF drawing: 3DFACE entities, polyface and polygon meshes,\n"
    "        MESH entities; layers named as the groups above\n"
    "Options:\n"
    "  -q, --quiet  one line per model, its warnings and errors, instead of the trace\n"
    "  --           every argument after it is a model\n"
    "  --help       this text; --version prints the version\n"
    "The trace goes to standard output; several models end with a summary. Exit\n"
    "status: 0 when every brick file was written, 1 when one was not, 2 without\n"
    "an input file.\n";
// What a double-click on the program shows, before it waits for Enter.
constexpr const char* EXPLORER_HELP_LINES[] = {
    "Drop model files (.obj, .rds, .dxf) on dxf2tkm.exe to convert them.",
    "Each brick is written beside its model, with the extension .tkm.",
    "Drop a brick on tkmpreview.exe for a picture of it.",
};
constexpr const char* QUIET_OPTION = "--quiet";
constexpr const char* QUIET_SHORT_OPTION = "-q";
constexpr const char* END_OF_OPTIONS = "--";

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

// What one model's conversion leaves for the person's report.
struct ModelRun {
    ConversionStats stats;
    char brickPath[PATH_BUFFER_SIZE];
};

ConvertOutcome convertCounting(FILE* input, ModelFormat format, MeshStore& store, FILE* log,
                               ConversionStats& stats) {
    if (!readModel(input, format, store, log)) {
        return ConvertOutcome::ReaderStopped;
    }
    fprintf(log, "Got %d polys\n", store.quadCount);
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

// The whole trace of one model after the argument echo.
int convertFile(const char* inputPath, MeshStore& store, FILE* log, ModelRun& run) {
    if (strlen(inputPath) > MAX_PATH_LENGTH) {
        fprintf(log, "ERROR: path too long\n");
        return EXIT_FAILED;
    }
    const ModelFormat format = formatOfExtension(findExtension(inputPath));
    if (format == ModelFormat::Unsupported) {
        fprintf(log, "ERROR: unsupported file type %s\n", inputPath);
        return EXIT_FAILED;
    }
    if (!buildOutputPath(inputPath, run.brickPath, sizeof run.brickPath)) {
        fprintf(log, "ERROR: path too long\n");
        return EXIT_FAILED;
    }
    FILE* input = openModel(inputPath);
    if (input == nullptr) {
        fprintf(log, "ERROR: failed to open file %s\n", inputPath);
        return EXIT_FAILED;
    }
    const ConvertOutcome outcome = convertCounting(input, format, store, log, run.stats);
    fclose(input);
    if (outcome != ConvertOutcome::BrickReady) {
        return EXIT_FAILED;
    }
    fprintf(log, "Writing output file '%s'\n", run.brickPath);
    return writeBrickFile(run.brickPath, store, log) ? EXIT_CONVERTED : EXIT_FAILED;
}

// What the command line asks for. An argument is a model unless it is one of
// the options and stands before "--".
struct CommandLine {
    int argc;
    char** argv;
    int optionsEnd;  // the index of "--", or argc
    bool quiet;
    const char* infoRequest;  // the first --help or --version, or nullptr
    int modelCount;
};

bool isOption(const char* argument) {
    return strcmp(argument, QUIET_OPTION) == 0 || strcmp(argument, QUIET_SHORT_OPTION) == 0 ||
           strcmp(argument, "--help") == 0 || strcmp(argument, "--version") == 0;
}

bool isModel(const CommandLine& line, int index) {
    return index > line.optionsEnd || (index < line.optionsEnd && !isOption(line.argv[index]));
}

CommandLine readCommandLine(int argc, char** argv) {
    CommandLine line{argc, argv, argc, false, nullptr, 0};
    for (int i = 1; i < argc && line.optionsEnd == argc; ++i) {
        const char* argument = argv[i];
        if (strcmp(argument, END_OF_OPTIONS) == 0) {
            line.optionsEnd = i;
        } else if (strcmp(argument, QUIET_OPTION) == 0 ||
                   strcmp(argument, QUIET_SHORT_OPTION) == 0) {
            line.quiet = true;
        } else if (isOption(argument) && line.infoRequest == nullptr) {
            line.infoRequest = argument;
        }
    }
    for (int i = 1; i < argc; ++i) {
        line.modelCount += isModel(line, i) ? 1 : 0;
    }
    return line;
}

// Where the traces of a run of several models, or of a quiet run, go before
// they are handed on, and the summary's lines about failed models.
struct Capture {
    FILE* trace;    // nullptr: the trace goes out as it is written
    FILE* summary;  // one line per failed model
};

// Converts model through the capture; returns whether its brick was written.
bool convertCaptured(const char* model, MeshStore& store, FILE* log, bool quiet, Capture& capture) {
    static ModelRun run;
    run.stats = ConversionStats();
    if (capture.trace == nullptr) {
        return convertFile(model, store, log, run) == EXIT_CONVERTED;
    }
    const bool converted = convertFile(model, store, capture.trace, run) == EXIT_CONVERTED;
    static TraceReplay replay;
    replay.modelName = model;
    replay.quiet = quiet;
    replayTrace(capture.trace, replay, log);
    if (converted && quiet) {
        printBrickWarnings(model, store, run.stats.degenerateCount, log);
        printBrickSummary(model, run.brickPath, store, log);
    }
    if (!converted && capture.summary != nullptr) {
        fprintf(capture.summary, "%s: %s\n", model, replay.firstError);
    }
    return converted;
}

// The closing summary: the failed models' lines, then the count.
void printSummary(FILE* summary, int converted, int modelCount, FILE* log) {
    if (summary != nullptr) {
        fflush(summary);
        const long end = ftell(summary);
        rewind(summary);
        char chunk[ERROR_LINE_CAPACITY];
        size_t remaining = end > 0 ? static_cast<size_t>(end) : 0;
        size_t count = 0;
        while (remaining > 0 &&
               (count = fread(chunk, 1, remaining < sizeof chunk ? remaining : sizeof chunk,
                              summary)) > 0) {
            fwrite(chunk, 1, count, log);
            remaining -= count;
        }
    }
    fprintf(log, "Converted %d of %d models\n", converted, modelCount);
}

// Every model in turn, each after the store's reset; a failed model does not
// stop the others. Traces go through scratch files, so that a quiet run keeps
// only what a person needs and the summary names each failed model's first
// ERROR line; without them the traces go out as they are and the summary
// gives the count alone.
int convertEach(const CommandLine& line, MeshStore& store, FILE* log, bool quiet) {
    Capture capture{openScratchFile(), nullptr};
    if (capture.trace != nullptr && line.modelCount > 1) {
        capture.summary = openScratchFile();
    }
    int converted = 0;
    bool first = true;
    for (int i = 1; i < line.argc; ++i) {
        if (!isModel(line, i)) {
            continue;
        }
        if (!first) {
            clearMeshStore(store);
            resetBoxes(store);
        }
        first = false;
        converted += convertCaptured(line.argv[i], store, log, quiet, capture) ? 1 : 0;
        fflush(log);  // each model's lines as soon as they are known
    }
    if (line.modelCount > 1) {
        printSummary(capture.summary, converted, line.modelCount, log);
    }
    if (capture.trace != nullptr) {
        fclose(capture.trace);
    }
    if (capture.summary != nullptr) {
        fclose(capture.summary);
    }
    return converted == line.modelCount ? EXIT_CONVERTED : EXIT_FAILED;
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
    ConversionStats stats;
    return convertCounting(input, format, store, log, stats);
}

int runConverter(int argc, char** argv, MeshStore& store, FILE* log, StartedFrom startedFrom) {
    resetBoxes(store);
    const CommandLine line = readCommandLine(argc, argv);
    if (line.infoRequest != nullptr) {
        answerInfoRequest(line.infoRequest, log);
        return EXIT_CONVERTED;
    }
    const bool quiet = line.quiet || startedFrom == StartedFrom::Explorer;
    if (!quiet) {
        for (int i = 0; i < argc; ++i) {
            fprintf(log, "argv[%d] = %s\n", i, argv[i]);
        }
    }
    if (line.modelCount == 0 && startedFrom == StartedFrom::Explorer) {
        for (const char* helpLine : EXPLORER_HELP_LINES) {
            fprintf(log, "%s\n", helpLine);
        }
        return EXIT_USAGE;
    }
    if (line.modelCount == 0) {
        fprintf(log, "%s", USAGE_LINE);
        return EXIT_USAGE;
    }
    if (line.modelCount == 1 && !quiet) {
        static ModelRun run;
        for (int i = 1; i < argc; ++i) {
            if (isModel(line, i)) {
                return convertFile(argv[i], store, log, run);
            }
        }
    }
    return convertEach(line, store, log, quiet);
}
