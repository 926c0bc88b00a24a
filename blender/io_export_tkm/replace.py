# SPDX-License-Identifier: GPL-3.0-or-later
# Replacing the chosen brick file whole, as the converter replaces its own.
#
# The new content goes to a temporary beside the target, which is renamed over
# it: an old brick is either left as it was or replaced whole, and nothing is
# left behind. A read-only old brick or a folder is refused before anything is
# written; a device is written in place, never replaced; a symbolic link keeps
# pointing to the file it names, which is replaced (on Windows, as with the
# converter, the link itself is replaced). The new brick keeps the old one's
# permission bits, and on Windows its hidden, system, archive and
# not-content-indexed attributes; there a rename that another program's open
# handle blocks (a virus scanner, the game) is tried again for about a second.
#
# Every decision is made by decide(), on the old file's mode, attribute bits
# and error codes alone, so that it can be tested on any system.

import errno
import itertools
import os
import shutil
import stat
import time
import uuid

WINDOWS = os.name == "nt"

# Windows' attributes that the new brick takes over from the old one.
KEPT_ATTRIBUTES = (
    stat.FILE_ATTRIBUTE_HIDDEN
    | stat.FILE_ATTRIBUTE_SYSTEM
    | stat.FILE_ATTRIBUTE_ARCHIVE
    | stat.FILE_ATTRIBUTE_NOT_CONTENT_INDEXED
)
# Windows' errors of a rename onto a file that another program holds open:
# ERROR_ACCESS_DENIED and ERROR_SHARING_VIOLATION.
HELD_OPEN_ERRORS = (5, 32)
MAX_RENAME_ATTEMPTS = 20
RENAME_RETRY_SECONDS = 0.05

# What decide() tells replace_file to do.
WRITE = "write"  # through a temporary, giving it the bits that come with it
IN_PLACE = "in place"  # a device: written, never replaced
READ_ONLY = "read-only"  # refused
FOLDER = "folder"  # refused
RETRY = "retry"  # the rename, after a moment
GIVE_UP = "give up"


class ReadOnlyError(PermissionError):
    """An old brick that may not be written, named in the message."""

    def __str__(self):
        return "%s is read-only" % os.path.basename(self.filename)


def decide(windows, mode, attributes=0, writable=True, rename_error=None, attempt=1):
    """What replace_file does next.

    Before writing: mode is the old target's st_mode (None when there is
    none), attributes its Windows attribute bits, writable whether this user
    may write it. Returns (WRITE, bits), bits being the Windows attributes or
    the permission bits the new file takes over (None: nothing to take over),
    or (IN_PLACE, None), (READ_ONLY, None) or (FOLDER, None).

    After a failed rename: rename_error is its Windows error code (errno
    elsewhere), attempt the number of renames tried. Returns (RETRY, None) or
    (GIVE_UP, None).
    """
    if rename_error is not None:
        held_open = windows and rename_error in HELD_OPEN_ERRORS
        return (RETRY if held_open and attempt < MAX_RENAME_ATTEMPTS else GIVE_UP), None
    if mode is None:
        return WRITE, None
    if stat.S_ISDIR(mode):
        return FOLDER, None
    if not stat.S_ISREG(mode):
        return IN_PLACE, None
    if windows:
        if attributes & stat.FILE_ATTRIBUTE_READONLY:
            return READ_ONLY, None
        return WRITE, (attributes & KEPT_ATTRIBUTES) or None
    if not writable:
        return READ_ONLY, None
    return WRITE, stat.S_IMODE(mode)


def replace_file(source, target):
    """Puts a copy of source at target in one step: an existing target is
    either left as it was or replaced whole. Raises OSError, leaving no
    temporary behind."""
    if not WINDOWS:
        target = os.path.realpath(target)
    try:
        old = os.stat(target)
    except FileNotFoundError:
        old = None
    action, bits = decide(
        WINDOWS,
        old.st_mode if old else None,
        getattr(old, "st_file_attributes", 0),
        old is None or os.access(target, os.W_OK),
    )
    if action == FOLDER:
        raise IsADirectoryError(errno.EISDIR, "is a folder", target)
    if action == READ_ONLY:
        raise ReadOnlyError(errno.EACCES, "is read-only", target)
    if action == IN_PLACE:
        with open(source, "rb") as brick, open(target, "wb") as out:
            shutil.copyfileobj(brick, out)
        return
    folder = os.path.dirname(os.path.abspath(target))
    part = os.path.join(folder, ".%s.%s.part" % (os.path.basename(target), uuid.uuid4().hex))
    try:
        # Created like any new file (the umask applies), never over another.
        flags = os.O_WRONLY | os.O_CREAT | os.O_EXCL | getattr(os, "O_BINARY", 0)
        with os.fdopen(os.open(part, flags, 0o666), "wb") as out:
            with open(source, "rb") as brick:
                shutil.copyfileobj(brick, out)
        if bits is not None:
            give_bits(part, bits)
        move_over(part, target)
    except BaseException:
        if os.path.lexists(part):
            os.remove(part)
        raise


def give_bits(path, bits):
    """Gives path the Windows attributes or the permission bits bits."""
    if not WINDOWS:
        os.chmod(path, bits)
        return
    import ctypes

    if not ctypes.windll.kernel32.SetFileAttributesW(path, bits):
        raise ctypes.WinError()


def move_over(part, target):
    for attempt in itertools.count(1):
        try:
            os.replace(part, target)
            return
        except OSError as error:
            code = getattr(error, "winerror", None) or error.errno
            if decide(WINDOWS, None, rename_error=code, attempt=attempt)[0] == GIVE_UP:
                raise
        time.sleep(RENAME_RETRY_SECONDS)
