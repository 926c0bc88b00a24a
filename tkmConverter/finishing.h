// SPDX-License-Identifier: MIT
// The finishing steps between reading and writing, working in place on the store.
#pragma once

#include <cstdio>

#include "meshStore.h"

// Repairs and completes quads[0 .. quadCount-1]: removes quads whose corner 2
// is unset, then those with a coordinate that is not a finite number (in
// corners 0 to 2, or in a set corner 3), moving the last quad into the slot;
// closes triangles by copying corner 2 onto corner 3, sets every centre
// (traced as "centroid %d = %f %f %f" on log, unless log is nullptr) and gives
// quads without a normal a flat one. Counts removals and triangles in stats.
void finishQuads(MeshStore& store, ConversionStats& stats, FILE* log);

// Twice the quad's vector area: the sum of its corners' cross products in the
// stored order 0, 1, 2, 3, each step rounded to 32 bits. (0, 0, 0) for a quad
// without area: its corners on one line or one point.
Vec3 areaVector(const BrickQuad& quad);

// Settles brickSize from the quads' corners when no reader declared it,
// widening the bounds box by them first.
void settleBrickSize(MeshStore& store);

// Adds a collision box equal to the bounds box when none was declared, and
// scales the heights of every collision box by the vertical scale once.
void settleCollisionBoxes(MeshStore& store);

// settleBrickSize, then settleCollisionBoxes.
void computeBrickBounds(MeshStore& store);
