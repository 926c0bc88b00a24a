"""How the add-on replaces the chosen brick file (io_export_tkm/replace.py).

replaceTest.py ADDON
    in plain Python: the decisions, Windows' attribute bits and error codes
    included, and the replacement of real files on this system.
replaceTest.py ADDON blender
    the same inside the real Blender, headless, with the module imported from
    the add-on as Blender installs it.

ADDON is the add-on's package folder. Exits with 77 after "SKIPPED: ..."
where Blender is not installed.
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
REGULAR = stat.S_IFREG | 0o644
HIDDEN = stat.FILE_ATTRIBUTE_HIDDEN
ARCHIVE = stat.FILE_ATTRIBUTE_ARCHIVE
READONLY = stat.FILE_ATTRIBUTE_READONLY


class DecisionTest(unittest.TestCase):
    def test_old_file_on_each_system(self):
        r = replace
        cases = [
            # windows, mode, attributes, writable, decision
            (True, None, 0, True, (r.WRITE, None)),
            (True, REGULAR, stat.FILE_ATTRIBUTE_NORMAL, True, (r.WRITE, None)),
            (True, REGULAR, HIDDEN | ARCHIVE | stat.FILE_ATTRIBUTE_TEMPORARY, True,
             (r.WRITE, HIDDEN | ARCHIVE)),
            (True, REGULAR, READONLY | HIDDEN, True, (r.READ_ONLY, None)),
            (True, stat.S_IFDIR | 0o777, stat.FILE_ATTRIBUTE_DIRECTORY, True, (r.FOLDER, None)),
            (True, stat.S_IFCHR | 0o666, 0, True, (r.IN_PLACE, None)),
            (False, None, 0, True, (r.WRITE, None)),
            (False, stat.S_IFREG | 0o4750, 0, True, (r.WRITE, 0o4750)),
            (False, stat.S_IFREG | 0o444, 0, False, (r.READ_ONLY, None)),
            (False, stat.S_IFDIR | 0o755, 0, True, (r.FOLDER, None)),
            (False, stat.S_IFIFO | 0o644, 0, True, (r.IN_PLACE, None)),
        ]  # fmt: skip
        for windows, mode, attributes, writable, decision in cases:
            with self.subTest(windows=windows, mode=mode, attributes=attributes):
                self.assertEqual(replace.decide(windows, mode, attributes, writable), decision)

    def test_held_open_rename_retried_for_about_a_second(self):
        r = replace
        for code in (5, 32):  # access denied, sharing violation
            decisions = [r.decide(True, None, rename_error=code, attempt=n) for n in range(1, 21)]
            self.assertEqual(decisions, [(r.RETRY, None)] * 19 + [(r.GIVE_UP, None)])
        waited = (r.MAX_RENAME_ATTEMPTS - 1) * r.RENAME_RETRY_SECONDS
        self.assertTrue(0.8 <= waited <= 1.2, waited)
        for windows, code in ((True, 2), (True, 183), (False, errno.EACCES), (False, errno.EBUSY)):
            self.assertEqual(r.decide(windows, None, rename_error=code), (r.GIVE_UP, None))


class ReplacementTest(unittest.TestCase):
    """Real files in a scratch folder; the old brick is "old", the new one
    "new brick"."""

    def setUp(self):
        self.folder = tempfile.mkdtemp()
        self.source = os.path.join(self.folder, "source")
        self.write(self.source, b"new brick\r\n")
        self.target = os.path.join(self.folder, "arch.tkm")

    def tearDown(self):
        shutil.rmtree(self.folder)

    def write(self, path, content):
        with open(path, "wb") as out:
            out.write(content)

    def read(self, path):
        with open(path, "rb") as brick:
            return brick.read()

    def assertOnlyFiles(self, *names):
        self.assertEqual(sorted(os.listdir(self.folder)), sorted(("source",) + names))

    def test_replaced_whole_with_its_permission_bits(self):
        replace.replace_file(self.source, self.target)
        self.write(self.target, b"old")
        os.chmod(self.target, 0o640)
        replace.replace_file(self.source, self.target)
        self.assertEqual(self.read(self.target), b"new brick\r\n")
        self.assertEqual(stat.S_IMODE(os.stat(self.target).st_mode), 0o640)
        self.assertOnlyFiles("arch.tkm")

    def test_failures_leave_the_old_brick_and_nothing_else(self):
        self.write(self.target, b"old")
        with self.assertRaises(FileNotFoundError):
            replace.replace_file(self.source + "-missing", self.target)
        self.assertEqual(self.read(self.target), b"old")
        os.mkdir(os.path.join(self.folder, "folder.tkm"))
        with self.assertRaises(IsADirectoryError):
            replace.replace_file(self.source, os.path.join(self.folder, "folder.tkm"))
        self.assertOnlyFiles("arch.tkm", "folder.tkm")

    def test_read_only_brick_is_refused_by_name(self):
        self.write(self.target, b"old")
        os.chmod(self.target, 0o444)
        if os.geteuid() != 0:
            self.assertEqual(self.refusal(), "arch.tkm is read-only")
        else:  # permissions bind root's programs only as another user
            nobody = pwd.getpwnam("nobody")
            os.chown(self.folder, nobody.pw_uid, nobody.pw_gid)
            os.chown(self.target, nobody.pw_uid, nobody.pw_gid)
            child = os.fork()
            if child == 0:
                os.setgid(nobody.pw_gid)
                os.setuid(nobody.pw_uid)
                os._exit(0 if self.refusal() == "arch.tkm is read-only" else 1)
            self.assertEqual(os.waitpid(child, 0)[1], 0, "not refused as the user nobody")
        self.assertEqual(self.read(self.target), b"old")
        self.assertOnlyFiles("arch.tkm")

    def refusal(self):
        try:
            replace.replace_file(self.source, self.target)
        except PermissionError as error:
            return str(error)
        return None

    def test_link_and_device_stay_what_they_are(self):
        os.mkdir(os.path.join(self.folder, "bricks"))
        self.write(os.path.join(self.folder, "bricks", "arch.tkm"), b"old")
        os.symlink(os.path.join("bricks", "arch.tkm"), self.target)
        replace.replace_file(self.source, self.target)
        self.assertEqual(os.readlink(self.target), os.path.join("bricks", "arch.tkm"))
        self.assertEqual(self.read(self.target), b"new brick\r\n")
        replace.replace_file(self.source, os.devnull)
        self.assertTrue(stat.S_ISCHR(os.stat(os.devnull).st_mode))
        self.assertOnlyFiles("arch.tkm", "bricks")


def load_from_folder(addon):
    spec = importlib.util.spec_from_file_location("replace", os.path.join(addon, "replace.py"))
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


def run_tests():
    suite = unittest.defaultTestLoader.loadTestsFromModule(sys.modules[__name__])
    return unittest.TextTestRunner(verbosity=2).run(suite).wasSuccessful()


def run_in_blender(addon):
    """Installs the add-on zipped in a scratch user folder and runs this
    file's tests in Blender against its module."""
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


def main_in_blender(packed):
    import addon_utils
    import bpy

    global replace
    bpy.ops.preferences.addon_install(filepath=packed)
    if addon_utils.enable("io_export_tkm", default_set=True) is None:
        raise RuntimeError("the add-on could not be enabled")
    replace = sys.modules["io_export_tkm"].replace
    if not run_tests():
        raise RuntimeError("replacement tests failed in Blender")


if __name__ == "__main__":
    if "--" in sys.argv:  # inside Blender
        main_in_blender(sys.argv[sys.argv.index("--") + 1])
    elif sys.argv[2:] == ["blender"]:
        sys.exit(run_in_blender(sys.argv[1]))
    else:
        replace = load_from_folder(sys.argv[1])
        sys.exit(0 if run_tests() else 1)
