// SPDX-License-Identifier: MIT
// The JSON report (--json): one JSON object per line for each model, then one
// closing object, for programs that read the converter's results: the
// Blender add-on, scripts, the browser page. Reads the workspace after a
// model's conversion; written after it, so that the conversion itself
// allocates nothing.
#pragma once

#include <cstdio>

#include "driver.h"
#include "workspace.h"

// Whether this build writes the JSON report: it needs nlohmann-json.
#if defined(DXF2TKM_JSON_REPORT)
constexpr bool JSON_REPORT_BUILT = true;
#else
constexpr bool JSON_REPORT_BUILT = false;
#endif

// The format's version, the value of every object's "format".
constexpr int JSON_REPORT_FORMAT = 1;

// {"format":1,"model":...,"brick":...,"written":...,"quads":...,"coloured":...,
// "paintable":...,"collisionBoxes":...,"size":[...],"extent":[...],
// "offset":[...],"messages":[{"severity":...,"code":...,"line":...,"text":...,
// "advice":...}],"unlistedMessages":...} and a line end.
void printModelJson(const Workspace& ws, const char* model, ConvertOutcome outcome, FILE* out);

// {"format":1,"models":N,"bricks":M} and a line end.
void printRunJson(const RunSummary& summary, FILE* out);
