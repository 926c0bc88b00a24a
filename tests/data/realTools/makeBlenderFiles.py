"""Writes the Blender files of this folder. Run from the repository's root:

blender --background --factory-startup --python tests/data/realTools/makeBlenderFiles.py

The scene is what a modeller makes with Blender's own tools: cubes added from
the Add menu, moved and scaled, the objects renamed (their meshes keep
Blender's names "Cube", "Cube.001", ...): a red base 4 x 2 x 1, a
half-transparent blue block 1 x 1 x 1 on it, a BOUNDS box 4 x 2 x 3 and a
COLLISION box around the base. It is written four ways:

- blenderDefault.obj: File > Export > Wavefront (.obj) with its default
  settings (no .mtl is kept: the scene has no materials);
- blenderGroupsZUp.obj: the same with Object Groups on, Forward Axis Y, Up
  Axis Z and Materials off, the hand settings the README gives;
- blenderAddon.obj: the OBJ file that the add-on blender/io_export_tkm
  hands to the converter;
- blenderDxfExport.dxf: File > Export > Autodesk (.dxf), the add-on
  io_export_dxf bundled with Blender, with its default settings;
- blenderDxfPolyface.dxf: the same with Export Mesh As POLYFACE and Entity
  Layer "Object name" (which Blender 3.4's exporter ignores: all on layer 0).

A second scene, colours in material names: an 8-sided cylinder (octagon caps)
with the material COLOR_255_0_0, a cube COLOR_0_0_255 with the same material,
a BOUNDS box 4 x 2 x 2. blenderPolygons.obj: File > Export > Wavefront (.obj)
with Normals off, Object Groups on, Forward Axis Y, Up Axis Z (no .mtl kept).

A third scene, conventions in object names only: a 32-sided cylinder
COLOR_0_255_0 (each cap one face line of about 300 characters) and a cube
COLLISION around it. blenderObjects.obj: File > Export > Wavefront (.obj)
with its default settings; blenderLegacyObjects.obj: Blender's older
exporter (io_scene_obj), default settings, which names each object after
object and mesh ("o COLLISION_Cube"). No .mtl kept.
"""

import os
import sys

import addon_utils
import bpy

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", "..", ".."))


def cube(name, location, scale):
    bpy.ops.mesh.primitive_cube_add(size=1.0, location=location, scale=scale)
    bpy.context.active_object.name = name


def build_scene():
    bpy.ops.wm.read_factory_settings(use_empty=True)
    cube("COLOR_255_0_0", (0, 0, 0.5), (4, 2, 1))
    cube("COLOR_0_0_255_128", (0, 0, 1.5), (1, 1, 1))
    cube("BOUNDS", (0, 0, 1.5), (4, 2, 3))
    cube("COLLISION", (0, 0, 0.5), (4, 2, 1))
    bpy.ops.object.select_all(action="SELECT")


def build_polygon_scene():
    bpy.ops.wm.read_factory_settings(use_empty=True)
    red = bpy.data.materials.new("COLOR_255_0_0")
    bpy.ops.mesh.primitive_cylinder_add(vertices=8, radius=1.0, depth=2.0, location=(0, 0, 1))
    bpy.context.active_object.data.materials.append(red)
    cube("COLOR_0_0_255", (2, 0, 0.5), (1, 1, 1))
    bpy.context.active_object.data.materials.append(red)
    cube("BOUNDS", (1, 0, 1), (4, 2, 2))
    bpy.ops.object.select_all(action="SELECT")


def build_object_scene():
    bpy.ops.wm.read_factory_settings(use_empty=True)
    bpy.ops.mesh.primitive_cylinder_add(vertices=32, radius=1.0, depth=2.0, location=(0, 0, 1))
    bpy.context.active_object.name = "COLOR_0_255_0"
    cube("COLLISION", (0, 0, 1), (2, 2, 2))
    bpy.ops.object.select_all(action="SELECT")


def export_without_mtl(path, **settings):
    bpy.ops.wm.obj_export(filepath=path, **settings)
    mtl = os.path.splitext(path)[0] + ".mtl"
    if os.path.exists(mtl):
        os.remove(mtl)


def write_addon_obj(path):
    sys.path.insert(0, os.path.join(ROOT, "blender"))
    from io_export_tkm import export_brick, scene_geometry

    options = scene_geometry.Options(False, True, False)  # the export's defaults
    model, _ = export_brick.build_model(bpy.context, options, False)
    with open(path, "w", newline="\n") as out:
        out.write(model.text())


def main():
    build_scene()
    export_without_mtl(os.path.join(HERE, "blenderDefault.obj"))
    bpy.ops.wm.obj_export(
        filepath=os.path.join(HERE, "blenderGroupsZUp.obj"),
        export_object_groups=True,
        forward_axis="Y",
        up_axis="Z",
        export_materials=False,
    )
    write_addon_obj(os.path.join(HERE, "blenderAddon.obj"))
    addon_utils.enable("io_export_dxf", default_set=True)
    bpy.ops.export.dxf(filepath=os.path.join(HERE, "blenderDxfExport.dxf"))
    bpy.ops.export.dxf(filepath=os.path.join(HERE, "blenderDxfPolyface.dxf"),
                       mesh_as="POLYFACE", entitylayer_from="obj.name")
    build_polygon_scene()
    export_without_mtl(
        os.path.join(HERE, "blenderPolygons.obj"),
        export_normals=False,
        export_object_groups=True,
        forward_axis="Y",
        up_axis="Z",
    )
    build_object_scene()
    export_without_mtl(os.path.join(HERE, "blenderObjects.obj"))
    legacy = os.path.join(HERE, "blenderLegacyObjects.obj")
    bpy.ops.export_scene.obj(filepath=legacy)
    os.remove(os.path.splitext(legacy)[0] + ".mtl")
    print("Blender %s" % bpy.app.version_string)


main()
