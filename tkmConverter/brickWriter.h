// SPDX-License-Identifier: MIT
// Brick file writer: the special-brick text file, lines ending in CR LF.
//
// Reads brickSize, the collision boxes 0 .. collisionCount-1 (heights already
// scaled) and quads 0 .. quadCount-1 (heights not yet scaled: the writer scales
// them and moves them down by half the brick height). Changes nothing.
#pragma once

#include <cstdint>
#include <cstdio>

#include "meshStore.h"
#include "report.h"

// Writes the whole file's text to out, which must be a binary stream.
void writeBrickText(FILE* out, const MeshStore& store);

// Creates outFileName, or replaces it whole, with the brick file. Returns true
// when it was written and closed completely. Otherwise reports "ERROR: failed
// to open %s" (without a line end) or "ERROR: failed to write %s" as the
// model's fatal message and returns false; an existing brick file is then
// left as it was.
bool writeBrickFile(const char* outFileName, const MeshStore& store, Report& report);

// A size component as the size line writes it: truncated toward zero,
// saturated to the signed 32-bit range, 0 for NaN.
int32_t truncateToInt32(float value);
