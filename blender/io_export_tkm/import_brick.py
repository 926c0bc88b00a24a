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
# Sizes, boxes and heights are chosen among the 32-bit values Blender keeps
# so that the converter writes them back to the last printed digit
# (brick_fit.py): a brick imported and exported again is the same brick.

import math
import os
import subprocess

import bpy
from bpy.props import CollectionProperty, StringProperty
from bpy_extras.io_utils import ImportHelper

from . import brick_fit as fit
from . import conventions as rules
from .bundled import other_system_hint, preview_program, run_on_file
from .export_brick import program_settings

READER = "tkmpreview"
READER_TIMEOUT_SECONDS = 60
PAINTABLE_NAME = "PAINTABLE"  # no colour prefix: the quads take the paint


class BrickImportError(Exception):
    """A reason not to import, worded for the modeller."""


# ---------------------------------------------------------------------------
# Reading the brick through the preview's parser


def find_reader():
    found = preview_program(*program_settings(bpy.context))
    if found is None:
        hint = other_system_hint() or (
            "install the add-on from its zip, which carries it, or set its path in the "
            "add-on's preferences"
        )
        raise BrickImportError("The brick reader %s was not found: %s" % (READER, hint))
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


def brick_frame(brick):
    """(BOUNDS low corner, BOUNDS high corner, shift) in model units: x and y
    centred on the origin, z from 0; shift is what the converter takes from
    every written height, half the brick height it computes from that box.
    The extents are the quads' where the size line allows."""
    corners = [p for quad in brick["quads"] for p in quad["position"]]
    extent = []
    for axis in range(3):
        values = [p[axis] for p in corners if math.isfinite(p[axis])] or [0.0]
        extent.append(max(values) - min(values))
    x, _ = fit.fit_extent(extent[0], brick["size"][0])
    y, _ = fit.fit_extent(extent[1], brick["size"][1])
    height, brick_height = fit.fit_extent(
        extent[2] / rules.Z_SCALE, brick["size"][2], rules.Z_SCALE
    )
    return (-x / 2, -y / 2, 0.0), (x / 2, y / 2, height), brick_height / 2


def model_point(point, shift):
    """The model point whose corner the converter writes as point, the
    brick's heights shifted down by shift. (The 32-bit height nearest the
    quotient is written back to the last digit: the shift is the one the
    converter takes.)"""
    x, y, height = point
    return (x, y, fit.f32((height + shift) / rules.Z_SCALE))


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


def face_corners(quad, shift):
    """The face's (point, normal) corners in the order that the converter
    writes back as the file lists them (it writes an OBJ face's corners in
    reverse). A triangle that the converter closed (its last corner a copy
    of the one before, texture coordinates too) comes back as a triangle;
    other corners at one place stay, as corners of their own."""
    corners = [(model_point(p, shift), n) for p, n in zip(quad["position"], quad["normal"])]
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


def winding_normal(points):
    """The normal (not unit) that the corners' order gives by the right-hand
    rule, as Blender's face normal (Newell's sum)."""
    total = [0.0, 0.0, 0.0]
    for (x0, y0, z0), (x1, y1, z1) in zip(points, points[1:] + points[:1]):
        total[0] += (y0 - y1) * (z0 + z1)
        total[1] += (z0 - z1) * (x0 + x1)
        total[2] += (x0 - x1) * (y0 + y1)
    return total


def against_winding(corners):
    """Whether the face's normals point against the normal its corners'
    order gives. Blender keeps a custom normal as angles from the face's own
    normal, computed in 32 bits: one nearly opposite it comes back only
    within about 0.0003 (the arc cosine of a 32-bit number near -1), so such
    a face is better turned round."""
    winding = winding_normal([point for point, _ in corners])
    normals = [usable_normal(normal) for _, normal in corners]
    return sum(w * sum(n[axis] for n in normals) for axis, w in enumerate(winding)) < 0


