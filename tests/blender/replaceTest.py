# SPDX-License-Identifier: MIT
"""replaceTest.py ADDON [BLENDER]: the add-on's replace.py, its decisions (Windows' too)
and real files replaced, in plain Python or in headless Blender from its zip."""

import errno
import functools
import os
import pathlib
import pwd
import shutil
import stat
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
replace = None  # the module under test
FILE = stat.S_IFREG | 0o644
HIDDEN, ARCHIVE = stat.FILE_ATTRIBUTE_HIDDEN, stat.FILE_ATTRIBUTE_ARCHIVE


class ReplaceTest(unittest.TestCase):
    def test_decisions_on_old_brick_and_rename_errors(self):
        r = replace
        cases = [
            # (windows, mode, attributes, writable), decision
            ((True, None, 0, True), (r.WRITE, None)),
            ((True, FILE, stat.FILE_ATTRIBUTE_NORMAL, True), (r.WRITE, None)),
            ((True, FILE, HIDDEN | ARCHIVE | stat.FILE_ATTRIBUTE_TEMPORARY, True),
             (r.WRITE, HIDDEN | ARCHIVE)),
            ((True, FILE, stat.FILE_ATTRIBUTE_READONLY | HIDDEN, True), (r.READ_ONLY, None)),
            ((True, stat.S_IFDIR, stat.FILE_ATTRIBUTE_DIRECTORY, True), (r.FOLDER, None)),
            ((True, stat.S_IFCHR | 0o666, 0, True), (r.IN_PLACE, None)),
            ((False, stat.S_IFREG | 0o4750, 0, True), (r.WRITE, 0o4750)),
            ((False, stat.S_IFREG | 0o444, 0, False), (r.READ_ONLY, None)),
            ((False, stat.S_IFIFO | 0o644, 0, True), (r.IN_PLACE, None)),
        ]  # fmt: skip
        for arguments, decision in cases:
            self.assertEqual(r.decide(*arguments), decision, arguments)
        for code in (5, 32):  # access denied, sharing violation: about a second
            decisions = [r.decide(True, None, rename_error=code, attempt=n) for n in range(1, 21)]
            self.assertEqual(decisions, [(r.RETRY, None)] * 19 + [(r.GIVE_UP, None)])
        for windows, code in ((True, 2), (True, 183), (False, errno.EACCES), (False, errno.EBUSY)):
            self.assertEqual(r.decide(windows, None, rename_error=code), (r.GIVE_UP, None))
        self.assertAlmostEqual((r.MAX_RENAME_ATTEMPTS - 1) * r.RENAME_RETRY_SECONDS, 1, delta=0.1)

    def test_whole_or_not_at_all(self):
        folder = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, folder)
        at = functools.partial(os.path.join, folder)
        source, target = at("source"), at("arch.tkm")
        pathlib.Path(source).write_bytes(b"new\r\n")
        pathlib.Path(target).write_bytes(b"old")
        self.assertRaises(FileNotFoundError, replace.replace_file, at("missing"), target)
        os.mkdir(at("folder.tkm"))
        self.assertRaises(IsADirectoryError, replace.replace_file, source, at("folder.tkm"))
        os.chmod(target, 0o444)
        child = os.fork()
        if child == 0:  # exits with 0 when refused by name
            try:
                if os.geteuid() == 0:  # permissions bind root only as another user
                    nobody = pwd.getpwnam("nobody")
                    os.chown(folder, nobody.pw_uid, nobody.pw_gid)
                    os.setgid(nobody.pw_gid)
                    os.setuid(nobody.pw_uid)
                replace.replace_file(source, target)
            except PermissionError as error:
                os._exit(0 if str(error) == "arch.tkm is read-only" else 1)
            finally:
                os._exit(2)
        self.assertEqual(os.waitpid(child, 0)[1], 0, "a read-only brick not refused by name")
        self.assertEqual(pathlib.Path(target).read_bytes(), b"old")
        os.chmod(target, 0o640)
        os.symlink("arch.tkm", at("link.tkm"))
        replace.replace_file(source, at("link.tkm"))
        self.assertEqual(os.readlink(at("link.tkm")), "arch.tkm")
        self.assertEqual(stat.S_IMODE(os.stat(target).st_mode), 0o640)
        replace.replace_file(source, os.devnull)
        self.assertTrue(stat.S_ISCHR(os.stat(os.devnull).st_mode))
        self.assertEqual(pathlib.Path(target).read_bytes(), b"new\r\n")
        self.assertEqual(sorted(os.listdir(folder)), "arch.tkm folder.tkm link.tkm source".split())


if __name__ == "__main__":
    if "--" in sys.argv:  # in Blender
        import exportScenes

        exportScenes.install_addon(sys.argv[-1])
        replace = sys.modules[exportScenes.ADDON_MODULE].replace
    elif len(sys.argv) > 2:  # the Blender that DXF2TKM_BLENDER names
        import checkScenes

        with tempfile.TemporaryDirectory() as scratch:
            packed = checkScenes.zip_package(sys.argv[1], os.path.join(scratch, "addon.zip"))
            sys.exit(checkScenes.run_blender(os.path.abspath(__file__), [packed], scratch))
    else:
        sys.path.insert(0, sys.argv[1])
        import replace
    unittest.main(argv=["replaceTest"], verbosity=2)
