# Blender add-on: File > Export > Special brick (.tkm).
#
# Writes the chosen mesh objects as an OBJ file that the dxf2tkm converter
# reads as intended (one group per object, named exactly after the object;
# Blender's world coordinates, which are already z up and y forward; a normal
# for every corner; modifiers applied; faces of more than four corners split
# into triangles), runs the converter on it in a temporary folder and moves
# the brick to the chosen file only when the conversion succeeded.
#
# The OBJ is written here rather than through Blender's OBJ exporter: that
# exporter names a group after the object and its mesh ("COLOR_255_0_0_7"
# would give alpha 7), keeps faces of any size, and its options changed name
# between Blender versions; the evaluated mesh read here is the same data it
# writes.

bl_info = {
    "name": "Special brick (.tkm)",
    "author": "dxf2tkm",
    "version": (1, 0, 0),
    "blender": (3, 0, 0),
    "location": "File > Export > Special brick (.tkm)",
    "description": "Export mesh objects as a special brick through the dxf2tkm converter",
    "category": "Import-Export",
}

import os
import shutil
import subprocess
import sys
import tempfile

import bpy
from bpy.props import BoolProperty, StringProperty
from bpy_extras.io_utils import ExportHelper

from .replace import replace_file

# What the converter accepts.
MAX_FACES = 512
MAX_COLLISION_OBJECTS = 10
MAX_VERTICES = 4096
MAX_NORMALS = 4096
BOUNDS_PREFIX = "BOUNDS"
COLLISION_PREFIX = "COLLISION"
OMNI_HEADER = "----------------omni quads:"

CONVERTER_TIMEOUT_SECONDS = 120
MAX_REPORTED_LINES = 12
DEFAULT_CONVERTER = "dxf2tkm.exe" if sys.platform == "win32" else "dxf2tkm"


class ExportError(Exception):
    """A reason not to write the brick, worded for the modeller."""


# ---------------------------------------------------------------------------
# Mesh to OBJ text


def format_number(value):
    text = "%.6f" % value
    return "0.000000" if text == "-0.000000" else text


def format_vector(vector):
    return " ".join(format_number(c) for c in vector)


def group_name(obj):
    # A group line ends at the line end, so the name must hold none.
    return obj.name.replace("\r", "_").replace("\n", "_")


def is_special_group(name):
    return name.startswith(BOUNDS_PREFIX) or name.startswith(COLLISION_PREFIX)


def corner_normals(mesh):
    """The normal of every face corner, as Blender shades it."""
    if hasattr(mesh, "corner_normals"):  # Blender 4.1 and later
        return [c.vector.copy() for c in mesh.corner_normals]
    mesh.calc_normals_split()
    return [loop.normal.copy() for loop in mesh.loops]


def face_corner_lists(mesh):
    """Loop indices of every face to write: triangles and quads as they
    are, larger faces as the triangles Blender itself splits them into."""
    mesh.calc_loop_triangles()
    split = {}
    for tri in mesh.loop_triangles:
        split.setdefault(tri.polygon_index, []).append(list(tri.loops))
    faces = []
    for poly in mesh.polygons:
        if poly.loop_total <= 4:
            faces.append(list(range(poly.loop_start, poly.loop_start + poly.loop_total)))
        else:
            faces.extend(split.get(poly.index, []))
    return faces


