#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""runDocCommands.py ROOT: runs every ```sh block of README.md and docs/*.md (what
works on a fresh Linux clone; the rest is ```bash, ```bat or ```powershell) in a
fresh copy of the sources, its release build on the PATH; each must exit with 0.
The test command (cmake --workflow), which runs this check, is left out, and the
copy is built without the tests."""
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile

BLOCK = re.compile(r"^```sh\n(.*?)^```", re.M | re.S)
TEST_COMMAND = re.compile(r"^.*cmake --workflow.*$", re.M)
CMAKE = ('cmake() { [ "$*" != "--preset release" ] || set -- "$@" -DDXF2TKM_TESTS=OFF; '
         'command cmake "$@"; }\n')


def main(root):
    root, ran, failed = os.path.abspath(root), 0, 0
    with tempfile.TemporaryDirectory(prefix="docCommands-") as scratch:
        copy, skipped = os.path.join(scratch, "dxf2tkm"), ("build", ".git")
        shutil.copytree(root, copy, ignore=lambda at, names: skipped if at == root else [])
        release = os.path.join(copy, "build", "release")
        path = os.pathsep.join([release, os.environ["PATH"]])
        for page in ["README.md"] + sorted(glob.glob("docs/*.md", root_dir=root)):
            for block in BLOCK.findall(open(os.path.join(root, page), encoding="utf-8").read()):
                command = CMAKE + TEST_COMMAND.sub(": the test command is left out", block)
                run = subprocess.run(["bash", "-euo", "pipefail", "-c", command], cwd=copy,
                                     env=dict(os.environ, PATH=path), stdout=subprocess.PIPE,
                                     stderr=subprocess.STDOUT, text=True, timeout=600)  # fmt: skip
                ran, failed = ran + 1, failed + (run.returncode != 0)
                if run.returncode != 0:
                    print("FAILED (exit status %d) in %s:\n%s\n--- output:\n%s"
                          % (run.returncode, page, block, run.stdout[-4000:]))
    print("%d shell blocks run, %d failed" % (ran, failed))
    return 1 if failed or ran == 0 else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
