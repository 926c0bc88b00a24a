#include "textScan.h"

#include <cfloat>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "compilerSupport.h"

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

constexpr int MAX_SIGNIFICANT_DIGITS = 19;  // 10^19 - 1 still fits 64 bits
constexpr int EXPONENT_LIMIT = 100000;      // far beyond any float; stops growing
constexpr uint64_t MAX_EXACT_SIGNIFICAND = static_cast<uint64_t>(1) << 53;
constexpr int MAX_EXACT_POWER = 22;  // 10^22 is the largest power of ten a double holds
constexpr double EXACT_POWERS_OF_TEN[MAX_EXACT_POWER + 1] = {
    1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// A plain decimal number as written: value = significand * 10^exponent, unless
// it has more significant digits than the significand holds (then neither
// says anything).
struct DecimalText {
    const char* end;  // just past the number
    uint64_t significand;
    int exponent;
    int significantDigits;
    bool negative;
};

// Skips the zeros at p; returns how many.
int skipZeros(const char*& p) {
    const char* start = p;
    while (*p == '0') {
        ++p;
    }
    return static_cast<int>(p - start);
}

unsigned digitValue(char c) {
    return static_cast<unsigned>(static_cast<unsigned char>(c)) - '0';  // above 9: no digit
}

// Adds the digits at p to the significand (which wraps around beyond 19
// digits, when it no longer counts); returns the position past them.
// Two at a time: the second is looked at only after the first was a digit,
// so no byte past the text's end is read.
const char* readDigitRun(const char* p, uint64_t& significand) {
    constexpr unsigned BASE = 10;
    for (;;) {
        const unsigned first = digitValue(p[0]);
        if (first > 9) {
            return p;
        }
        const unsigned second = digitValue(p[1]);
        if (second > 9) {
            significand = significand * BASE + first;
            return p + 1;
        }
        significand = significand * (BASE * BASE) + (first * BASE + second);
        p += 2;
    }
}

// Reads the exponent part at p ('e' or 'E' and digits) into number; false when
// the 'e' has no digits after its sign.
bool readExponent(const char*& p, DecimalText& number) {
    const char* q = p + 1;
    bool negative = false;
    if (*q == '+' || *q == '-') {
        negative = *q == '-';
        ++q;
    }
    if (!isDigit(*q)) {
        return false;
    }
    int exponent = 0;
    for (; isDigit(*q); ++q) {
        if (exponent < EXPONENT_LIMIT) {
            exponent = exponent * 10 + (*q - '0');
        }
    }
    number.exponent += negative ? -exponent : exponent;
    p = q;
    return true;
}

// Reads a plain decimal number at text (sign, digits with an optional point,
// an exponent with digits) into number and returns true. Returns false when
// text holds anything the formatted scan reads its own way: hexadecimal,
// "inf", "nan", an exponent without digits, or no digits at all.
// Inline: the scan of every coordinate starts here.
inline bool readDecimalText(const char* text, DecimalText& number) {
    const char* p = text;
    number.negative = *p == '-';
    if (*p == '+' || *p == '-') {
        ++p;
    }
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        return false;
    }
    number.significand = 0;
    number.exponent = 0;
    int digitCount = skipZeros(p);  // leading zeros carry no significant digit
    const char* wholeDigits = p;
    p = readDigitRun(p, number.significand);
    number.significantDigits = static_cast<int>(p - wholeDigits);
    digitCount += number.significantDigits;
    if (*p == '.') {
        ++p;
        int fractionDigits = number.significantDigits == 0 ? skipZeros(p) : 0;
        const char* fractionStart = p;
        p = readDigitRun(p, number.significand);
        const int significant = static_cast<int>(p - fractionStart);
        number.significantDigits += significant;
        fractionDigits += significant;
        number.exponent = -fractionDigits;
        digitCount += fractionDigits;
    }
    if (digitCount == 0) {
        return false;
    }
    if ((*p == 'e' || *p == 'E') && !readExponent(p, number)) {
        return false;
    }
    number.end = p;
    return true;
}

