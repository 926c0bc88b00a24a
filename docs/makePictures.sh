#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Makes the pictures of the documentation again, from the wedge example:
#   docs/wedge-render.png  the model as Blender renders it (headless, Cycles on
#                          the processor, 480 x 360)
#   docs/wedge.svg         its brick as tkmpreview draws it
# Usage: docs/makePictures.sh [BUILD_FOLDER]   (default build/release, built
# first with the release preset when its programs are missing). Needs blender.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
if [ ! -x "$build/dxf2tkm" ] || [ ! -x "$build/tkmpreview" ]; then
    cmake --preset release >/dev/null && cmake --build --preset release >/dev/null
    build=build/release
fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp examples/wedge.obj "$scratch/"
"$build/dxf2tkm" "$scratch/wedge.obj" >/dev/null
"$build/tkmpreview" "$scratch/wedge.tkm" docs/wedge.svg
blender --background --factory-startup --python docs/renderModel.py -- \
    examples/wedge.obj "$scratch/wedge-render.png" >/dev/null
cp "$scratch/wedge-render.png" docs/wedge-render.png
echo "Wrote docs/wedge-render.png"
