# SPDX-License-Identifier: MIT
"""Tests of the Blender add-on with the real Blender, headless.

checkScenes.py export ADDON CONVERTER OUTDIR
    runs Blender once (ADDON: the add-on's package folder): exportScenes.py
    builds every scene and exports it through the add-on into OUTDIR.
checkScenes.py check OUTDIR SCENE
    checks what the export of SCENE did.

Both print "SKIPPED: ..." and exit with 77 where Blender is not installed.
DXF2TKM_BLENDER names the Blender to run (by default "blender").
"""

import json
import os
import re
import shutil
import subprocess
import sys
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))
import brickCheck  # noqa: E402

SKIP_STATUS = 77
BLENDER_TIMEOUT_SECONDS = 300

# What each exported brick must hold (keys of brickCheck.check_brick).
BRICKS = {
    "colouredBase": {
        # The hidden green object stays out; the red object's mesh "7" is no alpha.
        "quads": 12,
        "colors": [[1, 0, 0, 1], [0, 0, 1, 128 / 255]],
        "size": [4, 2, 7],
        "boxes": [[0, 0, -2.5, 4, 2, 2.5], [0, 0, 0, 1, 1, 2.5]],
        "topFacesUp": True,
        "winding": -1,
    },
    "fiveCorners": {
        # Two pentagons of three triangles each and five sides; the
        # unselected tall box stays out.
        "quads": 11,
        "triangles": 6,
        "colors": [],
        "size": [3, 3, 2],
        "boxes": [[0, 0.190983, 0, 3.804226, 3.618034, 2.5]],
        "topFacesUp": True,
        "winding": -1,
    },
    "rotatedModifier": {
        # Three cubes of the array, mirrored, scaled, turned upright.
        "quads": 18,
        "colors": [[0, 1, 0, 1]],
        "size": [2, 3, 2],
        "boxes": [[0, -1, 0, 2, 3, 2.5]],
        "topFacesUp": True,
        "winding": -1,
    },
    "atLimits": {"quads": 512, "boxCount": 10},
    # A colour per source: cube, bevelled curve, text, surface, metaball family, cubes
    # of 2 collection instances, of nodes on 4 points, of 3 hair particles; emitter.
    "mixedTypes": {"colors": [[k / 255, 0, 0, 1] for k in range(1, 9)], "objects": 15,
                   "colorQuads": [[[k / 255, 0, 0, 1], n]
                                  for k, n in ((1, 6), (6, 12), (7, 24), (8, 18))]},
    # BOUNDS hidden with H; a cube Empty and a wire mesh as COLLISION.
    "hiddenHelpers": {"quads": 6, "colors": [], "size": [4, 4, 5],
                      "boxes": [[0, 0, 0, 2, 2, 5], [0, 0, -2, 4, 4, 1]]},
    # Two faces of the material COLOR_0_0_255; the object's own name wins over
    # its material; the orange material's faces take the paint unless asked.
    "materialColoursOff": {"quads": 18, "colors": [[0, 0, 1, 1], [0, 1, 0, 1]], "size": [2, 2, 3],
                           "colorQuads": [[[0, 0, 1, 1], 2], [[0, 1, 0, 1], 6]], "objects": 3},
    "materialColoursOn": {"quads": 18, "colors": [[0, 0, 1, 1], [0, 1, 0, 1], [1, 128 / 255, 0, 1]],
                          "colorQuads": [[[1, 128 / 255, 0, 1], 4]]},
    "nearMisses": {"quads": 54, "colors": [[1, 0, 0, 1]]},
    # Add > Cube at (5, 5, 0) and a box 4.3 wide, placed on the origin or not.
    "offOrigin": {"size": [4, 2, 5], "boxes": [[6.15, 5, -2.5, 4.3, 2, 5]],
                  "quadBox": [4, 4, -5, 8.3, 6, 0]},
    "placedOnOrigin": {"size": [4, 2, 5], "boxes": [[0, 0, 0, 4.3, 2, 5]],
                       "quadBox": [-2.15, -1, -2.5, 2.15, 1, 2.5]},
    # Round the size up: placed by the converter, 4.3 wide rounded up to 5.
    "roundedUp": {"size": [5, 2, 5], "boxes": [[0, 0, 0, 5, 2, 5]],
                  "quadBox": [-2.15, -1, -2.5, 2.15, 1, 2.5]},
    "uvSphere": {"size": [1, 1, 5]},
    # Neither the cube nor the COLLISION box outside the collection.
    # The cube and the wedge, within the box around both BOUNDS objects.
    "importedBeside": {"quads": 11, "size": [4, 2, 3], "boxCount": 1},
    "collectionExporter": {"quads": 6, "colors": [[1, 0, 0, 1]], "size": [2, 2, 2],
                           "boxes": [[0, 0, 0, 2, 2, 2]], "objects": 1},
}

