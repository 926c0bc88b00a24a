# SPDX-License-Identifier: GPL-3.0-or-later
# File > Import > Special brick (.tkm): a brick file back into objects named
# by the export's conventions, so that exporting them again gives the same
# brick.
#
# The file is read by tkmpreview --dump, the preview's own parser, so that a
# brick is accepted or refused (with its line number and what was expected)
# by the same rule everywhere. The writer's transforms are then undone: the
# quads' corners come back in the order that the converter writes again as
# they stand, heights are divided by the vertical scale 2.5 after the shift
# by half the brick height is taken back, so that the model stands on z = 0.

import math
import os
import shutil
import subprocess

import bpy
from bpy.props import StringProperty
from bpy_extras.io_utils import ImportHelper

from . import conventions as rules
from .bundled import bundled_program, run_on_file

READER = "tkmpreview"
READER_TIMEOUT_SECONDS = 60
PAINTABLE_NAME = "PAINTABLE"  # no colour prefix: the quads take the paint
# A brick size is the extent truncated toward zero; the objects' extents
# keep this far inside the range that truncates to it, so that the
# converter's 32-bit arithmetic gives the same whole number again.
EXTENT_MARGIN = 1e-4
EXTENT_MARGIN_PER_UNIT = 1e-6


class BrickImportError(Exception):
    """A reason not to import, worded for the modeller."""


# ---------------------------------------------------------------------------
# Reading the brick through the preview's parser


def find_reader():
    found = bundled_program(READER) or shutil.which(READER)
    if found is None:
        raise BrickImportError(
            "The brick reader %s was not found: install the add-on from its zip, "
            "which carries it, or put tkmpreview on the PATH" % READER
        )
    return found


def parse_dump(text):
    """The records of tkmpreview --dump as {"size", "boxes", "quads"}."""
    brick = {"size": [0, 0, 0], "boxes": [], "quads": []}
    for line in text.splitlines():
        keyword, _, rest = line.partition(" ")
        values = rest.split()
        if keyword == "size":
            brick["size"] = [int(v) for v in values]
        elif keyword == "box":
            numbers = [float(v) for v in values]
            brick["boxes"].append((numbers[:3], numbers[3:]))
        elif keyword == "quad":
            brick["quads"].append({"position": [], "uv": [], "color": [], "normal": []})
        elif keyword in ("position", "uv", "color", "normal"):
            brick["quads"][-1][keyword].append([float(v) for v in values])
    return brick


def read_contents(path):
    """The brick file at path, parsed; BrickImportError when it cannot be
    read or does not follow the format."""
    try:
        done = run_on_file(find_reader(), ["--dump"], path, READER_TIMEOUT_SECONDS)
    except (OSError, subprocess.TimeoutExpired) as error:
        raise BrickImportError("Could not run the brick reader: %s" % error)
    if done.returncode != 0:
        message = done.stderr.decode("utf-8", "replace").strip()
        if message.startswith(READER + ": "):
            message = message[len(READER) + 2 :]
        raise BrickImportError("Not imported: %s" % message)
    return parse_dump(done.stdout.decode("ascii", "replace"))


# ---------------------------------------------------------------------------
# Undoing the writer's transforms


def extent_for_size(estimate, size):
    """The extent nearest estimate that the converter truncates to size."""
    margin = EXTENT_MARGIN + EXTENT_MARGIN_PER_UNIT * abs(size)
    if size > 0:
        low, high = size, size + 1
    elif size < 0:
        low, high = size - 1, size
    else:
        low, high = -1, 1
    return min(max(estimate, low + margin), high - margin)


def brick_extent(brick):
    """(low corner, extent) of the BOUNDS box, as the brick is placed: x and
    y centred on the origin, in model units; z from 0, in the brick's scaled
    units. The extents are the quads' where the size line allows."""
    corners = [p for quad in brick["quads"] for p in quad["position"]]
    extent = []
    for axis in range(3):
        values = [p[axis] for p in corners if math.isfinite(p[axis])] or [0.0]
        extent.append(extent_for_size(max(values) - min(values), brick["size"][axis]))
    return (-extent[0] / 2, -extent[1] / 2, 0.0), extent


def model_point(point, brick_height):
    x, y, height = point
    return (x, y, (height + brick_height / 2) / rules.Z_SCALE)


def color_name(row):
    """The object name whose group colour the converter writes as row."""
    full = rules.MAX_CHANNEL
    r, g, b, a = (int(round(c * full)) if math.isfinite(c) else 0 for c in row)
    if a == -full and min(r, g, b) >= 0:
        return rules.color_name(rules.ADDCOLOR, (r, g, b))
    if a == -full and max(r, g, b) <= 0:
        return rules.color_name(rules.SUBCOLOR, (-r, -g, -b))
    # Numbers outside 0 to 255, which the export never writes, are kept as
    # they are; exporting the object again warns that its name gives no colour.
    return rules.color_name(rules.COLOR, (r, g, b, a))


def face_corners(quad, brick_height):
    """The face's (point, normal) corners in the order that the converter
    writes back as the file lists them (it writes an OBJ face's corners in
    reverse). A triangle that the converter closed (its last corner a copy
    of the one before, texture coordinates too) comes back as a triangle;
    other corners at one place stay, as corners of their own."""
    corners = [(model_point(p, brick_height), n) for p, n in zip(quad["position"], quad["normal"])]
    corners.reverse()
    if quad["uv"][3] == quad["uv"][2]:
        for first in (0, 2):  # stored corners 2 and 3, listed reversed or not
            if corners[first][0] == corners[first + 1][0]:
                return corners[: first + 1] + corners[first + 2 :]
    return corners


