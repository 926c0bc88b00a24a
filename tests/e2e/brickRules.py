# SPDX-License-Identifier: MIT
"""The converter's rules in Python, for the makeCase.py of the end-to-end cases
whose models real tools wrote (too large to work out by hand): what the OBJ
reader and the DXF reader's 3DFACEs store, --up y, --scale, --fit and --pair,
the finishing steps, the brick file and quiet mode's lines, as
docs/reference.md gives them; only what those cases use (asserted).
Every arithmetic result is rounded to a 32-bit float before the next step uses
it (f32); the pairing tests, the heights written and the colours are doubles.

    model = read_obj(text)           # or read_dxf(text)
    lines = run(model, options)      # the trace after the argument echo
    text = brick_text(model)         # the brick file's bytes, as str
"""
import math
import struct
from fractions import Fraction

UNSET, UNSET_THRESHOLD = -9999.0, -9998.0
BOX_MIN, BOX_MAX = 9999.0, -9999.0
Z_SCALE = 2.5
MAX_QUADS = 512
NO_COLOR = (-1, -1, -1, -1)
DEFAULT_UV = [(0.2, 0.2), (0.2, 0.8), (0.8, 0.8), (0.8, 0.2)]
TOLERANCE = 1e-4


def f32(value):
    """value rounded to the nearest 32-bit float (ties to even)."""
    return struct.unpack("<f", struct.pack("<f", value))[0]


def _bits(value):
    return struct.unpack("<I", struct.pack("<f", value))[0]


def _of_bits(bits):
    return struct.unpack("<f", struct.pack("<I", bits))[0]


def f32_text(text):
    """A decimal text rounded once to the nearest float, as "%f" reads it."""
    exact = Fraction(text)
    if exact == 0:
        return -0.0 if text.lstrip().startswith("-") else 0.0
    near = f32(float(exact))
    candidates = [near, _of_bits(_bits(near) + 1), _of_bits(_bits(near) - 1)]
    return min(candidates, key=lambda c: (abs(Fraction(c) - exact), _bits(c) & 1))


def add(a, b):
    return tuple(f32(x + y) for x, y in zip(a, b))


def sub(a, b, r=f32):
    """Rounded to floats (r=f32) or in doubles (r=float); so is cross."""
    return tuple(r(x - y) for x, y in zip(a, b))


def cross(a, b, r=f32):
    return (r(r(a[1] * b[2]) - r(a[2] * b[1])), r(r(a[2] * b[0]) - r(a[0] * b[2])),
            r(r(a[0] * b[1]) - r(a[1] * b[0])))


def normalize(v):
    squares = [f32(c * c) for c in v]
    length_squared = f32(f32(squares[0] + squares[1]) + squares[2])
    inverse = f32(1.0 / math.sqrt(length_squared))
    return tuple(f32(c * inverse) for c in v)


def scale_height(height):
    return f32(height * Z_SCALE)


def is_set(coordinate):
    return coordinate > UNSET_THRESHOLD


class Quad:
    def __init__(self, positions, normals=None, color=NO_COLOR, reversed_=False):
        self.pos = [tuple(p) for p in positions] + [(UNSET,) * 3] * (4 - len(positions))
        normals = normals or [(0.0, 0.0, 0.0)] * len(positions)
        self.nrm = [tuple(n) for n in normals] + [(0.0, 0.0, 0.0)] * (4 - len(normals))
        self.col = [color if k < len(positions) else NO_COLOR for k in range(4)]
        self.uv = [tuple(map(f32, uv)) for uv in DEFAULT_UV]
        self.center = (0.0, 0.0, 0.0)
        self.reversed = reversed_


class Model:
    def __init__(self):
        self.quads = []
        self.bounds = [(BOX_MIN,) * 3, (BOX_MAX,) * 3]
        self.size = (0.0, 0.0, 0.0)
        self.boxes = []  # [min, max] of each collision box: the bounds box, once run
        self.trace = []  # the reader's lines
        self.triangles = 0


def widen(box, point):
    return [tuple(map(min, box[0], point)), tuple(map(max, box[1], point))]


def size_from_bounds(model):
    size = sub(model.bounds[1], model.bounds[0])
    model.size = (size[0], size[1], scale_height(size[2]))


