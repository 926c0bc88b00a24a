"""How the add-on replaces the chosen brick file (io_export_tkm/replace.py).

replaceTest.py ADDON            in plain Python: the decisions, Windows' included,
                                and real files replaced on this system
replaceTest.py ADDON blender    the same in the real Blender, headless, with the
                                add-on installed from its zip (77: no Blender)
"""

import errno
import importlib.util
import os
import pwd
import shutil
import stat
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
replace = None  # the module under test
FILE = stat.S_IFREG | 0o644
HIDDEN = stat.FILE_ATTRIBUTE_HIDDEN
ARCHIVE = stat.FILE_ATTRIBUTE_ARCHIVE


class DecisionTest(unittest.TestCase):
    def test_old_brick_and_rename_errors(self):
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
        self.assertAlmostEqual((r.MAX_RENAME_ATTEMPTS - 1) * r.RENAME_RETRY_SECONDS, 1, delta=0.1)
        for windows, code in ((True, 2), (True, 183), (False, errno.EACCES), (False, errno.EBUSY)):
            self.assertEqual(r.decide(windows, None, rename_error=code), (r.GIVE_UP, None))


class ReplacementTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp()
        self.source = self.path("source", b"new\r\n")
        self.target = self.path("arch.tkm", b"old")

    def tearDown(self):
        shutil.rmtree(self.folder)

    def path(self, name, content=None):
        path = os.path.join(self.folder, name)
        if content is not None:
            with open(path, "wb") as out:
                out.write(content)
        return path

    def assertFolder(self, target_content, *names):
        with open(self.target, "rb") as brick:
            self.assertEqual(brick.read(), target_content)
        self.assertEqual(sorted(os.listdir(self.folder)), sorted(("arch.tkm", "source") + names))

    def test_whole_or_not_at_all(self):
        with self.assertRaises(FileNotFoundError):
            replace.replace_file(self.path("missing"), self.target)
        os.mkdir(self.path("folder.tkm"))
        with self.assertRaises(IsADirectoryError):
            replace.replace_file(self.source, self.path("folder.tkm"))
        self.assertFolder(b"old", "folder.tkm")
        os.chmod(self.target, 0o640)
        os.symlink("arch.tkm", self.path("link.tkm"))
        replace.replace_file(self.source, self.path("link.tkm"))
        self.assertEqual(os.readlink(self.path("link.tkm")), "arch.tkm")
        self.assertEqual(stat.S_IMODE(os.stat(self.target).st_mode), 0o640)
        replace.replace_file(self.source, os.devnull)
        self.assertTrue(stat.S_ISCHR(os.stat(os.devnull).st_mode))
        self.assertFolder(b"new\r\n", "folder.tkm", "link.tkm")

    def test_read_only_brick_is_refused_by_name(self):
        os.chmod(self.target, 0o444)
        if os.geteuid() == 0:  # permissions bind root's programs only as another user
            nobody = pwd.getpwnam("nobody")
            os.chown(self.folder, nobody.pw_uid, nobody.pw_gid)
            child = os.fork()
            if child == 0:
                os.setgid(nobody.pw_gid)
                os.setuid(nobody.pw_uid)
                os._exit(0 if self.refusal() == "arch.tkm is read-only" else 1)
            self.assertEqual(os.waitpid(child, 0)[1], 0, "not refused as the user nobody")
        else:
            self.assertEqual(self.refusal(), "arch.tkm is read-only")
        self.assertFolder(b"old")

    def refusal(self):
        try:
            replace.replace_file(self.source, self.target)
        except PermissionError as error:
            return str(error)


def run_tests():
    suite = unittest.defaultTestLoader.loadTestsFromModule(sys.modules[__name__])
    return unittest.TextTestRunner(verbosity=2).run(suite).wasSuccessful()


def run_in_blender(addon):
    blender = shutil.which("blender")
    if blender is None:
        print("SKIPPED: needs blender (Debian package blender)")
        return 77
    sys.path.insert(0, HERE)
    import checkScenes

    with tempfile.TemporaryDirectory() as scratch:
        packed = checkScenes.zip_package(addon, os.path.join(scratch, "addon.zip"))
        env = dict(os.environ, BLENDER_USER_SCRIPTS=os.path.join(scratch, "userScripts"))
        command = [blender, "--background", "--factory-startup", "--python-exit-code", "1"]
        command += ["--python", os.path.abspath(__file__), "--", packed]
        done = subprocess.run(command, env=env, timeout=checkScenes.BLENDER_TIMEOUT_SECONDS)
    return done.returncode


if __name__ == "__main__":
    if "--" in sys.argv:  # in Blender
        import addon_utils
        import bpy

        bpy.ops.preferences.addon_install(filepath=sys.argv[sys.argv.index("--") + 1])
        replace = addon_utils.enable("io_export_tkm", default_set=True).replace
        if not run_tests():
            raise RuntimeError("the replacement tests failed in Blender")
    elif sys.argv[2:] == ["blender"]:
        sys.exit(run_in_blender(sys.argv[1]))
    else:
        path = os.path.join(sys.argv[1], "replace.py")
        spec = importlib.util.spec_from_file_location("replace", path)
        replace = importlib.util.module_from_spec(spec)
        spec.loader.exec_module(replace)
        sys.exit(0 if run_tests() else 1)
