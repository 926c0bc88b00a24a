#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Writes the assimp file of this folder. Run from the repository's root:
#
#   tests/data/realTools/makeAssimpFiles.sh
#
# assimpPolygons.obj: assimp's own OBJ exporter (assimp export, Debian package
# assimp-utils) on blenderPolygons.obj. It writes "f" and two blanks before the
# first corner, keeps the octagons, adds the normals it computed and names the
# material on "usemtl" lines; its .mtl is not kept.
set -eu
cd "$(dirname "$0")"
assimp export blenderPolygons.obj assimpPolygons.obj > /dev/null
rm -f assimpPolygons.mtl
assimp version | sed -n 's/^Version \(.*\)/assimp \1/p'
