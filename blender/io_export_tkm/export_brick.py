# SPDX-License-Identifier: GPL-3.0-or-later
# File > Export > Special brick (.tkm): what the viewport shows, written as an
# OBJ file that the dxf2tkm converter reads as intended (scene_geometry.py
# reads the scene, obj_model.py writes the text, conventions.py holds the
# names and limits both sides share), converted in a temporary folder and
# moved to the chosen file only when the conversion succeeded; brick_report.py
# then says what went in and warns about what the game will make of it.
#
# The OBJ is written here rather than through Blender's OBJ exporter: that
# exporter names a group after the object and its mesh ("COLOR_255_0_0_7"
# would give alpha 7), keeps faces of any size, knows no colours from
# materials, and its options changed name between Blender versions.

import os
import shutil
import subprocess
import sys
import tempfile

import bpy
from bpy.props import BoolProperty, StringProperty
from bpy_extras.io_utils import ExportHelper

from . import brick_report, scene_geometry
from .brick_report import plural
from .bundled import bundled_program, other_system_hint, preview_program, run_on_file
from .obj_model import ExportError, ObjModel
from .replace import replace_file

CONVERTER_TIMEOUT_SECONDS = 120
MAX_REPORTED_LINES = 12
DEFAULT_CONVERTER = "dxf2tkm.exe" if sys.platform == "win32" else "dxf2tkm"


# ---------------------------------------------------------------------------
# Running the converter


def resolve_converter(setting):
    """The converter's full path, or ExportError naming what was tried. The
    preference's default means the converter the add-on carries, if any."""
    setting = unquoted(setting.strip())
    bundled = bundled_program("dxf2tkm")
    if setting in ("", DEFAULT_CONVERTER) and bundled:
        return bundled
    hint = other_system_hint()
    if setting in ("", DEFAULT_CONVERTER) and hint:
        raise ExportError("Converter not found: %s" % hint)
    if not setting:
        raise ExportError("No converter set: give the path of dxf2tkm in the add-on's preferences")
    expanded = os.path.expanduser(bpy.path.abspath(setting))
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


def unquoted(path):
    """A path as pasted from Explorer's "Copy as path", without its quotes."""
    if len(path) >= 2 and path[0] == path[-1] and path[0] in "\"'":
        return path[1:-1].strip()
    return path


def shorten(lines):
    if len(lines) <= MAX_REPORTED_LINES:
        return lines
    rest = len(lines) - MAX_REPORTED_LINES
    return lines[:MAX_REPORTED_LINES] + ["... and %d more" % rest]


def convert(converter, obj_path, options=()):
    """Runs the converter with options on the model; returns (exit status,
    its JSON report)."""
    try:
        done = run_on_file(converter, ["--json", *options], obj_path, CONVERTER_TIMEOUT_SECONDS)
    except OSError as error:
        raise ExportError("Could not run the converter '%s': %s" % (converter, error))
    except subprocess.TimeoutExpired:
        raise ExportError(
            "The converter '%s' did not finish in %d s; nothing exported"
            % (converter, CONVERTER_TIMEOUT_SECONDS)
        )
    return done.returncode, (done.stdout + done.stderr).decode("utf-8", "replace")


def build_model(context, options):
    model = ObjModel()
    warnings = scene_geometry.gather(context, model, options)
    model.check()
    return model, warnings


def converter_options(place_on_origin, round_up):
    """The converter places the model and rounds its size up itself, by its
    own rules: --fit places it too."""
    if round_up:
        return ["--fit"]
    return ["--place"] if place_on_origin else []


def write_brick(context, target, converter_setting, options, place_on_origin=False, preview=False,
                round_up=False):
    """Exports what options choose to the brick file target, placed on the
    origin and its size rounded up by the converter where asked. Returns (the
    success report, warning lines); raises ExportError without touching
    target on any failure."""
    model, warnings = build_model(context, options)
    converter = resolve_converter(converter_setting)
    with tempfile.TemporaryDirectory(prefix="tkm-export-") as folder:
        obj_path = os.path.join(folder, "brick.obj")
        brick_path = os.path.join(folder, "brick.tkm")
        with open(obj_path, "w", encoding="utf-8", newline="\n") as obj_file:
            obj_file.write(model.text())
        status, output = convert(converter, obj_path, converter_options(place_on_origin, round_up))
        brick = brick_report.read_report(output)
        if status != 0 or brick is None or not brick.written or not os.path.isfile(brick_path):
            raise ExportError(
                "\n".join(
                    ["The converter failed (exit status %d); nothing exported:" % status]
                    + shorten(brick_report.failure_lines(brick, output))
                )
            )
        try:
            replace_file(brick_path, target)
        except OSError as error:
            raise ExportError("Could not write '%s': %s" % (target, error))
    if preview:
        warnings += write_preview(target)
    # A face the converter skipped is reported although the brick was written.
    warnings += brick_report.converter_warnings(brick, model)
    return brick_report.summary(brick, model, os.path.basename(target)), warnings


