// SPDX-License-Identifier: MIT
// Small text helpers shared by the readers: white space as the C library's
// formatted scan sees it in the "C" locale, decimal integers read as its "%d"
// reads them (but clamped to 32 bits instead of overflowing), real numbers
// read as its "%f" and strtod read them, first words, and ASCII comparison
// without regard to case.
#pragma once

#include <cstddef>
#include <cstdint>

#include "textPadding.h"

inline bool isScanSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');  // tab, line feed, \v, \f, carriage return
}

// Inline: every number and every blank of a pattern starts here, mostly at a
// character that is not white space.
inline const char* skipScanSpace(const char* text) {
    constexpr unsigned char BLANK = ' ';  // no byte above it is white space
    while (static_cast<unsigned char>(*text) <= BLANK && isScanSpace(*text)) {
        ++text;
    }
    return text;
}

// Reads an integer at cursor: white space, an optional sign, decimal digits.
// On success stores the value, clamped to the signed 32-bit range, moves
// cursor past the digits and returns true; otherwise returns false and leaves
// value as it was.
// Inline: every group code of a DXF file and every face corner is one.
inline bool scanInt(const char*& cursor, int32_t& value);

// Scans text against pattern as the formatted scan does for a pattern of "%d"
// directives, white space (matching any run of white space, even none) and
// literal characters (matching themselves exactly). Stores each converted
// value into *targets[i] as soon as it is read, stops at the first mismatch and
// returns the number of values converted.
int scanInts(const char* text, const char* pattern, int32_t* const* targets);

// Padded text: followed by at least SCAN_READS_PAST_ZERO readable bytes past
// its terminating zero (textPadding.h), as the line reader delivers its lines.
// The number scans below read digits eight bytes at a time and accept only
// padded text.

// Reads count 32-bit floats as the formatted scan reads a pattern of count
// "%f" directives joined by separator: white space (which matches any run of
// white space, even none) or a character that must be there. So
// scanPaddedFloatList(text, ',', 3, targets) reads as sscanf(text,
// "%f,%f,%f", ...) does, with the formatted scan's own reading of each number
// (hexadecimal, "nan", "inf", a lone "1e" taken as 1, overflow to infinity).
// Stores each value as soon as it is read and returns how many were.
int scanPaddedFloatList(const char* text, char separator, int count, float* const* targets);

// Reads a double at padded text as strtod does (white space, then the longest
// number it can read, 0 when there is none).
double scanPaddedDouble(const char* text);

// Reads a double at padded text as the formatted scan's "%lf" reads it
// (white space, then the longest number it takes, hexadecimal, "inf" and
// "nan" included); returns the position past it, or null when there is none.
const char* scanPaddedDoubleAt(const char* text, double& value);

// Reads text that holds one decimal number and nothing else: an optional
// sign; digits, optionally followed by a point and zero or more digits, or a
// point and digits; an optional exponent ('e' or 'E', an optional sign,
// digits). Stores the number rounded once to the nearest float, a tie to the
// even one, as strtof rounds it (infinity from the largest float's upper
// midpoint on, zero at or below half the least one), without the C library,
// and returns true; returns false for any other text. The text need not be
// padded (a command-line argument).
bool readWholeDecimal(const char* text, float& value);

// Just past the word that starts at text: at the first white space or zero.
inline const char* skipWord(const char* text) {
    constexpr unsigned char BLANK = ' ';  // every byte above it belongs to a word
    while (static_cast<unsigned char>(*text) > BLANK || (*text != '\0' && !isScanSpace(*text))) {
        ++text;
    }
    return text;
}

// c with an ASCII capital letter made small; every other byte as it is.
inline char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// True when a and b are equal, ASCII letters compared without regard to case.
bool equalsIgnoringCase(const char* a, const char* b);

// True when text begins with prefix, a string literal, compared exactly; a
// text that ends first does not. Inline and of the literal's length: the
// readers ask it of every line, and each character becomes one comparison.
template <size_t N>
inline bool startsWith(const char* text, const char (&prefix)[N]) {
    for (size_t i = 0; i + 1 < N; ++i) {
        if (text[i] != prefix[i]) {
            return false;
        }
    }
    return true;
}

inline bool scanInt(const char*& cursor, int32_t& value) {
    constexpr int64_t LARGEST = INT32_MAX;
    constexpr int64_t BEYOND_SMALLEST = -static_cast<int64_t>(INT32_MIN);
    const char* p = skipScanSpace(cursor);
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    if (*p < '0' || *p > '9') {
        return false;
    }
    int64_t magnitude = 0;  // saturates just past the 32-bit range
    for (; *p >= '0' && *p <= '9'; ++p) {
        if (magnitude <= BEYOND_SMALLEST) {
            magnitude = magnitude * 10 + (*p - '0');
        }
    }
    if (negative) {
        value = magnitude >= BEYOND_SMALLEST ? INT32_MIN : static_cast<int32_t>(-magnitude);
    } else {
        value = magnitude >= LARGEST ? INT32_MAX : static_cast<int32_t>(magnitude);
    }
    cursor = p;
    return true;
}
