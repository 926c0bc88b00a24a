# SPDX-License-Identifier: MIT
"""roundTrip.py ZIP VERSION OUTDIR BRICK...: installs the add-on zip in a
headless Blender as a user would, imports each brick and exports it again
with an empty PATH (Blender runs this file again, inside), then checks that
each new brick has the original's size line, boxes and quads; also the zip's
manifest and version, and that malformed bricks are refused by line number,
leaving the scene as it was. Exits with 77 ("SKIPPED") without Blender."""

import ast
import json
import math
import os
import shutil
import subprocess
import sys
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import brickCheck  # noqa: E402

MODULE = "io_export_tkm"
TOLERANCE = 1e-5
# Blender keeps a custom normal as two 16-bit angles in its corner's frame:
# one that does not lie along the face's own normal (a face listed against
# its normal, as DXF and RDS bricks are) comes back within pi / 65534.
NORMAL_TOLERANCE = 5e-5
# What Blender 4.2's documentation requires of a manifest.
MANIFEST_KEYS = ["schema_version", "id", "version", "name", "tagline", "maintainer", "type",
                 "blender_version_min", "license"]  # fmt: skip


def run_inside(zip_path, out_dir, *bricks):
    import addon_utils
    import bpy

    def scene():
        return sorted(o.name for o in bpy.data.objects) + sorted(bpy.data.collections.keys())

    bpy.ops.preferences.addon_install(filepath=zip_path)
    addon_utils.enable(MODULE, default_set=True)
    os.environ["PATH"] = ""  # the add-on must run the programs it carries
    menu = bpy.types.TOPBAR_MT_file_import._dyn_ui_initialize()
    results = {"inImportMenu": sys.modules[MODULE].import_brick.menu_func_import in menu}
    for number, brick in enumerate(bricks):
        for data in (bpy.data.objects, bpy.data.meshes, bpy.data.collections):
            for item in list(data):
                data.remove(item)
        try:
            bpy.ops.import_scene.tkm_brick(filepath=brick)
            target = os.path.join(out_dir, "brick%d.tkm" % number)
            bpy.ops.export_scene.tkm_brick(filepath=target, use_selection=False)
            results[brick] = target
        except Exception as error:
            results[brick] = "failed: %s" % error
    bpy.ops.mesh.primitive_cube_add()
    for malformed in os.listdir(os.path.join(out_dir, "malformed")):
        before, message = scene(), "imported"
        try:
            bpy.ops.import_scene.tkm_brick(filepath=os.path.join(out_dir, "malformed", malformed))
        except RuntimeError as error:
            message = str(error)
        results[malformed] = [message, scene() == before]
    with open(os.path.join(out_dir, "results.json"), "w") as out:
        json.dump(results, out)


def read_toml(text):
    """tomllib where the Python has it, else the manifest's subset: tables,
    strings and lists of strings."""
    try:
        import tomllib

        return tomllib.loads(text)
    except ImportError:
        content = table = {}
    for line in (line.strip() for line in text.splitlines()):
        if line.startswith("["):
            table = content.setdefault(line.strip("[]"), {})
        elif line and not line.startswith("#"):
            key, _, value = line.partition("=")
            table[key.strip()] = ast.literal_eval(value.strip())
    return content


def check_zip(zip_path, version):
    with zipfile.ZipFile(zip_path) as packed:
        manifest = read_toml(packed.read(MODULE + "/blender_manifest.toml").decode("utf-8"))
        init = ast.parse(packed.read(MODULE + "/__init__.py").decode("utf-8"))
    problems = ["the manifest lacks %s" % k for k in MANIFEST_KEYS if k not in manifest]
    wanted = {"version": version, "type": "add-on", "license": ["SPDX:GPL-3.0-or-later"]}
    problems += ["manifest %s: %r" % (k, manifest.get(k)) for k, v in wanted.items()
                 if manifest.get(k) != v]  # fmt: skip
    if not manifest.get("permissions", {}).get("files"):
        problems.append("the manifest gives no reason for the files permission")
    bl_info = next(ast.literal_eval(n.value) for n in init.body
                   if isinstance(n, ast.Assign) and n.targets[0].id == "bl_info")  # fmt: skip
    if bl_info["version"] != tuple(int(p) for p in version.split(".")):
        problems.append("bl_info version %s" % (bl_info["version"],))
    return problems


def write_malformed(out_dir, brick):
    """Two bricks to refuse, with what each refusal must say."""
    os.makedirs(os.path.join(out_dir, "malformed"))
    with open(brick, "rb") as original:
        lines = original.read().split(b"\r\n")
    at = lines.index(b"NORMALS:") + 2
    lines[at] = b"0.000000 1.000000"
    texts = {"shortNormal.tkm": b"\r\n".join(lines), "oldText.tkm": b"an older brick\r\n"}
    for name, text in texts.items():
        with open(os.path.join(out_dir, "malformed", name), "wb") as out:
            out.write(text)
    return {
        "shortNormal.tkm": "line %d: expected a corner normal: three numbers" % (at + 1),
        "oldText.tkm": "line 1: expected the brick size",
    }