def color_of_name(name):
    """A COLOR_r_g_b name's colour (all this module needs of the names)."""
    numbers = name.split("_")
    assert len(numbers) == 4 and numbers[0] == "COLOR", name
    return tuple(int(n) for n in numbers[1:]) + (255,)


def read_obj(text):
    """v, vn, f (words V, V/T, V//N or V/T/N, up to four), o and usemtl
    lines; the rest traced and ignored. Every face is reversed."""
    model = Model()
    vertices, normals = [], []
    material = NO_COLOR
    lines = text.split("\n")
    for number, line in enumerate(lines[:-1] if lines[-1] == "" else lines, 1):
        model.trace.append("line %d" % number)
        if line.startswith("v "):
            vertices.append(tuple(f32_text(t) for t in line.split()[1:4]))
        elif line.startswith("vn "):
            normals.append(tuple(f32_text(t) for t in line.split()[1:4]))
        elif line.startswith("f "):
            words = [w.split("/") for w in line.split()[1:]]
            assert len(words) <= 4, line
            with_normals = all(len(w) == 3 and w[2] for w in words)  # else none: flat normals
            corner_normals = [normals[int(w[2]) - 1] for w in words] if with_normals else None
            model.quads.append(Quad([vertices[int(w[0]) - 1] for w in words], corner_normals,
                                    material, True))
        elif line.startswith("usemtl "):
            material = color_of_name(line[len("usemtl "):])
        else:
            assert line.split()[0] in ("o", "s", "vt", "mtllib", "#"), line
    model.trace.append("got %d verts %d normals %d quads"
                       % (len(vertices), len(normals), len(model.quads)))
    return model


def read_dxf(text):
    """The 3DFACE entities of an ASCII DXF file, on plain, COLOR_ and BOUNDS
    layers (no trace: for quiet runs)."""
    model = Model()
    lines = text.split("\n")
    pairs = [(int(lines[k]), lines[k + 1]) for k in range(0, len(lines) - 1, 2)]
    face = None
    for code, value in pairs + [(0, "EOF")]:
        if code == 0:
            if face is not None:
                finish_dxf_face(model, *face)
            face = ("0", {}) if value == "3DFACE" else None
        elif face is not None and code == 8:
            face = (value, face[1])
        elif face is not None and 10 <= code <= 33 and code % 10 <= 3:
            face[1][code] = f32(float(value))  # read as a double, then to a float
    if not model.bounds[0][0] > model.bounds[1][0]:  # a BOUNDS face
        size_from_bounds(model)
    return model


def finish_dxf_face(model, layer, codes):
    corners = [tuple(codes.get(axis * 10 + c, UNSET) for axis in (1, 2, 3)) for c in range(4)]
    if layer == "BOUNDS":
        for c in range(4):
            if all(axis * 10 + c in codes for axis in (1, 2, 3)):
                model.bounds = widen(model.bounds, corners[c])
        return
    model.quads.append(Quad(corners, color=color_of_name(layer) if layer != "0" else NO_COLOR))


# ---------------------------------------------------------------------------
# The fit options


def same_bits(a, b):
    return struct.pack("<3f", *a) == struct.pack("<3f", *b)


def is_triangle(quad):
    corner2, corner3 = quad.pos[2], quad.pos[3]
    return is_set(corner2[0]) and (not is_set(corner3[0]) or same_bits(corner3, corner2))


def is_zero(v):
    return v[0] == 0 and v[1] == 0 and v[2] == 0


def _dot(a, b):
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]


def merges_well(a, p, r, q):
    n1 = cross(sub(p, a, float), sub(q, a, float), float)
    n2 = cross(sub(p, q, float), sub(r, q, float), float)
    if not _dot(n1, n2) >= 0.99985 * math.sqrt(_dot(n1, n1)) * math.sqrt(_dot(n2, n2)):
        return False
    c = [a, p, r, q]
    edges = [sub(c[(j + 1) % 4], c[j], float) for j in range(4)]
    return all(_dot(cross(edges[j], edges[(j + 1) % 4], float), n1) > 0 for j in range(4))


