# SPDX-License-Identifier: GPL-3.0-or-later
# Reads what the viewport shows into an ObjModel: every visible object with
# geometry (mesh, curve, surface, text, metaball) as evaluated, instances of
# collections, geometry nodes and particles at their world transforms, each
# under its source object's name; BOUNDS and COLLISION objects (also hidden
# ones, also cube Empties) as boxes; the colour name of every face. Whatever
# is left out or looks wrong is said in a warning.

from mathutils import Vector

from . import brick_report
from . import conventions as rules

GEOMETRY_TYPES = {"MESH", "CURVE", "SURFACE", "FONT", "META"}


class Options:
    def __init__(self, selected_only, hidden_helpers, material_colors, collection=None):
        self.selected_only = selected_only
        self.hidden_helpers = hidden_helpers
        self.material_colors = material_colors
        # A Collection Exporter's collection: only its objects (and its children's).
        self.members = None if collection is None else set(collection.all_objects)

    def leaves_out(self, obj):
        """True for an object the options leave out: not selected with
        Selected Only, or outside the exported collection."""
        if self.selected_only and not obj.select_get():
            return True
        return self.members is not None and obj not in self.members


class Warnings:
    """Warnings in the order first said, each once."""

    def __init__(self):
        self.lines = {}
        # Materials whose chosen colour Material Colours (off) would give: their colour names.
        self.unused_colors = {}

    def add(self, text):
        self.lines[text] = None

    def name(self, what, name, where=""):
        problem = rules.name_problem(name)
        if problem:
            self.add("%s '%s'%s %s" % (what, name, where, problem))

    def list(self):
        return list(self.lines)


def corner_normals(mesh):
    """The normal of every face corner, as Blender shades it."""
    if hasattr(mesh, "corner_normals"):  # Blender 4.1 and later
        return [c.vector.copy() for c in mesh.corner_normals]
    mesh.calc_normals_split()
    return [loop.normal.copy() for loop in mesh.loops]


def face_corner_lists(mesh):
    """(face index, loop indices) of every face to write: triangles and
    quads as they are, larger faces as the triangles Blender splits them
    into."""
    mesh.calc_loop_triangles()
    split = {}
    for tri in mesh.loop_triangles:
        split.setdefault(tri.polygon_index, []).append(list(tri.loops))
    faces = []
    for poly in mesh.polygons:
        if poly.loop_total <= 4:
            loops = range(poly.loop_start, poly.loop_start + poly.loop_total)
            faces.append((poly.index, list(loops)))
        else:
            faces.extend((poly.index, loops) for loops in split.get(poly.index, []))
    return faces


def reversed_faces(mesh):
    """Whether each face is to be written in the reverse of its Blender
    order (the import's attribute rules.REVERSED_ATTRIBUTE); all False
    without it."""
    flags = [False] * len(mesh.polygons)
    attribute = mesh.attributes.get(rules.REVERSED_ATTRIBUTE)
    if attribute and attribute.domain == "FACE" and attribute.data_type == "BOOLEAN":
        attribute.data.foreach_get("value", flags)
    return flags


def base_color(material):
    """The colour the material's colour picker shows: the Principled BSDF's
    Base Color, else the viewport colour."""
    if getattr(material, "use_nodes", True) and material.node_tree:
        for node in material.node_tree.nodes:
            socket = node.inputs.get("Base Color") if node.type == "BSDF_PRINCIPLED" else None
            if socket is not None and not socket.is_linked:
                return tuple(socket.default_value)
    return tuple(material.diffuse_color)


class FaceColors:
    """The colour name of an object's faces: the object's own, else its
    material's, else (with material colours) its material's base colour."""

    def __init__(self, obj, mesh, options, warnings):
        self.obj, self.mesh, self.options, self.warnings = obj, mesh, options, warnings
        self.own = rules.color_group(obj.name)
        self.by_index = {}

    def material(self, index):
        slots = self.obj.material_slots
        if 0 <= index < len(slots):
            return slots[index].material
        return self.mesh.materials[index] if 0 <= index < len(self.mesh.materials) else None

    def group(self, material_index):
        if self.own:
            return self.own
        if material_index not in self.by_index:
            self.by_index[material_index] = self.material_group(self.material(material_index))
        return self.by_index[material_index]

    def material_group(self, material):
        if material is None:
            return rules.PAINT_GROUP
        named = rules.color_group(material.name)
        if named:
            return named
        self.warnings.name("Material", material.name, " (on '%s')" % self.obj.name)
        if self.options.material_colors:
            return rules.material_color_group(base_color(material))
        chosen = rules.chosen_color_group(base_color(material))
        if chosen:
            self.warnings.unused_colors[material.name] = chosen
        return rules.PAINT_GROUP


def model_faces(obj, matrix, options, warnings):
    """[(colour name, [(world position, normal), ...])] of obj's faces."""
    mesh = obj.to_mesh()
    try:
        colors = FaceColors(obj, mesh, options, warnings)
        normal_matrix = matrix.to_3x3().inverted_safe().transposed()
        normals = corner_normals(mesh)
        reverse = reversed_faces(mesh)
        faces = []
        for poly_index, loops in face_corner_lists(mesh):
            # A mirroring transform turns the winding around, as does the import
            # where a face was turned round to agree with its normals.
            if matrix.is_negative != reverse[poly_index]:
                loops = loops[::-1]
            corners = [
                (
                    matrix @ mesh.vertices[mesh.loops[loop].vertex_index].co,
                    (normal_matrix @ normals[loop]).normalized(),
                )
                for loop in loops
            ]
            faces.append((colors.group(mesh.polygons[poly_index].material_index), corners))
        return faces
    finally:
        obj.to_mesh_clear()


