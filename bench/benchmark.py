#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Times whole conversions of generated maximum-size models against a plain
copy of the same bytes, measured in the same run.

    bench/benchmark.py [PATH_TO_DXF2TKM] [--runs=N]
    bench/benchmark.py --models=FOLDER   (only writes the three maximum models)

For each model it prints the median time of the conversion (standard output
to a file) and of `cp`, run alternately, their ratio, the time per input line
and the peak resident memory of the conversion. Two reference rows come
first: `/bin/true` and `dxf2tkm --version` (the cost of starting a process).
The models hold numbers as exporters write them: six decimals, random signs.
"""
import os
import random
import statistics
import subprocess
import sys
import tempfile
import time

MAX_VERTICES = 4096
MAX_QUADS = 512


def coordinate(rng):
    return "%.6f" % rng.uniform(-40.0, 40.0)


def unit_vector(rng):
    while True:
        v = [rng.uniform(-1.0, 1.0) for _ in range(3)]
        length = sum(c * c for c in v) ** 0.5
        if 0.1 < length <= 1.0:
            return ["%.6f" % (c / length) for c in v]


def obj_model():
    rng = random.Random(14)
    lines = ["g BOUNDS", "f 1//1 2//1"]
    for box in range(10):
        lines += ["g COLLISION_%d" % box, "f 1//1 3//1"]
    for i in range(MAX_VERTICES):
        lines.append("v %s %s %s" % (coordinate(rng), coordinate(rng), coordinate(rng)))
    for i in range(MAX_VERTICES):
        lines.append("vn %s %s %s" % tuple(unit_vector(rng)))
    lines.append("g COLOR_200_100_50")
    for i in range(MAX_QUADS):
        a = 1 + (i * 7) % (MAX_VERTICES - 3)
        lines.append("f %d//%d %d//%d %d/1/%d %d//%d" % (a, a, a + 1, a + 1, a + 2, a + 2, a + 3,
                                                          a + 3))
    return lines


def rds_model():
    rng = random.Random(15)
    lines = ["Pmsh"]
    for i in range(MAX_VERTICES):
        lines += ["VerD", "Posn %s,%s,%s" % (coordinate(rng), coordinate(rng), coordinate(rng))]
    lines.append("PgSz 4")
    for i in range(MAX_QUADS):
        a = (i * 7) % (MAX_VERTICES - 3)
        lines.append("Pgon %d,%d,%d,%d" % (a, a + 1, a + 2, a + 3))
    return lines


def dxf_model():
    rng = random.Random(16)
    lines = ["  0", "SECTION", "  2", "ENTITIES"]
    for i in range(MAX_QUADS):
        lines += ["  0", "3DFACE", "  8", "0"]
        for corner in range(4):
            for axis in (1, 2, 3):
                lines += ["%3d" % (axis * 10 + corner), coordinate(rng)]
    return lines + ["  0", "ENDSEC", "  0", "EOF"]


def ignored_lines_model(count):
    lines = ["v 0 0 0", "v 1 0 0", "v 0 1 0", "f 1//1 2//1 3//1"]
    while len(lines) < count:
        lines.append("vt 0.%06d 0.5" % (len(lines) % 1000000))
        lines.append("# a comment that the reader skips")
    return lines[:count]


def timed_run(command, stdout_path):
    with open(stdout_path, "wb") as out:
        start = time.perf_counter()
        status = subprocess.run(command, stdout=out).returncode
        elapsed = time.perf_counter() - start
    if status != 0:
        sys.exit("failed: %s" % " ".join(command))
    return elapsed


def peak_memory_kib(command):
    """Peak resident memory of command, measured by GNU time in a process of
    its own (the benchmark's own memory must not count)."""
    if not os.path.exists("/usr/bin/time"):
        return 0
    result = subprocess.run(["/usr/bin/time", "-f", "%M"] + command,
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    return int(result.stderr.strip().splitlines()[-1])


def write_model(path, lines, line_end):
    with open(path, "w", newline="") as model:
        model.write(line_end.join(lines) + line_end)


def measure_reference(label, command, folder, runs):
    trace = os.path.join(folder, "trace.txt")
    times = [timed_run(command, trace) for _ in range(runs)]
    print("%-28s %15s %9.2f ms" % (label, "", statistics.median(times) * 1e3))


def measure(program, folder, name, lines, runs, line_end="\n"):
    path = os.path.join(folder, name)
    write_model(path, lines, line_end)
    trace = os.path.join(folder, "trace.txt")
    copy = os.path.join(folder, "copy.bin")
    convert_times, copy_times = [], []
    for _ in range(runs):
        convert_times.append(timed_run([program, path], trace))
        copy_times.append(timed_run(["cp", path, copy], os.devnull))
    peak = peak_memory_kib([program, path])
    convert = statistics.median(convert_times)
    plain = statistics.median(copy_times)
    print("%-28s %9d lines %9.2f ms %8.2f ms %6.2f %9.1f ns %7d KiB" % (
        name, len(lines), convert * 1e3, plain * 1e3, convert / plain,
        convert / len(lines) * 1e9, peak))


def write_maximum_models(folder):
    write_model(os.path.join(folder, "max.obj"), obj_model(), "\n")
    write_model(os.path.join(folder, "max.rds"), rds_model(), "\n")
    write_model(os.path.join(folder, "max.dxf"), dxf_model(), "\r\n")


def main():
    args = [a for a in sys.argv[1:] if not a.startswith("--")]
    runs = 61
    for a in sys.argv[1:]:
        if a.startswith("--runs="):
            runs = int(a.split("=", 1)[1])
        if a.startswith("--models="):
            write_maximum_models(a.split("=", 1)[1])
            return
    program = os.path.abspath(args[0] if args else "build/release/dxf2tkm")
    print("%-28s %15s %12s %11s %6s %12s %11s" % (
        "model", "size", "convert", "cp", "ratio", "per line", "peak RSS"))
    with tempfile.TemporaryDirectory() as folder:
        measure_reference("/bin/true", ["/bin/true"], folder, runs)
        measure_reference("dxf2tkm --version", [program, "--version"], folder, runs)
        measure(program, folder, "max.obj", obj_model(), runs)
        measure(program, folder, "max.rds", rds_model(), runs)
        measure(program, folder, "max.dxf", dxf_model(), runs, "\r\n")
        measure(program, folder, "ignored-100k.obj", ignored_lines_model(100000), max(5, runs // 4))
        measure(program, folder, "ignored-1M.obj", ignored_lines_model(1000000), max(3, runs // 7))


if __name__ == "__main__":
    main()