def pair_two(a, b):
    """The merged quad of triangles a and b, or None."""
    if not (is_triangle(a) and is_triangle(b)) or a.reversed != b.reversed:
        return None
    if any(c != a.col[0] for c in a.col[:3] + b.col[:3]) or is_zero(a.nrm[0]) != is_zero(b.nrm[0]):
        return None
    for k in range(3):
        for m in range(3):
            if not (same_bits(b.pos[m], a.pos[(k + 1) % 3])
                    and same_bits(b.pos[(m + 1) % 3], a.pos[k])):
                continue
            corners = [(a, (k + 2) % 3), (a, k), (b, (m + 2) % 3), (a, (k + 1) % 3)]
            if not merges_well(*[quad.pos[c] for quad, c in corners]):
                continue
            merged = Quad([quad.pos[c] for quad, c in corners],
                          [quad.nrm[c] for quad, c in corners], reversed_=a.reversed)
            merged.col = [quad.col[c] for quad, c in corners]
            return merged
    return None


def pair_triangles(model):
    state = ["open" if is_triangle(q) else "other" for q in model.quads]
    merges = 0
    for i in range(len(model.quads)):
        for j in range(i + 1, len(model.quads)):
            if state[i] != "open":
                break
            merged = pair_two(model.quads[i], model.quads[j]) if state[j] == "open" else None
            if merged is not None:
                model.quads[i], state[i], state[j] = merged, "merged", "removed"
                merges += 1
    model.quads = [q for q, s in zip(model.quads, state) if s != "removed"]
    return merges


def stand_up(model):
    """An OBJ model's: no bounds box yet."""
    assert model.bounds[0][0] > model.bounds[1][0]
    upright = lambda v: (v[0], -v[2], v[1])  # noqa: E731
    for quad in model.quads:
        quad.pos = [upright(p) if all(map(is_set, p)) else p for p in quad.pos]
        quad.nrm = [upright(n) for n in quad.nrm]


def scale(model, factor):
    for quad in model.quads:
        quad.pos = [tuple(f32(c * factor) if is_set(c) else c for c in p) for p in quad.pos]
    if not model.bounds[0][0] > model.bounds[1][0]:
        model.bounds = [tuple(f32(c * factor) for c in corner) for corner in model.bounds]
        size_from_bounds(model)


def place(model):
    low, high = model.bounds
    offset = (-f32(f32(low[0] + high[0]) / 2), -f32(f32(low[1] + high[1]) / 2), -low[2])
    for quad in model.quads:
        quad.pos = [add(p, offset) for p in quad.pos]
        quad.center = add(quad.center, offset)
    model.bounds = [add(low, offset), add(high, offset)]


def round_up(model):
    place(model)
    extent = sub(model.bounds[1], model.bounds[0])
    extent = (extent[0], extent[1], scale_height(extent[2]))
    size = model.size = tuple(max(1.0, f32(math.ceil(e - 0.0001))) for e in extent)
    model.bounds = [(-f32(size[0] / 2), -f32(size[1] / 2), 0.0),
                    (f32(size[0] / 2), f32(size[1] / 2), f32(size[2] / Z_SCALE))]


# ---------------------------------------------------------------------------
# The finishing steps and the run


