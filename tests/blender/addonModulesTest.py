# SPDX-License-Identifier: MIT
"""addonModulesTest.py ADDON: what needs no Blender of the programs the add-on runs
(as its preferences name them) and of the zip for another system, in plain Python.
The warnings are checked in Blender (checkScenes.py)."""

import os
import sys
import tempfile
import types
import unittest
from unittest import mock

# The package without its __init__, which needs Blender.
package = types.ModuleType("io_export_tkm")
package.__path__ = [sys.argv[1]]
sys.modules["io_export_tkm"] = package
from io_export_tkm import bundled  # noqa: E402


class ProgramsTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.at = lambda *names: os.path.join(self.folder.name, *names)
        os.makedirs(self.at("addon", "bin"))
        os.makedirs(self.at("built"))
        for path in (self.at("addon", "bin", "tkmpreview"), self.at("built", "tkmpreview")):
            open(path, "w").close()
            os.chmod(path, 0o755)

    def tearDown(self):
        self.folder.cleanup()

    def packed_for(self, platform, here):
        with open(self.at("addon", "blender_manifest.toml"), "w") as manifest:
            manifest.write('version = "1.2.3"\nplatforms = ["%s"]\n' % platform)
        return mock.patch.multiple(bundled, PACKAGE_FOLDER=self.at("addon"),
                                   BIN_FOLDER=self.at("addon", "bin"), EXECUTABLE_SUFFIX="",
                                   system_name=lambda: here)  # fmt: skip

    def test_zip_for_another_system_names_only_zips_that_exist(self):
        cases = [
            ("linux-x64", "linux-x64", None, True),
            ("linux-x64", "windows-x64",
             "this add-on zip is for linux-x64: install dxf2tkm-addon-1.2.3-windows-x64.zip",
             False),
            ("linux-x64", "macos-arm64",
             "this add-on zip is for linux-x64, and none is made for macos-arm64: build dxf2tkm "
             "and tkmpreview from source (see the README) and set their paths in the add-on's "
             "preferences", False),
        ]  # fmt: skip
        for platform, here, hint, runs_carried in cases:
            with self.packed_for(platform, here):
                self.assertEqual(bundled.other_system_hint(), hint, here)
                self.assertEqual(bundled.bundled_program("tkmpreview") is not None, runs_carried)

    def test_preview_program_as_the_preferences_name_it(self):
        built, elsewhere = self.at("built", "tkmpreview"), self.at("built", "dxf2tkm")
        cases = [
            # (this system, preview setting, converter setting), found; the zip is Linux's
            (("linux-x64", "tkmpreview", "dxf2tkm"), self.at("addon", "bin", "tkmpreview")),
            (("macos-arm64", "tkmpreview", "dxf2tkm"), None),
            (("macos-arm64", "", elsewhere), built),  # beside the converter
            (("macos-arm64", "tkmpreview", '"%s"' % elsewhere), built),
            (("linux-x64", '"%s"' % built, "dxf2tkm"), built),
            (("linux-x64", self.at("missing", "tkmpreview"), "dxf2tkm"), None),
        ]
        for (here, setting, converter), found in cases:
            with self.packed_for("linux-x64", here):
                with mock.patch.dict(os.environ, PATH=self.at("addon")):
                    self.assertEqual(bundled.preview_program(setting, converter), found, setting)


if __name__ == "__main__":
    unittest.main(argv=["addonModulesTest"], verbosity=2)