class ObjBuilder:
    """Collects vertices, normals and groups of faces with 1-based OBJ
    indices. Normals are shared by their written text."""

    def __init__(self):
        self.vertex_lines = []
        self.normal_lines = []
        self.normal_index = {}
        self.groups = []  # (name, [face line, ...])
        self.face_count = 0
        self.collision_count = 0

    def add_normal(self, normal):
        text = format_vector(normal)
        index = self.normal_index.get(text)
        if index is None:
            self.normal_lines.append("vn " + text)
            index = len(self.normal_lines)
            self.normal_index[text] = index
        return index

    def add_object(self, name, mesh, matrix):
        normal_matrix = matrix.to_3x3().inverted_safe().transposed()
        mirrored = matrix.is_negative
        normals = corner_normals(mesh)
        vertex_index = {}
        face_lines = []
        for loops in face_corner_lists(mesh):
            if mirrored:  # a mirroring transform turns the winding around
                loops = loops[::-1]
            corners = []
            for loop_index in loops:
                vert = mesh.loops[loop_index].vertex_index
                if vert not in vertex_index:
                    position = matrix @ mesh.vertices[vert].co
                    self.vertex_lines.append("v " + format_vector(position))
                    vertex_index[vert] = len(self.vertex_lines)
                normal = (normal_matrix @ normals[loop_index]).normalized()
                corners.append("%d//%d" % (vertex_index[vert], self.add_normal(normal)))
            face_lines.append("f " + " ".join(corners))
        if not face_lines:
            return
        self.groups.append((name, face_lines))
        if name.startswith(COLLISION_PREFIX):
            self.collision_count += 1
        elif not is_special_group(name):
            self.face_count += len(face_lines)

    def check_limits(self):
        problems = []
        if not self.groups:
            problems.append("no mesh object with faces to export")
        if self.face_count > MAX_FACES:
            problems.append(
                "%d faces outside BOUNDS and COLLISION objects, at most %d"
                % (self.face_count, MAX_FACES)
            )
        if self.collision_count > MAX_COLLISION_OBJECTS:
            problems.append(
                "%d COLLISION objects, at most %d"
                % (self.collision_count, MAX_COLLISION_OBJECTS)
            )
        if len(self.vertex_lines) > MAX_VERTICES:
            problems.append("%d vertices, at most %d" % (len(self.vertex_lines), MAX_VERTICES))
        if len(self.normal_lines) > MAX_NORMALS:
            problems.append("%d normals, at most %d" % (len(self.normal_lines), MAX_NORMALS))
        if problems:
            raise ExportError("Nothing exported: " + "; ".join(problems))

    def text(self):
        lines = ["# Special brick exported from Blender"]
        lines += self.vertex_lines + self.normal_lines
        for name, face_lines in self.groups:
            lines.append("g " + name)
            lines += face_lines
        return "\n".join(lines) + "\n"


def build_obj(context, objects):
    depsgraph = context.evaluated_depsgraph_get()
    builder = ObjBuilder()
    for obj in sorted(objects, key=lambda o: o.name):
        evaluated = obj.evaluated_get(depsgraph)
        mesh = evaluated.to_mesh()
        try:
            builder.add_object(group_name(obj), mesh, evaluated.matrix_world.copy())
        finally:
            evaluated.to_mesh_clear()
    builder.check_limits()
    return builder


# ---------------------------------------------------------------------------
# Running the converter


def resolve_converter(path):
    """The converter's full path, or ExportError naming what was tried."""
    expanded = os.path.expanduser(bpy.path.abspath(path.strip())) if path.strip() else ""
    if not expanded:
        raise ExportError("No converter set: give the path of dxf2tkm in the add-on's preferences")
    if os.path.dirname(expanded):
        found = expanded if os.path.isfile(expanded) else None
    else:
        found = shutil.which(expanded)
    if found is None:
        raise ExportError(
            "Converter not found: '%s' (install dxf2tkm or set its path in the "
            "add-on's preferences)" % expanded
        )
    return os.path.abspath(found)  # it runs in another folder


def message_lines(output, *keywords):
    """The converter's lines that start with one of keywords; a message
    printed without a line end may have the next one glued to it."""
    found = []
    for line in output.splitlines():
        starts = [line.find(k) for k in keywords if k in line]
        if starts:
            found.append(line[min(starts):].strip())
    return found


def shorten(lines):
    if len(lines) <= MAX_REPORTED_LINES:
        return lines
    rest = len(lines) - MAX_REPORTED_LINES
    return lines[:MAX_REPORTED_LINES] + ["... and %d more" % rest]


def quad_count(brick_path):
    with open(brick_path, "rb") as brick:
        lines = brick.read().decode("ascii", "replace").splitlines()
    for i, line in enumerate(lines[:-1]):
        if line == OMNI_HEADER and lines[i + 1].strip().isdigit():
            return int(lines[i + 1])
    raise ExportError("The converter's brick file has no quad count; nothing exported")


def convert(converter, obj_path):
    """Runs the converter; returns (exit status, its output). It is given
    the model's bare file name, so that the temporary folder's path (which
    may hold any character) is never passed through its command line."""
    try:
        done = subprocess.run(
            [converter, os.path.basename(obj_path)],
            cwd=os.path.dirname(obj_path),
            creationflags=getattr(subprocess, "CREATE_NO_WINDOW", 0),  # Windows
            stdin=subprocess.DEVNULL,
            stdout=subprocess.PIPE,
            stderr=subprocess.STDOUT,
            timeout=CONVERTER_TIMEOUT_SECONDS,
        )
    except OSError as error:
        raise ExportError("Could not run the converter '%s': %s" % (converter, error))
    except subprocess.TimeoutExpired:
        raise ExportError(
            "The converter '%s' did not finish in %d s; nothing exported"
            % (converter, CONVERTER_TIMEOUT_SECONDS)
        )
    return done.returncode, done.stdout.decode("utf-8", "replace")


