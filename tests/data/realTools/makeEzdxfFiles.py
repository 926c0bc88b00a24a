"""Writes the ezdxf files of this folder with the ezdxf library (Debian's
python3-ezdxf; run with the system Python: /usr/bin/python3
tests/data/realTools/makeEzdxfFiles.py). Both are ezdxf's default DXF
version, R2013.

- ezdxfFaces.dxf: a small house of 3DFACE entities, x and y from -1 to 1:
  a floor and four walls 1 high (quads) and a pyramid roof up to z = 2 (four
  triangles, given as three corners).
- ezdxfMixed.dxf: one 3DFACE quad in the model space, a block "WINDOW" of
  two 3DFACE quads inserted twice, and entities of other kinds: LINE,
  CIRCLE, ARC, TEXT, MTEXT, LWPOLYLINE, POINT and a polyface mesh.
"""

import os

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


faces_drawing().saveas(os.path.join(HERE, "ezdxfFaces.dxf"))
mixed_drawing().saveas(os.path.join(HERE, "ezdxfMixed.dxf"))
print("ezdxf %s" % ezdxf.__version__)
