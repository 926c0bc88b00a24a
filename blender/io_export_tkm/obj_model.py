# SPDX-License-Identifier: GPL-3.0-or-later
# The OBJ text the converter reads: world positions, shared normals, faces
# grouped by their colour name, and the BOUNDS and COLLISION boxes. Collects
# everything first, so that the brick's extent is known (for the placement
# and size warnings and the coordinate range) before a line is written. The
# converter places the model on the origin itself (--place, --fit).

from . import conventions as rules
from .brick_fit import f32

MAX_DECIMALS = 12  # enough for any 32-bit value from 1e-6 up


class ExportError(Exception):
    """A reason not to write the brick, worded for the modeller."""


def format_number(value):
    text = "%.6f" % value
    return "0.000000" if text == "-0.000000" else text


def format_vector(vector):
    return " ".join(format_number(c) for c in vector)


def format_position(vector):
    """Six decimals, or as many more as the converter needs to read back the
    32-bit value that Blender keeps (an imported brick is written again to
    its last digit)."""
    texts = []
    for value in vector:
        text = format_number(value)
        for decimals in range(7, MAX_DECIMALS + 1):
            if f32(float(text)) == f32(value):
                break
            text = "%.*f" % (decimals, value)
        texts.append(text)
    return " ".join(texts)


def format_short(value):
    """A number as a modeller writes it: 4.3, not 4.300000019."""
    text = "%.6g" % value
    return "0" if text == "-0" else text


def widen(box, point):
    low, high = box
    return [min(a, b) for a, b in zip(low, point)], [max(a, b) for a, b in zip(high, point)]


def box_of(points):
    box = (list(points[0]), list(points[0]))
    for point in points[1:]:
        box = widen(box, point)
    return box


class ObjModel:
    """Faces of the model's objects, grouped by colour name, with 1-based
    OBJ indices; the helpers' boxes. Normals are shared by their text."""

    def __init__(self):
        self.positions = []
        self.position_index = {}
        self.normal_lines = []
        self.normal_index = {}
        self.groups = {}  # colour name: [face line, ...], in first use order
        self.face_pieces = []  # (object name, box) of each object with faces
        self.helper_pieces = []
        self.bounds = []
        self.imported_size_lines = []  # of BOUNDS objects an import made
        self.collisions = []
        self.object_count = 0

    def face_count(self):
        return sum(len(faces) for faces in self.groups.values())

    def add_normal(self, normal):
        text = format_vector(normal)
        index = self.normal_index.get(text)
        if index is None:
            self.normal_lines.append("vn " + text)
            index = len(self.normal_lines)
            self.normal_index[text] = index
        return index

    def add_position(self, position):
        key = tuple(position)
        index = self.position_index.get(key)
        if index is None:
            self.positions.append(key)
            index = len(self.positions)
            self.position_index[key] = index
        return index

    def add_faces(self, name, faces):
        """faces: [(group name, [(position, normal), ...])] in world
        coordinates."""
        points = []
        for group, corners in faces:
            indices = []
            for position, normal in corners:
                points.append(position)
                indices.append("%d//%d" % (self.add_position(position), self.add_normal(normal)))
            self.groups.setdefault(group, []).append("f " + " ".join(indices))
        if faces:
            self.face_pieces.append((name, box_of(points)))
            self.object_count += 1

    def add_helper(self, kind, name, box):
        (self.bounds if kind == rules.BOUNDS else self.collisions).append(box)
        self.helper_pieces.append((name, box))

    def extent(self):
        """The box the converter takes as the brick's extent: the BOUNDS
        boxes, else the box around every face."""
        boxes = self.bounds or [box for name, box in self.face_pieces]
        return box_of([corner for box in boxes for corner in box]) if boxes else None

    def check(self):
        problems = []
        if not self.groups and not self.bounds:
            # A BOUNDS object alone makes a brick that only collides.
            problems.append("no object with faces, nor a BOUNDS object, to export")
        if self.face_count() > rules.MAX_FACES:
            problems.append(
                "%d faces (BOUNDS and COLLISION objects not counted), at most %d: reduce them "
                "with a Decimate modifier (Collapse, or Planar for flat parts), or use fewer "
                "segments (a sphere's or cylinder's Segments and Rings)"
                % (self.face_count(), rules.MAX_FACES)
            )
        if len(self.collisions) > rules.MAX_COLLISION_BOXES:
            problems.append(
                "%d COLLISION objects, at most %d"
                % (len(self.collisions), rules.MAX_COLLISION_BOXES)
            )
        vertex_count = len(self.positions) + 2 * (len(self.bounds) + len(self.collisions))
        if vertex_count > rules.MAX_VERTICES:
            problems.append("%d vertices, at most %d" % (vertex_count, rules.MAX_VERTICES))
        if len(self.normal_lines) > rules.MAX_NORMALS:
            problems.append("%d normals, at most %d" % (len(self.normal_lines), rules.MAX_NORMALS))
        problems += self.range_problems()
        if problems:
            raise ExportError("Nothing exported: " + "; ".join(problems))

    def range_problems(self):
        limit = rules.COORDINATE_LIMIT
        problems = []
        for name, box in self.face_pieces + self.helper_pieces:
            for axis, low, high in zip("xyz", box[0], box[1]):
                worst = low if -low >= high else high
                if not -limit < worst < limit:
                    shown = format_short(limit)
                    problems.append(
                        "'%s' reaches %s = %s, outside -%s to %s (move it nearer the origin)"
                        % (name, axis, format_short(worst), shown, shown)
                    )
                    break
        return problems

    def text(self):
        lines = ["# Special brick exported from Blender"]
        lines += ["v " + format_position(p) for p in self.positions]
        helper_corners = [corner for box in self.bounds + self.collisions for corner in box]
        lines += ["v " + format_position(p) for p in helper_corners]
        lines += self.normal_lines
        for group, face_lines in self.groups.items():
            lines.append("g " + group)
            lines += face_lines
        first = len(self.positions) + 1
        for k, box in enumerate(self.bounds + self.collisions):
            kind = rules.BOUNDS if k < len(self.bounds) else rules.COLLISION
            low, high = first + 2 * k, first + 2 * k + 1
            # Only the corners count: one face from the lowest to the highest.
            lines += ["g " + kind, "f %d//1 %d//1 %d//1" % (low, high, high)]
        return "\n".join(lines) + "\n"
