# SPDX-License-Identifier: MIT
# Renders an OBJ model of the examples as Blender shows it, for the README:
#   blender --background --factory-startup --python docs/renderModel.py -- MODEL.obj PICTURE.png
# Each group of the model becomes one object; a COLOR_r_g_b[_a] group gets that
# colour, an ADDCOLOR_ group glows in its colour, any other group is the
# player's paint (light grey here); BOUNDS and COLLISION groups are left out,
# as they make no quads. Lit by two sharp suns, without sky light, on a
# transparent background: flat faces come out clean with few samples, and the
# picture stays small.

import math
import sys

import bpy

WIDTH, HEIGHT = 480, 360
SAMPLES = 32
PAINT_GREY = (0.75, 0.75, 0.75)
HELPER_PREFIXES = ("BOUNDS", "COLLISION")


def srgb_to_linear(value):
    value /= 255.0
    return value / 12.92 if value <= 0.04045 else ((value + 0.055) / 1.055) ** 2.4


def read_groups(path):
    """Returns the vertices and, per group name, its faces (0-based)."""
    vertices, groups, current = [], {}, "paint"
    with open(path, encoding="utf-8") as model:
        for line in model:
            words = line.split()
            if not words:
                continue
            if words[0] == "v":
                vertices.append(tuple(float(w) for w in words[1:4]))
            elif words[0] in ("g", "o"):
                current = words[1] if len(words) > 1 else "paint"
            elif words[0] == "f":
                face = [int(corner.split("/")[0]) - 1 for corner in words[1:5]]
                groups.setdefault(current, []).append(face)
    return vertices, groups


def material_for(name):
    material = bpy.data.materials.new(name)
    material.use_nodes = True
    shader = material.node_tree.nodes["Principled BSDF"]
    numbers = name.split("_")[1:]
    if name.startswith(("COLOR_", "ADDCOLOR_")) and len(numbers) >= 3:
        colour = tuple(srgb_to_linear(int(n)) for n in numbers[:3])
    else:
        colour = tuple(srgb_to_linear(255 * c) for c in PAINT_GREY)
    shader.inputs["Base Color"].default_value = colour + (1.0,)
    shader.inputs["Roughness"].default_value = 1.0
    shader.inputs["Specular"].default_value = 0.0  # matte: no glints to sample
    if name.startswith("COLOR_") and len(numbers) == 4:
        shader.inputs["Alpha"].default_value = int(numbers[3]) / 255.0
        material.blend_method = "BLEND"
    if name.startswith("ADDCOLOR_"):
        shader.inputs["Emission"].default_value = colour + (1.0,)
        shader.inputs["Emission Strength"].default_value = 12.0
    return material


def add_model(path):
    vertices, groups = read_groups(path)
    for name, faces in groups.items():
        if name.startswith(HELPER_PREFIXES):
            continue
        mesh = bpy.data.meshes.new(name)
        mesh.from_pydata(vertices, [], faces)
        mesh.materials.append(material_for(name))
        obj = bpy.data.objects.new(name, mesh)
        bpy.context.scene.collection.objects.link(obj)


def add_light_and_camera():
    for energy, rotation in ((3.0, (40, 15, 30)), (1.2, (-50, -20, -60))):
        bpy.ops.object.light_add(type="SUN", rotation=tuple(math.radians(r) for r in rotation))
        bpy.context.object.data.energy = energy
        bpy.context.object.data.angle = 0.0  # sharp light: flat faces without noise
    bpy.ops.object.camera_add(location=(6.5, -7.5, 5.5))
    camera = bpy.context.object
    direction = -camera.location + bpy.context.scene.cursor.location
    direction.z += 0.5
    camera.rotation_euler = direction.to_track_quat("-Z", "Y").to_euler()
    camera.data.lens = 60
    bpy.context.scene.camera = camera


def render(picture):
    scene = bpy.context.scene
    scene.render.engine = "CYCLES"
    scene.cycles.device = "CPU"
    scene.cycles.samples = SAMPLES
    scene.cycles.use_denoising = False  # no denoiser in every build
    scene.cycles.filter_width = 2.0
    scene.render.resolution_x, scene.render.resolution_y = WIDTH, HEIGHT
    scene.render.resolution_percentage = 100
    scene.render.image_settings.file_format = "PNG"
    scene.render.image_settings.color_mode = "RGBA"
    scene.render.image_settings.compression = 100
    scene.render.threads_mode = "FIXED"
    scene.render.threads = 1
    world = scene.world or bpy.data.worlds.new("World")
    scene.world = world
    world.use_nodes = True
    world.node_tree.nodes["Background"].inputs["Color"].default_value = (0.0, 0.0, 0.0, 1.0)
    scene.render.film_transparent = True  # the page shows through
    scene.render.dither_intensity = 0.0  # dither noise would triple the file
    scene.render.filepath = picture
    bpy.ops.render.render(write_still=True)


def main():
    model, picture = sys.argv[sys.argv.index("--") + 1 :][:2]
    bpy.ops.wm.read_factory_settings(use_empty=True)
    add_model(model)
    add_light_and_camera()
    render(picture)


main()
