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
WORD = r"\S+"
# What a program puts in for %s: one word, several ("18 quads", "2 2 3") or none.
STRING_FILL = r"(\s*\S+(?:\s+\S+)*?)??"
LETTERS = re.compile(r"[A-Za-z_]+")


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
    """A message literal as a pattern: a number's directive matches one word,
    a string's (%s) any words or none, as "18 quads", "2 2 3" or "" fill one."""
    pattern = ""
    pieces = re.split("(" + DIRECTIVE.pattern + ")", literal)
    for k, piece in enumerate(pieces):
        if k % 2:
            pattern += STRING_FILL if piece.endswith("s") else WORD
            continue
        words = r"\s+".join(re.escape(word) for word in piece.split())
        before = r"\s+" if piece[:1].isspace() and words else ""
        after = r"\s+" if piece[-1:].isspace() else ""
        pattern += before + words + after
    return re.compile(pattern)


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


def known_words(fill, words):
    """Several words put in for one %s must be words of the sources' texts
    (plurals too), samples or messages already found: "18 quads", not
    "18 bananas"."""
    for word in LETTERS.findall(fill.lower()):
        stems = (word, word[:-1] if word.endswith("s") else "",
                 word[:-2] if word.endswith("es") else "")
        if not any(stem in words for stem in stems):
            return False
    return True


def covered(text, patterns, words):
    def found(match):
        fills = [fill for fill in match.groups() if fill and len(fill.split()) > 1]
        return "\0" if all(known_words(fill, words) for fill in fills) else match.group()

    for pattern in patterns:
        text = pattern.sub(found, text)
    return GLUE.fullmatch(text.replace("\0", "")) is not None and "\0" in text


def printable(message, patterns, words):
    """True when the message is covered by literals of the sources, its
    placeholders read as samples or, where a message holds the word itself
    ("on the PATH"), as written."""
    return any(covered(text, patterns, words) for text in (with_samples(message), message))


def main():
    root = sys.argv[1]
    every_literal = source_literals(root)
    words = {word.lower() for literal in every_literal for word in LETTERS.findall(literal)}
    literals = [l for l in every_literal if re.search(r"[A-Za-z]{3}", l)]
    literals.sort(key=len, reverse=True)
    patterns = [literal_regex(literal) for literal in literals]
    messages = documented_messages(os.path.join(root, "docs", "troubleshooting.md"))
    unknown = [m for m in messages if not printable(m, patterns, words)]
    for message in unknown:
        print("not a message of the programs: %s" % message)
    print("%d messages checked, %d unknown" % (len(messages), len(unknown)))
    return 1 if unknown or not messages else 0


if __name__ == "__main__":
    sys.exit(main())
