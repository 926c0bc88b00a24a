// SPDX-License-Identifier: MIT
// The finishing steps between reading and writing, working in place on the store.
#pragma once

#include <cstdio>

#include "meshStore.h"

// Repairs and completes quads[0 .. quadCount-1]: removes quads whose corner 2
// is unset (moving the last quad into the slot), closes triangles by copying
// corner 2 onto corner 3, sets every centre (traced as "centroid %d = %f %f %f"
// on log, unless log is nullptr) and gives quads without a normal a flat one. Counts removals and
// triangles in stats.
void finishQuads(MeshStore& store, ConversionStats& stats, FILE* log);

// Settles brickSize from the quads' corners when no reader declared it,
// widening the bounds box by them first.
void settleBrickSize(MeshStore& store);

// Adds a collision box equal to the bounds box when none was declared, and
// scales the heights of every collision box by the vertical scale once.
void settleCollisionBoxes(MeshStore& store);

// settleBrickSize, then settleCollisionBoxes.
void computeBrickBounds(MeshStore& store);
