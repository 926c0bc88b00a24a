#!/usr/bin/env python3
"""Writes this case: a chessboard tile in a frame, 69 quads, its trace and
brick worked out by their rules. At about 500 bytes a quad the brick passes
16 KiB twice; the first time at a normal line that does not fit in the 12
bytes left.

    python3 makeCase.py   (from anywhere; rewrites files/, expected/, stdout)
"""
import pathlib
import struct
from fractions import Fraction

SQUARES = 8
ORIGIN = -4  # the board's lower-left corner, x and y
LIGHT = (240, 230, 210)
DARK = (60, 40, 30)
LIGHT_TOP, DARK_TOP = 1.5, 0.5  # the dark squares sunk a unit into the board
Z_SCALE = 2.5


def float32(value):
    return struct.unpack("<f", struct.pack("<f", value))[0]


def real(value):
    """Six decimals of the exact value, a tie away from zero."""
    units = int(abs(Fraction(value)) * 1000000 + Fraction(1, 2))
    sign = "-" if value < 0 else ""
    return "%s%d.%06d" % (sign, units // 1000000, units % 1000000)


def reals(*values):
    return " ".join(real(value) for value in values)


# The faces, in the order the model lists them: (group, normal, corners).
# The frame, uncoloured: the bottom and the four sides, as high as the light
# squares; then the dark squares, then the light ones, each square's corners
# counter-clockwise from above.
low, high = ORIGIN, ORIGIN + SQUARES
NORMALS = [(0, 0, 1), (0, 0, -1), (0, -1, 0), (1, 0, 0), (0, 1, 0), (-1, 0, 0)]
faces = [("frame", 1, ((low, low, 0), (low, high, 0), (high, high, 0), (high, low, 0)))]
for side, ((x0, y0), (x1, y1)) in enumerate((((low, low), (high, low)), ((high, low), (high, high)),
                                             ((high, high), (low, high)), ((low, high), (low, low)))):
    faces.append(("frame", 2 + side,
                  ((x0, y0, 0), (x1, y1, 0), (x1, y1, LIGHT_TOP), (x0, y0, LIGHT_TOP))))
for colour, light in ((DARK, False), (LIGHT, True)):
    for row in range(SQUARES):
        for column in range(SQUARES):
            if ((row + column) % 2 == 0) == light:
                x, y, z = ORIGIN + column, ORIGIN + row, LIGHT_TOP if light else DARK_TOP
                faces.append(("COLOR_%d_%d_%d" % colour, 0,
                              ((x, y, z), (x + 1, y, z), (x + 1, y + 1, z), (x, y + 1, z))))

# The model: the normals, the bounds' two corners, every face's own four
# corners, the bounds group, then each group with its faces.
model = ["# A chessboard tile in a frame, the light squares standing higher than the dark.",
         *("vn %d %d %d" % normal for normal in NORMALS),
         "v %d %d 0" % (low, low), "v %d %d %g" % (high, high, LIGHT_TOP)]
for _, _, corners in faces:
    model += ["v %d %d %g" % corner for corner in corners]
model += ["g BOUNDS", "f 1//1 2//1"]
quads = []  # (corners, normal, colour) in the order the faces are read
group = None
for index, (name, normal, corners) in enumerate(faces):
    if name != group:
        model.append("g " + name)
        group = name
    first = 3 + 4 * index
    model.append("f " + " ".join("%d//%d" % (first + k, normal + 1) for k in range(4)))
    colour = tuple(int(c) for c in name.split("_")[1:]) if name.startswith("COLOR_") else None
    quads.append((corners, NORMALS[normal], colour))

# Standard output: the echo, one trace line per input line, the reader's
# summary, each quad's centre, the statistics, the output line.
stdout = ["argv[0] = dxf2tkm", "argv[1] = chessboard.obj"]
stdout += ["line %d" % n for n in range(1, len(model) + 1)]
stdout += ["got %d verts %d normals %d quads" % (2 + 4 * len(faces), len(NORMALS), len(quads)),
           "Got %d polys" % len(quads)]
for slot, (corners, _, _) in enumerate(quads):
    centre = [sum(corner[axis] for corner in corners) / 4 for axis in range(3)]
    stdout.append("centroid %d = %s" % (slot, reals(*centre)))
stdout += ["Degenerate polys:   0", "Triangles:          0", "Duplicates removed: 0", "",
           "Writing output file 'chessboard.tkm'"]

# The brick: its size and its one box from the bounds, heights times 2.5 and
# moved down by half the brick's; every OBJ quad reversed, so positions and
# normals run from corner 3 to corner 0.
height = LIGHT_TOP * Z_SCALE
boxSize = (SQUARES, SQUARES, height)
boxCentre = [size / 2 + minimum for size, minimum in zip(boxSize, (low, low, 0))]
boxCentre[2] -= height / 2
brick = ["%d %d %d" % (SQUARES, SQUARES, int(height)), "SPECIALBRICK", "", "1", "",
         reals(*boxCentre), reals(*boxSize), "COVERAGE: //TBNESW "] + ["0 : 999"] * 6
for face in ("top", "bottom", "north", "east", "south", "west"):
    brick += ["----------------%s quads:" % face, "0"]
brick += ["----------------omni quads:", "%d" % len(quads)]
uvs = [(0.2, 0.2), (0.2, 0.8), (0.8, 0.8), (0.8, 0.2)]
for corners, normal, colour in quads:
    brick += ["", "TEX:SIDE", "POSITION:"]
    brick += [reals(x, y, z * Z_SCALE - height / 2) for x, y, z in reversed(corners)]
    brick += ["UV COORDS:"] + [reals(float32(u), float32(v)) for u, v in uvs]
    if colour is not None:
        brick += ["COLORS:"] + [reals(*(c / 255.0 for c in colour + (255,)))] * 4
    brick += ["NORMALS:"] + [reals(*normal)] * 4

here = pathlib.Path(__file__).resolve().parent
for folder in ("files", "expected"):
    (here / folder).mkdir(exist_ok=True)
(here / "files" / "chessboard.obj").write_text("".join(text + "\n" for text in model))
(here / "expected" / "chessboard.tkm").write_bytes("".join(text + "\r\n" for text in brick).encode())
(here / "stdout").write_text("".join(text + "\n" for text in stdout))
(here / "args").write_text("chessboard.obj\n")
(here / "status").write_text("0\n")
