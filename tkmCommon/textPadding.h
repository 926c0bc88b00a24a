// SPDX-License-Identifier: MIT
// The promise between the line reader and the number scan. The scan reads a
// number's digits eight bytes at a time and so may read up to seven bytes
// past the terminating zero of its text; the line reader leaves at least that
// many readable bytes after every line it delivers.
#pragma once

#include <cstddef>

// Bytes the number scan may read past a text's terminating zero: an
// eight-byte load may start at the zero itself.
constexpr size_t SCAN_READS_PAST_ZERO = 7;

// Readable bytes the line reader leaves after every delivered line's zero.
constexpr size_t LINE_PADDING = 8;

static_assert(LINE_PADDING >= SCAN_READS_PAST_ZERO,
              "every delivered line leaves room for the number scan's eight-byte loads");
