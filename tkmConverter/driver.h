// SPDX-License-Identifier: MIT
// The conversion run: command line, choice of reader, order of the stages,
// statistics and exit status. The driver resets the store's boxes, hands the
// open input to one reader, runs the finishing steps and the writer, once
// for every model the command line names.
#pragma once

#include <cstddef>
#include <cstdio>

#include "meshStore.h"

enum ExitStatus {
    EXIT_CONVERTED = 0,  // every model's brick file was written completely
    EXIT_FAILED = 1,     // any run in which a model got no complete brick file
    EXIT_USAGE = 2,      // no input path given
};

// How the program was started: from a terminal, a script or another program,
// or from Explorer (double-clicked, or model files dropped on it), where the
// trace is quiet and the run explains itself when it has no model.
enum class StartedFrom { Console, Explorer };

constexpr size_t PATH_BUFFER_SIZE = 4096;
constexpr size_t MAX_PATH_LENGTH = PATH_BUFFER_SIZE - 1;

enum class ModelFormat { Rds, Obj, Dxf, Unsupported };

enum class ConvertOutcome {
    BrickReady,        // the store holds a brick to write
    ReaderStopped,     // a reader's fatal limit; its message is printed
    NothingToConvert,  // no quad with an area and no declared size; the message is printed
};

// The reader an extension selects, letter case ignored; nullptr is Unsupported.
ModelFormat formatOfExtension(const char* extension);

// Copies inputPath into outFileName (capacity bytes) with its extension
// replaced by ".tkm". Returns false, writing nothing, when the path has no
// extension or the result does not fit.
bool buildOutputPath(const char* inputPath, char* outFileName, size_t capacity);

// The part of a run between opening the input and writing: reads input with
// the reader of format, prints "Got %d polys", finishes the store and prints
// the statistics. Does not close input.
ConvertOutcome convertModel(FILE* input, ModelFormat format, MeshStore& store, FILE* log);

// One whole run on argv: the options --quiet (-q), --help, --version and
// "--", which ends them, and every other argument a model, each converted in
// turn. store must hold its program-start values. Returns the exit status.
int runConverter(int argc, char** argv, MeshStore& store, FILE* log,
                 StartedFrom startedFrom = StartedFrom::Console);
