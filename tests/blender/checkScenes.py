"""Tests of the Blender add-on with the real Blender, headless.

checkScenes.py export ADDON CONVERTER OUTDIR
    runs Blender once (ADDON: the add-on's package folder or zip): exportScenes.py builds every scene and exports it
    through the add-on into OUTDIR.
checkScenes.py check OUTDIR SCENE
    checks what the export of SCENE did.

Both print "SKIPPED: ..." and exit with 77 where Blender is not installed.
"""

import json
import os
import shutil
import subprocess
import sys
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))
import brickCheck  # noqa: E402

SKIP_STATUS = 77
BLENDER_TIMEOUT_SECONDS = 120

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
}

# The scenes that must fail, with what their error message must name.
FAILURES = {
    "overLimits": ["513 faces", "at most 512", "11 COLLISION objects", "at most 10"],
    "converterFails": ["exit status 1", "ERROR: no polygons to convert"],
    "missingConverter": ["/nonexistent/bin/dxf2tkm"],
}


def skip_without_blender():
    blender = shutil.which("blender")
    if blender is None:
        print("SKIPPED: needs blender (Debian package blender)")
        sys.exit(SKIP_STATUS)
    return blender


def zip_package(folder, zip_path):
    """The add-on's package folder as the zip a user installs."""
    name = os.path.basename(os.path.normpath(folder))
    with zipfile.ZipFile(zip_path, "w", zipfile.ZIP_DEFLATED) as packed:
        for root, _, files in os.walk(folder):
            for file in files:
                if file.endswith(".pyc"):
                    continue
                path = os.path.join(root, file)
                packed.write(path, os.path.join(name, os.path.relpath(path, folder)))
    return zip_path


def export(addon, converter, out_dir):
    blender = skip_without_blender()
    if os.path.isdir(out_dir):
        shutil.rmtree(out_dir)
    os.makedirs(out_dir)
    if os.path.isdir(addon):
        addon = zip_package(addon, os.path.join(out_dir, "addon.zip"))
    # The add-on is installed into a scratch user folder, not the user's own.
    env = dict(os.environ, BLENDER_USER_SCRIPTS=os.path.join(out_dir, "userScripts"))
    # One scene finds the converter by its default name.
    env["PATH"] = os.path.dirname(os.path.abspath(converter)) + os.pathsep + env["PATH"]
    script = os.path.join(HERE, "exportScenes.py")
    command = [blender, "--background", "--factory-startup", "--python-exit-code", "1"]
    command += ["--python", script, "--", os.path.abspath(addon), os.path.abspath(converter)]
    command += [os.path.abspath(out_dir)]
    run = subprocess.run(
        command, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
        text=True, timeout=BLENDER_TIMEOUT_SECONDS,
    )  # fmt: skip
    print(run.stdout[-4000:])
    if run.returncode != 0 or not os.path.isfile(os.path.join(out_dir, "results.json")):
        print("Blender exited with %d and left no results" % run.returncode)
        return 1
    return 0


def messages(result, level):
    return [text for kind, text in result["reports"] if kind == level]


def check_success(out_dir, scene, result):
    problems = []
    if result["status"] != "FINISHED":
        problems.append("status %s" % result["status"])
    brick = brickCheck.parse_brick(os.path.join(out_dir, scene + ".tkm"))
    wanted = "Exported %d quads to %s.tkm" % (len(brick.quads), scene)
    if messages(result, "INFO") != [wanted]:
        problems.append("messages %s, expected [%r]" % (result["reports"], wanted))
    expected = BRICKS[scene]
    if "boxCount" in expected and len(brick.boxes) != expected["boxCount"]:
        problems.append("%d boxes, expected %d" % (len(brick.boxes), expected["boxCount"]))
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
    leftovers = [f for f in os.listdir(out_dir) if f.endswith(".part")]
    if leftovers:
        problems.append("left behind: %s" % leftovers)
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    if sys.argv[1] == "export":
        sys.exit(export(*sys.argv[2:]))
    sys.exit(check(*sys.argv[2:]))
