# SPDX-License-Identifier: MIT
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


def box(name, low, high, mesh_name=None, collection=None):
    (x0, y0, z0), (x1, y1, z1) = low, high
    verts = [
        (x0, y0, z0), (x1, y0, z0), (x1, y1, z0), (x0, y1, z0),
        (x0, y0, z1), (x1, y0, z1), (x1, y1, z1), (x0, y1, z1),
    ]  # fmt: skip
    faces = [(0, 3, 2, 1), (4, 5, 6, 7), (0, 1, 5, 4), (1, 2, 6, 5), (2, 3, 7, 6), (3, 0, 4, 7)]
    return mesh_object(name, verts, faces, mesh_name, collection=collection)


def mesh_object(name, verts, faces, mesh_name=None, edges=(), collection=None):
    mesh = bpy.data.meshes.new(mesh_name or name)
    mesh.from_pydata(verts, edges, faces)
    mesh.update()
    obj = bpy.data.objects.new(name, mesh)
    (collection or bpy.context.scene.collection).objects.link(obj)
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
    box("COLLISION", (5, 5, 0), (6, 6, 9))
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
    box("Cube", (0, 0, 0), (1, 1, 1))
    # A stand-in that fails as the converter does on a model it refuses.
    path = os.path.join(bpy.app.tempdir, "failingConverter")
    with open(path, "w") as script:
        script.write(
            "#!/bin/sh\necho '{\"format\":1,\"model\":\"brick.obj\",\"written\":false,"
            "\"messages\":[{\"severity\":\"fatal\",\"code\":\"no-polygons\",\"line\":null,"
            "\"text\":\"ERROR: no polygons to convert\",\"advice\":null}]}'\nexit 1\n"
        )
    os.chmod(path, 0o755)
    return {"use_selection": False, "converter": path}


def missing_converter():
    box("Cube", (0, 0, 0), (1, 1, 1))
    return {"use_selection": False, "converter": "/nonexistent/bin/dxf2tkm"}


def added(operator, name, **settings):
    operator(**settings)  # as from the Add menu: it alone is then selected
    bpy.context.object.name = name
    return bpy.context.object


def mixed_types():
    # Added one after the other: only the last is selected, all are exported.
    added(bpy.ops.mesh.primitive_cube_add, "COLOR_1_0_0", location=(0, 0, 1))
    curve = added(bpy.ops.curve.primitive_bezier_circle_add, "COLOR_2_0_0", location=(3, 0, 0))
    curve.data.bevel_depth, curve.data.resolution_u, curve.data.bevel_resolution = 0.1, 2, 0
    text = added(bpy.ops.object.text_add, "COLOR_3_0_0", location=(-3, 0, 0))
    text.data.body, text.data.extrude = "I", 0.1
    surface = added(bpy.ops.surface.primitive_nurbs_surface_surface_add, "COLOR_4_0_0",
                    location=(0, 3, 0))
    surface.data.resolution_u = surface.data.resolution_v = 1
    added(bpy.ops.object.metaball_add, "COLOR_5_0_0", location=(0, -3, 0)).data.resolution = 1
    added(bpy.ops.object.metaball_add, "COLOR_5_0_0.001", location=(0, -3, 1))
    added(bpy.ops.curve.primitive_bezier_curve_add, "Wire", location=(0, 6, 0))
    # A collection that is no part of the scene, instanced twice.
    source = bpy.data.collections.new("Source")
    box("COLOR_6_0_0", (-0.2,) * 3, (0.2,) * 3, collection=source)
    for k in range(2):
        added(bpy.ops.object.collection_instance_add, "Instancer.%d" % k,
              collection=source.name, location=(-6, 3 * k, 0))
    added(bpy.ops.mesh.primitive_plane_add, "COLOR_7_0_0", location=(6, 0, 0))
    bpy.ops.node.new_geometry_nodes_modifier()  # a cube on each of the plane's points
    tree = bpy.context.object.modifiers[-1].node_group
    nodes, links = tree.nodes, tree.links
    on_points = nodes.new("GeometryNodeInstanceOnPoints")
    links.new(nodes["Group Input"].outputs[0], on_points.inputs["Points"])
    links.new(nodes.new("GeometryNodeMeshCube").outputs[0], on_points.inputs["Instance"])
    links.new(on_points.outputs[0], nodes["Group Output"].inputs[0])
    leaf = box("COLOR_8_0_0", (-0.1,) * 3, (0.1,) * 3, collection=bpy.data.collections.new("Leaf"))
    emitter = added(bpy.ops.mesh.primitive_plane_add, "Emitter", location=(-6, -6, 0))
    emitter.modifiers.new("Hair", "PARTICLE_SYSTEM")
    hair = emitter.particle_systems[0].settings
    hair.type, hair.count, hair.render_type, hair.instance_object = "HAIR", 3, "OBJECT", leaf
    # Disabled in the viewport, or in an excluded collection: left out.
    added(bpy.ops.mesh.primitive_cube_add, "COLOR_9_0_0").hide_viewport = True
    excluded = bpy.data.collections.new("Excluded")
    bpy.context.scene.collection.children.link(excluded)
    box("COLOR_10_0_0", (-1, -1, -1), (1, 1, 1), collection=excluded)
    bpy.context.view_layer.layer_collection.children["Excluded"].exclude = True
    return {}


