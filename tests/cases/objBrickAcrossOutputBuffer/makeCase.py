#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes this case: a chessboard tile in a frame, 69 quads, trace and brick worked
out by their rules. At about 500 bytes a quad the brick passes 16 KiB twice, first
at a normal line that does not fit in the 12 bytes left."""
import pathlib
import struct
from fractions import Fraction

SQUARES, LOW = 8, -4  # the board's lower-left corner, x and y
HIGH = LOW + SQUARES
LIGHT, DARK = (240, 230, 210), (60, 40, 30)
LIGHT_TOP, DARK_TOP = 1.5, 0.5  # the dark squares sunk a unit into the board
Z_SCALE = 2.5
UNIT_SQUARE = [(0, 0), (1, 0), (1, 1), (0, 1)]
NORMALS = [(0, 0, 1), (0, 0, -1), (0, -1, 0), (1, 0, 0), (0, 1, 0), (-1, 0, 0)]


def reals(*values):  # six decimals of each exact value, a tie away from zero
    units = [int(abs(Fraction(value)) * 1000000 + Fraction(1, 2)) for value in values]
    return " ".join("%s%d.%06d" % ("-" if value < 0 else "", u // 1000000, u % 1000000)
                    for value, u in zip(values, units))  # fmt: skip


# The faces as listed: (group, normal, corners). The uncoloured frame (bottom,
# sides as high as the light squares), then dark, then light squares.
ring = [(LOW, LOW), (HIGH, LOW), (HIGH, HIGH), (LOW, HIGH)]
faces = [("frame", 1, [(*corner, 0) for corner in [ring[0]] + ring[:0:-1]])]
faces += [("frame", 2 + k, [(*a, 0), (*b, 0), (*b, LIGHT_TOP), (*a, LIGHT_TOP)])
          for k, (a, b) in enumerate(zip(ring, ring[1:] + ring[:1]))]  # fmt: skip
for colour, z, parity in ((DARK, DARK_TOP, 1), (LIGHT, LIGHT_TOP, 0)):
    faces += [("COLOR_%d_%d_%d" % colour, 0, [(x + dx, y + dy, z) for dx, dy in UNIT_SQUARE])
              for y in range(LOW, HIGH) for x in range(LOW, HIGH) if (x + y) % 2 == parity]

# The model: normals, the bounds' two corners, each face's four, then the groups.
model = ["# A chessboard tile in a frame, the light squares standing higher than the dark.",
         *("vn %d %d %d" % normal for normal in NORMALS),
         "v %d %d 0" % (LOW, LOW), "v %d %d %g" % (HIGH, HIGH, LIGHT_TOP)]
model += ["v %d %d %g" % corner for _, _, corners in faces for corner in corners]
model += ["g BOUNDS", "f 1//1 2//1"]
for index, (name, normal, _) in enumerate(faces):
    if index == 0 or name != faces[index - 1][0]:
        model.append("g " + name)
    model.append("f " + " ".join("%d//%d" % (3 + 4 * index + k, normal + 1) for k in range(4)))

# Standard output: echo, a line per input line, summary, centres, statistics.
stdout = ["argv[0] = dxf2tkm", "argv[1] = chessboard.obj"]
stdout += ["line %d" % n for n in range(1, len(model) + 1)]
stdout += ["got %d verts %d normals %d quads" % (2 + 4 * len(faces), len(NORMALS), len(faces)),
           "Got %d polys" % len(faces)]
stdout += ["centroid %d = %s" % (slot, reals(*(sum(c[a] for c in corners) / 4 for a in range(3))))
           for slot, (_, _, corners) in enumerate(faces)]  # fmt: skip
stdout += ["Degenerate polys:   0", "Triangles:          0", "Duplicates removed: 0", "",
           "Writing output file 'chessboard.tkm'"]

# The brick: its size and its one box from the bounds, heights times 2.5 and
# moved down by half the brick's; every OBJ quad reversed, so positions and
# normals run from corner 3 to corner 0.
height = LIGHT_TOP * Z_SCALE
brick = ["%d %d %d" % (SQUARES, SQUARES, int(height)), "SPECIALBRICK", "", "1", "",
         reals(LOW + SQUARES / 2, LOW + SQUARES / 2, height / 2 - height / 2),
         reals(SQUARES, SQUARES, height), "COVERAGE: //TBNESW "] + ["0 : 999"] * 6
for face in ("top", "bottom", "north", "east", "south", "west"):
    brick += ["----------------%s quads:" % face, "0"]
brick += ["----------------omni quads:", "%d" % len(faces)]
for name, normal, corners in faces:
    brick += ["", "TEX:SIDE", "POSITION:"]
    brick += [reals(x, y, z * Z_SCALE - height / 2) for x, y, z in reversed(corners)]
    brick += ["UV COORDS:"] + [reals(*struct.unpack("<2f", struct.pack("<2f", u, v)))  # as floats
                               for u, v in ((0.2, 0.2), (0.2, 0.8), (0.8, 0.8), (0.8, 0.2))]
    if name.startswith("COLOR_"):
        brick += ["COLORS:"] + [reals(*(int(c) / 255.0 for c in name.split("_")[1:] + ["255"]))] * 4
    brick += ["NORMALS:"] + [reals(*NORMALS[normal])] * 4

here = pathlib.Path(__file__).resolve().parent
for name, lines, end in (("files/chessboard.obj", model, "\n"), ("stdout", stdout, "\n"),
                         ("expected/chessboard.tkm", brick, "\r\n"),
                         ("args", ["chessboard.obj"], "\n"), ("status", ["0"], "\n")):
    (here / name).parent.mkdir(exist_ok=True)
    (here / name).write_bytes("".join(text + end for text in lines).encode())