bool isZero(const DecimalText& number) {
    return number.significantDigits == 0;
}

// The magnitude of a plain decimal number rounded once, by one multiplication
// or division of exact doubles (a significand up to 2^53, a power of ten up to
// 10^22): the nearest double, or where the compiler evaluates in a wider
// format (FLT_EVAL_METHOD not 0) the nearest value of that format rounded
// again to a double. False when the number is out of that range.
bool exactDoubleMagnitude(const DecimalText& number, double& magnitude) {
    if (number.significantDigits > MAX_SIGNIFICANT_DIGITS ||
        number.significand > MAX_EXACT_SIGNIFICAND || number.exponent > MAX_EXACT_POWER ||
        number.exponent < -MAX_EXACT_POWER) {
        return false;
    }
    const double significand = static_cast<double>(number.significand);
    magnitude = number.exponent >= 0 ? significand * EXACT_POWERS_OF_TEN[number.exponent]
                                     : significand / EXACT_POWERS_OF_TEN[-number.exponent];
    return true;
}

// True when the double lies exactly halfway between two normal floats: there,
// rounding the decimal to a double first may have made the float's tie.
bool isFloatMidpoint(double value) {
    constexpr uint64_t DROPPED_MASK = (static_cast<uint64_t>(1) << 29) - 1;  // 52 - 23 bits
    constexpr uint64_t HALF_DROPPED = static_cast<uint64_t>(1) << 28;
    uint64_t bits = 0;
    memcpy(&bits, &value, sizeof bits);
    return (bits & DROPPED_MASK) == HALF_DROPPED;
}

// The nearest float to a plain decimal number, without the C library, where
// that is sure: a zero, or a magnitude in the normal float range whose double
// is not a float midpoint. Every rounding on the way was to the nearest value
// of a format that holds all float midpoints, so no midpoint lies between the
// decimal and its double, and both round to the same float.
bool fastFloat(const DecimalText& number, float& value) {
    if (isZero(number)) {
        value = number.negative ? -0.0f : 0.0f;
        return true;
    }
    double magnitude = 0.0;
    if (!exactDoubleMagnitude(number, magnitude) || magnitude < static_cast<double>(FLT_MIN) ||
        magnitude > static_cast<double>(FLT_MAX) || isFloatMidpoint(magnitude)) {
        return false;
    }
    const float single = static_cast<float>(magnitude);
    value = number.negative ? -single : single;
    return true;
}

// The number most model files hold: an optional sign, decimal digits with an
// optional point, at most 19 digits in all, followed by a character that
// cannot continue a number. Its value is significand / 10^fractionDigits.
struct PlainDecimal {
    const char* end;  // just past the number
    uint64_t significand;
    int fractionDigits;
    bool negative;
};

// The eight bytes at p as one number, the first byte in the lowest eight bits,
// whatever the processor's byte order (compilers make this one load).
uint64_t loadEightBytes(const char* p) {
    const unsigned char* b = reinterpret_cast<const unsigned char*>(p);
    return static_cast<uint64_t>(b[0]) | static_cast<uint64_t>(b[1]) << 8 |
           static_cast<uint64_t>(b[2]) << 16 | static_cast<uint64_t>(b[3]) << 24 |
           static_cast<uint64_t>(b[4]) << 32 | static_cast<uint64_t>(b[5]) << 40 |
           static_cast<uint64_t>(b[6]) << 48 | static_cast<uint64_t>(b[7]) << 56;
}

constexpr uint64_t EACH_BYTE = 0x0101010101010101;  // times a byte: that byte in all eight
constexpr uint64_t HIGH_BITS = 0x8080808080808080;

