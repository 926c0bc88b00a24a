# SPDX-License-Identifier: MIT
"""roundTrip.py ZIP VERSION OUTDIR CONVERTER TESTS EXAMPLES: the zip installed in a headless
Blender, no PATH; its manifest; the bricks of TESTS and EXAMPLES and a hand-edited one dropped
on Blender and exported again, silently, to the same size line, boxes and quads to the last
digit; carried programs, other systems' zips, a malformed brick refused."""

import ast
import math
import os
import pathlib
import shutil
import subprocess
import sys
from types import SimpleNamespace as Space

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [HERE, os.path.join(HERE, "..", "e2e")]
from brickCheck import close, parse_brick  # noqa: E402

TOLERANCE = 1e-9  # far below the last printed digit
# Blender keeps a custom normal as two 16-bit angles in its corner's frame: one
# off the face's own normal comes back within pi / 65534 (one against it: turned round).
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
    # An extension's bl_info is read from the file: Blender removes it from the module.
    wanted = '"version": (%s)' % version.replace(".", ", ")
    return problems + ([] if wanted in pathlib.Path(package.__file__).read_text() else [wanted])


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


def install(zip_path):
    """The zip installed as a user would: an extension from 4.2 on, which
    Blender's validator must accept. Returns the package and problems."""
    import bpy
    import exportScenes

    if bpy.app.version < (4, 2, 0):
        exportScenes.install_addon(zip_path)
        return sys.modules[exportScenes.ADDON_MODULE], []
    validate = [bpy.app.binary_path, "--command", "extension", "validate", zip_path]
    valid = subprocess.run(validate, capture_output=True, text=True)
    bpy.ops.extensions.package_install_files(filepath=zip_path, enable_on_install=True,
                                             repo="user_default")  # fmt: skip
    package = sys.modules["bl_ext.user_default." + exportScenes.ADDON_MODULE]
    return package, [] if valid.returncode == 0 else ["invalid: " + valid.stdout + valid.stderr]


def check_drops(handler):
    """From 4.1 on, a brick dropped on the viewport or the outliner's view layer
    imports, one dropped elsewhere not. (Collection Exporters: exportScenes.)"""
    import bpy

    if bpy.app.version < (4, 1, 0):
        return [] if handler is None else ["a file handler before Blender 4.1"]
    places = ("VIEW_3D", 0), ("OUTLINER", "VIEW_LAYER"), ("OUTLINER", "SCENES"), ("IMAGE_EDITOR", 0)
    drops = [handler.poll_drop(Space(area=Space(type=kind, spaces=Space(active=Space(
        display_mode=mode))))) for kind, mode in places]  # fmt: skip
    return [] if drops == [True, True, False, False] else ["drops %s" % drops]


def check_carried_programs(package, version, out_dir):
    """A carried program that cannot be made executable (a read-only folder)
    runs from a copy; a zip for another system, its programs not found, is named."""
    from unittest import mock

    bundled, carried = package.bundled, os.path.join(package.bundled.BIN_FOLDER, "tkmpreview")
    os.chmod(carried, 0o644)
    with mock.patch.object(os, "chmod", side_effect=PermissionError("read-only file system")):
        copy = bundled.bundled_program("tkmpreview")
    problems = [] if copy != carried and os.access(copy, os.X_OK) else ["copy %s" % copy]
    with mock.patch.multiple(bundled, BIN_FOLDER=out_dir, system_name=lambda: "windows-x64"):
        try:
            error = "found %s" % package.export_brick.resolve_converter("dxf2tkm")
        except package.obj_model.ExportError as raised:
            error = str(raised)
    wanted = ("Converter not found: this add-on zip is for linux-x64: install "
              "dxf2tkm-addon-%s-windows-x64.zip" % version)  # fmt: skip
    return problems + ([] if error == wanted else ["another system's zip: %s" % error])


def run_inside(zip_path, version, out_dir, hand_edited, example, *bricks):
    import bpy

    package, problems = install(zip_path)
    os.environ["PATH"] = ""  # the add-on must run the programs it carries
    menu = bpy.types.TOPBAR_MT_file_import._dyn_ui_initialize()
    problems += check_package(package, version) + check_drops(package.FILE_HANDLER)
    problems += [] if package.import_brick.menu_func_import in menu else ["no File > Import entry"]
    reports = []
    package.export_brick.EXPORT_SCENE_OT_tkm_brick.tell = lambda _, *report: reports.append(report)
    # Last the hand-edited brick (the example's numbers written otherwise) through a quoted
    # converter path, with the preview picture.
    for number, (brick, like) in enumerate([(b, b) for b in bricks] + [(hand_edited, example)]):
        bpy.ops.wm.read_homefile(use_empty=True)
        if number == len(bricks):
            preferences = bpy.context.preferences.addons[package.__name__].preferences
            preferences.converter_path = '"%s"' % package.bundled.bundled_program("dxf2tkm")
        folder, name = os.path.split(brick)  # as a drop imports, with no file browser
        bpy.ops.import_scene.tkm_brick("INVOKE_DEFAULT", filepath=brick, directory=folder,
                                       files=[{"name": name}])  # fmt: skip
        target, reports[:] = os.path.join(out_dir, "brick%d.tkm" % number), []
        bpy.ops.export_scene.tkm_brick(filepath=target, use_selection=False,
                                       use_preview=number == len(bricks))  # fmt: skip
        said = [text for level, text in reports if level != "INFO"]
        problems += ["%s: %s" % (brick, p) for p in compare(like, target) + said]
    problems += [] if os.path.isfile(target[:-4] + ".svg") else ["no preview picture"]
    problems += check_carried_programs(package, version, out_dir)
    problems += check_refusal(out_dir, example)
    if problems:
        raise RuntimeError("\n".join(problems))


if __name__ == "__main__":
    if "--" in sys.argv:  # in Blender
        run_inside(*sys.argv[sys.argv.index("--") + 1 :])
    else:
        import checkScenes

        zip_path, version, out_dir, converter, tests, examples = sys.argv[1:]
        shutil.rmtree(out_dir, ignore_errors=True)
        os.makedirs(out_dir)
        # Every brick of the tests but old bricks' stand-ins and those of values not finite.
        texts = {str(p): p.read_bytes() for p in sorted(pathlib.Path(tests).rglob("*.tkm"))}
        bricks = [path for path, text in texts.items() if b"nan" not in text and b"inf" not in text
                  and text.split(b"\r\n")[1:2] == [b"SPECIALBRICK"]]  # fmt: skip
        # The models only: a Quick start or a how-to leaves bricks and pictures beside them.
        models = [name for name in sorted(os.listdir(examples))
                  if os.path.splitext(name)[1].lower() in (".obj", ".rds", ".dxf")]  # fmt: skip
        for model in models:
            shutil.copy(os.path.join(examples, model), out_dir)
            subprocess.run([converter, model], cwd=out_dir, stdout=subprocess.DEVNULL, check=True)
            bricks.append(os.path.join(out_dir, os.path.splitext(model)[0] + ".tkm"))
        example = os.path.join(tests, "data", "writer", "fiftyLineExample.tkm")
        arguments = [zip_path, version, out_dir, os.path.join(HERE, "handEdited.tkm"), example]
        sys.exit(checkScenes.run_blender(__file__, arguments + bricks, out_dir))
