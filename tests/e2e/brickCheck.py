# SPDX-License-Identifier: MIT
"""Reads a brick file into what it means, for tests that check a brick's
content (quad count, colours, size, boxes, directions) rather than its bytes.

Also runs as a program: brickCheck.py DXF2TKM MODEL EXPECTATIONS.json
converts a copy of MODEL in a scratch folder and checks the brick against the
entry of EXPECTATIONS.json named after MODEL's file name, and that the run
printed the lines of its "messages", in their order. An entry with a
"status" other than 0 expects that exit status and no brick.
"""

import json
import os
import shutil
import subprocess
import sys
import tempfile

TOLERANCE = 1e-4


class Brick:
    def __init__(self, size, boxes, quads):
        self.size = size  # three ints
        self.boxes = boxes  # [(centre, size)]
        self.quads = quads  # [{"positions", "uv", "colors" (or None), "normals"}]

    def colors(self):
        """The distinct colour rows, sorted; empty when no quad has colours."""
        rows = set()
        for quad in self.quads:
            for color in quad["colors"] or []:
                rows.add(tuple(color))
        return sorted(rows)

    def top_quads(self):
        """Quads whose corners all lie at the brick's greatest height."""
        top = max(p[2] for q in self.quads for p in q["positions"])
        return [q for q in self.quads if all(abs(p[2] - top) < TOLERANCE for p in q["positions"])]


def numbers(line, count):
    values = [float(v) for v in line.split(" ")]
    if len(values) != count:
        raise ValueError("expected %d numbers: %r" % (count, line))
    return values


def parse_brick(path):
    with open(path, "rb") as brick_file:
        data = brick_file.read()
    if b"\n" in data.replace(b"\r\n", b""):
        raise ValueError("a line does not end in CR LF")
    lines = data.decode("ascii").split("\r\n")
    size = [int(v) for v in lines[0].split(" ")]
    if lines[1] != "SPECIALBRICK":
        raise ValueError("second line is not SPECIALBRICK")
    at = 4
    boxes = []
    for _ in range(int(lines[3])):
        boxes.append((numbers(lines[at + 1], 3), numbers(lines[at + 2], 3)))
        at += 3
    at = lines.index("----------------omni quads:", at) + 1
    quads = []
    count, at = int(lines[at]), at + 1
    for _ in range(count):
        quad, at = parse_quad(lines, at)
        quads.append(quad)
    if lines[at:] != [""]:
        raise ValueError("unexpected lines after the last quad: %r" % lines[at : at + 3])
    return Brick(size, boxes, quads)


def parse_quad(lines, at):
    if lines[at : at + 3] != ["", "TEX:SIDE", "POSITION:"]:
        raise ValueError("quad block expected at line %d" % (at + 1))
    quad = {"positions": [numbers(l, 3) for l in lines[at + 3 : at + 7]]}
    quad["uv"] = [numbers(l, 2) for l in lines[at + 8 : at + 12]]
    at += 12
    quad["colors"] = None
    if lines[at] == "COLORS:":
        quad["colors"] = [numbers(l, 4) for l in lines[at + 1 : at + 5]]
        at += 5
    if lines[at] != "NORMALS:":
        raise ValueError("NORMALS: expected at line %d" % (at + 1))
    quad["normals"] = [numbers(l, 3) for l in lines[at + 1 : at + 5]]
    return quad, at + 5


def is_triangle(quad):
    p = quad["positions"]
    return any(p[i] == p[i + 1] for i in range(3))


def winding(quad):
    """The sign of the written corner order's turn around the quad's normal:
    -1 clockwise, 1 counter-clockwise, 0 for no area."""
    p = quad["positions"]
    area = [0.0, 0.0, 0.0]
    for i in range(4):
        a, b = p[i], p[(i + 1) % 4]
        area[0] += (a[1] - b[1]) * (a[2] + b[2])
        area[1] += (a[2] - b[2]) * (a[0] + b[0])
        area[2] += (a[0] - b[0]) * (a[1] + b[1])
    dot = sum(x * y for x, y in zip(area, quad["normals"][0]))
    return (dot > TOLERANCE) - (dot < -TOLERANCE)


def close(a, b, tolerance=TOLERANCE):
    return len(a) == len(b) and all(abs(x - y) < tolerance for x, y in zip(a, b))


def check_brick(brick, expected):
    """Compares a parsed brick with the keys given in expected; returns a
    list of differences."""
    problems = []
    if "quads" in expected and len(brick.quads) != expected["quads"]:
        problems.append("%d quads, expected %d" % (len(brick.quads), expected["quads"]))
    if "size" in expected and brick.size != expected["size"]:
        problems.append("size %s, expected %s" % (brick.size, expected["size"]))
    if "colors" in expected:
        want = sorted(tuple(c) for c in expected["colors"])
        got = brick.colors()
        if len(want) != len(got) or not all(close(w, g) for w, g in zip(want, got)):
            problems.append("colours %s, expected %s" % (got, want))
    if "boxes" in expected:
        got = [list(c) + list(s) for c, s in brick.boxes]
        want = expected["boxes"]
        if len(got) != len(want) or not all(close(w, g) for w, g in zip(want, got)):
            problems.append("boxes %s, expected %s" % (got, want))
    if "triangles" in expected:
        triangles = sum(1 for q in brick.quads if is_triangle(q))
        if triangles != expected["triangles"]:
            problems.append("%d triangles, expected %d" % (triangles, expected["triangles"]))
    if "winding" in expected:
        turns = {winding(q) for q in brick.quads}
        if turns != {expected["winding"]}:
            problems.append("corner order against the normals: %s, expected only %d"
                            % (sorted(turns), expected["winding"]))
    for color, count in expected.get("colorQuads", []):
        got = sum(1 for q in brick.quads if q["colors"] and close(q["colors"][0], color))
        if got != count:
            problems.append("%d quads of colour %s, expected %d" % (got, color, count))
    if "quadBox" in expected:
        corners = [p for q in brick.quads for p in q["positions"]]
        got = [f(p[a] for p in corners) for f in (min, max) for a in range(3)]
        if not close(got, expected["quadBox"]):
            problems.append("quads span %s, expected %s" % (got, expected["quadBox"]))
    if expected.get("topFacesUp"):
        top = brick.top_quads()
        if not top or not all(n[2] > 0.99 for q in top for n in q["normals"]):
            problems.append("the top faces' normals do not point up")
    return problems


def main(converter, model, expectations_path):
    with open(expectations_path) as table:
        expected = json.load(table)[os.path.basename(model)]
    with tempfile.TemporaryDirectory() as folder:
        copy = os.path.join(folder, os.path.basename(model))
        shutil.copyfile(model, copy)
        run = subprocess.run([converter, copy], capture_output=True, text=True)
        status = expected.get("status", 0)
        if run.returncode != status:
            print(run.stdout[-2000:])
            print("dxf2tkm exited with %d, expected %d" % (run.returncode, status))
            return 1
        brick_path = os.path.splitext(copy)[0] + ".tkm"
        if status != 0:
            problems = ["a brick was written"] if os.path.exists(brick_path) else []
        else:
            problems = check_brick(parse_brick(brick_path), expected)
    printed = iter(run.stdout.splitlines())
    problems += ["not printed in order: %r" % message
                 for message in expected.get("messages", []) if message not in printed]
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
