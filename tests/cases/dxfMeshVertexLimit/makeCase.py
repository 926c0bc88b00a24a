#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes this case (python3 makeCase.py, from anywhere): a MESH whose code 92
allows 5,000 vertices and whose code-10 values start 4,097. A mesh holds 4,096
vertices: the 4,097th code-10 value ends the reading with "ERROR: > 4096
verts!", and no brick is written. Codes 20 and 30 print nothing; the one code
92 prints its "unhandled groupcode" line."""
import pathlib

here = pathlib.Path(__file__).resolve().parent
model = b"  0\nMESH\n  8\nCOLOR_0_0_255\n 92\n5000\n"
model += b"".join(b" 10\n%d\n 20\n%d\n 30\n0\n" % (n % 64, n // 64) for n in range(4097))
model += b" 93\n4\n 90\n3\n 90\n0\n 90\n1\n 90\n2\n  0\nEOF\n"
stdout = (b"argv[0] = dxf2tkm\nargv[1] = dense.dxf\nEntity type MESH\n"
          b"unhandled groupcode 92\nERROR: > 4096 verts!\n")
for name, content in (("files/dense.dxf", model), ("stdout", stdout), ("args", b"dense.dxf\n"),
                      ("status", b"1\n")):
    (here / name).parent.mkdir(exist_ok=True)
    (here / name).write_bytes(content)
