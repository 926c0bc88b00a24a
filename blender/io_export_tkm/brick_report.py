# SPDX-License-Identifier: GPL-3.0-or-later
# What went into the brick and what the game will make of it, from the
# converter's own report (dxf2tkm --json): its figures, its warnings and the
# reason it failed. The converter makes every check; the add-on only adds
# its own advice to the codes it knows (an option of the export to turn on).

import json

JSON_FORMAT = 1

# What the export itself offers for a warning's code, in place of the
# converter option that the converter's words name.
EXPORT_ADVICE = {
    "off-origin": ("convert with --place", "turn on Place on Origin"),
    "size-cut": ("convert with --fit", "turn on Round the size up"),
}


class BrickSummary:
    """A model's object of the converter's JSON report."""

    def __init__(self, entry):
        self.written = bool(entry.get("written"))
        self.size = entry.get("size") or [0, 0, 0]
        self.box_count = entry.get("collisionBoxes", 0)
        self.quad_count = entry.get("quads", 0)
        self.colored = entry.get("coloured", 0)
        self.messages = entry.get("messages", [])

    def fatal(self):
        """The message that says why the model got no brick, or None."""
        for message in self.messages:
            if message.get("severity") == "fatal":
                return message
        return None


def read_report(output):
    """The model's summary from the converter's JSON report (one model), or
    None when the output holds none."""
    for line in output.splitlines():
        line = line.strip()
        if not line.startswith("{"):
            continue
        try:
            entry = json.loads(line)
        except ValueError:
            break
        if entry.get("format") == JSON_FORMAT and "model" in entry:
            return BrickSummary(entry)
    return None


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


def message_text(message, keep_severity=False):
    """A message as the add-on shows it: the converter's words (without
    their severity, which the report's level shows), its advice, and the
    export's own where it has some."""
    text = message.get("text", "")
    for severity in ("WARNING: ", "ERROR: "):
        if text.startswith(severity) and not keep_severity:
            text = text[len(severity):]
    option, export_option = EXPORT_ADVICE.get(message.get("code"), ("", ""))
    if option and option in text:
        text = text.replace(option, export_option)
    if message.get("advice"):
        text += "; " + message.get("advice")
    return text


def converter_warnings(brick, model):
    """The converter's warnings and errors about a brick it wrote, but not a
    cut size line that an imported brick had already."""
    imported = model.imported_size_lines
    kept = imported and all(line == brick.size for line in imported)
    return [message_text(m) for m in brick.messages
            if m.get("severity") != "fatal" and not (kept and m.get("code") == "size-cut")]  # fmt: skip


def failure_lines(brick, output):
    """Why the converter wrote no brick: its fatal message first, then the
    rest; without a report, the last lines it printed."""
    if brick is None:
        return output.strip().splitlines()[-3:] or ["(the converter printed nothing)"]
    fatal = brick.fatal()
    lines = [message_text(fatal, True)] if fatal else ["(the converter gave no reason)"]
    return lines + [message_text(m, True) for m in brick.messages if m is not fatal]
