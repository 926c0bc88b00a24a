// SPDX-License-Identifier: MIT
// Shared by the fuzz targets: input bytes as a read stream, a sink for the
// trace, and the store in the state the driver gives it at start.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "meshStore.h"

// A stream over the bytes; an empty input reads as an empty file.
FILE* openBytes(const uint8_t* data, size_t size);

// A write stream that discards everything (opened once).
FILE* traceSink();

// The one store, reset exactly as at program start and by the driver.
MeshStore& startStore();
