# SPDX-License-Identifier: MIT
"""addonReportTest.py ROOT: in plain Python, without Blender, the add-on's
reading of the converter's JSON report (brick_report.py) and the facts the
add-on shares with the converter (conventions.py against the C++ constants)."""

import importlib.util
import json
import os
import re
import sys
import unittest

ROOT = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "..")
ADDON = os.path.join(ROOT, "blender", "io_export_tkm")


def load(name):
    found = importlib.util.spec_from_file_location(name, os.path.join(ADDON, name + ".py"))
    module = importlib.util.module_from_spec(found)
    found.loader.exec_module(module)
    return module


def cpp_constant(header, name):
    with open(os.path.join(ROOT, "tkmConverter", header), encoding="utf-8") as source:
        text = source.read()
    found = re.search(r"constexpr \w+ %s = ([-0-9.]+)f?;" % name, text)
    return float(found.group(1))


class Model:
    imported_size_lines = []


def report_line(**fields):
    entry = {"format": 1, "model": "brick.obj", "written": True, "quads": 6, "coloured": 2,
             "collisionBoxes": 1, "size": [2, 2, 2], "messages": []}  # fmt: skip
    entry.update(fields)
    return json.dumps(entry)


def message(severity, code, text, advice=None):
    return {"severity": severity, "code": code, "line": None, "text": text, "advice": advice}


class BrickReportTest(unittest.TestCase):
    def test_figures_warnings_and_failure_from_the_report(self):
        report = load("brick_report")
        off = message("warning", "off-origin", "off the origin (...); move the model, or "
                      "convert with --place")
        cut = message("warning", "size-cut", "extent 2 2 2.5 is written as size 2 2 2, or "
                      "convert with --fit")
        bad = message("error", "bad-face", "ERROR: failed to read face on line 3", "export again")
        output = "noise\n" + report_line(messages=[off, cut, bad]) + "\r\n" + '{"format":1}\n'
        brick = report.read_report(output)
        self.assertEqual((brick.quad_count, brick.colored, brick.box_count, brick.size),
                         (6, 2, 1, [2, 2, 2]))  # fmt: skip
        self.assertEqual(report.converter_warnings(brick, Model()), [
            "off the origin (...); move the model, or turn on Place on Origin",
            "extent 2 2 2.5 is written as size 2 2 2, or turn on Round the size up",
            "failed to read face on line 3; export again",
        ])  # fmt: skip
        imported = Model()
        imported.imported_size_lines = [[2, 2, 2]]  # the cut was the imported brick's
        self.assertEqual(len(report.converter_warnings(brick, imported)), 2)

        fatal = message("fatal", "quad-limit", "ERROR: > 512 quads", "pair its triangles")
        failed = report.read_report(report_line(written=False, messages=[bad, fatal]))
        self.assertEqual(report.failure_lines(failed, ""), [
            "ERROR: > 512 quads; pair its triangles",
            "ERROR: failed to read face on line 3; export again",
        ])  # fmt: skip
        self.assertIsNone(report.read_report("ERROR: old converter\n"))
        self.assertEqual(report.failure_lines(None, "a\nb\nERROR: old converter\n")[-1],
                         "ERROR: old converter")  # fmt: skip


class ConventionsTest(unittest.TestCase):
    def test_limits_agree_with_the_converter(self):
        rules = load("conventions")
        for ours, theirs in (("MAX_FACES", "MAX_QUADS"), ("MAX_VERTICES", "MAX_VERTICES"),
                             ("MAX_COLLISION_BOXES", "MAX_COLLISION_BOXES"),
                             ("MAX_NORMALS", "MAX_VERTICES"), ("Z_SCALE", "Z_SCALE")):
            self.assertEqual(getattr(rules, ours), cpp_constant("meshStore.h", theirs), ours)
        self.assertEqual(-rules.COORDINATE_LIMIT, cpp_constant("meshStore.h", "UNSET_THRESHOLD"))


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
