// SPDX-License-Identifier: MIT
// The one writer of numbers' text, into a buffer the caller gives.
//
// Reals: six decimals of the exact binary value, an exact tie rounded away
// from zero, negative zero written without a sign, a negative value that
// rounds to zero keeping its "-", "inf" and "-inf" for the infinities and
// "nan", without a sign, for every NaN (whose sign depends on the processor
// that made it). Integers: as "%d" writes them. Used for every number the
// converter prints, in the brick file and on standard output alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// Longest text: "-", 309 integer digits, ".", six decimals, and the zero.
constexpr size_t REAL_TEXT_CAPACITY = 320;

// Writes the text of value into text (REAL_TEXT_CAPACITY bytes) with its
// terminating zero; returns its length.
size_t formatReal(double value, char* text);

// Writes count reals separated by one blank, with no line end, into text, which holds count *
// (REAL_TEXT_CAPACITY + 1) bytes, with a terminating zero; returns the length.
size_t formatReals(const double* values, int count, char* text);

// Longest text of a whole number: 20 digits; of a signed 32-bit one: "-2147483648".
constexpr size_t UNSIGNED_TEXT_CAPACITY = 20;
constexpr size_t INT_TEXT_CAPACITY = 11;

// "00", "01", ..., "99": two digits at a time.
inline constexpr char DIGIT_PAIRS[] =
    "0001020304050607080910111213141516171819"
    "2021222324252627282930313233343536373839"
    "4041424344454647484950515253545556575859"
    "6061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes the two digits of value (below 100) at text.
inline void writeTwoDigits(uint32_t value, char* text) {
    memcpy(text, DIGIT_PAIRS + 2 * value, 2);
}

// formatUnsigned for a value of five or more digits.
size_t formatManyDigits(uint64_t value, char* text);

// Writes the decimal digits of value, without a terminating zero, into text
// (UNSIGNED_TEXT_CAPACITY bytes); returns their count. The whole part of
// every real and every integer the programs write come from here. Inline:
// values below 10^4 (the whole part of a model's coordinates, line numbers,
// counts) take no loop and no call.
inline size_t formatUnsigned(uint64_t value, char* text) {
    constexpr uint32_t HUNDRED = 100;
    constexpr uint32_t TEN_THOUSAND = 10000;
    if (value < 10) {
        text[0] = static_cast<char>('0' + value);
        return 1;
    }
    if (value < HUNDRED) {
        writeTwoDigits(static_cast<uint32_t>(value), text);
        return 2;
    }
    if (value >= TEN_THOUSAND) {
        return formatManyDigits(value, text);
    }
    const uint32_t high = static_cast<uint32_t>(value) / HUNDRED;
    const uint32_t low = static_cast<uint32_t>(value) - high * HUNDRED;
    if (high < 10) {
        text[0] = static_cast<char>('0' + high);
        writeTwoDigits(low, text + 1);
        return 3;
    }
    writeTwoDigits(high, text);
    writeTwoDigits(low, text + 2);
    return 4;
}

// Writes the decimal text of value as "%d" writes it, without a terminating
// zero, into text (INT_TEXT_CAPACITY bytes); returns its length.
inline size_t formatInt(int32_t value, char* text) {
    if (value >= 0) {
        return formatUnsigned(static_cast<uint32_t>(value), text);
    }
    // The magnitude in unsigned arithmetic: the smallest value has no positive twin.
    text[0] = '-';
    return 1 + formatUnsigned(0u - static_cast<uint32_t>(value), text + 1);
}
