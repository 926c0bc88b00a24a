#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""checkExeSizes.py ROOT DXF2TKM_EXE TKMPREVIEW_EXE: the sizes that docs/building.md
gives for the optimised Windows programs ("`dxf2tkm.exe` is about N KiB") are
within 10 % of the built ones."""
import os
import re
import sys

TOLERANCE = 0.10


def main(root, *programs):
    text = open(os.path.join(root, "docs", "building.md"), encoding="utf-8").read()
    failed = 0
    for program in programs:
        name = os.path.basename(program)
        said = re.search(r"`%s`(?:\s+is)?\s+about\s+([\d,]+)\s+KiB" % re.escape(name), text)
        if said is None:
            print("docs/building.md gives no size of %s" % name)
            failed += 1
            continue
        documented, built = int(said.group(1).replace(",", "")) * 1024, os.path.getsize(program)
        print("%s: documented about %d bytes, built %d" % (name, documented, built))
        if abs(built - documented) > TOLERANCE * built:
            print("  more than %d %% apart: measure it again" % (TOLERANCE * 100))
            failed += 1
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