def faces_object(name, faces, collection):
    """A mesh object of faces (lists of (point, normal)), with the points
    shared between faces and the normals kept as custom normals. Corners of
    one face at one place get a vertex each. A face whose normals point
    against its corners' order is turned round and marked so that the export
    writes it as it was (rules.REVERSED_ATTRIBUTE)."""
    index = {}
    polygons, normals, turned = [], [], []
    for corners in faces:
        turned.append(against_winding(corners))
        corners = corners[::-1] if turned[-1] else corners
        points = [point for point, _ in corners]
        keys = [(point, points[:k].count(point)) for k, point in enumerate(points)]
        polygons.append([index.setdefault(key, len(index)) for key in keys])
        normals += [usable_normal(normal) for _, normal in corners]
    mesh = bpy.data.meshes.new(name)
    mesh.from_pydata([point for point, _ in index], [], polygons)
    if any(turned):
        flags = mesh.attributes.new(rules.REVERSED_ATTRIBUTE, "BOOLEAN", "FACE")
        flags.data.foreach_set("value", turned)
    if hasattr(mesh, "use_auto_smooth"):  # needed for custom normals before 4.1
        mesh.use_auto_smooth = True
    mesh.normals_split_custom_set(normals)
    mesh.update()
    return linked_object(name, mesh, collection)


def box_object(name, low, high, collection):
    """A wire box from corner low to corner high."""
    (x0, y0, z0) = low
    (x1, y1, z1) = high
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


def collision_box(center, size, shift):
    """(low corner, high corner) in model units of a box written as center,
    size; None for a box that the converter left unset (from a collision
    group without faces: it writes a negative size)."""
    if all(extent < 0 for extent in size):
        return None
    axes = [fit.fit_box_axis(center[axis], size[axis], 0.0, 1.0) for axis in range(2)]
    axes.append(fit.fit_box_axis(center[2], size[2], shift, rules.Z_SCALE))
    return tuple(low for low, _ in axes), tuple(high for _, high in axes)


def add_brick(context, brick, title):
    """Adds the brick's objects in a new collection named title, selected;
    returns them."""
    low, high, shift = brick_frame(brick)
    groups = {}
    for quad in brick["quads"]:
        name = color_name(quad["color"][0]) if quad["color"] else PAINTABLE_NAME
        groups.setdefault(name, []).append(face_corners(quad, shift))
    collection = bpy.data.collections.new(title)
    context.scene.collection.children.link(collection)
    objects = [faces_object(name, faces, collection) for name, faces in sorted(groups.items())]
    bounds = box_object(rules.BOUNDS, low, high, collection)
    # The size line this box was read with: the export does not warn that a
    # size it keeps is cut (the brick was so before).
    bounds[rules.SIZE_LINE_PROPERTY] = list(brick["size"])
    objects.append(bounds)
    for number, (center, size) in enumerate(brick["boxes"]):
        name = rules.COLLISION if number == 0 else "%s.%03d" % (rules.COLLISION, number)
        corners = collision_box(center, size, shift)
        if corners:  # a box the converter left unset has no object
            objects.append(box_object(name, *corners, collection))
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
    # Several files chosen or dropped at once.
    directory: StringProperty(subtype="DIR_PATH", options={"HIDDEN", "SKIP_SAVE"})
    files: CollectionProperty(type=bpy.types.OperatorFileListElement,
                              options={"HIDDEN", "SKIP_SAVE"})

    def invoke(self, context, event):
        if self.properties.is_property_set("filepath"):  # dropped: no file browser
            return self.execute(context)
        return ImportHelper.invoke(self, context, event)

    def paths(self):
        if self.directory and len(self.files) > 0 and self.files[0].name:
            return [os.path.join(self.directory, f.name) for f in self.files]
        return [self.filepath]

    def execute(self, context):
        try:
            bricks = [(path, read_contents(path)) for path in self.paths()]
        except BrickImportError as error:
            self.report({"ERROR"}, str(error))
            return {"CANCELLED"}
        if context.mode != "OBJECT" and context.view_layer.objects.active:
            bpy.ops.object.mode_set(mode="OBJECT")
        for path, brick in bricks:
            title = os.path.splitext(os.path.basename(path))[0]
            objects = add_brick(context, brick, title)
            self.report(
                {"INFO"}, "Imported %d quads as %d objects" % (len(brick["quads"]), len(objects))
            )
        return {"FINISHED"}


def menu_func_import(self, context):
    self.layout.operator(IMPORT_SCENE_OT_tkm_brick.bl_idname, text="Special brick (.tkm)")
