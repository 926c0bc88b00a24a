#!/usr/bin/env python3
"""Checks tkmpreview's picture of a known brick: a well-formed SVG with one
filled polygon per quad in each of the four views, one dashed outline per
collision box, the title, a PNG rendering by rsvg-convert; and the rejection
of a malformed brick file.

    checkPicture.py TKMPREVIEW BRICK.tkm QUADS BOXES TITLE_PART
"""
import os
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree

SVG = "{http://www.w3.org/2000/svg}"


def fail(message):
    sys.exit("FAILED: " + message)


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
    for view in views:
        polygons = [p for p in view.iter(SVG + "polygon")
                    if p.get("class", "").startswith("quad") and p.get("fill")]
        if len(polygons) != quads:
            fail("%s view has %d quads, expected %d" % (view.get("id"), len(polygons), quads))
        outlines = [p for p in view.iter(SVG + "path") if p.get("class") == "collision"]
        if len(outlines) != boxes or any(not p.get("stroke-dasharray") for p in outlines):
            fail("%s view has %d dashed boxes, expected %d" % (view.get("id"), len(outlines), boxes))
        if not [p for p in view.iter(SVG + "path") if p.get("class") == "extent"]:
            fail("%s view has no extent outline" % view.get("id"))
    title = "".join(t.text or "" for t in root.iter(SVG + "text") if t.get("class") == "title")
    if title_part not in title:
        fail("title %r lacks %r" % (title, title_part))
    rendered = os.path.join(folder, "brick.png")
    if shutil.which("rsvg-convert") is None:
        fail("rsvg-convert is missing (Debian package librsvg2-bin)")
    subprocess.run(["rsvg-convert", "-o", rendered, picture], check=True)
    with open(rendered, "rb") as png:
        if png.read(8) != b"\x89PNG\r\n\x1a\n":
            fail("rsvg-convert wrote no PNG")


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
    with tempfile.TemporaryDirectory() as folder:
        check_picture(os.path.abspath(program), brick, int(quads), int(boxes), title_part, folder)
        check_rejection(os.path.abspath(program), folder)
    print("picture checked")


if __name__ == "__main__":
    main()