// How many of the eight bytes of word (first byte lowest) are digits before
// the first that is not. A byte's top bit is set by subtracting '0' below the
// digits or adding 0x46 above them; a carry or borrow goes only to later
// bytes, past the first non-digit, so that one is found exactly.
int leadingDigitCount(uint64_t word) {
    constexpr uint64_t ABOVE_NINE = 0x46 * EACH_BYTE;  // '9' + 0x46 = 0x7f, ':' + 0x46 = 0x80
    const uint64_t nonDigits = ((word + ABOVE_NINE) | (word - '0' * EACH_BYTE)) & HIGH_BITS;
    if (nonDigits == 0) {
        return 8;
    }
#if defined(LOWEST_SET_BIT)
    return LOWEST_SET_BIT(nonDigits) >> 3;  // the lowest set bit: 8 * index + 7
#else
    // The lowest marked byte as a power of 256, times 8, 7, ..., 1 in the bytes
    // from the lowest up: the top byte of the product is its index plus one.
    constexpr uint64_t BYTE_INDEX_PLUS_ONE = 0x0102030405060708;
    constexpr int TOP_BYTE_SHIFT = 56;
    const uint64_t lowest = (nonDigits & (~nonDigits + 1)) >> 7;
    return static_cast<int>((lowest * BYTE_INDEX_PLUS_ONE) >> TOP_BYTE_SHIFT) - 1;
#endif
}

constexpr uint64_t POWERS_OF_TEN[9] = {1,      10,      100,      1000,     10000,
                                       100000, 1000000, 10000000, 100000000};

// The value of the first count (1 to 8) bytes of word, all digits: the digits
// moved to the top (zeros before them) and combined in pairs, fours, eights.
uint64_t digitsValue(uint64_t word, int count) {
    constexpr int BYTE_BITS = 8;
    uint64_t digits = (word - '0' * EACH_BYTE) << (BYTE_BITS * (8 - count));
    digits = (digits * 10 + (digits >> 8)) & 0x00ff00ff00ff00ff;
    digits = (digits * 100 + (digits >> 16)) & 0x0000ffff0000ffff;
    return (digits * 10000 + (digits >> 32)) & 0xffffffff;
}

// Characters that would make the text after the digits part of the number
// (an exponent, a hexadecimal prefix) or read it otherwise.
bool continuesNumber(char c) {
    constexpr char SMALL_LETTER_BIT = 0x20;  // 'E' and 'e', 'X' and 'x' differ in it alone
    const char small = static_cast<char>(c | SMALL_LETTER_BIT);
    return small == 'e' || small == 'x';
}

// Reads a plain decimal at text (no white space before it); false for any
// other text, which the general reading then takes. Inline: every coordinate
// of a model starts here.
inline bool readPlainDecimal(const char* text, PlainDecimal& number) {
    const char* p = text;
    number.negative = *p == '-';
    if (*p == '-' || *p == '+') {
        ++p;
    }
    number.significand = 0;
    const char* digits = p;
    p = readDigitRun(p, number.significand);
    int digitCount = static_cast<int>(p - digits);
    number.fractionDigits = 0;
    if (*p == '.') {
        const char* fraction = ++p;
        p = readDigitRun(p, number.significand);
        number.fractionDigits = static_cast<int>(p - fraction);
        digitCount += number.fractionDigits;
    }
    number.end = p;
    return digitCount > 0 && digitCount <= MAX_SIGNIFICANT_DIGITS && !continuesNumber(*p) &&
           number.significand <= MAX_EXACT_SIGNIFICAND;
}

// The magnitude of a plain decimal rounded once: a significand up to 2^53
// divided by an exact power of ten up to 10^19.
double plainMagnitude(const PlainDecimal& number) {
    return static_cast<double>(number.significand) / EXACT_POWERS_OF_TEN[number.fractionDigits];
}

// The nearest float to a plain decimal where that is sure, as fastFloat.
bool plainFloat(const PlainDecimal& number, float& value) {
    if (number.significand == 0) {
        value = number.negative ? -0.0f : 0.0f;
        return true;
    }
    // A significand from 1 to 2^53 over at most 10^19: always a normal float's
    // magnitude, so that only a midpoint needs the C library.
    static_assert(
        1e-19 > static_cast<double>(FLT_MIN) && 9007199254740992.0 < static_cast<double>(FLT_MAX),
        "a plain decimal lies in the normal float range");
    const double magnitude = plainMagnitude(number);
    if (isFloatMidpoint(magnitude)) {
        return false;
    }
    const float single = static_cast<float>(magnitude);
    value = number.negative ? -single : single;
    return true;
}

