#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes this case: 1024 RDS triangles, which --pair reads whole, make 513
quads after pairing, one more than a brick holds: 511 unit squares cut along
a diagonal (each pair merges: its triangles share that edge the other way
round, in one plane, into a convex quad) and one triangle twice (the copies
share their edges the same way round, so they do not pair). The run prints
"Paired 511 triangles into quads" and "ERROR: > 512 quads after pairing":
no brick."""
import pathlib

ROW = 32  # squares in a row of the grid
SQUARES = 511


def vertex(column, row):
    return row * (ROW + 1) + column


model = ["Pmsh"]
for row in range(SQUARES // ROW + 2):
    for column in range(ROW + 1):
        model += ["VerD", "Posn %d,%d,0" % (column, row)]
model.append("PgSz 3")
for square in range(SQUARES):
    column, row = square % ROW, square // ROW
    corners = [vertex(column, row), vertex(column + 1, row), vertex(column + 1, row + 1),
               vertex(column, row + 1)]
    model += ["Pgon %d,%d,%d" % (corners[0], corners[1], corners[2]),
              "Pgon %d,%d,%d" % (corners[0], corners[2], corners[3])]
# In the last row's empty corner of the grid: no edge shared with a square.
top = SQUARES // ROW + 1
model += ["Pgon %d,%d,%d" % (vertex(ROW, top - 1), vertex(ROW, top), vertex(ROW - 1, top))] * 2
assert len([line for line in model if line.startswith("Pgon")]) == 1024

args = ["--pair", "grid.rds"]
stdout = "".join("argv[%d] = %s\n" % (n, a) for n, a in enumerate(["dxf2tkm"] + args))
stdout += "Got 1024 quads\nPaired %d triangles into quads\n" % SQUARES
stdout += "ERROR: > 512 quads after pairing\n"

here = pathlib.Path(__file__).resolve().parent
(here / "files").mkdir(exist_ok=True)
(here / "files" / "grid.rds").write_text("".join(line + "\n" for line in model))
(here / "args").write_text("".join(a + "\n" for a in args))
(here / "stdout").write_text(stdout)
(here / "status").write_text("1\n")
