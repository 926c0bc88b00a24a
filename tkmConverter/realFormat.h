// The one writer of real numbers: six decimals of the exact binary value, an
// exact tie rounded away from zero, negative zero written without a sign, a
// negative value that rounds to zero keeping its "-", "inf" and "-inf" for the
// infinities and "nan", without a sign, for every NaN (whose sign depends on
// the processor that made it). Used for every real number the converter
// prints, in the brick file and on standard output alike.
#pragma once

#include <cstddef>
#include <cstdio>

// Longest text: "-", 309 integer digits, ".", six decimals, and the zero.
constexpr size_t REAL_TEXT_CAPACITY = 320;

// Writes the text of value into text (REAL_TEXT_CAPACITY bytes) with its
// terminating zero; returns its length.
size_t formatReal(double value, char* text);

// Writes count reals separated by one blank, with no line end.
void printReals(FILE* out, const double* values, int count);