# Each scene's warnings: every fragment in one warning, every warning with one.
SIZE_CUT = "is written as size %s (heights scaled by 2.5): the size line keeps whole numbers only"
OFF_ORIGIN = "off the origin (footprint centred on %s): the game expects"
PLACE_ADVICE = "move the model, or turn on Place on Origin"
COLOR_RULE = ": COLOR_ takes 3 or 4 whole numbers 0 to 255 joined by _"
WARNINGS = {
    "colouredBase": ["extent 4 2 7.5 " + SIZE_CUT % "4 2 7"],
    "fiveCorners": ["Selected Only leaves out 'COLLISION': select them too, or turn Selected "
                    "Only off", OFF_ORIGIN % "x = 0, y = 0.190983",
                    "extent 3.804226 3.618034 2.5 " + SIZE_CUT % "3 3 2"],
    "rotatedModifier": [OFF_ORIGIN % "x = 0.00000006, y = -1", "extent 2 3 2.5 " + SIZE_CUT % "2 3 2"],
    "atLimits": [OFF_ORIGIN % "x = 16, y = 8"],
    "mixedTypes": ["'Wire' has no faces; left out", "off the origin", "extent 14.5 10.5 7.270183"],
    "hiddenHelpers": ["'COLLISION.003' gives no COLLISION box (it is an Empty shown as Plain "
                      "Axes; show it as Cube); left out"],
    "nearMisses": [
        "Object 'color_0_0_255' gives no colour (letter case); write COLOR_0_0_255" + COLOR_RULE,
        "Object 'Color_0_0_255' gives no colour (letter case); write COLOR_0_0_255",
        "Object 'COLOUR_0_0_255' gives no colour (COLOUR is spelt COLOR); write COLOR_0_0_255",
        "Object 'COLOR_255_128' gives no colour (too few numbers); write COLOR_255_128_0",
        "Object 'COLOR_0.5_0.5_0.5' gives no colour (a decimal point); write COLOR_128_128_128",
        "Object 'COLOR_300_0_-5' gives no colour (a number outside 0 to 255); write COLOR_255_0_0",
        "Object 'Collision' gives faces, not a collision box (letter case); write COLLISION",
        "Material 'ADDCOLOR_1_2_3_4' (on 'Plain') gives no colour (too many numbers); "
        "write ADDCOLOR_1_2_3: ADDCOLOR_ takes 3 whole numbers",
    ],
    "offOrigin": [OFF_ORIGIN % "x = 6.15, y = 5; lowest point at z = -1", PLACE_ADVICE,
                  "extent 4.3 2 5 " + SIZE_CUT % "4 2 5"],
    "placedOnOrigin": ["extent 4.3 2 5 " + SIZE_CUT % "4 2 5"],
    "materialColoursOff": ["Material Colours is off, so the faces of material 'Orange' "
                           "(COLOR_255_128_0_255) take the player's paint colour, not the "
                           "material's; turn on Material Colours in the export's options"],
    "importedBeside": ["2 BOUNDS objects ('BOUNDS' and 'BOUNDS.001'): the brick's extent is the "
                       "box around them all; keep one"],
    # Not "extent 2 2 5 is written as 1 1 5".
    "uvSphere": ["extent 1.999999 1.999999 5 " + SIZE_CUT % "1 1 5"],
}

# The scenes that must fail, with what their error message must name.
FAILURES = {
    "overLimits": ["513 faces", "at most 512: reduce them with a Decimate modifier",
                   "or use fewer segments", "11 COLLISION objects", "at most 10"],
    "converterFails": ["exit status 1", "ERROR: no polygons to convert"],
    "missingConverter": ["/nonexistent/bin/dxf2tkm"],
    "outOfRange": ["Nothing exported: 'FarBox' reaches x = -10001, outside -9998 to 9998 "
                   "(move it nearer the origin)"],
}


def skip_without_blender():
    """The Blender to run: DXF2TKM_BLENDER, by default the one on the PATH."""
    wanted = os.environ.get("DXF2TKM_BLENDER", "blender")
    blender = shutil.which(wanted)
    if blender is None:
        print("SKIPPED: needs %s (Debian package blender)" % wanted)
        sys.exit(SKIP_STATUS)
    return blender


