# SPDX-License-Identifier: MIT
"""Reads the resources back from a built Windows program and checks them.

checkResources.py WINDRES PROGRAM.exe NAME VERSION STRIPPED

windres writes the program's resources back as a resource script. The
manifest must ask for long paths, UTF-8 as the ANSI code page, Windows 10 and
11 and the user's own rights; the version information must give NAME and
VERSION in its numbers and strings. STRIPPED (yes or no): whether the program
must have no symbol table.
"""

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
    script = subprocess.run(
        [windres, "-i", program, "-O", "rc"], stdout=subprocess.PIPE, text=True, check=True
    ).stdout
    problems = []
    manifest = re.search(r"\n1 24 .*?\nBEGIN\n(.*?)\nEND", script, re.S)
    lines = re.findall(r'^\s*"(.*)"$', manifest.group(1) if manifest else "", re.M)
    text = "".join(lines).replace('""', '"')
    problems += ["manifest lacks %s" % w for w in WANTED_IN_MANIFEST if w not in text]
    numbers = re.search(r"FILEVERSION ([\d, ]+)\n", script)
    wanted_numbers = ", ".join(version.split(".") + ["0"])
    if not numbers or numbers.group(1) != wanted_numbers:
        found = numbers.group(1) if numbers else None
        problems.append("file version %s, expected %s" % (found, wanted_numbers))
    strings = dict(re.findall(r'VALUE "(\w+)", "([^"]*)"', script))
    wanted = {"ProductName": "dxf2tkm", "FileVersion": version, "ProductVersion": version}
    wanted["OriginalFilename"] = name + ".exe"
    for key, value in wanted.items():
        if strings.get(key) != value:
            problems.append("%s is %r, expected %r" % (key, strings.get(key), value))
    if not strings.get("FileDescription") or "Copyright" not in strings.get("LegalCopyright", ""):
        problems.append("no description or copyright line: %s" % strings)
    with open(program, "rb") as exe:
        header = exe.read(4096)
    symbols = struct.unpack_from("<I", header, struct.unpack_from("<I", header, 0x3C)[0] + 16)[0]
    if stripped == "yes" and symbols != 0:
        problems.append("not stripped: %d symbols" % symbols)
    return problems


if __name__ == "__main__":
    found = check(*sys.argv[1:6])
    for problem in found:
        print("FAILED: %s: %s" % (sys.argv[2], problem))
    sys.exit(1 if found else 0)
