# SPDX-License-Identifier: MIT
"""roundTrip.py ZIP VERSION OUTDIR BRICK...: the zip installed in a headless
Blender, no PATH; its manifest and version, each brick imported and exported
again to the same size line, boxes and quads, a malformed brick refused."""

import ast
import math
import os
import pathlib
import shutil
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [HERE, os.path.join(HERE, "..", "e2e")]
from brickCheck import close, parse_brick  # noqa: E402

TOLERANCE = 1e-5
# Blender keeps a custom normal as two 16-bit angles in its corner's frame: one
# off the face's own normal (as in DXF and RDS bricks) comes back within pi / 65534.
NORMAL_TOLERANCE = 5e-5
# What Blender 4.2's documentation requires of a manifest.
MANIFEST_KEYS = "schema_version id version name tagline maintainer type blender_version_min license"


def read_toml(text):
    """tomllib, or where Python lacks it (Blender 3.4's) the manifest's subset."""
    try:
        import tomllib

        return tomllib.loads(text)
    except ImportError:
        content = table = {}
    for line in filter(None, (line.strip() for line in text.splitlines())):
        if line.startswith("["):
            table = content.setdefault(line.strip("[]"), {})
        elif not line.startswith("#"):
            key, _, value = line.partition("=")
            table[key.strip()] = ast.literal_eval(value.strip())
    return content


def check_package(package, version):
    manifest = pathlib.Path(package.__file__).with_name("blender_manifest.toml").read_text()
    manifest = read_toml(manifest)
    wanted = dict(manifest, version=version, type="add-on", license=["SPDX:GPL-3.0-or-later"])
    problems = ["manifest %s: %r" % (k, manifest.get(k)) for k in MANIFEST_KEYS.split()
                if k not in manifest or manifest[k] != wanted[k]]  # fmt: skip
    problems += [] if manifest.get("permissions", {}).get("files") else ["no reason for files"]
    bl_version = package.bl_info["version"]
    return problems + ([] if bl_version == tuple(map(int, version.split("."))) else [bl_version])


def corners(quad):
    """(position, unit normal) in the file's order from the least, a corner at the
    place of the one before dropped: a closed triangle, whichever corner doubled."""
    found = []
    for position, normal in zip(quad["positions"], quad["normals"]):
        if not found or not close(found[-1][0], position, TOLERANCE):
            found.append((position, [c / (math.hypot(*normal) or 1) for c in normal]))
    if len(found) > 1 and close(found[0][0], found[-1][0], TOLERANCE):
        found.pop()
    start = found.index(min(found))
    return found[start:] + found[:start]


def same_quad(a, b):
    ca, cb = corners(a), corners(b)
    rows = lambda q: sum(q["uv"] + (q["colors"] or []), [])  # noqa: E731
    return (len(ca) == len(cb) and close(rows(a), rows(b), TOLERANCE)
            and all(close(pa, pb, TOLERANCE) and close(na, nb, NORMAL_TOLERANCE)
                    for (pa, na), (pb, nb) in zip(ca, cb)))  # fmt: skip


def compare(original_path, new_path):
    original, new = parse_brick(original_path), parse_brick(new_path)
    # Boxes left unset (a collision group without faces) have no object to export.
    boxes = [sum(sorted(c + s for c, s in b.boxes if max(s) >= 0), []) for b in (original, new)]
    problems = [] if new.size == original.size else ["size %s" % new.size]
    problems += [] if close(*boxes, TOLERANCE) else ["boxes %s" % boxes[1]]
    unmatched = list(new.quads)
    for quad in original.quads:
        match = next((q for q in unmatched if same_quad(quad, q)), None)
        problems += ["no quad like %s" % quad] if match is None else []
        unmatched = [q for q in unmatched if q is not match]
    return problems + ["a quad too many: %s" % q for q in unmatched]


def check_refusal(out_dir, brick):
    """A brick with a short corner normal: refused by line number, the scene kept."""
    import bpy

    lines = pathlib.Path(brick).read_bytes().split(b"\r\n")
    at = lines.index(b"NORMALS:") + 2
    lines[at] = b"0.000000 1.000000"
    malformed = pathlib.Path(out_dir, "malformed.tkm")
    malformed.write_bytes(b"\r\n".join(lines))
    bpy.ops.mesh.primitive_cube_add()
    scene = lambda: bpy.data.objects.keys() + bpy.data.collections.keys()  # noqa: E731
    before, message = scene(), "imported"
    try:
        bpy.ops.import_scene.tkm_brick(filepath=str(malformed))
    except RuntimeError as error:
        message = str(error)
    wanted = "line %d: expected a corner normal: three numbers" % (at + 1)
    problems = [] if wanted in message else ["refusal %r, expected %r" % (message, wanted)]
    return problems + ([] if scene() == before else ["the refused import changed the scene"])


def run_inside(zip_path, version, out_dir, *bricks):
    import bpy
    import exportScenes

    exportScenes.install_addon(zip_path)
    os.environ["PATH"] = ""  # the add-on must run the programs it carries
    package = sys.modules[exportScenes.ADDON_MODULE]
    menu = bpy.types.TOPBAR_MT_file_import._dyn_ui_initialize()
    problems = check_package(package, version)
    problems += [] if package.import_brick.menu_func_import in menu else ["no File > Import entry"]
    for number, brick in enumerate(bricks):
        bpy.ops.wm.read_homefile(use_empty=True)
        target = os.path.join(out_dir, "brick%d.tkm" % number)
        bpy.ops.import_scene.tkm_brick(filepath=brick)
        bpy.ops.export_scene.tkm_brick(filepath=target, use_selection=False)
        problems += ["%s: %s" % (brick, p) for p in compare(brick, target)]
    problems += check_refusal(out_dir, bricks[0])
    if problems:
        raise RuntimeError("\n".join(problems))


if __name__ == "__main__":
    if "--" in sys.argv:  # in Blender
        run_inside(*sys.argv[sys.argv.index("--") + 1 :])
    else:
        import checkScenes

        shutil.rmtree(sys.argv[3], ignore_errors=True)
        os.makedirs(sys.argv[3])
        sys.exit(checkScenes.run_blender(__file__, sys.argv[1:], sys.argv[3]))
