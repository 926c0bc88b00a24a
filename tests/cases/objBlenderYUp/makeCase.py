#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes this case's trace and brick from the rules (tests/e2e/brickRules.py):
Blender 5's default OBJ export (y up, makeModel.py) stood up by --up y, a brick of
size 2 2 4 standing on z = 0, the red brick's and the blue plate's faces
coloured by their materials."""
import pathlib
import sys

here = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(here.parent.parent / "e2e"))
import brickRules  # noqa: E402

args = ["--up", "y", "brick.obj"]
model = brickRules.read_obj((here / "files" / "brick.obj").read_text())
trace = brickRules.run(model, args, "brick.tkm")
stdout = ["argv[%d] = %s" % (n, a) for n, a in enumerate(["dxf2tkm"] + args)] + trace
(here / "expected").mkdir(exist_ok=True)
(here / "expected" / "brick.tkm").write_bytes(brickRules.brick_text(model).encode())
(here / "args").write_text("".join(a + "\n" for a in args))
(here / "stdout").write_text("".join(line + "\n" for line in stdout))
(here / "status").write_text("0\n")
