#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes this case's trace and brick from the rules (tests/e2e/brickRules.py):
Blender's UV sphere exported as 960 triangles (../objBlenderYUp/makeModel.py),
without normals, too many for a brick, converted with --pair --fit: the two
halves of each of its 448 quads pair again (the 64 triangles around the poles
stay), 512 quads with flat normals, placed on the origin, size 2 2 5."""
import pathlib
import sys

here = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(here.parent.parent / "e2e"))
import brickRules  # noqa: E402

args = ["--pair", "--fit", "sphere.obj"]
model = brickRules.read_obj((here / "files" / "sphere.obj").read_text())
trace = brickRules.run(model, args, "sphere.tkm")
assert trace[trace.index("Got 512 polys") - 1] == "Paired 448 triangles into quads"
stdout = ["argv[%d] = %s" % (n, a) for n, a in enumerate(["dxf2tkm"] + args)] + trace
(here / "expected").mkdir(exist_ok=True)
(here / "expected" / "sphere.tkm").write_bytes(brickRules.brick_text(model).encode())
(here / "args").write_text("".join(a + "\n" for a in args))
(here / "stdout").write_text("".join(line + "\n" for line in stdout))
(here / "status").write_text("0\n")
