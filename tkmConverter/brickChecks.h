// SPDX-License-Identifier: MIT
// What a person needs to know about a finished brick, beyond the trace: the
// one-line summary of a converted model, its figures, and the warnings about
// a model that lies on its side, a size the size line cuts, a model off the
// origin and quads dropped as degenerate, each naming the option that helps.
// Reads the store after the finishing steps; changes nothing but the report.
#pragma once

#include <cstddef>
#include <cstdio>

#include "meshStore.h"
#include "report.h"

// Placement and size differences up to this are rounding, not modelling.
constexpr double CHECK_TOLERANCE = 1e-4;

// Room for the text of one shortReal: realFormat's longest and three digits more.
constexpr size_t SHORT_REAL_CAPACITY = 328;

// value as a person reads it: six decimals without trailing zeros ("0.75",
// "2"), or nine where six would make a value that is not whole read as whole
// ("3.999999762", not "4"). Writes a terminating zero; returns the length.
size_t shortReal(float value, char* text);

// The figures of a finished brick.
struct BrickFacts {
    int32_t quads;
    int32_t coloured;
    int32_t collisionBoxes;
    int32_t size[3];  // the size line
    float extent[3];  // brickSize, before the size line cuts it
    float offset[3];  // the footprint's centre x and y, the lowest z
};

BrickFacts brickFacts(const MeshStore& store);

// Prints "NAME -> BRICK: Q quads (C coloured, P paintable), B collision
// boxes, size X Y Z" and a line end.
void printBrickSummary(const char* modelName, const char* brickName, const MeshStore& store,
                       FILE* out);

// Reports a warning for every check the brick fails, each saying what to do
// (its text without the "WARNING: " that quiet mode puts before it): an OBJ
// that Blender wrote with y up lies on y = 0 and not on z = 0 ("y-up", --up
// y), the size line cuts the extent ("size-cut", --fit), the footprint is not
// centred on x = y = 0 or the lowest point is not at z = 0 ("off-origin",
// --place), quads were dropped ("dropped-quads").
void checkBrick(Report& report, const MeshStore& store, int32_t degenerateCount);
