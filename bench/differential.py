#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Differential check of two builds of dxf2tkm: every input must give the same
standard output, exit status and brick bytes (and no other file) with both.

    bench/differential.py OLD_PROGRAM NEW_PROGRAM [--corpus=FOLDER] [--generated=N]
                          [--seed=S] [--jobs=J]
    bench/differential.py OLD_PROGRAM --node=MODULE [...]

With --node, the new side is the page's core built for node (MODULE, the web
preset's build/web/web/dxf2tkmNode.js), loaded once by bench/nodeCore.cjs,
which converts every input in turn in that one process.

The inputs: the fuzzers' corpora (FOLDER, by default build/fuzz/run/corpus, as
fuzz/runFuzzers.sh leaves them: one folder per target), the models under tests/
and examples/, and N generated models per format (default 3400) whose numbers
are written awkwardly: signs, exponents, hexadecimal, inf and nan, overlong
digits, the ends of the float range, float midpoints and ties in the sixth
decimal. Exits with 1 and shows the first differences when any input differs.
"""
import concurrent.futures
import decimal
import os
import random
import struct
import subprocess
import sys
import tempfile
import threading
import base64
import json

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
EXTENSIONS = ("obj", "rds", "dxf")
CORPUS_FORMATS = {"fuzzObjReader": "obj", "fuzzRdsReader": "rds", "fuzzDxfReader": "dxf"}
CONVERSION_FORMATS = ("rds", "obj", "dxf")  # fuzzConversion: first byte modulo 3

FIXED_TEXTS = [
    "0", "-0", "+0", "-0.0", "0.000000", "+.5", "-.5", "5.", "-5.e1", ".", "-", "+", "",
    "1e5", "1E-5", "1e+38", "1e39", "-1e39", "1e-38", "1e-45", "1e-46", "7e-46", "1e400",
    "-1e-400", "1e0000000000000000000005", "1e", "1e+", "1e-x", "2E", "1.5e3.2",
    "0x1p3", "0X1.8P-2", "0x", "-0x", "0x1p-149", "0x1.fffffep127", "0x1p128", "0x.8", "00x1",
    "inf", "-inf", "+inf", "INF", "infinity", "-Infinity", "infx", "nan", "-nan", "NaN",
    "nan(123)", "nan(", "-NAN(x)", "in", "na",
    "3.4028235e38", "-3.4028235e38", "3.40282357e38", "3.4028236e38", "340282356779733661637539395458142568448",
    "1.17549435e-38", "1.1754942e-38", "1.4e-45", "1.401298464324817e-45", "7.006492321624085e-46",
    "0.0078125", "-0.0078125", "2.0078125", "1.4140625", "-25000.0078125", "0.0000005",
    "0.0000015", "-0.0000004", "1.0000005", "99999.9999995", "0.9999995",
    "0.1234567890123456789012345", "123456789012345678901234567890", "1" + "0" * 40,
    "0." + "0" * 50 + "1", "00000000000000000000000001.5", "9007199254740993", "16777217",
    "16777216.5", "33554435", "1e22", "1e23", "1e-22", "1e-23", "4.35e-10", "2147483648",
    "-2147483649", "12345678901234567890",
]


def float_bits(value):
    return struct.unpack("<I", struct.pack("<f", value))[0]


def float_of_bits(bits):
    return struct.unpack("<f", struct.pack("<I", bits))[0]


def midpoint_text(rng):
    """A decimal at, just below or just above the midpoint of two neighbouring
    floats, written with a random number of digits."""
    bits = rng.choice([rng.randrange(0x00800000, 0x7F7FFFFF), rng.randrange(1, 0x00800000),
                       rng.randrange(0x3E000000, 0x44000000)])
    low = decimal.Decimal(float_of_bits(bits))
    high = decimal.Decimal(float_of_bits(bits + 1))
    middle = (low + high) / 2
    digits = rng.choice([6, 8, 9, 12, 17, 20, 30, 60])
    with decimal.localcontext() as context:
        context.prec = digits
        text = str(+middle)
    nudge = rng.choice(["", "", "1", "0000001", "9"])
    if nudge and "E" not in text and "." in text:
        text += nudge
    return ("-" if rng.random() < 0.3 else "") + text.lower()


def tie_text(rng):
    """A multiple of 1/128 (a tie in the sixth decimal when odd), or a number
    that rounds at the sixth decimal."""
    if rng.random() < 0.5:
        value = rng.randrange(-400000, 400000, 1) / 128.0
        return repr(value)
    return "%.7f" % (rng.randrange(-10**9, 10**9) / 1e7)


def plain_text(rng):
    kind = rng.random()
    if kind < 0.4:
        return "%.6f" % rng.uniform(-100.0, 100.0)
    if kind < 0.6:
        return str(rng.randrange(-5000, 5000))
    if kind < 0.8:
        return "%.*e" % (rng.randrange(0, 12), rng.uniform(-1.0, 1.0) * 10 ** rng.randrange(-45, 40))
    return "%.*g" % (rng.randrange(1, 20), rng.uniform(-1e6, 1e6))


def awkward_number(rng):
    kind = rng.random()
    if kind < 0.15:
        text = rng.choice(FIXED_TEXTS)
    elif kind < 0.35:
        text = midpoint_text(rng)
    elif kind < 0.50:
        text = tie_text(rng)
    else:
        text = plain_text(rng)
    if rng.random() < 0.05:
        text = rng.choice(["+", "-", " ", "\t"]) + text
    return text


def separator(rng, usual):
    return usual if rng.random() < 0.9 else rng.choice([" ", "  ", ",", "\t", " ,", ""])


def numbers(rng, count, usual):
    texts = [awkward_number(rng) for _ in range(count)]
    return "".join(text + (separator(rng, usual) if i + 1 < count else "") for i, text in enumerate(texts))


def obj_model(rng):
    lines = []
    vertices = rng.randrange(1, 12)
    for _ in range(vertices):
        lines.append("v " + numbers(rng, rng.choice([3, 3, 3, 2, 4]), " "))
        if rng.random() < 0.7:
            lines.append("vn " + numbers(rng, 3, " "))
    groups = ["g BOUNDS", "g COLLISION", "g COLOR_%s_%s_%s" % tuple(rng.choice(["255", "+3", "-0", "1e2", "x"]) for _ in range(3)),
              "g ADDCOLOR_10_20_30", "g SUBCOLOR_1_2_3", "g plain", "o other"]
    for _ in range(rng.randrange(1, 8)):
        if rng.random() < 0.3:
            lines.append(rng.choice(groups))
        corners = " ".join(corner_text(rng, vertices) for _ in range(rng.choice([2, 3, 4, 4])))
        lines.append("f " + corners)
    return with_odd_lines(rng, lines)


def corner_text(rng, vertices):
    """A face corner, now and then in a form the reader must reject or read
    partly: missing or extra parts, blanks, signs, numbers out of range."""
    def index():
        return str(rng.randrange(1, vertices + 1))
    if rng.random() < 0.8:
        return "%s//%s" % (index(), index()) if rng.random() < 0.7 else "%s/%s/%s" % (index(), index(), index())
    return rng.choice([
        "%s/%s" % (index(), index()), "%s//" % index(), "%s/ /%s" % (index(), index()),
        "%s// %s" % (index(), index()), "%s //%s" % (index(), index()), " %s//%s" % (index(), index()),
        "%s/%s/" % (index(), index()), "%s/%s/%s/%s" % (index(), index(), index(), index()),
        "-%s//%s" % (index(), index()), "+%s/+%s/-%s" % (index(), index(), index()), "0//0",
        "%s/x/%s" % (index(), index()), "//%s" % index(), "/", "", "99999999999//1",
        "2147483648/1/1", "-2147483649//3", "%s\t//%s" % (index(), index()), "4096//4096", "4097//1",
    ])


def with_odd_lines(rng, lines):
    """Now and then a line the line reader must take apart carefully: a zero
    byte, a lone carriage return, a line of more than 254 characters."""
    if rng.random() < 0.1:
        position = rng.randrange(len(lines))
        text = lines[position]
        cut = rng.randrange(len(text) + 1)
        lines[position] = text[:cut] + rng.choice(["\0", "\r", "\r\r"]) + text[cut:]
    if rng.random() < 0.05:
        position = rng.randrange(len(lines))
        lines[position] = lines[position] + " " * rng.randrange(200, 300) + "1"
    return lines


def rds_tag(rng, tag):
    """A record tag, now and then in other letter cases, with white space
    before it, or spoilt."""
    if rng.random() < 0.85:
        return tag
    return rng.choice([tag.upper(), tag.lower(), tag.swapcase(), "\t" + tag, "  " + tag, tag + "x",
                       tag[:3], tag + "\x01", "\x7f" + tag, tag.replace("s", "$")])


def rds_model(rng):
    lines = [rds_tag(rng, "Pmsh")]
    vertices = rng.randrange(1, 12)
    for _ in range(vertices):
        lines += [rds_tag(rng, "VerD"), rds_tag(rng, "Posn") + " " + numbers(rng, 3, ",")]
    size = rng.choice([3, 4, 4])
    lines.append(rds_tag(rng, "PgSz") + " %d" % size)
    for _ in range(rng.randrange(1, 6)):
        lines.append(rds_tag(rng, "Pgon") + " " + ",".join(str(rng.randrange(0, vertices)) for _ in range(size)))
    return with_odd_lines(rng, lines)


def dxf_model(rng):
    lines = ["  0", "SECTION", "  2", "ENTITIES"]
    for _ in range(rng.randrange(1, 5)):
        lines += ["  0", "3DFACE", "  8", "0"]
        for corner in range(rng.choice([3, 4, 4])):
            for axis in (1, 2, 3):
                lines += ["%3d" % (axis * 10 + corner), awkward_number(rng)]
    return with_odd_lines(rng, lines + ["  0", "ENDSEC", "  0", "EOF"])


GENERATORS = {"obj": obj_model, "rds": rds_model, "dxf": dxf_model}


def generated_inputs(count, seed):
    rng = random.Random(seed)
    for n in range(count):
        for extension in EXTENSIONS:
            line_end = "\r\n" if rng.random() < 0.3 else "\n"
            text = line_end.join(GENERATORS[extension](rng)) + line_end
            yield ("generated %s %d" % (extension, n), extension, text.encode())


def corpus_inputs(folder):
    for target in sorted(os.listdir(folder)) if os.path.isdir(folder) else []:
        path = os.path.join(folder, target)
        for name in sorted(os.listdir(path)):
            with open(os.path.join(path, name), "rb") as entry:
                data = entry.read()
            if target in CORPUS_FORMATS:
                yield ("%s/%s" % (target, name), CORPUS_FORMATS[target], data)
            elif target == "fuzzConversion" and data:
                yield ("%s/%s" % (target, name), CONVERSION_FORMATS[data[0] % 3], data[1:])


def model_inputs():
    for base in ("tests", "examples"):
        for folder, _, names in os.walk(os.path.join(ROOT, base)):
            for name in sorted(names):
                extension = name.rsplit(".", 1)[-1].lower()
                if extension in EXTENSIONS:
                    with open(os.path.join(folder, name), "rb") as model:
                        yield (os.path.relpath(os.path.join(folder, name), ROOT), extension, model.read())


def run_once(program, extension, data):
    """Converts data as model.EXT in a fresh folder; returns what can be seen."""
    with tempfile.TemporaryDirectory() as folder:
        model = "model." + extension
        with open(os.path.join(folder, model), "wb") as out:
            out.write(data)
        try:
            result = subprocess.run(["dxf2tkm", model], executable=program, cwd=folder,
                                    stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=20)
            status, stdout, stderr = result.returncode, result.stdout, result.stderr
        except subprocess.TimeoutExpired:
            status, stdout, stderr = "timeout", b"", b""
        files = {}
        for name in sorted(os.listdir(folder)):
            if name != model:
                with open(os.path.join(folder, name), "rb") as produced:
                    files[name] = produced.read()
        return status, stdout, stderr, files


class NodeCore:
    """The node build of the page's core in one long-lived process
    (bench/nodeCore.cjs): one model at a time, each in a fresh folder."""

    def __init__(self, module):
        self.lock = threading.Lock()
        self.process = subprocess.Popen(
            ["node", os.path.join(ROOT, "bench", "nodeCore.cjs"), module],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE)

    def __call__(self, extension, data):
        with tempfile.TemporaryDirectory() as folder:
            model = "model." + extension
            with open(os.path.join(folder, model), "wb") as out:
                out.write(data)
            with self.lock:
                self.process.stdin.write((folder + "\n").encode())
                self.process.stdin.flush()
                answer = json.loads(self.process.stdout.readline())
            files = {}
            for name in sorted(os.listdir(folder)):
                if name != model:
                    with open(os.path.join(folder, name), "rb") as produced:
                        files[name] = produced.read()
            return (answer["status"], base64.b64decode(answer["stdout"]),
                    base64.b64decode(answer["stderr"]), files)


def byte_difference(a, b):
    at = next((i for i in range(min(len(a), len(b))) if a[i] != b[i]), min(len(a), len(b)))
    return "at byte %d: %r / %r" % (at, a[max(0, at - 30):at + 30], b[max(0, at - 30):at + 30])


def first_difference(old, new):
    """None when both runs look the same, else what differs first."""
    old_status, old_stdout, old_stderr, old_files = old
    new_status, new_stdout, new_stderr, new_files = new
    if old_status != new_status:
        return "exit status %r / %r" % (old_status, new_status)
    if old_stdout != new_stdout:
        return "standard output " + byte_difference(old_stdout, new_stdout)
    if old_stderr != new_stderr:
        return "standard error " + byte_difference(old_stderr, new_stderr)
    if sorted(old_files) != sorted(new_files):
        return "files %s / %s" % (sorted(old_files), sorted(new_files))
    for name in old_files:
        if old_files[name] != new_files[name]:
            return "%s %s" % (name, byte_difference(old_files[name], new_files[name]))
    return None


def compare(old_program, new_program, item):
    name, extension, data = item
    old = run_once(old_program, extension, data)
    new = new_program(extension, data) if callable(new_program) else run_once(
        new_program, extension, data)
    return name, extension, data, first_difference(old, new)


def main():
    options = dict(a[2:].split("=", 1) for a in sys.argv[1:] if a.startswith("--") and "=" in a)
    programs = [os.path.abspath(a) for a in sys.argv[1:] if not a.startswith("--")]
    if "node" in options and len(programs) == 1:
        programs.append(NodeCore(os.path.abspath(options["node"])))
    if len(programs) != 2:
        sys.exit(__doc__)
    corpus = options.get("corpus", os.path.join(ROOT, "build", "fuzz", "run", "corpus"))
    count = int(options.get("generated", 3400))
    seed = int(options.get("seed", 14))
    jobs = int(options.get("jobs", 2))
    inputs = list(corpus_inputs(corpus)) + list(model_inputs()) + list(generated_inputs(count, seed))
    differences = []
    with concurrent.futures.ThreadPoolExecutor(jobs) as pool:
        for name, extension, data, difference in pool.map(
                lambda item: compare(programs[0], programs[1], item), inputs, chunksize=16):
            if difference:
                differences.append((name, extension, data, difference))
    corpus_count = sum(1 for _ in corpus_inputs(corpus))
    print("%d inputs (%d from the corpora in %s, %d generated), %d differ" % (
        len(inputs), corpus_count, corpus, 3 * count, len(differences)))
    for name, extension, data, difference in differences[:10]:
        print("  %s (.%s, %d bytes): %s" % (name, extension, len(data), difference))
    sys.exit(1 if differences else 0)


if __name__ == "__main__":
    main()
