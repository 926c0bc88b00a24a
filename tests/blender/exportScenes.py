"""Runs inside Blender (blender --background --factory-startup --python
exportScenes.py -- ADDON CONVERTER OUTDIR): installs the add-on as a user
would, builds each test scene, exports it through the add-on's operator to
OUTDIR/SCENE.tkm and writes what happened to OUTDIR/results.json.
checkScenes.py then checks the bricks."""

import hashlib
import json
import math
import os
import sys
import traceback

import addon_utils
import bpy

ADDON_MODULE = "io_export_tkm"
OLD_BRICK = b"an older brick\r\n"


def box(name, low, high, mesh_name=None):
    (x0, y0, z0), (x1, y1, z1) = low, high
    verts = [
        (x0, y0, z0), (x1, y0, z0), (x1, y1, z0), (x0, y1, z0),
        (x0, y0, z1), (x1, y0, z1), (x1, y1, z1), (x0, y1, z1),
    ]  # fmt: skip
    faces = [(0, 3, 2, 1), (4, 5, 6, 7), (0, 1, 5, 4), (1, 2, 6, 5), (2, 3, 7, 6), (3, 0, 4, 7)]
    return mesh_object(name, verts, faces, mesh_name)


def mesh_object(name, verts, faces, mesh_name=None):
    mesh = bpy.data.meshes.new(mesh_name or name)
    mesh.from_pydata(verts, [], faces)
    mesh.update()
    obj = bpy.data.objects.new(name, mesh)
    bpy.context.scene.collection.objects.link(obj)
    return obj


def grid(name, columns, rows):
    verts = [(x, y, 0.0) for y in range(rows + 1) for x in range(columns + 1)]
    faces = []
    for y in range(rows):
        for x in range(columns):
            a = y * (columns + 1) + x
            faces.append((a, a + 1, a + columns + 2, a + columns + 1))
    return mesh_object(name, verts, faces)


def pentagon_prism(name, radius, height):
    ring = [
        (radius * math.cos(math.radians(90 + 72 * k)), radius * math.sin(math.radians(90 + 72 * k)))
        for k in range(5)
    ]
    verts = [(x, y, 0.0) for x, y in ring] + [(x, y, height) for x, y in ring]
    faces = [(4, 3, 2, 1, 0), (5, 6, 7, 8, 9)]
    faces += [(k, (k + 1) % 5, 5 + (k + 1) % 5, 5 + k) for k in range(5)]
    return mesh_object(name, verts, faces)


def collision_boxes(count):
    for k in range(count):
        box("COLLISION.%03d" % k, (2 * k, 0, 0), (2 * k + 1, 1, 1))


# Each scene builds its objects and returns the export's keyword arguments.


def coloured_base():
    box("COLOR_255_0_0", (-2, -1, 0), (2, 1, 1), mesh_name="7")
    box("COLOR_0_0_255_128", (-0.5, -0.5, 1), (0.5, 0.5, 2))
    box("BOUNDS", (-2, -1, 0), (2, 1, 3))
    box("COLLISION", (-2, -1, 0), (2, 1, 1))
    box("COLLISION.001", (-0.5, -0.5, 1), (0.5, 0.5, 2))
    box("COLOR_0_255_0", (-2, -1, 2.5), (2, 1, 3)).hide_set(True)
    return {"use_selection": False}


def five_corners():
    pentagon_prism("Prism", 2.0, 1.0).select_set(True)
    box("NotSelected", (5, 5, 0), (6, 6, 9))
    return {"use_selection": True}


def rotated_modifier():
    obj = box("COLOR_0_255_0", (-0.5, -0.5, -0.5), (0.5, 0.5, 0.5))
    array = obj.modifiers.new("Array", "ARRAY")
    array.count = 3
    obj.rotation_euler = (math.radians(90), 0.0, math.radians(90))
    obj.scale = (-1.0, 1.0, 2.0)
    obj.location = (0.0, 0.0, 0.5)
    obj.select_set(True)
    return {"use_selection": True}


