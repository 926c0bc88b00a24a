// SPDX-License-Identifier: MIT
// Shared by the fuzz targets: input bytes as a read stream, a sink for the
// trace, and the workspace in the state the driver gives it at a model's start.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "workspace.h"

// A stream over the bytes; an empty input reads as an empty file.
FILE* openBytes(const uint8_t* data, size_t size);

// A write stream that discards everything (opened once).
FILE* traceSink();

// The one workspace, started on a model exactly as the driver starts it,
// tracing to traceSink.
Workspace& startWorkspace();
