// SPDX-License-Identifier: MIT
// The preview picture of a brick: four panels side by side (top, front, side
// and isometric views) at one scale that fits everything drawn, quads filled
// with their colour or a grey shaded by their normal and height and drawn back
// to front, collision boxes as dashed outlines, the brick's extent as a thin
// outline, a height axis beside the isometric view; below the panels each
// view's name and sizes and a note for every box that could not be drawn as
// a box. The title counts the quads and those that could not be drawn.
#pragma once

#include <cstdio>

#include "brickFile.h"

// Writes the SVG document for brick to out; title names the brick file.
void writeSvgPicture(FILE* out, const BrickFile& brick, const char* title);
