# SPDX-License-Identifier: GPL-3.0-or-later
# What went into the brick, read back from the converter's brick file and
# output, and the warnings about where the game will put it: off-centre
# placement, a size the size line cuts, quads the converter dropped.

import re

from . import conventions as rules
from .obj_model import ExportError, format_short

OMNI_HEADER = "----------------omni quads:"
DEGENERATE_LINE = re.compile(r"Degenerate polys:\s*(\d+)")
# Placement and size differences below this are rounding, not modelling.
TOLERANCE = 1e-4
MAX_SIZE_DIGITS = 9  # a 32-bit value's digits


class BrickSummary:
    def __init__(self, size, box_count, quad_count, colored):
        self.size = size
        self.box_count = box_count
        self.quad_count = quad_count
        self.colored = colored


def read_summary(path):
    with open(path, "rb") as brick:
        lines = brick.read().decode("ascii", "replace").splitlines()
    try:
        size = [int(v) for v in lines[0].split()]
        box_count = int(lines[3])
        omni = lines.index(OMNI_HEADER)
        quad_count = int(lines[omni + 1])
    except (IndexError, ValueError):
        raise ExportError("The converter's brick file is not readable; nothing exported")
    return BrickSummary(size, box_count, quad_count, lines[omni:].count("COLORS:"))


def listed(items, most=3):
    """A, B and C, or A, B, C and 2 more."""
    shown = list(items[:most]) + (["%d more" % (len(items) - most)] if len(items) > most else [])
    return shown[0] if len(shown) == 1 else "%s and %s" % (", ".join(shown[:-1]), shown[-1])


def material_colours_warning(colours):
    """colours: {material name: the colour name Material Colours would give}
    of materials whose faces take the paint because the option is off."""
    named = ["'%s' (%s)" % item for item in colours.items()]
    return (
        "Material Colours is off, so the faces of %s %s take the player's paint colour, not "
        "the material's; turn on Material Colours in the export's options, or name the "
        "material by its colour" % ("material" if len(named) == 1 else "materials", listed(named))
    )


def bounds_warning(names):
    """For more than one BOUNDS object: the extent is the box around them all."""
    names = sorted(names)
    return (
        "%d BOUNDS objects (%s): the brick's extent is the box around them all; keep one "
        "(a brick imported beside another brings its own %s)"
        % (len(names), listed(["'%s'" % name for name in names]), names[-1])
    )


def plural(count, word):
    return "%d %s%s" % (count, word, "" if count == 1 else ("es" if word.endswith("x") else "s"))


def summary(brick, model, file_name):
    colored = brick.colored
    boxes = plural(brick.box_count, "collision box")
    if not model.collisions:
        boxes += " (the extent: no COLLISION object)"
    return "Exported %s (%d coloured, %d paintable) from %s, %s, size %s, to %s" % (
        plural(brick.quad_count, "quad"),
        colored,
        brick.quad_count - colored,
        plural(model.object_count, "object"),
        boxes,
        " ".join(str(v) for v in brick.size),
        file_name,
    )


def shown(value):
    """A measure as the modeller would write it, without float noise."""
    return format_short(round(value, 4))


def shown_size(value, written):
    """A size as the modeller would write it, but with the digits it takes
    never to read as a whole number other than the one written: the width
    1.9999987 written as 1 is 1.999999, not 2."""
    text = shown(value)
    for digits in range(7, MAX_SIZE_DIGITS + 1):
        if not float(text).is_integer() or float(text) == written:
            break
        text = "%.*g" % (digits, value)
    return text


def placement_warnings(model, brick, converter_output):
    low, high = [model.moved(corner) for corner in model.extent()]
    warnings = []
    off = []
    centre = [(low[axis] + high[axis]) / 2 for axis in range(2)]
    if any(abs(c) > TOLERANCE for c in centre):
        off.append("its footprint is centred on x = %s, y = %s" % tuple(map(shown, centre)))
    if abs(low[2]) > TOLERANCE:
        off.append("its lowest point is at z = %s" % shown(low[2]))
    if off:
        warnings.append(
            "Off the origin: %s; the game expects the footprint centred on x = y = 0 and "
            "the lowest point at z = 0 and draws the quads beside the brick's extent. "
            "Move the model, or turn on Place on Origin" % " and ".join(off)
        )
    extent = [high[axis] - low[axis] for axis in range(3)]
    extent[2] *= rules.Z_SCALE
    imported = model.imported_size_lines  # a cut the imported brick had already
    kept = imported and all(line == brick.size for line in imported)
    if not kept and any(abs(e - s) > TOLERANCE for e, s in zip(extent, brick.size)):
        warnings.append(
            "Brick size %s is written as %s: the size line keeps whole numbers only "
            "(heights are scaled by 2.5); make the extent whole, heights in steps of 0.4"
            % (" ".join(map(shown_size, extent, brick.size)), " ".join(map(str, brick.size)))
        )
    dropped = DEGENERATE_LINE.search(converter_output)
    if dropped and int(dropped.group(1)) > 0:
        warnings.append(
            "The converter dropped %s without a third corner (Degenerate polys: %s)"
            % (plural(int(dropped.group(1)), "quad"), dropped.group(1))
        )
    return warnings