def hidden_helpers():
    box("Model", (-1, -1, 0), (1, 1, 0.8))
    box("BOUNDS", (-2, -2, 0), (2, 2, 2)).hide_set(True)
    added(bpy.ops.object.empty_add, "COLLISION", type="CUBE", location=(0, 0, 1))
    ring = [(-2, -2, 0), (2, -2, 0), (2, 2, 0.4), (-2, 2, 0.4)]
    mesh_object("COLLISION.001", ring, [], edges=[(0, 1), (1, 2), (2, 3), (3, 0)])
    box("COLLISION.002", (-9, -9, 0), (9, 9, 9)).hide_viewport = True
    added(bpy.ops.object.empty_add, "COLLISION.003")  # shown as Plain Axes
    return {}


def material_colours(use_material_colors):
    orange = bpy.data.materials.new("Orange")
    orange.use_nodes = True
    colour = orange.node_tree.nodes["Principled BSDF"].inputs["Base Color"]
    colour.default_value = (1.0, 0.2158605, 0.0, 1.0)  # shown as FF8000
    part = box("Part", (-1, -1, 0), (1, 1, 0.4))
    part.data.materials.append(bpy.data.materials.new("COLOR_0_0_255"))
    part.data.materials.append(orange)
    for face in part.data.polygons[2:]:
        face.material_index = 1
    green = box("COLOR_0_255_0", (-1, -1, 0.4), (1, 1, 0.8))
    green.data.materials.append(bpy.data.materials["COLOR_0_0_255"])
    box("Plain", (-0.5, -0.5, 0.8), (0.5, 0.5, 1.2))
    return {"use_material_colors": use_material_colors}


def near_misses():
    names = ["color_0_0_255", "Color_0_0_255", "COLOUR_0_0_255", "COLOR_255_128",
             "COLOR_0.5_0.5_0.5", "COLOR_300_0_-5", "Collision", "COLOR_255_0_0.001", "Plain"]
    for k, name in enumerate(names):
        box(name, (k - 4.5, -0.5, 0), (k - 3.5, 0.5, 1.2))
    bpy.data.objects["Plain"].data.materials.append(bpy.data.materials.new("ADDCOLOR_1_2_3_4"))
    return {}


def placement(place_on_origin, round_up=False):
    added(bpy.ops.mesh.primitive_cube_add, "Cube", location=(5, 5, 0))
    box("Wide", (4, 4, -1), (8.3, 5, -0.6))
    return {"use_place_on_origin": place_on_origin, "use_round_up": round_up}


def out_of_range():
    box("Near", (9000, 0, 0), (9997.5, 1, 1))
    box("FarBox", (-10001, 0, 0), (-9000, 1, 1))
    return {}


def uv_sphere():
    added(bpy.ops.mesh.primitive_uv_sphere_add, "Sphere")  # 1.9999987 wide
    return {"use_place_on_origin": True}


