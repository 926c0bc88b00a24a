# SPDX-License-Identifier: GPL-3.0-or-later
# The programs the add-on carries in its bin folder (dxf2tkm, tkmpreview), as
# the platform's add-on zip packs them, and how the add-on runs a program on a
# file.

import os
import platform
import re
import shutil
import stat
import subprocess
import sys
import tempfile

PACKAGE_FOLDER = os.path.dirname(os.path.abspath(__file__))
BIN_FOLDER = os.path.join(PACKAGE_FOLDER, "bin")
EXECUTABLE_SUFFIX = ".exe" if sys.platform == "win32" else ""
EXECUTE_BITS = stat.S_IXUSR | stat.S_IXGRP | stat.S_IXOTH
# The systems an add-on zip is made for; elsewhere (macOS, ARM) the programs
# are built from source and named in the add-on's preferences.
PACKED_SYSTEMS = ("linux-x64", "windows-x64")
DEFAULT_PREVIEW = "tkmpreview" + EXECUTABLE_SUFFIX


# Where carried programs that cannot be made executable in place run from.
RUN_COPIES = []


def bundled_program(name):
    """The full path of the carried program name, ready to run, or None
    when the add-on carries none (installed from the source folder).
    Blender unpacks an add-on zip without the files' permission bits, so
    the program is made executable here the first time; where its folder
    is not writable (a system-wide install) a copy in a folder of the user's
    runs instead."""
    path = os.path.join(BIN_FOLDER, name + EXECUTABLE_SUFFIX)
    if not os.path.isfile(path) or other_system_hint():
        return None  # another system's programs (Linux ones on macOS) do not run here
    if os.access(path, os.X_OK):
        return path
    try:
        os.chmod(path, os.stat(path).st_mode | EXECUTE_BITS)
        return path
    except OSError:
        return executable_copy(path)


def executable_copy(path):
    """An executable copy of path in a temporary folder of this session;
    path itself when even that fails (running it then says why)."""
    try:
        if not RUN_COPIES:
            RUN_COPIES.append(tempfile.mkdtemp(prefix="tkm-programs-"))
        copy = os.path.join(RUN_COPIES[0], os.path.basename(path))
        made = os.open(copy, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o700)  # executable as made
        with os.fdopen(made, "wb") as out, open(path, "rb") as carried:
            shutil.copyfileobj(carried, out)
        return copy
    except OSError:
        return path


def system_name():
    """This system as the add-on zips are named: linux-x64, windows-x64, ..."""
    system = {"win32": "windows", "darwin": "macos"}.get(sys.platform, sys.platform)
    machine = platform.machine().lower()
    return "%s-%s" % (system, "x64" if machine in ("x86_64", "amd64") else machine)


def other_system_hint():
    """When the add-on came from a zip for another system (its programs do
    not run here): which zip to install instead, or where there is none, how
    to get the programs; else None."""
    try:
        with open(os.path.join(PACKAGE_FOLDER, "blender_manifest.toml"), encoding="utf-8") as toml:
            manifest = toml.read()
    except OSError:
        return None
    version = re.search(r'^version = "([^"]*)"', manifest, re.M)
    packed_for = re.search(r'^platforms = \["([^"]*)"\]', manifest, re.M)
    here = system_name()
    if not version or not packed_for or packed_for.group(1) == here:
        return None
    if here not in PACKED_SYSTEMS:
        return (
            "this add-on zip is for %s, and none is made for %s: build dxf2tkm and tkmpreview "
            "from source (see the README) and set their paths in the add-on's preferences"
            % (packed_for.group(1), here)
        )
    return "this add-on zip is for %s: install dxf2tkm-addon-%s-%s.zip" % (
        packed_for.group(1), version.group(1), here)


def preview_program(setting, converter_setting=""):
    """The full path of tkmpreview as the preference setting names it, or
    None. Its default name means the carried program, else one beside the
    converter the preferences name by its path, else tkmpreview on the PATH;
    a path is taken as it is, another name looked up on the PATH."""
    setting = os.path.expanduser(setting.strip().strip("\"'"))
    if setting in ("", DEFAULT_PREVIEW):
        converter = os.path.expanduser(converter_setting.strip().strip("\"'"))
        beside = os.path.join(os.path.dirname(converter), DEFAULT_PREVIEW)
        if bundled_program("tkmpreview"):
            return bundled_program("tkmpreview")
        if os.path.dirname(converter) and os.path.isfile(beside):
            return os.path.abspath(beside)
        return shutil.which("tkmpreview")
    if os.path.dirname(setting):
        return os.path.abspath(setting) if os.path.isfile(setting) else None
    return shutil.which(setting)


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
