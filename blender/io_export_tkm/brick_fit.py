# SPDX-License-Identifier: GPL-3.0-or-later
# The converter's 32-bit arithmetic on a brick's size and boxes, followed
# step by step, so that the import can choose the 32-bit coordinates (as
# Blender keeps them) that the converter writes back to the last printed
# digit: a size line that truncates to the same whole numbers, box lines that
# print the same six decimals. No Blender import: plain Python.

import math
import struct
from decimal import ROUND_HALF_UP, Decimal

PRINTED_STEP = Decimal("0.000001")  # the brick file's six decimals
# How many 32-bit steps either side of a first estimate are tried; rounding
# text to six decimals and back moves a value by fewer than that.
NEIGHBOURS = 3
# Steps taken at most to bring an extent into the range its size truncates from.
MAX_EXTENT_STEPS = 64


def f32(value):
    """value rounded to the nearest 32-bit float, as the converter stores it."""
    if not math.isfinite(value) or abs(value) >= 3.4e38:
        return value
    return struct.unpack("<f", struct.pack("<f", value))[0]


def _key(value):
    """An integer that counts 32-bit floats in order."""
    bits = struct.unpack("<i", struct.pack("<f", value))[0]
    return bits if bits >= 0 else -(bits & 0x7FFFFFFF)


def _float(key):
    bits = key if key >= 0 else (-key) | 0x80000000
    return struct.unpack("<f", struct.pack("<I", bits))[0]


def step(value, steps):
    """The 32-bit float steps floats above value (below when negative)."""
    return _float(_key(f32(value)) + steps) if math.isfinite(value) else value


def nearby(value):
    """value as a 32-bit float, then its neighbours, nearest first."""
    found = [f32(value)]
    for k in range(1, NEIGHBOURS + 1):
        found += [step(value, k), step(value, -k)]
    return found


def printed(value):
    """The number as the brick file prints it (six decimals, ties away
    from zero), comparable; None when it is not finite."""
    if not math.isfinite(value):
        return None
    return Decimal(value).quantize(PRINTED_STEP, rounding=ROUND_HALF_UP)


def truncated(value):
    return int(value) if math.isfinite(value) else None


def fit_extent(estimate, size, scale=1.0):
    """(model extent, converter's extent): the 32-bit model extent nearest
    estimate (model units) whose extent as the converter computes it (times
    scale, stored in 32 bits) truncates to size. A box from -extent / 2 to
    extent / 2 has that extent exactly."""
    low, high = (size, size + 1) if size > 0 else (size - 1, size) if size < 0 else (-1, 1)
    value = f32(min(max(estimate * scale, low), high) / scale)
    for _ in range(MAX_EXTENT_STEPS):
        made = f32(value * scale)
        if truncated(made) in (None, size):
            break
        value = step(value, 1 if made < size else -1)
    return value, f32(value * scale)


def box_line(low, high, shift, scale):
    """(centre, size) of one axis of a collision box as the converter writes
    it: from the model's 32-bit corners, heights scaled."""
    low, high = f32(low * scale), f32(high * scale)
    size = f32(high - low)
    centre = f32(f32(size / 2) + low)
    return printed(f32(centre - shift)), printed(size)


def fit_box_axis(centre, size, shift, scale):
    """(low, high) in model units of one axis of a box written as centre and
    size, chosen so that the converter writes them so again."""
    wanted = (printed(centre), printed(size))
    low = (centre + shift - size / 2) / scale
    high = low + size / scale
    for low_candidate in nearby(low):
        for high_candidate in nearby(high):
            if box_line(low_candidate, high_candidate, shift, scale) == wanted:
                return low_candidate, high_candidate
    return f32(low), f32(high)
