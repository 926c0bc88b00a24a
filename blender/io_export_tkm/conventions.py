# SPDX-License-Identifier: GPL-3.0-or-later
# What the dxf2tkm converter accepts and how it reads names, in one place:
# its limits, the names that make a brick's bounds and collision boxes, and the
# rule for a colour name. The add-on reads every object and material name
# through this module and writes only names it has checked, so the converter
# sees exactly the colours this rule allows. No Blender import: plain Python.

import math
import re

# The converter's tables.
MAX_FACES = 512
MAX_COLLISION_BOXES = 10
MAX_VERTICES = 4096
MAX_NORMALS = 4096

# Bounds and collision boxes start at +-9999 and a corner whose x is -9998 or
# less counts as unset, so every coordinate must lie strictly between these.
COORDINATE_LIMIT = 9998.0
# Heights are scaled by this in the brick; its size line cuts each size to a
# whole number.
Z_SCALE = 2.5

BOUNDS = "BOUNDS"
# The custom property of an imported BOUNDS object: the size line it came with.
SIZE_LINE_PROPERTY = "size_line"
# The boolean face attribute of an imported mesh: the face turned round so that
# Blender's face normal agrees with the brick's normals; the export writes its
# corners in the reverse order, as the brick had them.
REVERSED_ATTRIBUTE = "tkm_reversed"
COLLISION = "COLLISION"
# The group name of faces without a colour: the player's paint colour.
PAINT_GROUP = "paint"

COLOR, ADDCOLOR, SUBCOLOR = "COLOR_", "ADDCOLOR_", "SUBCOLOR_"
COLOR_PREFIXES = (COLOR, ADDCOLOR, SUBCOLOR)
MAX_CHANNEL = 255
# Blender names a copy "NAME.001": such a suffix is part of no number.
COPY_SUFFIX = re.compile(r"\.\d{3}\Z")
VALID_COLOR = re.compile(r"(ADDCOLOR_|SUBCOLOR_|COLOR_)(\d+(?:_\d+)*)(.*)\Z", re.S)
LOOKS_LIKE_COLOR = re.compile(r"(add|sub)?colou?r[_ ]?(?=[-+.]?\d)", re.I)
NUMBER = re.compile(r"[-+]?\d+(?:\.\d+)?")
HELPER_LOOKALIKE = re.compile(r"(bounds|collision)(?=$|[ ._\d])", re.I)


def number_counts(prefix):
    """How many numbers a colour name of this prefix takes."""
    return (3, 4) if prefix == COLOR else (3,)


def color_name(prefix, numbers):
    """The colour name of prefix and its numbers."""
    return prefix + "_".join(str(n) for n in numbers)


def helper_kind(name):
    """BOUNDS or COLLISION for a helper object's name, else None."""
    for kind in (BOUNDS, COLLISION):
        if name.startswith(kind):
            return kind
    return None


def color_group(name):
    """The group name that gives this name's colour, or None when the name
    is no colour name."""
    match = VALID_COLOR.match(COPY_SUFFIX.sub("", name))
    if match is None:
        return None
    prefix, digits, rest = match.groups()
    numbers = [int(n) for n in digits.split("_")]
    if len(numbers) not in number_counts(prefix) or max(numbers) > MAX_CHANNEL:
        return None
    if rest[:1] == "." and rest[1:2].isdigit():  # a decimal point
        return None
    if rest[:1] == "_" and rest[1:2] in ("-", "+"):  # a signed number
        return None
    return color_name(prefix, numbers)


def material_color_group(rgba):
    """The colour name of a linear colour as Blender's colour picker shows
    it in hex (sRGB-encoded), alpha from the colour's alpha."""
    channels = [srgb_byte(c) for c in rgba[:3]] + [unit_byte(rgba[3])]
    return color_name(COLOR, channels)


def chosen_color_group(rgba):
    """material_color_group of a material's colour, or None for the grey
    that Blender gives every new material: a colour nobody chose."""
    group = material_color_group(rgba)
    return None if group == NEW_MATERIAL_GROUP else group


def unit_byte(value):
    return int(math.floor(MAX_CHANNEL * min(max(value, 0.0), 1.0) + 0.5))


def srgb_byte(linear):
    x = min(max(linear, 0.0), 1.0)
    encoded = 12.92 * x if x <= 0.0031308 else 1.055 * x ** (1 / 2.4) - 0.055
    return unit_byte(encoded)


def name_problem(name):
    """For a name that looks like a colour or helper name but is none:
    what is wrong and what would work. None for every other name."""
    if helper_kind(name) or color_group(name):
        return None
    helper = HELPER_LOOKALIKE.match(name)
    if helper:
        kind = helper.group(1).upper()
        return "gives faces, not a %s box (letter case); write %s" % (
            "collision" if kind == COLLISION else "bounds",
            kind + name[len(kind) :],
        )
    exact = any(name.startswith(p) for p in COLOR_PREFIXES)
    spelling = LOOKS_LIKE_COLOR.match(name)
    if not exact and not spelling:
        return None
    return color_problem(name, spelling)


def color_problem(name, spelling):
    reasons = []
    if spelling:
        prefix = (spelling.group(1) or "").upper() + COLOR
        rest = name[spelling.end() :]
        if not name.startswith(prefix):
            misspelt = "colour" in spelling.group().lower()
            reasons.append("COLOUR is spelt COLOR" if misspelt else "letter case")
    else:
        prefix = next(p for p in COLOR_PREFIXES if name.startswith(p))
        rest = name[len(prefix) :]
    rest = COPY_SUFFIX.sub("", rest)
    numbers = NUMBER.findall(rest)
    reasons += number_problems(prefix, rest, numbers)
    counts = number_counts(prefix)
    values = fixed_numbers(numbers)[: counts[-1]] or ["R", "G", "B"]
    values += [0] * (counts[0] - len(values))
    rule = "%s takes %s whole numbers 0 to 255 joined by _" % (
        prefix,
        " or ".join(str(c) for c in counts),
    )
    return "gives no colour (%s); write %s: %s" % (
        ", ".join(reasons) or "not a colour",
        color_name(prefix, values),
        rule,
    )


def number_problems(prefix, rest, numbers):
    problems = []
    counts = number_counts(prefix)
    if not numbers:
        problems.append("no numbers")
    elif len(numbers) < counts[0]:
        problems.append("too few numbers")
    elif len(numbers) > counts[-1]:
        problems.append("too many numbers")
    if any("." in n for n in numbers):
        problems.append("a decimal point")
    if any(not 0 <= float(n) <= MAX_CHANNEL for n in numbers):
        problems.append("a number outside 0 to 255")
    joined = re.match(r"\d+(?:_\d+)*", rest)
    if numbers and not problems and (not joined or joined.group().count("_") + 1 != len(numbers)):
        problems.append("numbers not joined by _")
    return problems


def fixed_numbers(numbers):
    """The numbers as whole numbers 0 to 255; fractions 0 to 1 read as
    parts of 255."""
    values = [float(n) for n in numbers]
    if any("." in n for n in numbers) and all(0 <= v <= 1 for v in values):
        values = [v * MAX_CHANNEL for v in values]
    return [int(min(max(math.floor(v + 0.5), 0), MAX_CHANNEL)) for v in values]


# The colour of a new material in Blender (Base Color and viewport colour 0.8 grey).
NEW_MATERIAL_GROUP = material_color_group((0.8, 0.8, 0.8, 1.0))
