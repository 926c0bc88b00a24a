// SPDX-License-Identifier: MIT
// The conversion run: the order of the stages for each model the command
// line names, and the exit status. For every model the driver starts the
// workspace afresh, hands the open input to one reader, runs the finishing
// steps and the writer, and shows the model's report as the options ask:
// the trace, quiet lines or a JSON report; several models end with a summary.
#pragma once

#include <cstdio>

#include "fitOptions.h"
#include "workspace.h"

enum ExitStatus {
    EXIT_CONVERTED = 0,  // every model's brick file was written completely
    EXIT_FAILED = 1,     // any run in which a model got no complete brick file
    EXIT_USAGE = 2,      // no input path given, or an invalid option
};

// How the program was started: from a terminal, a script or another program,
// or from Explorer (double-clicked, or model files dropped on it), where the
// trace is quiet and the run explains itself when it has no model.
enum class StartedFrom { Console, Explorer };

enum class ModelFormat { Rds, Obj, Dxf, Unsupported };

// What became of one model: the one result that flows up from its
// conversion. Every outcome but BrickReady and BrickWritten comes with the
// model's fatal message in its report.
enum class ConvertOutcome {
    BrickReady,        // the store holds a brick to write
    BrickWritten,      // ... and its file is written
    NotRead,           // the path, its type or the file would not do
    ReaderStopped,     // a reader's fatal limit, or too many quads after pairing
    NothingToConvert,  // no quad with an area and no declared size
    NotWritten,        // the brick file could not be written
};

// The reader an extension selects, letter case ignored; nullptr is Unsupported.
ModelFormat formatOfExtension(const char* extension);

// Copies inputPath into outFileName (capacity bytes) with its extension
// replaced by ".tkm". Returns false, writing nothing, when the path has no
// extension or the result does not fit.
bool buildOutputPath(const char* inputPath, char* outFileName, size_t capacity);

// The part of a model's conversion between opening the input and writing:
// reads input with the reader of format into ws (started with startModel),
// fits the model as options ask (fitting.h), traces "Got %d polys", finishes
// the store and traces the statistics. Does not close input.
ConvertOutcome convertModel(Workspace& ws, FILE* input, ModelFormat format,
                            const FitOptions& options = FitOptions());

// One whole run on argv: the options of commandLine.h (the fit options of
// fitOptions.h among them), and every other argument a model (but the value
// of --up or --scale), each converted in turn. Returns the exit status. May
// be called any number of times with the same ws: each run starts it afresh.
int runConverter(int argc, char** argv, Workspace& ws, FILE* out,
                 StartedFrom startedFrom = StartedFrom::Console);
