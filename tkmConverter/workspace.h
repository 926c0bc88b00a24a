// SPDX-License-Identifier: MIT
// The run's workspace: everything a conversion touches besides the model and
// the brick files, in one object that main owns (static, for its size) and
// hands down. Nothing else holds state between models or runs, so a process
// may run the converter any number of times with the same results.
#pragma once

#include <cstddef>
#include <cstdint>

#include "lineReader.h"
#include "meshStore.h"
#include "report.h"

constexpr size_t PATH_BUFFER_SIZE = 4096;
constexpr size_t MAX_PATH_LENGTH = PATH_BUFFER_SIZE - 1;
// Failed models the closing summary names; later ones are counted.
constexpr int MAX_SUMMARY_FAILURES = 32;

struct FailedModel {
    const char* model;
    Message reason;  // the model's fatal message
};

// What the closing summary of a run of several models needs.
struct RunSummary {
    int32_t modelCount;
    int32_t converted;
    int32_t failedCount;
    FailedModel failed[MAX_SUMMARY_FAILURES];
};

struct Workspace {
    MeshStore store;
    LineReader lines;
    Report report;
    ConversionStats stats;
    char brickPath[PATH_BUFFER_SIZE];  // empty until the model's brick path is known
    RunSummary summary;
};

// Starts ws on the model modelName: the store at its program-start values
// with its boxes reset, the statistics at 0, no brick path, and the report
// afresh in style on out.
void startModel(Workspace& ws, const char* modelName, ReportStyle style, FILE* out);