def at_limits():
    grid("Grid", 32, 16)
    collision_boxes(10)
    # The preference's default: the converter is looked up on the PATH.
    return {"use_selection": False, "converter": None}


def over_limits():
    grid("Grid", 30, 17)  # 510 quads
    mesh_object("Pentagon", pentagon_ring(), [(0, 1, 2, 3, 4)])  # 3 triangles
    collision_boxes(11)
    return {"use_selection": False}


def pentagon_ring():
    return [(math.cos(math.radians(72 * k)), math.sin(math.radians(72 * k)), 0) for k in range(5)]


def converter_fails():
    box("COLLISION", (0, 0, 0), (1, 1, 1))
    return {"use_selection": False}


def missing_converter():
    box("Cube", (0, 0, 0), (1, 1, 1))
    return {"use_selection": False, "converter": "/nonexistent/bin/dxf2tkm"}


SCENES = {
    "colouredBase": coloured_base,
    "fiveCorners": five_corners,
    "rotatedModifier": rotated_modifier,
    "atLimits": at_limits,
    "overLimits": over_limits,
    "converterFails": converter_fails,
    "missingConverter": missing_converter,
}
OLD_BRICK_SCENES = {"overLimits", "converterFails", "missingConverter"}


def clear_scene():
    for obj in list(bpy.data.objects):
        bpy.data.objects.remove(obj)
    for mesh in list(bpy.data.meshes):
        bpy.data.meshes.remove(mesh)


def install_addon(addon_path):
    bpy.ops.preferences.addon_install(filepath=addon_path)
    if addon_utils.enable(ADDON_MODULE, default_set=True) is None:
        raise RuntimeError("the add-on could not be enabled")
    return bpy.context.preferences.addons[ADDON_MODULE].preferences


def record_reports(reports):
    """Keeps every report of the operator besides showing it."""
    operator_class = sys.modules[ADDON_MODULE].EXPORT_SCENE_OT_tkm_brick
    original = operator_class.tell

    def tell(self, level, message):
        reports.append([level, message])
        original(self, level, message)

    operator_class.tell = tell


def digest(path):
    if not os.path.exists(path):
        return None
    with open(path, "rb") as brick:
        return hashlib.sha256(brick.read()).hexdigest()


def export_scene(name, build, out_dir, preferences, converter, reports):
    clear_scene()
    settings = build()
    setting = settings.pop("converter", converter)
    if setting is None:
        preferences.property_unset("converter_path")
    else:
        preferences.converter_path = setting
    target = os.path.join(out_dir, name + ".tkm")
    if name in OLD_BRICK_SCENES:
        with open(target, "wb") as old:
            old.write(OLD_BRICK)
    before = digest(target)
    del reports[:]
    try:
        status = sorted(bpy.ops.export_scene.tkm_brick(filepath=target, **settings))[0]
    except RuntimeError as error:
        status = "RuntimeError: %s" % error
    return {
        "status": status,
        "reports": list(reports),
        "before": before,
        "after": digest(target),
    }


def main(addon_path, converter, out_dir):
    preferences = install_addon(addon_path)
    reports = []
    record_reports(reports)
    draw_functions = bpy.types.TOPBAR_MT_file_export._dyn_ui_initialize()
    results = {"inExportMenu": sys.modules[ADDON_MODULE].menu_func_export in draw_functions}
    for name, build in SCENES.items():
        try:
            results[name] = export_scene(name, build, out_dir, preferences, converter, reports)
        except Exception:
            results[name] = {"status": "exception", "reports": [["ERROR", traceback.format_exc()]]}
    with open(os.path.join(out_dir, "results.json"), "w") as out:
        json.dump(results, out, indent=1)


if __name__ == "__main__":
    main(*sys.argv[sys.argv.index("--") + 1 :])
