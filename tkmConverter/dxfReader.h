// SPDX-License-Identifier: MIT
// DXF reader: fills the store from the 3DFACE entities of a DXF text file.
//
// Walks the group-code/value line pairs of the whole file; every 3DFACE entity
// starts a quad, and the corner coordinates (codes 10-13, 20-23, 30-33) that
// follow inside it are stored into that newest quad. Writes the corner
// positions of quads and quadCount, nothing else. Traces entity types, the
// quads it starts and the group codes it does not handle on log.
#pragma once

#include <cstdio>

#include "meshStore.h"

// Reads input to its end. Returns false when a 513th face stops it; the
// message is already on log.
bool readDxfFile(FILE* input, MeshStore& store, FILE* log);

// The group code that a code line gives: the decimal integer at its start
// (white space and a sign allowed), clamped to the signed 32-bit range; 0 when
// the line does not begin with a number.
int32_t parseGroupCode(const char* line);

// The coordinate that a value line gives: the C library's decimal reading of
// its start (0 without a number), rounded to the nearest 32-bit float. The
// line is padded as the line reader delivers it (textPadding.h).
float parseGroupValue(const char* line);