# ---------------------------------------------------------------------------
# Building the objects


def usable_normal(normal):
    """Blender takes a zero vector as "no custom normal"; so is anything
    that is not finite."""
    return normal if all(math.isfinite(c) for c in normal) else (0.0, 0.0, 0.0)


def faces_object(name, faces, collection):
    """A mesh object of faces (lists of (point, normal)), with the points
    shared between faces and the normals kept as custom normals. Corners of
    one face at one place get a vertex each."""
    index = {}
    polygons, normals = [], []
    for corners in faces:
        points = [point for point, _ in corners]
        keys = [(point, points[:k].count(point)) for k, point in enumerate(points)]
        polygons.append([index.setdefault(key, len(index)) for key in keys])
        normals += [usable_normal(normal) for _, normal in corners]
    mesh = bpy.data.meshes.new(name)
    mesh.from_pydata([point for point, _ in index], [], polygons)
    if hasattr(mesh, "use_auto_smooth"):  # needed for custom normals before 4.1
        mesh.use_auto_smooth = True
    mesh.normals_split_custom_set(normals)
    mesh.update()
    return linked_object(name, mesh, collection)


def box_object(name, low, size, collection):
    """A wire box; an empty mesh for a box that the converter left unset
    (from a collision group without faces: it writes a negative size)."""
    if all(extent < 0 for extent in size):
        return linked_object(name, bpy.data.meshes.new(name), collection)
    (x0, y0, z0) = low
    (x1, y1, z1) = (low[0] + size[0], low[1] + size[1], low[2] + size[2])
    points = [
        (x0, y0, z0), (x1, y0, z0), (x1, y1, z0), (x0, y1, z0),
        (x0, y0, z1), (x1, y0, z1), (x1, y1, z1), (x0, y1, z1),
    ]  # fmt: skip
    sides = [(0, 3, 2, 1), (4, 5, 6, 7), (0, 1, 5, 4), (1, 2, 6, 5), (2, 3, 7, 6), (3, 0, 4, 7)]
    mesh = bpy.data.meshes.new(name)
    mesh.from_pydata(points, [], sides)
    mesh.update()
    obj = linked_object(name, mesh, collection)
    obj.display_type = "WIRE"
    obj.hide_render = True
    return obj


def linked_object(name, mesh, collection):
    obj = bpy.data.objects.new(name, mesh)
    collection.objects.link(obj)
    return obj


def collision_box(center, size, brick_height):
    """(low corner, size) in model units of a box written as center, size."""
    low_height = center[2] + brick_height / 2 - size[2] / 2
    low = (center[0] - size[0] / 2, center[1] - size[1] / 2, low_height / rules.Z_SCALE)
    return low, (size[0], size[1], size[2] / rules.Z_SCALE)


def add_brick(context, brick, title):
    """Adds the brick's objects in a new collection named title, selected;
    returns them."""
    low, extent = brick_extent(brick)
    brick_height = extent[2]
    groups = {}
    for quad in brick["quads"]:
        name = color_name(quad["color"][0]) if quad["color"] else PAINTABLE_NAME
        groups.setdefault(name, []).append(face_corners(quad, brick_height))
    collection = bpy.data.collections.new(title)
    context.scene.collection.children.link(collection)
    objects = [faces_object(name, faces, collection) for name, faces in sorted(groups.items())]
    bounds_size = (extent[0], extent[1], brick_height / rules.Z_SCALE)
    objects.append(box_object(rules.BOUNDS, low, bounds_size, collection))
    for number, (center, size) in enumerate(brick["boxes"]):
        name = rules.COLLISION if number == 0 else "%s.%03d" % (rules.COLLISION, number)
        objects.append(box_object(name, *collision_box(center, size, brick_height), collection))
    for obj in context.view_layer.objects:
        obj.select_set(obj in objects)
    context.view_layer.objects.active = objects[0]
    return objects


class IMPORT_SCENE_OT_tkm_brick(bpy.types.Operator, ImportHelper):
    """Import a special brick file as objects named for export"""

    bl_idname = "import_scene.tkm_brick"
    bl_label = "Import Special Brick"
    bl_options = {"REGISTER", "UNDO"}

    filename_ext = ".tkm"
    filter_glob: StringProperty(default="*.tkm", options={"HIDDEN"})

    def execute(self, context):
        try:
            brick = read_contents(self.filepath)
        except BrickImportError as error:
            self.report({"ERROR"}, str(error))
            return {"CANCELLED"}
        if context.mode != "OBJECT" and context.view_layer.objects.active:
            bpy.ops.object.mode_set(mode="OBJECT")
        title = os.path.splitext(os.path.basename(self.filepath))[0]
        objects = add_brick(context, brick, title)
        self.report({"INFO"}, "Imported %d quads as %d objects" % (len(brick["quads"]), len(objects)))
        return {"FINISHED"}


def menu_func_import(self, context):
    self.layout.operator(IMPORT_SCENE_OT_tkm_brick.bl_idname, text="Special brick (.tkm)")
