// SPDX-License-Identifier: MIT
// How a polygon of more than four corners becomes quads, the one rule for
// every reader that reads polygons (OBJ face lines, DXF MESH faces): a fan
// around its first corner, two corners further per quad. Reads and writes
// nothing; the readers store the quads.
#pragma once

#include "brickFormat.h"  // CORNERS_PER_QUAD

constexpr int FAN_STEP = 2;

// Quads of a polygon of count corners: one up to four, else
// ceil((count - 2) / 2).
constexpr int fanQuadCount(int count) {
    return count <= CORNERS_PER_QUAD ? 1 : (count - 2 + FAN_STEP - 1) / FAN_STEP;
}

// The polygon corner that slot of fan quad j takes: corner 0 for slot 0,
// else corner 2j + slot. Past the polygon's last corner the slot stays unset,
// and the quad is a triangle.
constexpr int fanCorner(int j, int slot) {
    return slot == 0 ? 0 : FAN_STEP * j + slot;
}
