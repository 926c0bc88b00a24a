# SPDX-License-Identifier: MIT
"""Bricks imported into the real Blender and exported again through the
add-on installed from its built zip, with no PATH: each new brick must hold
the original's size line, collision boxes and quads.

roundTrip.py ZIP VERSION OUTDIR BRICK...
    checks the zip's manifest and bl_info against VERSION, runs Blender once
    (which runs this file again, inside), then compares the bricks. A brick
    comes back as OUTDIR/<its case folder>.tkm. Also checks that two
    malformed bricks are refused with their line numbers, leaving the scene
    as it was. Prints "SKIPPED: ..." and exits with 77 without Blender.
"""

import ast
import json
import math
import os
import shutil
import subprocess
import sys
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))
import brickCheck  # noqa: E402

MODULE = "io_export_tkm"
SKIP_STATUS = 77
BLENDER_TIMEOUT_SECONDS = 300
TOLERANCE = 1e-5
# Blender keeps a custom normal as two 16-bit angles in its corner's frame:
# one that does not lie along the face's own normal (a face listed against
# its normal, as DXF and RDS bricks are) comes back within pi / 65534.
NORMAL_TOLERANCE = 5e-5
# What Blender 4.2's documentation requires of a manifest.
MANIFEST_KEYS = ["schema_version", "id", "version", "name", "tagline", "maintainer", "type",
                 "blender_version_min", "license"]  # fmt: skip


# ---------------------------------------------------------------------------
# Inside Blender


def clear_scene(bpy):
    for obj in list(bpy.data.objects):
        bpy.data.objects.remove(obj)
    for data in (bpy.data.meshes, bpy.data.collections):
        for item in list(data):
            data.remove(item)


def scene_content(bpy):
    return sorted(o.name for o in bpy.data.objects) + sorted(c.name for c in bpy.data.collections)


def run_inside(zip_path, out_dir, *bricks):
    import addon_utils
    import bpy

    bpy.ops.preferences.addon_install(filepath=zip_path)
    addon_utils.enable(MODULE, default_set=True)
    os.environ["PATH"] = ""  # the add-on must run the programs it carries
    menu = bpy.types.TOPBAR_MT_file_import._dyn_ui_initialize()
    results = {"inImportMenu": sys.modules[MODULE].import_brick.menu_func_import in menu}
    for brick in bricks:
        name = os.path.basename(os.path.dirname(os.path.dirname(brick)))
        if name == "expected":  # a case's brick in a folder of its own
            name = os.path.basename(os.path.dirname(os.path.dirname(os.path.dirname(brick))))
        clear_scene(bpy)
        try:
            bpy.ops.import_scene.tkm_brick(filepath=brick)
            target = os.path.join(out_dir, name + ".tkm")
            bpy.ops.export_scene.tkm_brick(filepath=target, use_selection=False)
            results[brick] = target
        except Exception as error:
            results[brick] = "failed: %s" % error
    bpy.ops.mesh.primitive_cube_add()
    for malformed in sorted(os.listdir(os.path.join(out_dir, "malformed"))):
        before = scene_content(bpy)
        try:
            bpy.ops.import_scene.tkm_brick(filepath=os.path.join(out_dir, "malformed", malformed))
            message = "imported"
        except RuntimeError as error:
            message = str(error)
        results[malformed] = [message, scene_content(bpy) == before]
    with open(os.path.join(out_dir, "results.json"), "w") as out:
        json.dump(results, out, indent=1)


# ---------------------------------------------------------------------------
# Outside: the zip, the malformed bricks and the comparison


def read_toml(text):
    """The manifest's tables and keys: tomllib where the Python has it, else
    the subset the manifest uses (strings and lists of strings)."""
    try:
        import tomllib

        return tomllib.loads(text)
    except ImportError:
        pass
    content = table = {}
    for line in text.splitlines():
        line = line.strip()
        if line.startswith("[") and line.endswith("]"):
            table = content.setdefault(line[1:-1], {})
        elif line and not line.startswith("#"):
            key, _, value = line.partition("=")
            table[key.strip()] = ast.literal_eval(value.strip())
    return content


def check_zip(zip_path, version):
    problems = []
    with zipfile.ZipFile(zip_path) as packed:
        manifest = read_toml(packed.read(MODULE + "/blender_manifest.toml").decode("utf-8"))
        init = packed.read(MODULE + "/__init__.py").decode("utf-8")
        names = packed.namelist()
    problems += ["the manifest lacks %s" % k for k in MANIFEST_KEYS if k not in manifest]
    expected = {"version": version, "type": "add-on", "license": ["SPDX:GPL-3.0-or-later"]}
    problems += ["manifest %s = %r, expected %r" % (k, manifest.get(k), v)
                 for k, v in expected.items() if manifest.get(k) != v]  # fmt: skip
    if not manifest.get("permissions", {}).get("files"):
        problems.append("the manifest gives no reason for the files permission")
    tree = ast.parse(init)
    bl_info = next(ast.literal_eval(n.value) for n in tree.body
                   if isinstance(n, ast.Assign) and n.targets[0].id == "bl_info")  # fmt: skip
    if bl_info["version"] != tuple(int(p) for p in version.split(".")):
        problems.append("bl_info version %s, expected %s" % (bl_info["version"], version))
    for carried in ("bin/dxf2tkm", "bin/tkmpreview", "LICENSE", "LICENSE-GPL-3.0"):
        if not any(n.startswith(MODULE + "/" + carried) for n in names):
            problems.append("the zip lacks %s" % carried)
    return problems