// scanFloat for every number but a plain decimal that rounds surely: kept out
// of line, away from the common path.
NOT_INLINED bool scanOtherFloat(const char*& cursor, float& value) {
    const char* start = skipScanSpace(cursor);
    DecimalText number;
    if (readDecimalText(start, number)) {
        if (fastFloat(number, value)) {
            cursor = number.end;
            return true;
        }
        char* end = nullptr;
        const float plain = strtof(start, &end);
        if (end == number.end) {
            value = plain;
            cursor = number.end;
            return true;
        }
    }
    int consumed = 0;
    if (sscanf(cursor, "%f%n", &value, &consumed) != 1) {
        return false;
    }
    cursor += consumed;
    return true;
}

// Reads one float at cursor as the formatted scan's "%f" does. Inline: it is
// the inner step of every list of coordinates.
inline bool scanFloat(const char*& cursor, float& value) {
    PlainDecimal number;
    if (readPlainDecimal(skipScanSpace(cursor), number) && plainFloat(number, value)) {
        cursor = number.end;
        return true;
    }
    return scanOtherFloat(cursor, value);
}

// Walks pattern over text: conversion directives ("%" and the letter given)
// read one value each with readField, white space skips white space, any
// other character must match itself.
template <typename Value, bool (*readField)(const char*&, Value&)>
int scanFields(const char* text, const char* pattern, char conversion, Value* const* targets) {
    int converted = 0;
    const char* cursor = text;
    for (const char* directive = pattern; *directive != '\0'; ++directive) {
        if (directive[0] == '%' && directive[1] == conversion) {
            if (!readField(cursor, *targets[converted])) {
                return converted;
            }
            ++converted;
            ++directive;
        } else if (isScanSpace(*directive)) {
            cursor = skipScanSpace(cursor);
        } else if (*cursor == *directive) {
            ++cursor;
        } else {
            return converted;
        }
    }
    return converted;
}

}  // namespace

namespace {

// Where the compiler evaluates in a wider format (or does not say), the one
// rounding that makes the nearest double is not sure: the C library decides.
#if defined(FLT_EVAL_METHOD) && FLT_EVAL_METHOD == 0
constexpr bool EXACT_DOUBLE_ARITHMETIC = true;
#else
constexpr bool EXACT_DOUBLE_ARITHMETIC = false;
#endif

// scanDouble for every number but a plain decimal: kept out of line.
NOT_INLINED double scanOtherDouble(const char* text, const char* start) {
    DecimalText number;
    if (EXACT_DOUBLE_ARITHMETIC && readDecimalText(start, number)) {
        if (isZero(number)) {
            return number.negative ? -0.0 : 0.0;
        }
        double magnitude = 0.0;
        if (exactDoubleMagnitude(number, magnitude)) {
            return number.negative ? -magnitude : magnitude;
        }
    }
    return strtod(text, nullptr);
}

}  // namespace

double scanDouble(const char* text) {
    const char* start = skipScanSpace(text);
    PlainDecimal plainNumber;
    if (EXACT_DOUBLE_ARITHMETIC && readPlainDecimal(start, plainNumber)) {
        const double magnitude = plainMagnitude(plainNumber);  // zero for a zero significand
        return plainNumber.negative ? -magnitude : magnitude;
    }
    return scanOtherDouble(text, start);
}

int scanInts(const char* text, const char* pattern, int32_t* const* targets) {
    return scanFields<int32_t, scanInt>(text, pattern, 'd', targets);
}

int scanFloats(const char* text, const char* pattern, float* const* targets) {
    return scanFields<float, scanFloat>(text, pattern, 'f', targets);
}

