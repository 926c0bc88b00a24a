// The preview picture of a brick: four panels side by side (top, front, side
// and isometric views), quads filled with their colour or a grey shaded by
// their normal and drawn back to front, collision boxes as dashed outlines,
// the brick's extent as a thin outline with its size, and a title.
#pragma once

#include <cstdio>

#include "brickFile.h"

// Writes the SVG document for brick to out; title names the brick file.
void writeSvgPicture(FILE* out, const BrickFile& brick, const char* title);