def write_malformed(out_dir, brick):
    """Two bricks to refuse, with the line each message must name."""
    folder = os.path.join(out_dir, "malformed")
    os.makedirs(folder)
    with open(brick, "rb") as original:
        lines = original.read().split(b"\r\n")
    at = lines.index(b"NORMALS:") + 2
    lines[at] = b"0.000000 1.000000"
    with open(os.path.join(folder, "shortNormal.tkm"), "wb") as out:
        out.write(b"\r\n".join(lines))
    with open(os.path.join(folder, "oldText.tkm"), "wb") as out:
        out.write(b"an older brick\r\n")
    return {
        "shortNormal.tkm": "line %d: expected a corner normal: three numbers" % (at + 1),
        "oldText.tkm": "line 1: expected the brick size",
    }


def unit(vector):
    length = math.sqrt(sum(c * c for c in vector)) or 1.0
    return [c / length for c in vector]


def corners(quad):
    """The (position, unit normal) corners in the file's order, a corner
    at the place of the one before it dropped, begun at the least: a closed
    triangle compares equal whichever of its corners the converter doubled
    (it writes a triangle from Blender as the last corner doubled, listed
    in reverse)."""
    found = []
    for position, normal in zip(quad["positions"], quad["normals"]):
        if not found or not close(found[-1][0], position):
            found.append((position, unit(normal)))
    if len(found) > 1 and close(found[0][0], found[-1][0]):
        found.pop()
    start = found.index(min(found))
    return found[start:] + found[:start]


def same_quad(a, b):
    """Same corners in the same turn, and texture coordinates and colours
    as stored."""
    ca, cb = corners(a), corners(b)
    rows = lambda q: q["uv"] + (q["colors"] or [])  # noqa: E731
    return (len(ca) == len(cb) and (a["colors"] is None) == (b["colors"] is None)
            and all(close(pa, pb) and close(na, nb, NORMAL_TOLERANCE)
                    for (pa, na), (pb, nb) in zip(ca, cb))
            and all(map(close, rows(a), rows(b))))  # fmt: skip


def close(a, b, tolerance=TOLERANCE):
    return len(a) == len(b) and all(abs(x - y) <= tolerance for x, y in zip(a, b))


def set_boxes(brick):
    """The boxes as sorted rows, without those the converter left unset (a
    collision group without faces; Blender has no such object to export)."""
    rows = [list(c) + list(s) for c, s in brick.boxes]
    return sorted(r for r in rows if not all(v < 0 for v in r[3:]))


def compare(original_path, new_path):
    original = brickCheck.parse_brick(original_path)
    new = brickCheck.parse_brick(new_path)
    problems = []
    if new.size != original.size:
        problems.append("size %s, expected %s" % (new.size, original.size))
    boxes, new_boxes = set_boxes(original), set_boxes(new)
    if len(boxes) != len(new_boxes) or not all(map(close, boxes, new_boxes)):
        problems.append("boxes %s, expected %s" % (new_boxes, boxes))
    unmatched = list(new.quads)
    for quad in original.quads:
        match = next((q for q in unmatched if same_quad(quad, q)), None)
        if match is None:
            problems.append("no quad like %s" % json.dumps(quad))
        else:
            unmatched.remove(match)
    problems += ["a quad too many: %s" % json.dumps(q) for q in unmatched]
    return problems


def run_outside(zip_path, version, out_dir, *bricks):
    blender = shutil.which("blender")
    if blender is None:
        print("SKIPPED: needs blender (Debian package blender)")
        return SKIP_STATUS
    problems = check_zip(zip_path, version)
    shutil.rmtree(out_dir, ignore_errors=True)
    os.makedirs(out_dir)
    refusals = write_malformed(out_dir, bricks[0])
    env = dict(os.environ, BLENDER_USER_SCRIPTS=os.path.join(out_dir, "userScripts"))
    command = [blender, "--background", "--factory-startup", "--python-exit-code", "1",
               "--python", os.path.abspath(__file__), "--", "inside", os.path.abspath(zip_path),
               os.path.abspath(out_dir)] + [os.path.abspath(b) for b in bricks]  # fmt: skip
    run = subprocess.run(command, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                         text=True, timeout=BLENDER_TIMEOUT_SECONDS)  # fmt: skip
    try:
        with open(os.path.join(out_dir, "results.json")) as table:
            results = json.load(table)
    except OSError:
        print(run.stdout[-4000:])
        print("Blender exited with %d and left no results" % run.returncode)
        return 1
    if not results["inImportMenu"]:
        problems.append("no entry in File > Import")
    for brick in bricks:
        result = results[os.path.abspath(brick)]
        if result.startswith("failed"):
            problems.append("%s: %s" % (brick, result))
        else:
            problems += ["%s: %s" % (brick, p) for p in compare(brick, result)]
    for name, wanted in refusals.items():
        message, unchanged = results[name]
        if wanted not in message:
            problems.append("%s: %r, expected %r" % (name, message, wanted))
        if not unchanged:
            problems.append("%s: the refused import changed the scene" % name)
    for problem in problems:
        print(problem)
    print("%d bricks round trip, %d problems" % (len(bricks), len(problems)))
    return 1 if problems else 0


if __name__ == "__main__":
    arguments = sys.argv[sys.argv.index("--") + 1 :] if "--" in sys.argv else sys.argv[1:]
    if arguments[0] == "inside":
        run_inside(*arguments[1:])
    else:
        sys.exit(run_outside(*arguments))
