// SPDX-License-Identifier: MIT
#include "driver.h"

#include <cstring>

#include "brickChecks.h"
#include "brickWriter.h"
#include "commandLine.h"
#include "dxfReader.h"
#include "finishing.h"
#include "fitting.h"
#include "jsonReport.h"
#include "objReader.h"
#include "platformFiles.h"
#include "rdsReader.h"
#include "textScan.h"

namespace {

constexpr const char* OUTPUT_EXTENSION = ".tkm";

bool readModel(Workspace& ws, ModelFormat format) {
    switch (format) {
        case ModelFormat::Rds:
            return readRdsFile(ws.lines, ws.store, ws.report);
        case ModelFormat::Obj:
            return readObjFile(ws.lines, ws.store, ws.report);
        case ModelFormat::Dxf:
            return readDxfFile(ws.lines, ws.store, ws.report);
        case ModelFormat::Unsupported:
            break;
    }
    return true;
}

void traceStats(const Report& report, const ConversionStats& stats) {
    traceText(report, "Degenerate polys:   %d\n", stats.degenerateCount);
    traceText(report, "Triangles:          %d\n", stats.triangleCount);
    traceText(report, "Duplicates removed: %d\n", stats.duplicateCount);
    traceText(report, "\n");
}

// Whether some quad of the table has an area; an empty table has none.
bool anyQuadHasArea(const MeshStore& store) {
    for (int i = 0; i < store.quadCount; ++i) {
        if (areaVector(store.quads[i]) != Vec3()) {
            return true;
        }
    }
    return false;
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

// "Paired %d triangles into quads", and whether the brick holds the quads left.
bool reportPairing(Workspace& ws, int32_t merges) {
    traceText(ws.report, "Paired %d triangles into quads\n", merges);
    if (ws.store.quadCount > MAX_QUADS) {
        reportFatal(ws.report, "quad-limit-after-pairing", NO_LINE,
                    "ERROR: > %d quads after pairing\n", MAX_QUADS);
        return false;
    }
    return true;
}

// The model's path, its type and its file: NotRead after the fatal message,
// else the open input in input.
ConvertOutcome openInput(Workspace& ws, const char* inputPath, ModelFormat& format, FILE*& input) {
    if (strlen(inputPath) > MAX_PATH_LENGTH) {
        reportFatal(ws.report, "path-too-long", NO_LINE, "ERROR: path too long\n");
        return ConvertOutcome::NotRead;
    }
    format = formatOfExtension(findExtension(inputPath));
    if (format == ModelFormat::Unsupported) {
        reportFatal(ws.report, "unsupported-type", NO_LINE, "ERROR: unsupported file type %s\n",
                    inputPath);
        return ConvertOutcome::NotRead;
    }
    if (!buildOutputPath(inputPath, ws.brickPath, sizeof ws.brickPath)) {
        reportFatal(ws.report, "path-too-long", NO_LINE, "ERROR: path too long\n");
        return ConvertOutcome::NotRead;
    }
    input = openModel(inputPath);
    if (input == nullptr) {
        reportFatal(ws.report, "open-failed", NO_LINE, "ERROR: failed to open file %s\n",
                    inputPath);
        return ConvertOutcome::NotRead;
    }
    return ConvertOutcome::BrickReady;
}

// The whole trace of one model after the argument echo.
ConvertOutcome convertFile(Workspace& ws, const char* inputPath, const FitOptions& options) {
    ModelFormat format = ModelFormat::Unsupported;
    FILE* input = nullptr;
    ConvertOutcome outcome = openInput(ws, inputPath, format, input);
    if (outcome != ConvertOutcome::BrickReady) {
        return outcome;
    }
    outcome = convertModel(ws, input, format, options);
    fclose(input);
    if (outcome != ConvertOutcome::BrickReady) {
        return outcome;
    }
    traceText(ws.report, "Writing output file '%s'\n", ws.brickPath);
    if (!writeBrickFile(ws.brickPath, ws.store, ws.report)) {
        return ConvertOutcome::NotWritten;
    }
    return ConvertOutcome::BrickWritten;
}

ReportStyle styleOf(const CommandLine& line, StartedFrom startedFrom) {
    if (line.json) {
        return ReportStyle::Json;
    }
    const bool quiet = line.quiet || startedFrom == StartedFrom::Explorer;
    return quiet ? ReportStyle::Quiet : ReportStyle::Trace;
}

// Keeps a failed model's reason for the closing summary.
void noteFailure(RunSummary& summary, const char* model, const Report& report) {
    if (summary.failedCount < MAX_SUMMARY_FAILURES) {
        FailedModel& failed = summary.failed[summary.failedCount];
        failed.model = model;
        failed.reason = report.fatal;
    }
    ++summary.failedCount;
}

// One model, shown as style asks; counted in ws.summary.
void convertAndShow(Workspace& ws, const char* model, const FitOptions& options, ReportStyle style,
                    FILE* out) {
    startModel(ws, model, style, out);
    const ConvertOutcome outcome = convertFile(ws, model, options);
    const bool written = outcome == ConvertOutcome::BrickWritten;
    if (written && style != ReportStyle::Trace) {
        // Quads dropped for coordinates that are not numbers have their own warning.
        checkBrick(ws.report, ws.store, ws.stats.degenerateCount - ws.stats.nonNumberCount);
    }
    if (written && style == ReportStyle::Quiet) {
        printBrickSummary(model, ws.brickPath, ws.store, out);
    }
    if (style == ReportStyle::Json) {
        printModelJson(ws, model, outcome, out);
    }
    if (written) {
        ++ws.summary.converted;
    } else {
        noteFailure(ws.summary, model, ws.report);
    }
}

// The closing summary: the failed models and their reasons, then the count.
void printSummary(const RunSummary& summary, FILE* out) {
    if (summary.failedCount > 0) {
        fputs("\nNot converted:\n", out);
    }
    for (int32_t i = 0; i < summary.failedCount && i < MAX_SUMMARY_FAILURES; ++i) {
        fprintf(out, "%s: ", summary.failed[i].model);
        printPersonText(summary.failed[i].reason, out);
        fputc('\n', out);
    }
    if (summary.failedCount > MAX_SUMMARY_FAILURES) {
        fprintf(out, "and %d more\n", summary.failedCount - MAX_SUMMARY_FAILURES);
    }
    fprintf(out, "Converted %d of %d models\n", summary.converted, summary.modelCount);
}

// Every model in turn; a failed model does not stop the others.
void convertEach(const CommandLine& line, Workspace& ws, ReportStyle style, FILE* out) {
    for (int i = 1; i < line.argc; ++i) {
        if (!isModel(line, i)) {
            continue;
        }
        convertAndShow(ws, line.argv[i], line.fit, style, out);
        if (line.modelCount > 1 && ws.report.traceLineOpen) {
            fputc('\n', out);  // the next model's trace starts on a line of its own
        }
        fflush(out);  // each model's lines as soon as they are known
    }
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

void startModel(Workspace& ws, const char* modelName, ReportStyle style, FILE* out) {
    startMeshStore(ws.store);
    ws.stats = ConversionStats();
    ws.brickPath[0] = '\0';
    startReport(ws.report, style, out, modelName, &ws.store);
    ws.report.stats = &ws.stats;
}

ConvertOutcome convertModel(Workspace& ws, FILE* input, ModelFormat format,
                            const FitOptions& options) {
    MeshStore& store = ws.store;
    store.quadLimit = options.pair ? MAX_STORED_QUADS : MAX_QUADS;
    initLineReader(ws.lines, input);
    if (!readModel(ws, format)) {
        return ConvertOutcome::ReaderStopped;
    }
    if (options.pair && !reportPairing(ws, pairTriangles(store))) {
        return ConvertOutcome::ReaderStopped;
    }
    traceText(ws.report, "Got %d polys\n", store.quadCount);
    standUpAndScale(store, options);
    finishQuads(store, ws.stats, ws.report.trace);
    // Without a declared size, faces without area (no quads, or every corner
    // on one line) make a brick of nothing visible.
    const bool nothingToConvert = store.brickSize == Vec3() && !anyQuadHasArea(store);
    settleBrickSize(store);
    placeAndFit(store, options);
    settleCollisionBoxes(store);
    traceStats(ws.report, ws.stats);
    if (ws.stats.nonNumberCount > 0) {
        reportWarning(ws.report, "not-numbers", NO_LINE,
                      "WARNING: %d quads with coordinates that are not numbers were dropped\n",
                      ws.stats.nonNumberCount);
    }
    if (nothingToConvert) {
        reportFatal(ws.report, "no-polygons", NO_LINE, "ERROR: no polygons to convert\n");
        return ConvertOutcome::NothingToConvert;
    }
    return ConvertOutcome::BrickReady;
}

int runConverter(int argc, char** argv, Workspace& ws, FILE* out, StartedFrom startedFrom) {
    const CommandLine line = readCommandLine(argc, argv);
    if (line.infoRequest != nullptr) {
        answerInfoRequest(line.infoRequest, out);
        return EXIT_CONVERTED;
    }
    const ReportStyle style = styleOf(line, startedFrom);
    if (style == ReportStyle::Trace) {
        for (int i = 0; i < argc; ++i) {
            fprintf(out, "argv[%d] = %s\n", i, argv[i]);
        }
    }
    if (line.fitError != nullptr) {
        fputs(line.fitError, out);
        return EXIT_USAGE;
    }
    if (line.json && !JSON_REPORT_BUILT) {
        fputs("ERROR: --json is not in this build of dxf2tkm (built without nlohmann-json)\n", out);
        return EXIT_USAGE;
    }
    if (line.modelCount == 0) {
        if (startedFrom == StartedFrom::Explorer) {
            printExplorerHelp(out);
        } else {
            printUsage(out);
        }
        return EXIT_USAGE;
    }
    ws.summary.modelCount = line.modelCount;
    ws.summary.converted = 0;
    ws.summary.failedCount = 0;
    convertEach(line, ws, style, out);
    if (style == ReportStyle::Json) {
        printRunJson(ws.summary, out);
    } else if (line.modelCount > 1) {
        printSummary(ws.summary, out);
    }
    return ws.summary.converted == line.modelCount ? EXIT_CONVERTED : EXIT_FAILED;
}
