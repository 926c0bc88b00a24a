// SPDX-License-Identifier: MIT
// The fitting stage: what the options of fitOptions.h make of a model, in
// place on the store, in three steps of the run. Right after the reader the
// triangles are paired into quads (--pair); before the finishing steps the
// model is stood up (--up y) and scaled (--scale); between settleBrickSize
// and settleCollisionBoxes it is placed on the origin (--place) and its size
// rounded up (--fit). Reads and writes the quads and quadCount, the bounds
// box, brickSize and the collision boxes; prints nothing, allocates nothing.
#pragma once

#include <cstdint>

#include "fitOptions.h"
#include "meshStore.h"

// A triangle as pairing sees it: corner 2's x set (above UNSET_THRESHOLD),
// and corner 3's x not set or corner 3 equal to corner 2 bit for bit.
bool isPairingTriangle(const BrickQuad& quad);

// True when the triangles a and b pair: the same colour on their six corners
// 0 to 2, the same reversed, normal[0] zero in both or in neither, and an
// edge of a that b runs the other way along, the first one, in the order of
// a's corners outer and b's inner, whose quad passes the plane and convexity
// tests. merged then holds that quad.
bool pairTwoTriangles(const BrickQuad& a, const BrickQuad& b, BrickQuad& merged);

// Merges triangles of quads[0 .. quadCount-1]: each triangle not yet paired
// with the first later one it pairs with, which leaves the table; the others
// keep their order. Returns the number of merges.
int32_t pairTriangles(MeshStore& store);

// --up y: every corner set on all three axes becomes (x, -z, y), every
// normal too; the bounds box and the collision boxes that are not empty
// likewise; a brickSize not zero is set again from the bounds box.
void standUp(MeshStore& store);

// --scale: every set corner coordinate and the corners of every box that is
// not empty times scale; a brickSize not zero is set again from the bounds box.
void scaleModel(MeshStore& store, float scale);

// --place: the footprint of the bounds box centred on x = y = 0 and its
// lowest point moved to z = 0, the quads, their centres and the collision
// boxes that are not empty moved with it; brickSize stays.
void placeOnOrigin(MeshStore& store);

// --fit: placeOnOrigin, then brickSize the extent rounded up to whole units
// (heights times 2.5), at least 1, and the bounds box that size, centred on
// x = y = 0 from z = 0.
void roundSizeUp(MeshStore& store);

// The steps before the finishing: standUp, then scaleModel, as options ask.
void standUpAndScale(MeshStore& store, const FitOptions& options);

// The step after settleBrickSize: roundSizeUp, or else placeOnOrigin, as
// options ask.
void placeAndFit(MeshStore& store, const FitOptions& options);
