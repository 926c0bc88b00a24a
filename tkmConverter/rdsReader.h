// SPDX-License-Identifier: MIT
// RDS reader: fills the store from a keyword-tagged mesh dump ("Pmsh", "VerD",
// "Posn", "PgSz", "Pgon", in any letter case).
//
// Writes vertices and vertexCount (numbering restarts with every mesh; the
// table is never cleared), and the corner positions of quads and quadCount
// (quads accumulate over all meshes). Prints its errors and "Got %d quads" on log.
#pragma once

#include <cstdio>

#include "meshStore.h"

// Reads input to its end. Returns false after a fatal limit (too many vertices
// in one mesh, or too many quads), whose message is already on log.
bool readRdsFile(FILE* input, MeshStore& store, FILE* log);
