# SPDX-License-Identifier: GPL-3.0-or-later
# The programs the add-on carries in its bin folder (dxf2tkm, tkmpreview), as
# the platform's add-on zip packs them, and how the add-on runs a program on a
# file.

import os
import stat
import subprocess
import sys

BIN_FOLDER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "bin")
EXECUTABLE_SUFFIX = ".exe" if sys.platform == "win32" else ""


def bundled_program(name):
    """The full path of the carried program name, ready to run, or None
    when the add-on carries none (installed from the source folder).
    Blender unpacks an add-on zip without the files' permission bits, so
    the program is made executable here the first time."""
    path = os.path.join(BIN_FOLDER, name + EXECUTABLE_SUFFIX)
    if not os.path.isfile(path):
        return None
    if not os.access(path, os.X_OK):
        try:
            mode = os.stat(path).st_mode
            os.chmod(path, mode | stat.S_IXUSR | stat.S_IXGRP | stat.S_IXOTH)
        except OSError:
            pass  # running it then fails with the reason
    return path


def run_on_file(program, options, path, timeout):
    """Runs program with options on the file path and returns the finished
    process (its output as bytes). The program is given the file's bare name
    and runs in the file's folder, so that the folder's path (which may hold
    any character) never passes through its command line. Raises OSError or
    subprocess.TimeoutExpired."""
    return subprocess.run(
        [program, *options, os.path.basename(path)],
        cwd=os.path.dirname(os.path.abspath(path)),
        creationflags=getattr(subprocess, "CREATE_NO_WINDOW", 0),  # Windows
        stdin=subprocess.DEVNULL,
        capture_output=True,
        timeout=timeout,
    )
