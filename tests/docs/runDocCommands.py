#!/usr/bin/env python3
"""Runs the shell commands of the documentation as a reader would, in a fresh
copy of the sources: every ```sh block of README.md and docs/*.md, one after
the other, each from the copy's top folder; each must exit with 0.

    runDocCommands.py ROOT

A ```sh block holds commands that work on a fresh clone on Linux: building,
converting and previewing the examples. Examples for other systems or that
take long are written as ```bash, ```bat or ```powershell and are not run.
Two things differ from a reader's run, to keep the check short: the test
command (cmake --workflow), which is what runs this check, is left out, and
the release preset is configured without the tests, so that the copy builds
only the programs. dxf2tkm and tkmpreview on the PATH are the copy's release
build, as for a reader who installed them.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

BLOCK = re.compile(r"^```sh\n(.*?)^```", re.M | re.S)
LEFT_OUT = ("build", ".git")
BLOCK_TIMEOUT_SECONDS = 600

# cmake as the blocks see it: the release preset without the tests.
CMAKE_WRAPPER = """#!/bin/sh
if [ "$1" = --preset ] && [ "$2" = release ] && [ $# -eq 2 ]; then
    exec "{cmake}" --preset release -DDXF2TKM_TESTS=OFF
fi
exec "{cmake}" "$@"
"""


def documentation(root):
    pages = [os.path.join(root, "README.md")]
    docs = os.path.join(root, "docs")
    pages += sorted(os.path.join(docs, name) for name in os.listdir(docs) if name.endswith(".md"))
    return pages


def shell_blocks(page):
    with open(page, encoding="utf-8") as text:
        return BLOCK.findall(text.read())


def without_test_command(block):
    return "\n".join(
        ": the test command is left out" if "cmake --workflow" in line else line
        for line in block.splitlines()
    )


def scratch_copy(root, scratch):
    copy = os.path.join(scratch, "dxf2tkm")
    shutil.copytree(root, copy, ignore=lambda folder, names: [
        n for n in names if folder == root and n in LEFT_OUT])
    tools = os.path.join(scratch, "tools")
    os.mkdir(tools)
    wrapper = os.path.join(tools, "cmake")
    with open(wrapper, "w") as script:
        script.write(CMAKE_WRAPPER.format(cmake=shutil.which("cmake")))
    os.chmod(wrapper, 0o755)
    release = os.path.join(copy, "build", "release")
    path = os.pathsep.join([tools, release, os.path.join(release, "tkmPreview"),
                            os.environ.get("PATH", "")])
    return copy, dict(os.environ, PATH=path)


def run_block(copy, environment, page, block):
    result = subprocess.run(["bash", "-euo", "pipefail", "-c", without_test_command(block)],
                            cwd=copy, env=environment, stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT, text=True, timeout=BLOCK_TIMEOUT_SECONDS)
    if result.returncode != 0:
        print("FAILED (exit status %d) in %s:\n%s\n--- output:\n%s"
              % (result.returncode, page, block, result.stdout[-4000:]))
    return result.returncode == 0


def main():
    root = os.path.abspath(sys.argv[1])
    with tempfile.TemporaryDirectory(prefix="docCommands-") as scratch:
        copy, environment = scratch_copy(root, scratch)
        ran = failed = 0
        for page in documentation(root):
            for block in shell_blocks(page):
                ran += 1
                if not run_block(copy, environment, os.path.relpath(page, root), block):
                    failed += 1
    print("%d shell blocks run, %d failed" % (ran, failed))
    return 1 if failed or ran == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