def helper_corners(obj, matrix):
    """The world corners that make a helper's box, or the reason it has
    none."""
    if obj.type == "EMPTY":
        if obj.empty_display_type != "CUBE":
            shown = obj.empty_display_type.replace("_", " ").title()
            return None, "it is an Empty shown as %s; show it as Cube" % shown
        s = obj.empty_display_size
        return [matrix @ Vector((x, y, z)) for x in (-s, s) for y in (-s, s) for z in (-s, s)], None
    if obj.type not in GEOMETRY_TYPES:
        return None, "it is a %s" % obj.type.lower()
    mesh = obj.to_mesh()
    try:
        corners = [matrix @ v.co for v in mesh.vertices]
    finally:
        obj.to_mesh_clear()
    return corners, None if corners else "it has no vertices"


def add_helper(model, kind, obj, matrix, warnings):
    corners, reason = helper_corners(obj, matrix)
    if corners:
        lows = [min(c[axis] for c in corners) for axis in range(3)]
        highs = [max(c[axis] for c in corners) for axis in range(3)]
        model.add_helper(kind, obj.name, (lows, highs))
        size_line = obj.original.get(rules.SIZE_LINE_PROPERTY)
        if kind == rules.BOUNDS and size_line is not None:
            model.imported_size_lines.append(list(size_line))
    else:
        warnings.add("'%s' gives no %s box (%s); left out" % (obj.name, kind, reason))


def instance_owners(depsgraph):
    """The names of objects that make instances, and of those whose own
    evaluated geometry comes as an instance (curves, text, metaballs)."""
    owners, own_geometry = set(), set()
    for inst in depsgraph.object_instances:
        if inst.is_instance and inst.parent is not None:
            owners.add(inst.parent.name)
            if inst.object.name == inst.parent.name:
                own_geometry.add(inst.parent.name)
    return owners, own_geometry


def faceless_is_expected(obj, is_instance, owners):
    """An instancer whose geometry went into its instances, or a metaball
    whose family's first ball holds the surface."""
    if is_instance:
        return False
    return obj.name in owners or (obj.type == "META" and "." in obj.name)


def gather(context, model, options):
    """Fills model; returns the warnings."""
    depsgraph = context.evaluated_depsgraph_get()
    warnings = Warnings()
    owners, own_geometry = instance_owners(depsgraph)
    helpers_seen = set()
    for inst in depsgraph.object_instances:
        obj = inst.object
        owner = (inst.parent if inst.is_instance else obj).original
        if options.leaves_out(owner):
            continue
        if not inst.is_instance and obj.type != "MESH" and obj.name in own_geometry:
            continue  # its evaluated mesh comes as an instance
        kind = rules.helper_kind(obj.name)
        if kind:
            helpers_seen.add(obj.name)
            add_helper(model, kind, obj, inst.matrix_world.copy(), warnings)
        elif obj.type in GEOMETRY_TYPES:
            add_model(model, inst, owners, options, warnings)
    add_hidden_helpers(context, depsgraph, model, options, helpers_seen, warnings)
    if warnings.unused_colors:
        warnings.add(brick_report.material_colours_warning(warnings.unused_colors))
    bounds = [name for name, box in model.helper_pieces if rules.helper_kind(name) == rules.BOUNDS]
    if len(bounds) > 1:
        warnings.add(brick_report.bounds_warning(bounds))
    return warnings.list()


def add_model(model, inst, owners, options, warnings):
    obj = inst.object
    warnings.name("Object", obj.name)
    faces = model_faces(obj, inst.matrix_world.copy(), options, warnings)
    model.add_faces(obj.name, faces)
    if not faces and not faceless_is_expected(obj, inst.is_instance, owners):
        by = " (instanced by '%s')" % inst.parent.name if inst.is_instance else ""
        warnings.add("'%s'%s has no faces; left out" % (obj.name, by))


def is_disabled(obj):
    return obj.hide_viewport or any(c.hide_viewport for c in obj.users_collection)


def add_hidden_helpers(context, depsgraph, model, options, seen, warnings):
    """BOUNDS and COLLISION objects hidden with H count (an option); with
    Selected Only, the unselected ones are named."""
    left_out = []
    for obj in context.view_layer.objects:
        kind = rules.helper_kind(obj.name)
        if not kind or obj.name in seen or is_disabled(obj):
            continue
        if options.members is not None and obj not in options.members:
            continue
        hidden = not obj.visible_get()
        if options.selected_only and not obj.select_get():
            if options.hidden_helpers or not hidden:
                left_out.append(obj.name)
        elif hidden and options.hidden_helpers:
            evaluated = obj.evaluated_get(depsgraph)
            add_helper(model, kind, evaluated, evaluated.matrix_world.copy(), warnings)
    if left_out:
        warnings.add(
            "Selected Only leaves out %s: select them too, or turn Selected Only off"
            % ", ".join("'%s'" % name for name in sorted(left_out))
        )
