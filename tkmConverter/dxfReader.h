// SPDX-License-Identifier: MIT
// DXF reader: fills the store from the faces of a DXF text file.
//
// Walks the group-code/value line pairs of the whole file. An entity runs
// from its group-0 pair to the next: a 3DFACE is a quad, its corners codes
// 10-13, 20-23, 30-33; a POLYLINE with flag 64 is a polyface mesh and one with
// flag 16 a polygon mesh, whose VERTEX entities give vertices and quads; a
// MESH gives its vertices (codes 92, 10, 20, 30) and its face list (codes 93,
// 90), whose faces become quads at its end, a face of more than four corners
// a fan. A face's layer carries the group-name conventions: a colour, or the
// bounds box or a collision box (one per COLLISION layer name) in place of a
// quad. Writes the quads' corner positions and colours and quadCount, the
// vertex table and vertexCount (one mesh's vertices at a time), the bounds
// box, brickSize, the collision boxes and collisionCount. Traces entity
// types, the quads it starts and the group codes it does not handle; reports
// as warnings the entities it cannot read, the polygon meshes it skips, the
// MESH subdivision levels it ignores and a drawing of 2D entities only.
#pragma once

#include <cstdint>

#include "lineReader.h"
#include "meshStore.h"
#include "report.h"

// Reads lines, started on the input, to the end. Returns false when a binary
// DXF file, a 513th quad, a mesh's 4097th vertex or an 11th collision layer
// stops it; the message is reported.
bool readDxfFile(LineReader& lines, MeshStore& store, Report& report);

// The group code that a code line gives: the decimal integer at its start
// (white space and a sign allowed), clamped to the signed 32-bit range; 0 when
// the line does not begin with a number.
int32_t parseGroupCode(const char* line);

// The coordinate that a value line gives: the C library's decimal reading of
// its start (0 without a number), rounded to the nearest 32-bit float. The
// line is padded as the line reader delivers it (textPadding.h).
float parseGroupValue(const char* line);
