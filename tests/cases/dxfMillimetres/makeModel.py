# SPDX-License-Identifier: MIT
"""Writes files/brick.dxf of this case with the ezdxf library (Debian's
python3-ezdxf 0.18.1; run with the system Python from the repository's root:
/usr/bin/python3 tests/cases/dxfMillimetres/makeModel.py), as a CAD program
draws a part: in millimetres, from its corner at the origin, on layers. A
2 x 2 brick, 16 x 16 x 9.6 mm, of 3DFACEs on layer COLOR_255_0_0 with four
square studs 4.8 mm wide and 1.6 mm high on top; its extent, without the
studs, on layer BOUNDS (one face from the lowest corner to the highest)."""

import os

import ezdxf

HERE = os.path.dirname(os.path.abspath(__file__))
SIDE, HEIGHT = 16.0, 9.6
STUD, STUD_HEIGHT = 4.8, 1.6
STUD_CENTRES = (4.0, 12.0)


def add_box(msp, low, high, layer, bottom=True):
    (x0, y0, z0), (x1, y1, z1) = low, high
    attributes = {"layer": layer}
    if bottom:
        msp.add_3dface([(x0, y0, z0), (x0, y1, z0), (x1, y1, z0), (x1, y0, z0)], attributes)
    msp.add_3dface([(x0, y0, z1), (x1, y0, z1), (x1, y1, z1), (x0, y1, z1)], attributes)
    ring = [(x0, y0), (x1, y0), (x1, y1), (x0, y1)]
    for k in range(4):
        (xa, ya), (xb, yb) = ring[k], ring[(k + 1) % 4]
        msp.add_3dface([(xa, ya, z0), (xb, yb, z0), (xb, yb, z1), (xa, ya, z1)], attributes)


doc = ezdxf.new()
doc.layers.add("COLOR_255_0_0", color=1)
doc.layers.add("BOUNDS", color=8)
msp = doc.modelspace()
add_box(msp, (0, 0, 0), (SIDE, SIDE, HEIGHT), "COLOR_255_0_0")
for x in STUD_CENTRES:
    for y in STUD_CENTRES:
        half = STUD / 2
        add_box(msp, (x - half, y - half, HEIGHT), (x + half, y + half, HEIGHT + STUD_HEIGHT),
                "COLOR_255_0_0", bottom=False)
msp.add_3dface([(0, 0, 0), (SIDE, SIDE, HEIGHT), (SIDE, SIDE, HEIGHT)], {"layer": "BOUNDS"})
doc.saveas(os.path.join(HERE, "files", "brick.dxf"))
