#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Checks tkmpreview's picture of a known brick: a well-formed SVG with one
filled polygon per drawable quad in each of the four views, one dashed outline
per collision box or a marked cross and a note for an inverted one, everything
drawn inside its panel, labels clear of the drawings, the title, a PNG
rendering by rsvg-convert; and the rejection of a malformed brick file.
With "geometry" it also checks where the quads and the box of
tests/preview/octants.tkm land in each view.

    checkPicture.py TKMPREVIEW BRICK.tkm QUADS BOXES TITLE_PART [geometry]
"""
import math
import os
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree

SVG = "{http://www.w3.org/2000/svg}"
SKIPPED = 77
TOLERANCE = 0.02  # pixels; coordinates are written with two decimals


def fail(message):
    sys.exit("FAILED: " + message)


def points_of(element):
    text = element.get("points") or element.get("d") or ""
    return [(float(x), float(y)) for x, y in re.findall(r"(-?[\d.]+),(-?[\d.]+)", text)]


def bounds(points):
    xs, ys = [p[0] for p in points], [p[1] for p in points]
    return min(xs), min(ys), max(xs), max(ys)


def classes(element):
    return (element.get("class") or "").split()


def inverted_boxes(brick):
    """Numbers (from 1) of the boxes with a negative size, read from the file."""
    lines = open(brick, "rb").read().decode().splitlines()
    found = []
    for box in range(int(lines[3])):
        size = [float(v) for v in lines[6 + 3 * box].split()]
        if min(size) < 0:
            found.append(box + 1)
    return found


def check_view(view, quads, boxes, inverted):
    name = view.get("id")
    panel = [r for r in view.iter(SVG + "rect") if "panel" in classes(r)][0]
    left, top = float(panel.get("x")), float(panel.get("y"))
    right, bottom = left + float(panel.get("width")), top + float(panel.get("height"))
    polygons = [p for p in view.iter(SVG + "polygon") if "quad" in classes(p) and p.get("fill")]
    if len(polygons) != quads:
        fail("%s view has %d quads, expected %d" % (name, len(polygons), quads))
    outlines = [p for p in view.iter(SVG + "path") if "collision" in classes(p)]
    crosses = [p for p in outlines if "inverted" in classes(p)]
    if len(outlines) != boxes or len(crosses) != len(inverted):
        fail("%s view has %d boxes, %d inverted; expected %d, %d"
             % (name, len(outlines), len(crosses), boxes, len(inverted)))
    if any(not p.get("stroke-dasharray") for p in outlines):
        fail("%s view has a collision box that is not dashed" % name)
    if not [p for p in view.iter(SVG + "path") if "extent" in classes(p)]:
        fail("%s view has no extent outline" % name)
    drawing = polygons + [p for p in view.iter(SVG + "path") if "height-axis" not in classes(p)]
    for element in drawing:
        for x, y in points_of(element):
            if not (left <= x <= right and top <= y <= bottom):
                fail("%s view draws (%.2f, %.2f) outside its panel" % (name, x, y))
    drawn = bounds([p for element in drawing for p in points_of(element)])
    for text in view.iter(SVG + "text"):
        # Inside a panel only the height axis's labels, left of the drawing.
        if text.get("text-anchor") != "end" or float(text.get("x")) >= drawn[0]:
            fail("%s view has a label over its drawing: %r" % (name, text.text))
    return (left, top, right, bottom), polygons, view


def check_picture(program, brick, quads, boxes, title_part, folder):
    shutil.copy(brick, os.path.join(folder, "brick.tkm"))
    run = subprocess.run([program, "brick.tkm"], cwd=folder, capture_output=True, text=True)
    if run.returncode != 0 or run.stdout != "Wrote brick.svg\n" or run.stderr:
        fail("unexpected run: %r %r %r" % (run.returncode, run.stdout, run.stderr))
    picture = os.path.join(folder, "brick.svg")
    root = ElementTree.parse(picture).getroot()  # raises on malformed XML
    views = [g for g in root.iter(SVG + "g") if g.get("class") == "view"]
    if [v.get("id") for v in views] != ["top", "front", "side", "isometric"]:
        fail("views: %r" % [v.get("id") for v in views])
    inverted = inverted_boxes(brick)
    checked = {v.get("id"): check_view(v, quads, boxes, inverted) for v in views}
    panel_bottom = checked["top"][0][3]
    for text in root.findall(SVG + "text"):
        if text.get("class") != "title" and float(text.get("y")) <= panel_bottom:
            fail("label %r lies beside or over the panels" % text.text)
    notes = [t.text for t in root.iter(SVG + "text") if t.get("class") == "note"]
    for box in inverted:
        if not [n for n in notes if n.startswith("collision box %d " % box)]:
            fail("no note for inverted box %d: %r" % (box, notes))
    title = "".join(t.text or "" for t in root.iter(SVG + "text") if t.get("class") == "title")
    if title_part not in title:
        fail("title %r lacks %r" % (title, title_part))
    rendered = os.path.join(folder, "brick.png")
    subprocess.run(["rsvg-convert", "-o", rendered, picture], check=True)
    with open(rendered, "rb") as png:
        if png.read(8) != b"\x89PNG\r\n\x1a\n":
            fail("rsvg-convert wrote no PNG")
    return checked, open(picture).read()


def centre(box):
    return (box[0] + box[2]) / 2, (box[1] + box[3]) / 2


def check_geometry(checked, text):
    """octants.tkm: size 4 x 2 x 6, quad A at x 1..2, y 0.5..1 on top, quad B
    at x -2..-1, y -1..-0.5 at the bottom, a third quad with a corner of nan,
    and a box of size 1 centred on (7, 0, 0), far beyond the brick."""
    iso_r, iso_u = 1 / math.sqrt(2), 1 / math.sqrt(6)
    # Model (x, y, z) to (right, up) in each view.
    project = {
        "top": lambda x, y, z: (x, y),
        "front": lambda x, y, z: (x, z),
        "side": lambda x, y, z: (y, z),
        "isometric": lambda x, y, z: ((x + y) * iso_r, (-x + y + 2 * z) * iso_u),
    }
    scale = None
    for name, (panel, polygons, view) in checked.items():
        to = project[name]
        corners = [to(x, y, z) for x in (-2, 2) for y in (-1, 1) for z in (-3, 3)]
        extent_size = (max(c[0] for c in corners) - min(c[0] for c in corners),
                       max(c[1] for c in corners) - min(c[1] for c in corners))
        extent = bounds(points_of([p for p in view if "extent" in classes(p)][0]))
        if scale is None:
            scale = (extent[2] - extent[0]) / extent_size[0]
        # One scale in every view and along both screen axes.
        for k in range(2):
            if abs(extent[2 + k] - extent[k] - extent_size[k] * scale) > TOLERANCE * 2:
                fail("%s view: extent %r does not match size %r at scale %.4f"
                     % (name, extent, extent_size, scale))
        cx, cy = centre(extent)
        # Both quads face up; the higher one, A, is drawn in the lighter grey.
        for polygon, corner in zip(sorted(polygons, key=lambda p: p.get("fill"), reverse=True),
                                   [(1.5, 0.75, 3), (-1.5, -0.75, -3)]):
            right, up = to(*corner)
            px, py = centre(bounds(points_of(polygon)))
            # Screen y grows downwards: up in the model is a smaller y.
            if abs(px - (cx + right * scale)) > TOLERANCE or abs(py - (cy - up * scale)) > TOLERANCE:
                fail("%s view: quad centred on %r drawn at (%.2f, %.2f), expected (%.2f, %.2f)"
                     % (name, corner, px, py, cx + right * scale, cy - up * scale))
        box = bounds(points_of([p for p in view if "collision" in classes(p)][0]))
        far = max(to(x, y, z)[0] for x in (6.5, 7.5) for y in (-0.5, 0.5) for z in (-0.5, 0.5))
        if abs(box[2] - (cx + far * scale)) > TOLERANCE:
            fail("%s view: the box beyond the brick ends at %.2f, expected %.2f"
                 % (name, box[2], cx + far * scale))
    if "<!-- quad 3 (omni section) not drawn: a corner is not finite -->" not in text:
        fail("the quad that was not drawn is not listed")


def check_rejection(program, folder):
    bad = os.path.join(folder, "bad.tkm")
    with open(bad, "w") as out:
        out.write("1 1 5\r\nSPECIAL\r\n")
    run = subprocess.run([program, bad], capture_output=True, text=True)
    expected = 'tkmpreview: %s: line 2: expected "SPECIALBRICK", found "SPECIAL"\n' % bad
    if run.returncode != 1 or run.stdout or run.stderr != expected:
        fail("malformed file: %r %r %r" % (run.returncode, run.stdout, run.stderr))
    if os.path.exists(os.path.join(folder, "bad.svg")):
        fail("a picture was written for a malformed file")


def main():
    program, brick, quads, boxes, title_part = sys.argv[1:6]
    if shutil.which("rsvg-convert") is None:
        print("SKIPPED: needs rsvg-convert (Debian package librsvg2-bin)")
        sys.exit(SKIPPED)
    with tempfile.TemporaryDirectory() as folder:
        checked, text = check_picture(os.path.abspath(program), brick, int(quads), int(boxes),
                                      title_part, folder)
        if sys.argv[6:] == ["geometry"]:
            check_geometry(checked, text)
        check_rejection(os.path.abspath(program), folder)
    print("picture checked")


if __name__ == "__main__":
    main()
