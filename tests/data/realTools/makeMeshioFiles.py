# SPDX-License-Identifier: MIT
"""Writes the meshio file of this folder. Run from the repository's root:

/usr/bin/python3 tests/data/realTools/makeMeshioFiles.py

meshioHouse.obj: meshio's OBJ writer (Debian python3-meshio) on a house of
2 x 2 x 1 with a ridge roof, as a program that builds its mesh with meshio
writes it: the points, then "f a b c d" lines without texture or normal
indices, the quads first, then the two gable walls as pentagons. Every face
turns counter-clockwise seen from outside.
"""

import os

import meshio

HERE = os.path.dirname(os.path.abspath(__file__))

POINTS = [
    [0.0, 0.0, 0.0], [2.0, 0.0, 0.0], [2.0, 2.0, 0.0], [0.0, 2.0, 0.0],  # floor
    [0.0, 0.0, 1.0], [2.0, 0.0, 1.0], [2.0, 2.0, 1.0], [0.0, 2.0, 1.0],  # eaves
    [1.0, 0.0, 1.5], [1.0, 2.0, 1.5],  # ridge
]
QUADS = [[0, 3, 2, 1], [0, 4, 7, 3], [1, 2, 6, 5], [4, 8, 9, 7], [8, 5, 6, 9]]
GABLES = [[0, 1, 5, 8, 4], [2, 3, 7, 9, 6]]


def main():
    mesh = meshio.Mesh(POINTS, [("quad", QUADS), ("polygon", GABLES)])
    mesh.write(os.path.join(HERE, "meshioHouse.obj"))
    print("meshio %s" % meshio.__version__)


main()