def write_preview(target):
    """Writes the brick's picture beside it with the carried tkmpreview;
    returns the warnings of a picture not written."""
    program = preview_program(*program_settings(bpy.context))
    if program is None:
        return ["No preview picture: tkmpreview was not found (install the add-on from its zip, "
                "or set its path in the add-on's preferences)"]  # fmt: skip
    try:
        done = run_on_file(program, [], target, CONVERTER_TIMEOUT_SECONDS)
    except (OSError, subprocess.TimeoutExpired) as error:
        return ["No preview picture: %s" % error]
    if done.returncode != 0:
        message = done.stderr.decode("utf-8", "replace").strip()
        return ["No preview picture: %s" % message.replace("tkmpreview: ", "", 1)]
    return []


# ---------------------------------------------------------------------------
# Blender interface


def converter_setting(context):
    addon = context.preferences.addons.get(__package__)
    return addon.preferences.converter_path if addon else DEFAULT_CONVERTER


def program_settings(context):
    """The preferences' tkmpreview and converter settings, as absolute paths
    where they are paths."""
    addon = context.preferences.addons.get(__package__)
    preview = getattr(addon.preferences, "preview_path", "") if addon else ""
    return bpy.path.abspath(preview), bpy.path.abspath(converter_setting(context))


class EXPORT_SCENE_OT_tkm_brick(bpy.types.Operator, ExportHelper):
    """Export what the viewport shows as a special brick through the dxf2tkm converter"""

    bl_idname = "export_scene.tkm_brick"
    bl_label = "Export Special Brick"
    bl_options = {"PRESET"}

    filename_ext = ".tkm"
    filter_glob: StringProperty(default="*.tkm", options={"HIDDEN"})

    use_selection: BoolProperty(
        name="Selected Only",
        description="Export the selected objects only; otherwise everything the viewport shows",
        default=False,
    )
    use_hidden_helpers: BoolProperty(
        name="Hidden Helpers",
        description="Count objects named BOUNDS or COLLISION also when hidden (H)",
        default=True,
    )
    use_material_colors: BoolProperty(
        name="Material Colours",
        description="Give faces whose material names no colour the material's base colour, "
        "instead of the player's paint colour",
        default=False,
    )
    use_place_on_origin: BoolProperty(
        name="Place on Origin",
        description="Have the converter move the brick's model so that its footprint is "
        "centred on x = y = 0 and its lowest point is at z = 0, where the game expects it",
        default=False,
    )
    use_round_up: BoolProperty(
        name="Round the size up",
        description="Place on Origin, and have the converter round the brick's size up to "
        "whole units (heights in steps of 0.4) instead of cutting its fraction",
        default=False,
    )

    use_preview: BoolProperty(
        name="Preview picture",
        description="Also write the brick's picture (SVG) beside it, drawn by the tkmpreview "
        "that comes with the add-on",
        default=False,
    )
    # Set by a Collection Exporter (Blender 4.2 and later): export its objects only.
    collection: StringProperty(name="Source Collection", options={"HIDDEN"})

    def execute(self, context):
        for obj in context.view_layer.objects:
            if obj.mode == "EDIT":  # edits not yet copied to the mesh
                obj.update_from_editmode()
        try:
            options = scene_geometry.Options(
                self.use_selection, self.use_hidden_helpers, self.use_material_colors,
                self.source_collection(),
            )  # fmt: skip
            report, warnings = write_brick(
                context, self.filepath, converter_setting(context), options,
                self.use_place_on_origin, self.use_preview, self.use_round_up,
            )  # fmt: skip
        except ExportError as error:
            self.tell("ERROR", str(error))
            return {"CANCELLED"}
        for line in shorten(warnings):
            self.tell("WARNING", line)
        if warnings:
            # The status bar shows the last report only: it says where the rest are.
            report += "; %s above, listed in the Info editor" % plural(len(warnings), "warning")
            show_popup(context, shorten(warnings))
        self.tell("INFO", report)
        return {"FINISHED"}

    def source_collection(self):
        if not self.collection:
            return None
        found = bpy.data.collections.get(self.collection)
        if found is None:
            raise ExportError("Nothing exported: there is no collection '%s'" % self.collection)
        return found

    def tell(self, level, message):
        """Every message of the export passes here (scripts may listen)."""
        self.report({level}, message)


def show_popup(context, warnings):
    """Lists the warnings in a popup where Blender has a window to show it."""
    if bpy.app.background or context.window_manager is None or context.window is None:
        return

    def draw(menu, _context):
        for line in warnings:
            menu.layout.label(text=line, icon="ERROR")

    title = "Special brick: %s" % plural(len(warnings), "warning")
    context.window_manager.popup_menu(draw, title=title, icon="ERROR")


def menu_func_export(self, context):
    self.layout.operator(EXPORT_SCENE_OT_tkm_brick.bl_idname, text="Special brick (.tkm)")
