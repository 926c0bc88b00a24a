#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes this case: with --pair the readers take 1024 quads, and the 1025th
polygon of an RDS model stops the run with the limit in force, "ERROR: > 1024
quads" (without a line end), before any pairing: no brick."""
import pathlib

COUNT = 1025
model = ["Pmsh"] + ["VerD\nPosn %d,%d,0" % corner for corner in ((0, 0), (1, 0), (1, 1))]
model += ["PgSz 3"] + ["Pgon 0,1,2"] * COUNT
args = ["--pair", "limit.rds"]
stdout = "".join("argv[%d] = %s\n" % (n, a) for n, a in enumerate(["dxf2tkm"] + args))
stdout += "ERROR: > 1024 quads"

here = pathlib.Path(__file__).resolve().parent
(here / "files").mkdir(exist_ok=True)
(here / "files" / "limit.rds").write_text("".join(line + "\n" for line in model))
(here / "args").write_text("".join(a + "\n" for a in args))
(here / "stdout").write_text(stdout)
(here / "status").write_text("1\n")
