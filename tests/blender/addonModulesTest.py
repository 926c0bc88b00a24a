# SPDX-License-Identifier: MIT
"""addonModulesTest.py ADDON: the add-on's modules that need no Blender (the colour
rule, the report's advice, the carried programs and the zip for another system),
in plain Python."""

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
from io_export_tkm import brick_report, bundled, conventions  # noqa: E402


class AdviceTest(unittest.TestCase):
    def test_material_colours_and_bounds_warnings(self):
        cases = [
            (conventions.chosen_color_group((0.8, 0.8, 0.8, 1.0)), None),  # a new material's
            (conventions.chosen_color_group((1.0, 0.2158605, 0.0, 1.0)), "COLOR_255_128_0_255"),
            (brick_report.material_colours_warning({"Red plastic": "COLOR_255_0_0_255"}),
             "Material Colours is off, so the faces of material 'Red plastic' "
             "(COLOR_255_0_0_255) take the player's paint colour, not the material's; turn on "
             "Material Colours in the export's options, or name the material by its colour"),
            (brick_report.material_colours_warning(dict.fromkeys("ABCDE", "C")).split(" take")[0],
             "Material Colours is off, so the faces of materials 'A' (C), 'B' (C), 'C' (C) and "
             "2 more"),
            (brick_report.bounds_warning(["BOUNDS.001", "BOUNDS"]),
             "2 BOUNDS objects ('BOUNDS' and 'BOUNDS.001'): the brick's extent is the box around "
             "them all; keep one (a brick imported beside another brings its own BOUNDS.001)"),
        ]  # fmt: skip
        for said, wanted in cases:
            self.assertEqual(said, wanted)


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
