#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Counts the instructions of whole conversions with valgrind's callgrind:
repeatable figures, whatever else the machine is doing.

    bench/instructions.py PATH_TO_DXF2TKM [--models=N] [--base=PATH_TO_OLD_DXF2TKM]

For each of the three maximum models (bench/benchmark.py writes them): one
model alone, and N copies of it in one run against N runs of one (the cost
of running several models in one process; 1.00 means none). With --base the
same for an older build, and the change.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))


def instructions(program, arguments, folder):
    out = os.path.join(folder, "callgrind.out")
    done = subprocess.run(
        ["valgrind", "--tool=callgrind", "--callgrind-out-file=" + out, program, *arguments],
        cwd=folder, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True, check=False)
    os.remove(out)
    return int(re.search(r"Collected : (\d+)", done.stderr).group(1))


def main(argv):
    options = dict(a.split("=", 1) for a in argv[2:] if a.startswith("--"))
    programs = [("new", os.path.abspath(argv[1]))]
    if "--base" in options:
        programs.insert(0, ("base", os.path.abspath(options["--base"])))
    copies = int(options.get("--models", "2"))
    with tempfile.TemporaryDirectory() as folder:
        subprocess.run([sys.executable, os.path.join(HERE, "benchmark.py"), "--models=" + folder],
                       check=True, stdout=subprocess.DEVNULL)
        print("%-8s %-5s %12s %14s %6s" % ("model", "build", "one", "%d in one run" % copies, "ratio"))
        for model in ("max.obj", "max.rds", "max.dxf"):
            names = [model]
            for k in range(1, copies):
                name = "copy%d%s" % (k, os.path.splitext(model)[1])
                shutil.copy(os.path.join(folder, model), os.path.join(folder, name))
                names.append(name)
            for label, program in programs:
                one = instructions(program, [model], folder)
                several = instructions(program, names, folder)
                print("%-8s %-5s %12d %14d %6.3f" % (model, label, one, several,
                                                     several / (copies * one)))


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    main(sys.argv)
