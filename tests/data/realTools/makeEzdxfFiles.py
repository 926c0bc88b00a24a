"""Writes the ezdxf files of this folder with the ezdxf library (Debian's
python3-ezdxf; run with the system Python: /usr/bin/python3
tests/data/realTools/makeEzdxfFiles.py [NAME...]; without names it writes
them all). All are ezdxf's default DXF version, R2013.

- ezdxfFaces.dxf: a small house of 3DFACE entities, x and y from -1 to 1:
  a floor and four walls 1 high (quads) and a pyramid roof up to z = 2 (four
  triangles, given as three corners).
- ezdxfMixed.dxf: one 3DFACE quad in the model space, a block "WINDOW" of
  two 3DFACE quads inserted twice, and entities of other kinds: LINE,
  CIRCLE, ARC, TEXT, MTEXT, LWPOLYLINE, POINT and a polyface mesh.
- ezdxfLayers.dxf: a brick drawn by layers: a red base 4 x 2 x 1 of 3DFACEs, a
  half-transparent blue polyface block 1 x 1 x 1 on it, a polyface BOUNDS box
  4 x 2 x 2, and collision layers of 3DFACEs and of polyface faces on a layer
  of their own.
- ezdxfMeshes.dxf: an open 3 x 4 polygon mesh on a colour layer, a 2 x 4 one
  closed in N, and what is not read: MESH, 3DSOLID, REGION, a block inserted
  twice.
- ezdxfMesh.dxf: MESH entities (ezdxf's `add_mesh`), one per layer: a red
  box 4 x 2 x 1 of quads, a blue hexagonal prism on it whose caps are
  hexagons and whose subdivision level is 1, a BOUNDS box 4 x 2 x 2 and a
  COLLISION box around the red one.
- ezdxfSketch.dxf: a flat sketch, no faces: four LINEs, a CIRCLE, an ARC, an
  LWPOLYLINE, an ELLIPSE, a SPLINE, a POINT and a TEXT.
"""

import math
import os
import sys

import ezdxf

HERE = os.path.dirname(os.path.abspath(__file__))


def faces_drawing():
    doc = ezdxf.new()
    msp = doc.modelspace()
    floor = [(-1, -1, 0), (-1, 1, 0), (1, 1, 0), (1, -1, 0)]
    msp.add_3dface(floor)
    ring = [(-1, -1), (1, -1), (1, 1), (-1, 1)]
    for k in range(4):
        (x0, y0), (x1, y1) = ring[k], ring[(k + 1) % 4]
        msp.add_3dface([(x0, y0, 0), (x1, y1, 0), (x1, y1, 1), (x0, y0, 1)])
        msp.add_3dface([(x0, y0, 1), (x1, y1, 1), (0, 0, 2)])
    return doc


def mixed_drawing():
    doc = ezdxf.new()
    doc.layers.add("FACES", color=1)
    window = doc.blocks.new(name="WINDOW")
    window.add_3dface([(0, 0, 0), (1, 0, 0), (1, 0, 1), (0, 0, 1)])
    window.add_3dface([(0, 0.1, 0), (1, 0.1, 0), (1, 0.1, 1), (0, 0.1, 1)])
    msp = doc.modelspace()
    msp.add_3dface([(0, 0, 0), (4, 0, 0), (4, 3, 0), (0, 3, 0)], dxfattribs={"layer": "FACES"})
    msp.add_blockref("WINDOW", (10, 0, 0))
    msp.add_blockref("WINDOW", (20, 0, 0))
    msp.add_line((0, 0, 0), (50, 50, 50))
    msp.add_circle((5, 5), radius=30)
    msp.add_arc((5, 5), radius=2, start_angle=0, end_angle=90)
    msp.add_text("Special brick")
    msp.add_mtext("two\\Plines")
    msp.add_lwpolyline([(0, 0), (-40, 0), (-40, -40)])
    msp.add_point((100, 100, 100))
    mesh = msp.add_polyface()
    mesh.append_face([(0, 0, 60), (1, 0, 60), (1, 1, 60), (0, 1, 60)])
    return doc


def box_faces(low, high):
    """The six faces of the box from low to high, each seen from outside."""
    (x0, y0, z0), (x1, y1, z1) = low, high
    return [
        [(x0, y0, z0), (x0, y1, z0), (x1, y1, z0), (x1, y0, z0)],
        [(x0, y0, z1), (x1, y0, z1), (x1, y1, z1), (x0, y1, z1)],
        [(x0, y0, z0), (x1, y0, z0), (x1, y0, z1), (x0, y0, z1)],
        [(x1, y0, z0), (x1, y1, z0), (x1, y1, z1), (x1, y0, z1)],
        [(x1, y1, z0), (x0, y1, z0), (x0, y1, z1), (x1, y1, z1)],
        [(x0, y1, z0), (x0, y0, z0), (x0, y0, z1), (x0, y1, z1)],
    ]


def polyface_box(msp, low, high, layer):
    mesh = msp.add_polyface(dxfattribs={"layer": layer})
    mesh.append_faces(box_faces(low, high))
    return mesh