def zip_package(folder, zip_path):
    """The add-on's package folder as the zip a user installs."""
    with zipfile.ZipFile(zip_path, "w", zipfile.ZIP_DEFLATED) as packed:
        for root, _, files in os.walk(folder):
            for path in (os.path.join(root, f) for f in files if not f.endswith(".pyc")):
                packed.write(path, os.path.relpath(path, os.path.join(folder, os.pardir)))
    return zip_path


def run_blender(script, arguments, scratch, env=os.environ):
    """Runs script in a headless Blender, add-ons installed into scratch."""
    blender = skip_without_blender()
    run = subprocess.run([blender, "--background", "--factory-startup", "--python-exit-code", "1",
                          "--python", script, "--"] + arguments,
                         env=dict(env, BLENDER_USER_SCRIPTS=os.path.join(scratch, "userScripts"),
                                  BLENDER_USER_EXTENSIONS=os.path.join(scratch, "extensions")),
                         stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                         timeout=BLENDER_TIMEOUT_SECONDS)  # fmt: skip
    print(run.stdout[-4000:])
    return run.returncode


def export(addon, converter, out_dir):
    shutil.rmtree(out_dir, ignore_errors=True)
    os.makedirs(out_dir)
    # One scene finds the converter by its default name.
    path = os.path.dirname(os.path.abspath(converter)) + os.pathsep + os.environ["PATH"]
    packed = zip_package(addon, os.path.join(out_dir, "addon.zip"))
    script = os.path.join(HERE, "exportScenes.py")
    return run_blender(script, [packed, converter, out_dir], out_dir, dict(os.environ, PATH=path))


def messages(result, level):
    return [text for kind, text in result["reports"] if kind == level]


def check_success(out_dir, scene, result):
    problems = [] if result["status"] == "FINISHED" else ["status %s" % result["status"]]
    brick = brickCheck.parse_brick(os.path.join(out_dir, scene + ".tkm"))
    expected = BRICKS[scene]
    if "boxCount" in expected and len(brick.boxes) != expected["boxCount"]:
        problems.append("%d boxes, expected %d" % (len(brick.boxes), expected["boxCount"]))
    infos, quads = messages(result, "INFO"), len(brick.quads)
    coloured = sum(1 for q in brick.quads if q["colors"])
    summary = (r"Exported %d quads? \(%d coloured, %d paintable\) from %s objects?, %d collision "
               r"box(es)?( \(the extent: no COLLISION object\))?, size %s, to %s%s\Z") % (
        quads, coloured, quads - coloured, expected.get("objects", r"\d+"),
        len(brick.boxes), " ".join(map(str, brick.size)), re.escape(scene + ".tkm"),
        "; %d warnings? above, listed in the Info editor" % len(messages(result, "WARNING"))
        if messages(result, "WARNING") else "")  # fmt: skip
    # The status bar shows the last report: the summary, naming the warnings.
    if len(infos) != 1 or not re.match(summary, infos[0]) or result["reports"][-1][1] != infos[0]:
        problems.append("report %s, expected %s" % (infos, summary))
    warnings, fragments = messages(result, "WARNING"), WARNINGS.get(scene, [])
    problems += ["no warning %r" % f for f in fragments if not any(f in w for w in warnings)]
    problems += ["unwanted warning %r" % w for w in warnings if not any(f in w for f in fragments)]
    return problems + brickCheck.check_brick(brick, expected)


def check_failure(scene, result):
    problems = []
    if not result["status"].startswith("RuntimeError"):
        problems.append("status %s, expected the operator's error" % result["status"])
    if messages(result, "INFO"):
        problems.append("a success message for a failure: %s" % messages(result, "INFO"))
    errors = "\n".join(messages(result, "ERROR"))
    problems += ["no %r in the error %r" % (w, errors) for w in FAILURES[scene] if w not in errors]
    if result["before"] is None or result["after"] != result["before"]:
        problems.append("the old brick was changed")
    return problems


def check(out_dir, scene):
    skip_without_blender()
    with open(os.path.join(out_dir, "results.json")) as table:
        results = json.load(table)
    result = results[scene]
    problems = [] if results["inExportMenu"] else ["no entry in File > Export"]
    if scene in FAILURES:
        problems += check_failure(scene, result)
    else:
        problems += check_success(out_dir, scene, result)
    problems += ["left behind: %s" % f for f in os.listdir(out_dir) if f.endswith(".part")]
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    if sys.argv[1] == "export":
        sys.exit(export(*sys.argv[2:]))
    sys.exit(check(*sys.argv[2:]))
