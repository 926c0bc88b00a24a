# SPDX-License-Identifier: GPL-3.0-or-later
# Blender add-on: File > Export > Special brick (.tkm) (export_brick.py), and
# File > Import of a brick back into objects (import_brick.py). This file
# registers them, the file handler for a brick dropped on the viewport and for
# Collection Exporters where Blender has them, and holds the preferences.

# "version" is the project's, set when the add-on zip is packed.
bl_info = {
    "name": "Special brick (.tkm)",
    "author": "dxf2tkm",
    "version": (0, 0, 0),
    "blender": (3, 0, 0),
    "location": "File > Import and File > Export > Special brick (.tkm)",
    "description": "Export the viewport's objects as a special brick through dxf2tkm; import bricks",
    "category": "Import-Export",
}

import bpy
from bpy.props import StringProperty

from . import export_brick, import_brick
from .bundled import DEFAULT_PREVIEW


class TkmExportPreferences(bpy.types.AddonPreferences):
    bl_idname = __name__

    converter_path: StringProperty(
        name="Converter",
        description="The dxf2tkm program: a file path, or a name found on the PATH. "
        "The default runs the converter that comes with the add-on",
        subtype="FILE_PATH",
        default=export_brick.DEFAULT_CONVERTER,
    )

    # For import and the preview picture; on macOS, where no add-on zip carries
    # the programs, both are set to the programs built from source.
    preview_path: StringProperty(
        name="Preview program",
        description="The tkmpreview program, which reads bricks for import and draws preview "
        "pictures: a file path, or a name found on the PATH. The default runs the one that "
        "comes with the add-on, else the one beside the converter set above",
        subtype="FILE_PATH",
        default=DEFAULT_PREVIEW,
    )

    def draw(self, context):
        self.layout.prop(self, "converter_path")
        self.layout.prop(self, "preview_path")


def poll_drop(cls, context):
    """A brick dropped on the 3D viewport or on the outliner's view layer."""
    area = context.area
    if area is None:
        return False
    return area.type == "VIEW_3D" or (
        area.type == "OUTLINER" and area.spaces.active.display_mode == "VIEW_LAYER"
    )


def file_handler():
    """Blender 4.1 and later import a .tkm file dropped on them through a
    file handler; 4.2 and later also offer its exporter as a Collection
    Exporter. None before 4.1."""
    if not hasattr(bpy.types, "FileHandler"):
        return None
    members = {
        "bl_idname": "IO_FH_tkm_brick",
        "bl_label": "Special brick",
        "bl_import_operator": import_brick.IMPORT_SCENE_OT_tkm_brick.bl_idname,
        "bl_file_extensions": ".tkm",
        "poll_drop": classmethod(poll_drop),
    }
    if bpy.app.version >= (4, 2, 0):
        members["bl_export_operator"] = export_brick.EXPORT_SCENE_OT_tkm_brick.bl_idname
    return type("IO_FH_tkm_brick", (bpy.types.FileHandler,), members)


FILE_HANDLER = file_handler()
CLASSES = (TkmExportPreferences, export_brick.EXPORT_SCENE_OT_tkm_brick,
           import_brick.IMPORT_SCENE_OT_tkm_brick) + ((FILE_HANDLER,) if FILE_HANDLER else ())


def register():
    for cls in CLASSES:
        bpy.utils.register_class(cls)
    bpy.types.TOPBAR_MT_file_export.append(export_brick.menu_func_export)
    bpy.types.TOPBAR_MT_file_import.append(import_brick.menu_func_import)


def unregister():
    bpy.types.TOPBAR_MT_file_import.remove(import_brick.menu_func_import)
    bpy.types.TOPBAR_MT_file_export.remove(export_brick.menu_func_export)
    for cls in reversed(CLASSES):
        bpy.utils.unregister_class(cls)


if __name__ == "__main__":
    register()