def layers_drawing():
    doc = ezdxf.new()
    for name in "COLOR_255_0_0 COLOR_0_0_255_128 BOUNDS COLLISION_BASE COLLISION_TOP".split():
        doc.layers.add(name)
    msp = doc.modelspace()
    for face in box_faces((-2, -1, 0), (2, 1, 1)):
        msp.add_3dface(face, dxfattribs={"layer": "COLOR_255_0_0"})
    polyface_box(msp, (-0.5, -0.5, 1), (0.5, 0.5, 2), "COLOR_0_0_255_128")
    polyface_box(msp, (-2, -1, 0), (2, 1, 2), "BOUNDS")
    for face in box_faces((-2, -1, 0), (2, 1, 1))[:2]:
        msp.add_3dface(face, dxfattribs={"layer": "COLLISION_BASE"})
    top = polyface_box(msp, (-0.5, -0.5, 1), (0.5, 0.5, 2), "0")
    for vertex in top.vertices:
        if vertex.is_face_record:
            vertex.dxf.layer = "COLLISION_TOP"
    return doc


def meshes_drawing():
    doc = ezdxf.new()
    msp = doc.modelspace()
    grid = msp.add_polymesh(size=(3, 4), dxfattribs={"layer": "COLOR_0_160_0"})
    for i in range(3):
        for j in range(4):
            grid.set_mesh_vertex((i, j), (i, j, 0.4 * ((i + j) % 2)))
    tube = msp.add_polymesh(size=(2, 4))
    ring = [(3, 0), (4, 0), (4, 1), (3, 1)]
    for i in range(2):
        for j, (x, y) in enumerate(ring):
            tube.set_mesh_vertex((i, j), (x, y, i))
    tube.close(m_close=False, n_close=True)
    mesh = msp.add_mesh()
    with mesh.edit_data() as data:
        data.vertices = [(0, 0, 5), (1, 0, 5), (1, 1, 5)]
        data.faces = [(0, 1, 2)]
    msp.add_3dsolid()
    msp.add_region()
    stud = doc.blocks.new(name="STUD")
    stud.add_3dface([(0, 0, 1), (0.5, 0, 1), (0.5, 0.5, 1), (0, 0.5, 1)])
    msp.add_blockref("STUD", (0, 0, 0))
    msp.add_blockref("STUD", (1, 0, 0))
    return doc


def mesh_entity(msp, vertices, faces, layer):
    mesh = msp.add_mesh(dxfattribs={"layer": layer})
    with mesh.edit_data() as data:
        data.vertices = vertices
        data.faces = faces
    return mesh


def box_mesh(msp, low, high, layer):
    faces = box_faces(low, high)
    vertices = sorted({corner for face in faces for corner in face})
    mesh_entity(msp, vertices, [[vertices.index(c) for c in face] for face in faces], layer)


def mesh_drawing():
    doc = ezdxf.new()
    msp = doc.modelspace()
    box_mesh(msp, (-2, -1, 0), (2, 1, 1), "COLOR_255_0_0")
    ring = [(0.5 * math.cos(k * math.pi / 3), 0.5 * math.sin(k * math.pi / 3)) for k in range(6)]
    vertices = [(x, y, z) for z in (1, 2) for x, y in ring]
    sides = [[k, (k + 1) % 6, 6 + (k + 1) % 6, 6 + k] for k in range(6)]
    caps = [[5, 4, 3, 2, 1, 0], [6, 7, 8, 9, 10, 11]]
    prism = mesh_entity(msp, vertices, sides + caps, "COLOR_0_0_255")
    prism.dxf.subdivision_levels = 1
    box_mesh(msp, (-2, -1, 0), (2, 1, 2), "BOUNDS")
    box_mesh(msp, (-2, -1, 0), (2, 1, 1), "COLLISION_BASE")
    return doc


def sketch_drawing():
    doc = ezdxf.new()
    msp = doc.modelspace()
    corners = [(0, 0), (40, 0), (40, 20), (0, 20)]
    for k in range(4):
        msp.add_line(corners[k], corners[(k + 1) % 4])
    msp.add_circle((10, 10), radius=4)
    msp.add_arc((30, 10), radius=4, start_angle=0, end_angle=180)
    msp.add_lwpolyline([(5, 2), (35, 2), (35, 5)])
    msp.add_ellipse((20, 15), major_axis=(6, 0), ratio=0.5)
    msp.add_spline([(2, 18), (10, 19), (20, 17), (30, 19)])
    msp.add_point((20, 10))
    msp.add_text("PLATE 4 x 2")
    return doc


DRAWINGS = {"ezdxfFaces.dxf": faces_drawing, "ezdxfMixed.dxf": mixed_drawing,
            "ezdxfLayers.dxf": layers_drawing, "ezdxfMeshes.dxf": meshes_drawing,
            "ezdxfMesh.dxf": mesh_drawing, "ezdxfSketch.dxf": sketch_drawing}  # fmt: skip

for name in sys.argv[1:] or DRAWINGS:
    DRAWINGS[name]().saveas(os.path.join(HERE, name))
print("ezdxf %s" % ezdxf.__version__)
