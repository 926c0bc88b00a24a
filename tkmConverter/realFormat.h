// SPDX-License-Identifier: MIT
// The one writer of real numbers: six decimals of the exact binary value, an
// exact tie rounded away from zero, negative zero written without a sign, a
// negative value that rounds to zero keeping its "-", "inf" and "-inf" for the
// infinities and "nan", without a sign, for every NaN (whose sign depends on
// the processor that made it). Used for every real number the converter
// prints, in the brick file and on standard output alike.
#pragma once

#include <cstddef>
#include <cstdint>

#include "textSink.h"

// Longest text: "-", 309 integer digits, ".", six decimals, and the zero.
constexpr size_t REAL_TEXT_CAPACITY = 320;

// Writes the text of value into text (REAL_TEXT_CAPACITY bytes) with its
// terminating zero; returns its length.
size_t formatReal(double value, char* text);

// Writes count reals separated by one blank, with no line end, into text, which holds count *
// (REAL_TEXT_CAPACITY + 1) bytes, with a terminating zero; returns the length.
size_t formatReals(const double* values, int count, char* text);

// Appends count reals separated by one blank, as formatReals writes them.
void sinkReals(TextSink& sink, const double* values, int count);

// Longest text of a whole number: 20 digits.
constexpr size_t UNSIGNED_TEXT_CAPACITY = 20;

// Writes the decimal digits of value, without a terminating zero, into text
// (UNSIGNED_TEXT_CAPACITY bytes); returns their count. The whole part of
// every real and every integer the converter writes come from here.
size_t formatUnsigned(uint64_t value, char* text);
