// SPDX-License-Identifier: MIT
// RDS reader: fills the store from a keyword-tagged mesh dump ("Pmsh", "VerD",
// "Posn", "PgSz", "Pgon", in any letter case).
//
// Writes vertices and vertexCount (numbering restarts with every mesh; the
// table is never cleared), and the corner positions of quads and quadCount
// (quads accumulate over all meshes). Reports its errors to the model's report
// and traces "Got %d quads".
#pragma once

#include "lineReader.h"
#include "meshStore.h"
#include "report.h"

// Reads lines, started on the input, to the end. Returns false after a fatal
// limit (too many vertices in one mesh, or too many quads), reported.
bool readRdsFile(LineReader& lines, MeshStore& store, Report& report);