def collection_exporter():
    """A collection's own objects only; outside it a cube and a box."""
    part = bpy.data.collections.new("Part")
    bpy.context.scene.collection.children.link(part)
    box("COLOR_255_0_0", (-1, -1, 0), (1, 1, 0.8), collection=part)
    box("Outside", (4, 4, 0), (5, 5, 3))
    box("COLLISION", (4, 4, 0), (5, 5, 3))
    return {"collection": "Part"}


def imported_beside():
    """A brick imported into a scene with a BOUNDS object of its own."""
    box("Model", (-1, -1, 0), (1, 1, 1.2))
    box("BOUNDS", (-1, -1, 0), (1, 1, 1.2))
    here = os.path.dirname(os.path.abspath(__file__))
    wedge = os.path.join(here, "..", "cases", "exampleWedge", "expected", "wedge.tkm")
    bpy.ops.import_scene.tkm_brick(filepath=os.path.normpath(wedge))
    return {}


SCENES = {
    "colouredBase": coloured_base,
    "fiveCorners": five_corners,
    "rotatedModifier": rotated_modifier,
    "atLimits": at_limits,
    "overLimits": over_limits,
    "converterFails": converter_fails,
    "missingConverter": missing_converter,
    "mixedTypes": mixed_types,
    "hiddenHelpers": hidden_helpers,
    "materialColoursOff": lambda: material_colours(False),
    "materialColoursOn": lambda: material_colours(True),
    "nearMisses": near_misses,
    "offOrigin": lambda: placement(False),
    "placedOnOrigin": lambda: placement(True),
    "roundedUp": lambda: placement(False, round_up=True),
    "outOfRange": out_of_range,
    "uvSphere": uv_sphere,
    "collectionExporter": collection_exporter,
    "importedBeside": imported_beside,
}
OLD_BRICK_SCENES = {"overLimits", "converterFails", "missingConverter", "outOfRange"}


def install_addon(addon_path):
    bpy.ops.preferences.addon_install(filepath=addon_path)
    if addon_utils.enable(ADDON_MODULE, default_set=True) is None:
        raise RuntimeError("the add-on could not be enabled")
    return bpy.context.preferences.addons[ADDON_MODULE].preferences


def record_reports(reports):
    """Keeps every report of the operator besides showing it."""
    operator_class = sys.modules[ADDON_MODULE].export_brick.EXPORT_SCENE_OT_tkm_brick
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
    bpy.ops.wm.read_homefile(use_empty=True)
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
        if "collection" in settings and bpy.app.version >= (4, 2, 0):
            status = export_collection(bpy.data.collections[settings["collection"]], target)
        else:
            status = sorted(bpy.ops.export_scene.tkm_brick(filepath=target, **settings))[0]
    except RuntimeError as error:
        status = "RuntimeError: %s" % error
    return {
        "status": status,
        "reports": list(reports),
        "before": before,
        "after": digest(target),
    }


def export_collection(collection, target):
    """Exports through a Collection Exporter, as its Export button does."""
    with bpy.context.temp_override(collection=collection):
        bpy.ops.collection.exporter_add(name="IO_FH_tkm_brick")
        collection.exporters[0].export_properties.filepath = target
        return sorted(bpy.ops.collection.export_all())[0]


def main(addon_path, converter, out_dir):
    preferences = install_addon(addon_path)
    reports = []
    record_reports(reports)
    draw_functions = bpy.types.TOPBAR_MT_file_export._dyn_ui_initialize()
    results = {"inExportMenu": sys.modules[ADDON_MODULE].export_brick.menu_func_export
               in draw_functions}  # fmt: skip
    for name, build in SCENES.items():
        try:
            results[name] = export_scene(name, build, out_dir, preferences, converter, reports)
        except Exception:
            results[name] = {"status": "exception", "reports": [["ERROR", traceback.format_exc()]]}
    with open(os.path.join(out_dir, "results.json"), "w") as out:
        json.dump(results, out, indent=1)


if __name__ == "__main__":
    main(*sys.argv[sys.argv.index("--") + 1 :])
