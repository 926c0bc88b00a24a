# SPDX-License-Identifier: MIT
"""Writes files/brick.obj of this case, and ../objUvSpherePaired/files/sphere.obj,
with Blender's own OBJ exporter at its default settings (y up), as a modeller
would. Both were written by Blender 5.2.2 LTS, Debian sid's, in the chroot of
tests/blender/sidChroot.sh; run from the repository's root:

DXF2TKM_CHROOT_BIND=$PWD /var/cache/dxf2tkm-blender/blender-sid --background \
    --factory-startup --python tests/cases/objBlenderYUp/makeModel.py

(any Blender from 3.2 on writes them alike, with its own version in the first
comment).

brick.obj: a red 2 x 2 x 1.2 brick standing on z = 0 and a blue plate
1 x 2 x 0.4 on its +x half (Add > Cube, scaled and moved), coloured by
materials named COLOR_255_0_0 and COLOR_0_0_255. sphere.obj: Add > UV Sphere
(32 segments, 16 rings: 448 quads and 64 triangles) exported with Triangulated
Mesh on (960 triangles) and Normals off, so that every quad gets the flat
normal of its corners (Blender writes normals with four decimals, not of unit
length, which an imported brick cannot give back to the last digit). The .mtl
files the exporter writes beside them are not kept.
"""

import os

import bpy

HERE = os.path.dirname(os.path.abspath(__file__))
CASES = os.path.dirname(HERE)


def coloured_cube(name, location, scale, colour):
    bpy.ops.mesh.primitive_cube_add(size=1.0, location=location, scale=scale)
    cube = bpy.context.active_object
    cube.name = name
    cube.data.materials.append(bpy.data.materials.get(colour) or bpy.data.materials.new(colour))


def export(path, **settings):
    bpy.ops.wm.obj_export(filepath=path, **settings)
    os.remove(os.path.splitext(path)[0] + ".mtl")


bpy.ops.wm.read_factory_settings(use_empty=True)
coloured_cube("Brick", (0, 0, 0.6), (2, 2, 1.2), "COLOR_255_0_0")
coloured_cube("Plate", (0.5, 0, 1.4), (1, 2, 0.4), "COLOR_0_0_255")
export(os.path.join(HERE, "files", "brick.obj"))

bpy.ops.wm.read_factory_settings(use_empty=True)
bpy.ops.mesh.primitive_uv_sphere_add()
export(os.path.join(CASES, "objUvSpherePaired", "files", "sphere.obj"),
       export_triangulated_mesh=True, export_normals=False)