def export_brick(context, objects, target, converter_setting):
    """Exports objects to the brick file target. Returns (quads, warning
    lines); raises ExportError without touching target on any failure."""
    builder = build_obj(context, objects)
    converter = resolve_converter(converter_setting)
    with tempfile.TemporaryDirectory(prefix="tkm-export-") as folder:
        obj_path = os.path.join(folder, "brick.obj")
        brick_path = os.path.join(folder, "brick.tkm")
        with open(obj_path, "w", encoding="utf-8", newline="\n") as obj_file:
            obj_file.write(builder.text())
        status, output = convert(converter, obj_path)
        warnings = message_lines(output, "WARNING")
        if status != 0 or not os.path.isfile(brick_path):
            errors = message_lines(output, "ERROR") or ["(no ERROR line)"]
            raise ExportError(
                "\n".join(
                    ["The converter failed (exit status %d); nothing exported:" % status]
                    + shorten(errors + warnings)
                )
            )
        quads = quad_count(brick_path)
        try:
            replace_file(brick_path, target)
        except OSError as error:
            raise ExportError("Could not write '%s': %s" % (target, error))
    # A face the converter skipped is reported although the brick was written.
    return quads, shorten(message_lines(output, "ERROR") + warnings)


# ---------------------------------------------------------------------------
# Blender interface


class TkmExportPreferences(bpy.types.AddonPreferences):
    bl_idname = __name__

    converter_path: StringProperty(
        name="Converter",
        description="The dxf2tkm program: a file path, or a name found on the PATH",
        subtype="FILE_PATH",
        default=DEFAULT_CONVERTER,
    )

    def draw(self, context):
        self.layout.prop(self, "converter_path")


def converter_setting(context):
    addon = context.preferences.addons.get(__name__)
    return addon.preferences.converter_path if addon else DEFAULT_CONVERTER


def objects_to_export(context, selected_only):
    if selected_only:
        candidates = context.selected_objects
    else:
        candidates = [o for o in context.view_layer.objects if o.visible_get()]
    return [o for o in candidates if o.type == "MESH"]


class EXPORT_SCENE_OT_tkm_brick(bpy.types.Operator, ExportHelper):
    """Export mesh objects as a special brick through the dxf2tkm converter"""

    bl_idname = "export_scene.tkm_brick"
    bl_label = "Export Special Brick"
    bl_options = {"PRESET"}

    filename_ext = ".tkm"
    filter_glob: StringProperty(default="*.tkm", options={"HIDDEN"})

    use_selection: BoolProperty(
        name="Selected Only",
        description="Export the selected mesh objects; otherwise every visible mesh object",
        default=True,
    )

    def execute(self, context):
        objects = objects_to_export(context, self.use_selection)
        for obj in objects:
            if obj.mode == "EDIT":  # edits not yet copied to the mesh
                obj.update_from_editmode()
        try:
            quads, warnings = export_brick(
                context, objects, self.filepath, converter_setting(context)
            )
        except ExportError as error:
            self.tell("ERROR", str(error))
            return {"CANCELLED"}
        for line in warnings:
            self.tell("WARNING", line)
        self.tell("INFO", "Exported %d quads to %s" % (quads, os.path.basename(self.filepath)))
        return {"FINISHED"}

    def tell(self, level, message):
        """Every message of the export passes here (scripts may listen)."""
        self.report({level}, message)


def menu_func_export(self, context):
    self.layout.operator(EXPORT_SCENE_OT_tkm_brick.bl_idname, text="Special brick (.tkm)")


CLASSES = (TkmExportPreferences, EXPORT_SCENE_OT_tkm_brick)


def register():
    for cls in CLASSES:
        bpy.utils.register_class(cls)
    bpy.types.TOPBAR_MT_file_export.append(menu_func_export)


def unregister():
    bpy.types.TOPBAR_MT_file_export.remove(menu_func_export)
    for cls in reversed(CLASSES):
        bpy.utils.unregister_class(cls)


if __name__ == "__main__":
    register()
