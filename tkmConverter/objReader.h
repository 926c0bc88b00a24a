// SPDX-License-Identifier: MIT
// OBJ reader: fills the store from a Wavefront OBJ text stream.
//
// Writes vertices and vertexCount, normals and normalCount, the quads (corner
// positions, normals and colours, and reversed) and quadCount, the bounds box
// from BOUNDS groups, the collision boxes and collisionCount from COLLISION
// groups, and brickSize when a BOUNDS group stored a corner. A corner's colour
// comes from its group's name or, where that gives none, from the latest
// material (usemtl) name; a face of five corners or more fills a fan of quads.
// Notes in yUpExporter whether the first comment line names an exporter that
// writes y up by default (Blender 2.8 and later). Stores at most
// store.quadLimit quads. Traces every line ("line %d") and reports its errors
// to the model's report.
#pragma once

#include "lineReader.h"
#include "meshStore.h"
#include "report.h"

// Reads lines, started on the input, to the end. Returns false after a fatal
// limit (too many quads, vertices, normals or collision boxes), reported.
bool readObjFile(LineReader& lines, MeshStore& store, Report& report);
