#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""checkMessages.py ROOT: every message in docs/troubleshooting.md's tables is made
of the programs' string literals, N, NAME, PATH and the like where they put a
number or a name."""
import glob
import os
import re
import sys

SOURCES = "tkmCommon/*.cpp tkmCommon/*.h tkmConverter/*.cpp tkmConverter/*.h tkmPreview/*.cpp blender/io_export_tkm/*.py"
PLACEHOLDERS = "N V Q X Y Z NAME PATH WHAT TEXT REASON".split()
# Between a message's pieces: the sample 7 (for a placeholder), blanks, punctuation.
GLUE = re.compile(r"[\s7:='\",.()]*")
# A character literal (as '"'), or adjacent string literals.
LITERAL = re.compile(r"'(?:[^'\\\n]|\\.)'|((?:\"(?:[^\"\\\n]|\\.)*\"\s*)+)")
STRING = re.compile(r"\"((?:[^\"\\\n]|\\.)*)\"")
DIRECTIVE = re.compile(r"%%|%[-+ #0-9.]*(?:ll|l|z|h)?[diuxfsc]")
# What a program puts in for %s: one word, several ("18 quads", "2 2 3") or none.
STRING_FILL = r"(\s*\S+(?:\s+\S+)*?)??"
LETTERS = re.compile(r"[A-Za-z_]+")


def source_literals(root):
    """Every double-quoted literal, adjacent literals joined, escapes undone."""
    literals = []
    for pattern in SOURCES.split():
        for path in sorted(glob.glob(os.path.join(root, pattern))):
            text = open(path, encoding="utf-8").read()
            runs = [m.group(1) for m in LITERAL.finditer(text) if m.group(1)]
            literals += ["".join(STRING.findall(run)).replace("\\n", "").replace('\\"', '"')
                         .replace("\\\\", "\\").strip() for run in runs]  # fmt: skip
    return literals


def literal_regex(literal):
    """A number's directive matches one word, a string's any words or none."""
    pattern = ""
    for k, piece in enumerate(re.split("(" + DIRECTIVE.pattern + ")", literal)):
        if k % 2:
            pattern += STRING_FILL if piece.endswith("s") else r"\S+"
            continue
        words = r"\s+".join(re.escape(word) for word in piece.split())
        before = r"\s+" if piece[:1].isspace() and words else ""
        pattern += before + words + (r"\s+" if piece[-1:].isspace() else "")
    return re.compile(pattern)


def known_words(fill, words):
    """Words put in for a %s are the sources' words: "18 quads", not "18 bananas"."""
    return all({word, re.sub("s$", "", word), re.sub("es$", "", word)} & words
               for word in LETTERS.findall(fill.lower()))  # fmt: skip


def printable(message, patterns, words):
    """Covered by literals, placeholders read as samples or as written ("the PATH")."""

    def found(match):
        fills = [fill for fill in match.groups() if fill and len(fill.split()) > 1]
        return "\0" if all(known_words(fill, words) for fill in fills) else match.group()

    sampled = "".join("7" if w in PLACEHOLDERS else w for w in re.split(r"(\W+)", message))
    for text in (sampled, message):
        for pattern in patterns:
            text = pattern.sub(found, text)
        if "\0" in text and GLUE.fullmatch(text.replace("\0", "")):
            return True
    return False


def main(root):
    every_literal = source_literals(root)
    words = {word.lower() for literal in every_literal for word in LETTERS.findall(literal)}
    patterns = [literal_regex(literal) for literal in sorted(every_literal, key=len, reverse=True)
                if re.search(r"[A-Za-z]{3}", literal)]  # fmt: skip
    # The backquoted texts in the first column of the tables after Messages.
    page = open(os.path.join(root, "docs", "troubleshooting.md"), encoding="utf-8").read()
    rows = [line.split("|") for line in page.split("## Messages", 1)[1].splitlines()]
    messages = [m for row in rows if len(row) > 2 for m in re.findall(r"`([^`]+)`", row[1])]
    unknown = [m for m in messages if not printable(m, patterns, words)]
    for message in unknown:
        print("not a message of the programs: %s" % message)
    print("%d messages checked, %d unknown" % (len(messages), len(unknown)))
    return 1 if unknown or not messages else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
