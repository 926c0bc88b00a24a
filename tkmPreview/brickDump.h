// SPDX-License-Identifier: MIT
// A brick file as the parser read it, as plain text for other programs (the
// Blender add-on's importer): one record a line, a keyword and its numbers
// separated by blanks, reals with six decimals ("inf", "-inf", "nan" for
// values that are not finite):
//   size X Y Z
//   box CENTREX CENTREY CENTREZ SIZEX SIZEY SIZEZ      (one per collision box)
//   quad SECTION                                        (top ... omni)
//   position X Y Z       four, in the file's order
//   uv U V               four
//   color R G B A        four, fractions as written; only when the quad has colours
//   normal X Y Z         four, in the file's order
#pragma once

#include <cstdio>

#include "brickFile.h"

void writeBrickDump(FILE* out, const BrickFile& brick);