namespace {

// scanFloatList from the number at index converted on, cursor just past the
// one before it (or at the text's start).
int scanFloatListFrom(const char* cursor, char separator, int converted, int count,
                      float* const* targets) {
    for (; converted < count; ++converted) {
        if (converted > 0 && isScanSpace(separator)) {
            cursor = skipScanSpace(cursor);
        } else if (converted > 0) {
            if (*cursor != separator) {
                return converted;
            }
            ++cursor;
        }
        if (!scanFloat(cursor, *targets[converted])) {
            return converted;
        }
    }
    return count;
}

// The plain decimal most exporters write, read in a few steps: an optional
// minus, one to seven digits, a point and one to seven digits, followed by
// neither a digit nor a character that continues a number (readPlainDecimal
// reads it the same). Needs text followed by LINE_PADDING readable bytes past
// its end: each run of digits is loaded whole with the bytes after it, which
// play no part. False for any other text, with number undefined.
inline bool readShortDecimal(const char* text, PlainDecimal& number) {
    number.negative = *text == '-';
    const char* p = text + (number.negative ? 1 : 0);
    const uint64_t whole = loadEightBytes(p);
    const int wholeDigits = leadingDigitCount(whole);
    if (wholeDigits == 0 || wholeDigits == 8 || p[wholeDigits] != '.') {
        return false;
    }
    p += wholeDigits + 1;
    const uint64_t fraction = loadEightBytes(p);
    const int fractionDigits = leadingDigitCount(fraction);
    if (fractionDigits == 0 || fractionDigits == 8 || continuesNumber(p[fractionDigits])) {
        return false;
    }
    // At most 14 digits: far below 2^53. Up to eight (a short whole part and
    // six decimals) are put side by side and combined at once.
    constexpr int BYTE_BITS = 8;
    if (wholeDigits + fractionDigits <= 8) {
        const uint64_t wholeMask = (static_cast<uint64_t>(1) << (BYTE_BITS * wholeDigits)) - 1;
        const uint64_t joined = (whole & wholeMask) | fraction << (BYTE_BITS * wholeDigits);
        number.significand = digitsValue(joined, wholeDigits + fractionDigits);
    } else {
        number.significand = digitsValue(whole, wholeDigits) * POWERS_OF_TEN[fractionDigits] +
                             digitsValue(fraction, fractionDigits);
    }
    number.fractionDigits = fractionDigits;
    number.end = p + fractionDigits;
    return true;
}

// Reads numbers of that shape, the first after white space, each other right
// after the one separator character, for as long as they come and round
// surely; returns how many, cursor just past the last.
int scanShortFloats(const char*& cursor, char separator, int count, float* const* targets) {
    for (int converted = 0; converted < count; ++converted) {
        const char* start = cursor;
        if (converted == 0) {
            start = skipScanSpace(start);
        } else if (*start == separator) {
            ++start;
        } else {
            return converted;
        }
        PlainDecimal number;
        if (!readShortDecimal(start, number) || !plainFloat(number, *targets[converted])) {
            return converted;
        }
        cursor = number.end;
    }
    return count;
}

}  // namespace

int scanFloatList(const char* text, char separator, int count, float* const* targets) {
    return scanFloatListFrom(text, separator, 0, count, targets);
}

int scanPaddedFloatList(const char* text, char separator, int count, float* const* targets) {
    const char* cursor = text;
    const int converted = scanShortFloats(cursor, separator, count, targets);
    if (converted == count) {
        return count;
    }
    return scanFloatListFrom(cursor, separator, converted, count, targets);
}

namespace {

bool isWordCharacter(char c) {
    constexpr unsigned char BLANK = ' ';
    return static_cast<unsigned char>(c) > BLANK || (c != '\0' && !isScanSpace(c));
}

}  // namespace

const char* scanFirstWord(const char* text, char* word, size_t capacity) {
    const char* p = skipScanSpace(text);
    size_t length = 0;
    for (; isWordCharacter(*p); ++p) {
        if (length + 1 < capacity) {
            word[length++] = *p;
        }
    }
    if (capacity > 0) {
        word[length] = '\0';
    }
    return p;
}

bool equalsIgnoringCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        if (*a != *b && lowerAscii(*a) != lowerAscii(*b)) {
            return false;  // also where one text ends before the other
        }
        if (*a == '\0') {
            return true;
        }
    }
}
