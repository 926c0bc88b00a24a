// SPDX-License-Identifier: MIT
// What a person needs to know about a finished brick, beyond the trace: the
// one-line summary of a converted model and the warnings about a model that
// lies on its side, a size the size line cuts, a model off the origin and
// quads dropped as degenerate, each naming the option that helps.
// Reads the store after the finishing steps; changes nothing.
#pragma once

#include <cstddef>
#include <cstdio>

#include "meshStore.h"

// Placement and size differences up to this are rounding, not modelling.
constexpr double CHECK_TOLERANCE = 1e-4;

// Room for the text of one shortReal: realFormat's longest and three digits more.
constexpr size_t SHORT_REAL_CAPACITY = 328;

// value as a person reads it: six decimals without trailing zeros ("0.75",
// "2"), or nine where six would make a value that is not whole read as whole
// ("3.999999762", not "4"). Writes a terminating zero; returns the length.
size_t shortReal(float value, char* text);

// Prints "NAME -> BRICK: Q quads (C coloured, P paintable), B collision
// boxes, size X Y Z" and a line end.
void printBrickSummary(const char* modelName, const char* brickName, const MeshStore& store,
                       FILE* out);

// Prints "NAME: WARNING: ..." for every check the brick fails, each saying
// what to do: an OBJ that Blender wrote with y up lies on y = 0 and not on
// z = 0 (--up y), the size line cuts the extent (--fit), the footprint is not
// centred on x = y = 0 or the lowest point is not at z = 0 (--place), quads
// were dropped.
void printBrickWarnings(const char* modelName, const MeshStore& store, int32_t degenerateCount,
                        FILE* out);