def close(a, b, tolerance=TOLERANCE):
    return len(a) == len(b) and all(abs(x - y) <= tolerance for x, y in zip(a, b))


def corners(quad):
    """The (position, unit normal) corners in the file's order, a corner at
    the place of the one before dropped, begun at the least: a triangle the
    converter closed compares equal whichever corner it doubled."""
    found = []
    for position, normal in zip(quad["positions"], quad["normals"]):
        length = math.sqrt(sum(c * c for c in normal)) or 1.0
        if not found or not close(found[-1][0], position):
            found.append((position, [c / length for c in normal]))
    if len(found) > 1 and close(found[0][0], found[-1][0]):
        found.pop()
    start = found.index(min(found))
    return found[start:] + found[:start]


def same_quad(a, b):
    """Same corners in the same turn; texture coordinates and colours as
    stored."""
    ca, cb = corners(a), corners(b)
    rows = lambda q: q["uv"] + (q["colors"] or [])  # noqa: E731
    return (len(ca) == len(cb) and (a["colors"] is None) == (b["colors"] is None)
            and all(close(pa, pb) and close(na, nb, NORMAL_TOLERANCE)
                    for (pa, na), (pb, nb) in zip(ca, cb))
            and all(map(close, rows(a), rows(b))))  # fmt: skip


def set_boxes(brick):
    """Sorted, without the boxes the converter left unset (a collision group
    without faces: Blender has no such object to export)."""
    rows = [list(c) + list(s) for c, s in brick.boxes]
    return sorted(r for r in rows if not all(v < 0 for v in r[3:]))


def compare(original_path, new_path):
    original, new = brickCheck.parse_brick(original_path), brickCheck.parse_brick(new_path)
    problems = [] if new.size == original.size else ["size %s" % new.size]
    boxes, new_boxes = set_boxes(original), set_boxes(new)
    if len(boxes) != len(new_boxes) or not all(map(close, boxes, new_boxes)):
        problems.append("boxes %s" % new_boxes)
    unmatched = list(new.quads)
    for quad in original.quads:
        match = next((q for q in unmatched if same_quad(quad, q)), None)
        if match is None:
            problems.append("no quad like %s" % json.dumps(quad))
        else:
            unmatched.remove(match)
    return problems + ["a quad too many: %s" % json.dumps(q) for q in unmatched]


def run_outside(zip_path, version, out_dir, *bricks):
    blender = shutil.which("blender")
    if blender is None:
        print("SKIPPED: needs blender (Debian package blender)")
        return 77
    problems = check_zip(zip_path, version)
    shutil.rmtree(out_dir, ignore_errors=True)
    refusals = write_malformed(out_dir, bricks[0])
    env = dict(os.environ, BLENDER_USER_SCRIPTS=os.path.join(out_dir, "userScripts"))
    run = subprocess.run([blender, "--background", "--factory-startup", "--python-exit-code", "1",
                          "--python", os.path.abspath(__file__), "--", "inside", zip_path, out_dir]
                         + list(bricks), env=env, stdout=subprocess.PIPE,
                         stderr=subprocess.STDOUT, text=True, timeout=300)  # fmt: skip
    if not os.path.isfile(os.path.join(out_dir, "results.json")):
        print(run.stdout[-4000:])
        return 1
    with open(os.path.join(out_dir, "results.json")) as table:
        results = json.load(table)
    problems += [] if results["inImportMenu"] else ["no entry in File > Import"]
    for brick in bricks:
        if results[brick].startswith("failed"):
            problems.append("%s: %s" % (brick, results[brick]))
        else:
            problems += ["%s: %s" % (brick, p) for p in compare(brick, results[brick])]
    for name, wanted in refusals.items():
        message, unchanged = results[name]
        problems += [] if wanted in message else ["%s: %r, expected %r" % (name, message, wanted)]
        problems += [] if unchanged else ["%s: the refused import changed the scene" % name]
    print("\n".join(problems + ["%d bricks, %d problems" % (len(bricks), len(problems))]))
    return 1 if problems else 0


if __name__ == "__main__":
    arguments = sys.argv[sys.argv.index("--") + 1 :] if "--" in sys.argv else sys.argv[1:]
    if arguments[0] == "inside":
        run_inside(*arguments[1:])
    else:
        sys.exit(run_outside(*[os.path.abspath(a) if i != 1 else a
                               for i, a in enumerate(arguments)]))  # fmt: skip