def reals(*values):
    """Six decimals of each exact value, a tie away from zero, no sign on zero."""
    texts = []
    for value in values:
        units = int(abs(Fraction(value)) * 1000000 + Fraction(1, 2))
        sign = "-" if value < 0 else ""  # not on a negative zero
        texts.append("%s%d.%06d" % (sign, units // 1000000, units % 1000000))
    return " ".join(texts)


def finish_quads(model):
    """Part of the trace: the centroid lines."""
    trace, slot = [], 0
    while slot < len(model.quads):
        quad = model.quads[slot]
        assert is_set(quad.pos[2][0]), "degenerate polys are not modelled here"
        if quad.pos[3][0] <= UNSET_THRESHOLD:
            model.triangles += 1
            for corners in (quad.pos, quad.nrm, quad.uv, quad.col):
                corners[3] = corners[2]
        total = (0.0, 0.0, 0.0)
        for p in quad.pos:
            total = add(total, p)
        quad.center = tuple(f32(c / 4) for c in total)
        trace.append("centroid %d = %s" % (slot, reals(*quad.center)))
        if is_zero(quad.nrm[0]):
            area = (0.0, 0.0, 0.0)
            for b in range(4):
                area = add(area, cross(quad.pos[b], quad.pos[(b + 1) % 4]))
            quad.nrm = [normalize(area)] * 4
        slot += 1
    return trace


def run(model, options=(), brick_name="model.tkm"):
    """The trace after the reader's lines, with options among --up y, a
    --scale number, --fit and --pair (as a list: ["--up", "y", ...])."""
    trace = list(model.trace)
    if "--pair" in options:
        trace.append("Paired %d triangles into quads" % pair_triangles(model))
        assert len(model.quads) <= MAX_QUADS
    trace.append("Got %d polys" % len(model.quads))
    if "--up" in options and options[options.index("--up") + 1] == "y":
        stand_up(model)
    if "--scale" in options:
        scale(model, f32_text(options[options.index("--scale") + 1]))
    trace += finish_quads(model)
    if model.size == (0, 0, 0):
        for quad in model.quads:
            for p in quad.pos:
                model.bounds = widen(model.bounds, p)
        size_from_bounds(model)
    if "--fit" in options:
        round_up(model)
    low, high = model.bounds
    model.boxes = [[(low[0], low[1], scale_height(low[2])),
                    (high[0], high[1], scale_height(high[2]))]]
    trace += ["Degenerate polys:   0",
              "Triangles:          %d" % model.triangles,
              "Duplicates removed: 0", "", "Writing output file '%s'" % brick_name]
    return trace


# ---------------------------------------------------------------------------
# The brick file and quiet mode


def brick_text(model):
    height = model.size[2]
    half = f32(height / 2)
    lines = ["%d %d %d" % tuple(int(c) for c in model.size), "SPECIALBRICK", "",
             str(len(model.boxes))]
    for low, high in model.boxes:
        size = sub(high, low)
        centre = add(tuple(f32(c / 2) for c in size), low)
        centre = (centre[0], centre[1], f32(centre[2] - half))
        lines += ["", reals(*centre), reals(*size)]
    lines += ["COVERAGE: //TBNESW "] + ["0 : 999"] * 6
    for face in ("top", "bottom", "north", "east", "south", "west"):
        lines += ["----------------%s quads:" % face, "0"]
    lines += ["----------------omni quads:", str(len(model.quads))]
    for quad in model.quads:
        order = [3, 2, 1, 0] if quad.reversed else [0, 1, 2, 3]
        lines += ["", "TEX:SIDE", "POSITION:"]
        lines += [reals(quad.pos[c][0], quad.pos[c][1], quad.pos[c][2] * Z_SCALE - half)
                  for c in order]
        lines += ["UV COORDS:"] + [reals(*uv) for uv in quad.uv]
        if quad.col[0][0] != -1:
            lines += ["COLORS:"] + [reals(*(c / 255.0 for c in color)) for color in quad.col]
        lines += ["NORMALS:"] + [reals(*quad.nrm[c]) for c in order]
    return "".join(line + "\r\n" for line in lines)


def short_real(value):
    text = reals(value).rstrip("0").rstrip(".")
    assert "." in text or float(value).is_integer(), "nine decimals are not modelled here"
    return "0" if text == "-0" else text


def quiet_lines(name, brick_name, model):
    """The warnings quiet mode prints of a converted DXF model and its summary:
    a whole size on z = 0; only the footprint's centre can be off."""
    lines = []
    low, high = model.bounds
    off = lambda v: not abs(v) <= TOLERANCE  # noqa: E731
    size = [int(c) for c in model.size]
    assert not any(off(e - s) for e, s in zip(model.size, size)) and not off(low[2])
    centre = [f32(f32(low[a] + high[a]) / 2) for a in range(2)]
    if off(centre[0]) or off(centre[1]):
        lines.append("%s: WARNING: off the origin (footprint centred on x = %s, y = %s): the "
                     "game expects the footprint centred on x = y = 0 and the lowest point at "
                     "z = 0, and draws the quads beside the brick; move the model, or convert "
                     "with --place" % (name, *map(short_real, centre)))
    coloured = sum(1 for q in model.quads if q.col[0][0] != -1)
    count = len(model.quads)
    boxes = len(model.boxes)
    lines.append("%s -> %s: %d quad%s (%d coloured, %d paintable), %d collision box%s, "
                 "size %d %d %d" % (name, brick_name, count, "" if count == 1 else "s", coloured,
                                    count - coloured, boxes, "" if boxes == 1 else "es", *size))
    return lines
