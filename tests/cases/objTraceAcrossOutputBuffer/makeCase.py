#!/usr/bin/env python3
"""Writes this case from the wedge example: the wedge under a header of
1,750 comment lines, so that the trace of one "line N" per input line passes
16 KiB at line 1750, which does not fit in the one byte left. The geometry is
the wedge's, so its brick and everything after the trace are the wedge's.

    python3 makeCase.py   (from anywhere; rewrites files/, expected/, stdout)
"""
import pathlib

HEADER_LINES = 1750

here = pathlib.Path(__file__).resolve().parent
wedgeCase = here.parent / "exampleWedge"
model = (wedgeCase / "files" / "wedge.obj").read_bytes()
header = b"".join(b"# revision %d\n" % n
                  for n in range(1, HEADER_LINES + 1))

# Every input line is traced; the summary, the centres, the statistics and the
# output line follow as for the wedge alone.
lineCount = HEADER_LINES + model.count(b"\n")
wedgeOutput = (wedgeCase / "stdout").read_text().splitlines(keepends=True)
firstAfterTrace = next(i for i, text in enumerate(wedgeOutput) if text.startswith("got "))
stdout = ("argv[0] = dxf2tkm\nargv[1] = wedge.obj\n" +
          "".join("line %d\n" % n for n in range(1, lineCount + 1)) +
          "".join(wedgeOutput[firstAfterTrace:]))

for folder in ("files", "expected"):
    (here / folder).mkdir(exist_ok=True)
(here / "files" / "wedge.obj").write_bytes(header + model)
(here / "expected" / "wedge.tkm").write_bytes((wedgeCase / "expected" / "wedge.tkm").read_bytes())
(here / "stdout").write_text(stdout)
(here / "args").write_text("wedge.obj\n")
(here / "status").write_text("0\n")
