#!/usr/bin/env python3
"""Checks that every message in the message tables of docs/troubleshooting.md
is one the programs can print: each is made of string literals found in the
sources of the converter, the preview and the Blender add-on, with N, NAME,
PATH and the like standing where the program puts a number or a name.

    checkMessages.py ROOT
"""
import glob
import os
import re
import sys

SOURCE_PATTERNS = ("tkmConverter/*.cpp", "tkmConverter/*.h", "tkmPreview/*.cpp",
                   "blender/io_export_tkm/*.py")
PLACEHOLDERS = ("N", "V", "Q", "X", "Y", "Z", "NAME", "PATH", "WHAT", "TEXT", "REASON")
SAMPLE = "7"
# What may stand between the pieces of a message: samples, blanks, punctuation.
GLUE = re.compile(r"[\s7:='\",.()]*")
LITERAL = re.compile(r"'(?:[^'\\\n]|\\.)'|\"(?:[^\"\\\n]|\\.)*\"")
DIRECTIVE = re.compile(r"%%|%[-+ #0-9.]*(?:ll|l|z|h)?[diuxfsc]")


def source_literals(root):
    """Every double-quoted literal, adjacent literals joined, escapes undone."""
    literals = []
    for pattern in SOURCE_PATTERNS:
        for path in sorted(glob.glob(os.path.join(root, pattern))):
            with open(path, encoding="utf-8") as source:
                text = source.read()
            pieces, end = [], None
            for match in LITERAL.finditer(text):
                if match.group().startswith("'"):
                    continue  # a character literal, as '"'
                body = match.group()[1:-1]
                if pieces and text[end:match.start()].strip() == "":
                    pieces[-1] += body
                else:
                    pieces.append(body)
                end = match.end()
            literals += [unescape(piece) for piece in pieces]
    return literals


def unescape(body):
    return body.replace("\\n", "").replace('\\"', '"').replace("\\\\", "\\").strip()


def literal_regex(literal):
    """A message literal as a pattern: a directive matches one word."""
    parts = []
    for piece in DIRECTIVE.split(literal):
        words = r"\s+".join(re.escape(word) for word in piece.split())
        before = r"\s+" if piece[:1].isspace() and words else ""
        after = r"\s+" if piece[-1:].isspace() else ""
        parts.append(before + words + after)
    return re.compile(r"\S+".join(parts))


def documented_messages(path):
    """The backquoted texts in the first column of the tables after Messages."""
    with open(path, encoding="utf-8") as page:
        text = page.read()
    messages = []
    for line in text.split("## Messages", 1)[1].splitlines():
        cells = line.split("|")
        if len(cells) < 3 or set(cells[1].strip()) <= set("-") or cells[1].strip() == "message":
            continue
        messages += re.findall(r"`([^`]+)`", cells[1])
    return messages


def with_samples(message):
    words = re.split(r"(\W+)", message)
    return "".join(SAMPLE if word in PLACEHOLDERS else word for word in words)


def printable(message, patterns):
    """True when the message is covered by literals of the sources."""
    rest = with_samples(message)
    for pattern in patterns:
        rest = pattern.sub("\0", rest)
    return GLUE.fullmatch(rest.replace("\0", "")) is not None and "\0" in rest


def main():
    root = sys.argv[1]
    literals = [l for l in source_literals(root) if re.search(r"[A-Za-z]{3}", l)]
    literals.sort(key=len, reverse=True)
    patterns = [literal_regex(literal) for literal in literals]
    messages = documented_messages(os.path.join(root, "docs", "troubleshooting.md"))
    unknown = [m for m in messages if not printable(m, patterns)]
    for message in unknown:
        print("not a message of the programs: %s" % message)
    print("%d messages checked, %d unknown" % (len(messages), len(unknown)))
    return 1 if unknown or not messages else 0


if __name__ == "__main__":
    sys.exit(main())
