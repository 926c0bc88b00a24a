# SPDX-License-Identifier: MIT
"""checkResources.py WINDRES PROGRAM.exe NAME VERSION STRIPPED: the program's
resources, written back by windres as a script, hold a manifest asking for long
paths, UTF-8, Windows 10 and 11 and the user's own rights, and version
information giving NAME and VERSION; STRIPPED=yes: no symbol table."""

import re
import struct
import subprocess
import sys

WANTED_IN_MANIFEST = [
    '<longPathAware xmlns="http://schemas.microsoft.com/SMI/2016/WindowsSettings">true<',
    '<activeCodePage xmlns="http://schemas.microsoft.com/SMI/2019/WindowsSettings">UTF-8<',
    '<supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>',  # Windows 10 and 11
    '<requestedExecutionLevel level="asInvoker"',
]


def check(windres, program, name, version, stripped):
    script = subprocess.run([windres, "-i", program, "-O", "rc"], stdout=subprocess.PIPE,
                            text=True, check=True).stdout  # fmt: skip
    manifest = re.search(r"\n1 24 .*?\nBEGIN\n(.*?)\nEND", script, re.S)
    lines = re.findall(r'^\s*"(.*)"$', manifest.group(1) if manifest else "", re.M)
    text = "".join(lines).replace('""', '"')
    problems = ["manifest lacks %s" % w for w in WANTED_IN_MANIFEST if w not in text]
    found = dict(re.findall(r'VALUE "(\w+)", "([^"]*)"', script))
    found["FILEVERSION"] = "".join(re.findall(r"FILEVERSION ([\d, ]+)\n", script))
    wanted = {"ProductName": "dxf2tkm", "FileVersion": version, "ProductVersion": version,
              "OriginalFilename": name + ".exe",
              "FILEVERSION": ", ".join(version.split(".") + ["0"])}  # fmt: skip
    problems += ["%s is %r, expected %r" % (key, found.get(key), value)
                 for key, value in wanted.items() if found.get(key) != value]  # fmt: skip
    if not found.get("FileDescription") or "Copyright" not in found.get("LegalCopyright", ""):
        problems.append("no description or copyright line: %s" % found)
    header = open(program, "rb").read(4096)
    symbols = struct.unpack_from("<I", header, struct.unpack_from("<I", header, 0x3C)[0] + 16)[0]
    stripped_wrongly = stripped == "yes" and symbols
    return problems + (["not stripped: %d symbols" % symbols] if stripped_wrongly else [])


if __name__ == "__main__":
    problems = check(*sys.argv[1:6])
    for problem in problems:
        print("FAILED: %s: %s" % (sys.argv[2], problem))
    sys.exit(1 if problems else 0)
