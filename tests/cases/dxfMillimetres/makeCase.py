#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes this case's quiet output and brick from the rules
(tests/e2e/brickRules.py): a 2 x 2 brick drawn in millimetres with ezdxf
(makeModel.py), 16 x 16 x 9.6 with its studs above, which alone would be a
brick of size 16 16 24; --scale 0.125 (8 mm a unit) makes it 2 2 3, its
declared BOUNDS box scaled with it. Drawn from its corner at the origin, it is
still off the origin: the warning names --place."""
import pathlib
import sys

here = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(here.parent.parent / "e2e"))
import brickRules  # noqa: E402

args = ["-q", "--scale", "0.125", "brick.dxf"]
model = brickRules.read_dxf((here / "files" / "brick.dxf").read_text())
brickRules.run(model, args, "brick.tkm")
stdout = brickRules.quiet_lines("brick.dxf", "brick.tkm", model)
assert stdout[-1].endswith("size 2 2 3")
(here / "expected").mkdir(exist_ok=True)
(here / "expected" / "brick.tkm").write_bytes(brickRules.brick_text(model).encode())
(here / "args").write_text("".join(a + "\n" for a in args))
(here / "stdout").write_text("".join(line + "\n" for line in stdout))
(here / "status").write_text("0\n")
