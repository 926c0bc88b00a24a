#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes this case (python3 makeCase.py, from anywhere): the wedge example
under 1,750 comment lines, so that the trace of one "line N" per input line
passes 16 KiB at line 1750, which does not fit in the one byte left. The brick
and everything after the trace are the wedge's."""
import pathlib

here = pathlib.Path(__file__).resolve().parent
wedge = here.parent / "exampleWedge"
model = b"".join(b"# revision %d\n" % n for n in range(1, 1751))
model += (wedge / "files" / "wedge.obj").read_bytes()
trace = (wedge / "stdout").read_bytes()
stdout = b"argv[0] = dxf2tkm\nargv[1] = wedge.obj\n"
stdout += b"".join(b"line %d\n" % n for n in range(1, model.count(b"\n") + 1))
stdout += trace[trace.index(b"\ngot ") + 1 :]
for name, content in (("files/wedge.obj", model), ("stdout", stdout), ("args", b"wedge.obj\n"),
                      ("expected/wedge.tkm", (wedge / "expected" / "wedge.tkm").read_bytes()),
                      ("status", b"0\n")):
    (here / name).parent.mkdir(exist_ok=True)
    (here / name).write_bytes(content)
