// SPDX-License-Identifier: MIT
#include "textScan.h"

#include <cassert>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "compilerSupport.h"
#include "textPadding.h"

// Reading a real number. One reader, readDecimal, takes a decimal number's
// text apart: its sign, its digits with an optional point, its exponent. It
// reads the digits eight at a time, the eight bytes of one 64-bit word tested
// and combined at once: the SWAR step of D. Lemire, "Number Parsing at a
// Gigabyte per Second" (Software: Practice and Experience, 2021), after
// W. Muła. The value then comes one of two ways:
// - exactly, by Clinger's fast path (W. D. Clinger, "How to Read Floating
//   Point Numbers Accurately", PLDI 1990): a significand of at most 2^53 and
//   a power of ten of at most 10^22 are both exact doubles, so that one
//   multiplication or division rounds the decimal once, to the nearest double;
// - from the C library for everything else: hexadecimal, inf, nan, more
//   digits than the fast path holds, results outside the normal float range
//   and float midpoints.

namespace {

// A significand of up to 19 digits (leading zeros included) has not wrapped
// around: 10^19 - 1 fits 64 bits.
constexpr int MAX_EXACT_DIGITS = 19;
constexpr uint64_t MAX_EXACT_SIGNIFICAND = static_cast<uint64_t>(1) << 53;
constexpr int MAX_EXACT_POWER = 22;  // 10^22 is the largest power of ten a double holds
constexpr double EXACT_POWERS_OF_TEN[MAX_EXACT_POWER + 1] = {
    1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int EXPONENT_LIMIT = 100000;  // far beyond any float; stops growing
constexpr int WORD_BYTES = 8;
constexpr int BYTE_BITS = 8;
constexpr uint64_t EACH_BYTE = 0x0101010101010101;  // times a byte: that byte in all eight
constexpr uint64_t HIGH_BITS = 0x8080808080808080;
constexpr uint64_t POWERS_OF_TEN[WORD_BYTES + 1] = {1,      10,      100,      1000,     10000,
                                                    100000, 1000000, 10000000, 100000000};
constexpr char SMALL_LETTER_BIT = 0x20;  // 'E' and 'e', 'X' and 'x' differ in it alone

// Where the compiler evaluates in a wider format (or does not say), the one
// rounding that makes the nearest double is not sure: the C library decides.
#if defined(FLT_EVAL_METHOD) && FLT_EVAL_METHOD == 0
constexpr bool EXACT_DOUBLE_ARITHMETIC = true;
#else
constexpr bool EXACT_DOUBLE_ARITHMETIC = false;
#endif

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// A decimal number's text taken apart. Its value is significand * 10^exponent
// while length is at most MAX_EXACT_DIGITS; with more digits the significand
// has wrapped around and says nothing.
struct DecimalNumber {
    const char* end;  // just past the number's text
    uint64_t significand;
    int length;  // of the digits and the point, the first digit's zeros included
    int exponent;
    bool negative;
    bool letterAfter;  // a byte from 'E' up followed the digits, maybe an exponent ("e5");
                       // without one the exponent comes from the fraction alone, 0 or below
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

// The eight bytes at p less '0' each: the digits' values where they are digits.
uint64_t loadEightDigits(const char* p) {
    constexpr uint64_t ZEROS = '0' * EACH_BYTE;
    return loadEightBytes(p) - ZEROS;
}

// How many of the eight bytes of digits (as loadEightDigits gives them, first
// byte lowest) are digits before the first that is not. A byte's top bit is
// set where it is above 9 after adding 0x76, or where it was below '0' (and so
// wrapped around); a carry or borrow goes only to later bytes, past the first
// non-digit, so that one is found exactly.
int leadingDigitCount(uint64_t digits) {
    constexpr uint64_t BEYOND_NINE = 0x76 * EACH_BYTE;  // 9 + 0x76 = 0x7f, 10 + 0x76 = 0x80
    const uint64_t nonDigits = (digits | (digits + BEYOND_NINE)) & HIGH_BITS;
    if (nonDigits == 0) {
        return WORD_BYTES;
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

// The value of the first count (1 to 8) bytes of digits, each a digit's value,
// the first the most significant. The digits move to the top bytes (zero
// digits before them, the bytes after them gone). Then neighbours combine in
// three steps, each within lanes twice as wide as the last: a lane times 10,
// 100 or 10^4 plus the next lane (shifted down onto it) gives the two-, four-
// or eight-digit value of the pair, which fits the wider lane; the mask keeps
// those pairs and clears the lanes in between.
uint64_t digitsValue(uint64_t digits, int count) {
    constexpr uint64_t PAIR_LANES = 0x00ff00ff00ff00ff;  // 8-bit values in 16-bit lanes
    constexpr uint64_t FOUR_LANES = 0x0000ffff0000ffff;  // 16-bit values in 32-bit lanes
    constexpr uint64_t EIGHT_LANE = 0x00000000ffffffff;  // one 32-bit value
    uint64_t lanes = digits << (BYTE_BITS * (WORD_BYTES - count));
    lanes = (lanes * 10 + (lanes >> 8)) & PAIR_LANES;
    lanes = (lanes * 100 + (lanes >> 16)) & FOUR_LANES;
    return (lanes * 10000 + (lanes >> 32)) & EIGHT_LANE;
}

// The first count (0 to 7) bytes of word followed by the bytes of next.
uint64_t joinWords(uint64_t word, int count, uint64_t next) {
    const uint64_t kept = (static_cast<uint64_t>(1) << (BYTE_BITS * count)) - 1;
    return (word & kept) | next << (BYTE_BITS * count);
}

// The digits of a number's text with at most one point among them, read so far.
struct DigitRun {
    const char* end;  // just past them
    uint64_t significand;
    const char* point;  // null without one
};

// One step of the digit loop: up to eight digits at run.end, the eight bytes
// tested and combined at once, added to run's significand; returns how many.
// Where the digits stop at the first point, the bytes after it are joined
// onto them, so that the common "-12.345678" takes one step. Reads up to seven
// bytes past the last digit, so run.end must lie in padded text.
inline int readDigitStep(DigitRun& run) {
    const char* p = run.end;
    uint64_t digits = loadEightDigits(p);
    int count = leadingDigitCount(digits);
    if (count < WORD_BYTES && p[count] == '.' && run.point == nullptr) {
        run.point = p + count;
        digits = joinWords(digits, count, loadEightDigits(run.point + 1));
        count = leadingDigitCount(digits);  // the digits on both sides, up to eight
        ++p;                                // so that p + count lies past them
    }
    if (count > 0) {
        run.significand = run.significand * POWERS_OF_TEN[count] + digitsValue(digits, count);
    }
    run.end = p + count;
    return count;
}

// True when a step of eight digits may have more after it.
bool continuesDigits(const DigitRun& run) {
    return isDigit(*run.end) || (*run.end == '.' && run.point == nullptr);
}

// The digit loop past its first step, for numbers of more than eight digits:
// kept out of line.
NOT_INLINED DigitRun readMoreDigits(DigitRun run) {
    while (readDigitStep(run) == WORD_BYTES && continuesDigits(run)) {
    }
    return run;
}

// Reads the digits at padded text p, eight at a time.
inline DigitRun readDigits(const char* p) {
    DigitRun run{p, 0, nullptr};
    if (readDigitStep(run) == WORD_BYTES && continuesDigits(run)) {
        return readMoreDigits(run);
    }
    return run;
}

// The exponent part of a number's text: 'e' or 'E', an optional sign, digits.
struct ExponentPart {
    const char* end;  // just past it; null when the 'e' has no digits after its sign
    int value;
};

ExponentPart readExponentPart(const char* p) {
    const char* q = p + 1;
    bool negative = false;
    if (*q == '+' || *q == '-') {
        negative = *q == '-';
        ++q;
    }
    if (!isDigit(*q)) {
        return ExponentPart{nullptr, 0};
    }
    int exponent = 0;
    for (; isDigit(*q); ++q) {
        if (exponent < EXPONENT_LIMIT) {
            exponent = exponent * 10 + (*q - '0');
        }
    }
    return ExponentPart{q, negative ? -exponent : exponent};
}

// What may follow a number's digits at p: an exponent part, or the 'x' that
// makes a lone "0" the start of a hexadecimal number. Its end is null for
// text that the C library reads its own way: hexadecimal, an exponent
// without digits.
ExponentPart readNumberTail(const char* digits, const char* p) {
    const char letter = static_cast<char>(*p | SMALL_LETTER_BIT);
    if (letter == 'x') {
        return ExponentPart{p == digits + 1 && digits[0] == '0' ? nullptr : p, 0};
    }
    if (letter != 'e') {
        return ExponentPart{p, 0};
    }
    return readExponentPart(p);
}

// Reads a decimal number at padded text (no white space before it): a sign,
// digits with an optional point, an exponent with digits. Returns false for
// text that the C library reads its own way or not at all: hexadecimal,
// "inf", "nan", an exponent without digits, no digits.
// Inline: the scan of every coordinate starts here.
inline bool readDecimal(const char* text, DecimalNumber& number) {
    const char* digits = text;
    number.negative = *digits == '-';
    if (*digits == '-' || *digits == '+') {
        ++digits;
    }
    const DigitRun run = readDigits(digits);
    const char* p = run.end;
    number.significand = run.significand;
    number.length = static_cast<int>(p - digits);
    if (number.length <= 1 && (number.length == 0 || run.point != nullptr)) {
        return false;  // no digit
    }
    number.exponent = run.point != nullptr ? static_cast<int>(run.point + 1 - p) : 0;
    number.letterAfter = false;
    constexpr unsigned char FIRST_TAIL_LETTER = 'E';  // 'E', 'X', 'e' and 'x' are not below it
    if (static_cast<unsigned char>(*p) >= FIRST_TAIL_LETTER) {
        const ExponentPart tail = readNumberTail(digits, p);
        number.exponent += tail.value;
        number.letterAfter = true;
        p = tail.end;
    }
    number.end = p;
    return p != nullptr;
}

// The significand of a number within the fast path's reach (at most 2^53) as
// a double, exactly: as a signed number it converts in one instruction.
double exactSignificand(const DecimalNumber& number) {
    return static_cast<double>(static_cast<int64_t>(number.significand));
}

// Clinger's fast path: the magnitude rounded once, by one multiplication or
// division of exact doubles, to the nearest double, or where the compiler
// evaluates in a wider format (FLT_EVAL_METHOD not 0) to the nearest value of
// that format rounded again to a double. False for a number out of its reach.
inline bool exactMagnitude(const DecimalNumber& number, double& magnitude) {
    // Up to 15 digits stay below 2^53; 16 to 19 digits may not.
    constexpr int SHORT_LENGTH = 15;
    static_assert(999999999999999 < MAX_EXACT_SIGNIFICAND, "15 digits fit the significand");
    static_assert(SHORT_LENGTH <= MAX_EXACT_POWER, "a short number's fraction is within reach");
    if (number.length <= SHORT_LENGTH && !number.letterAfter) {  // most numbers
        magnitude = exactSignificand(number) / EXACT_POWERS_OF_TEN[-number.exponent];
        return true;
    }
    const bool withinReach =
        number.length <= SHORT_LENGTH ||
        (number.length <= MAX_EXACT_DIGITS && number.significand <= MAX_EXACT_SIGNIFICAND);
    if (!withinReach || number.exponent < -MAX_EXACT_POWER || number.exponent > MAX_EXACT_POWER) {
        return false;
    }
    const double significand = exactSignificand(number);
    magnitude = number.exponent < 0 ? significand / EXACT_POWERS_OF_TEN[-number.exponent]
                                    : significand * EXACT_POWERS_OF_TEN[number.exponent];
    return true;
}

// Every magnitude of the fast path but zero, from 1 / 10^22 to 2^53 * 10^22,
// is a normal float's.
static_assert(1 / EXACT_POWERS_OF_TEN[MAX_EXACT_POWER] > static_cast<double>(FLT_MIN) &&
                  static_cast<double>(MAX_EXACT_SIGNIFICAND) *
                          EXACT_POWERS_OF_TEN[MAX_EXACT_POWER] <
                      static_cast<double>(FLT_MAX),
              "the fast path stays in the normal float range");

// True when a double in the normal float range lies exactly halfway between
// two floats: there, rounding the decimal to a double first may have made the
// float's tie. In that range a float keeps the top 24 of the double's 53
// significand bits, so a midpoint is a double whose 29 lower bits read
// exactly one half; below it, among the subnormal floats, fewer bits are kept
// and this test says nothing.
bool isFloatMidpoint(double value) {
    constexpr uint64_t DROPPED_MASK = (static_cast<uint64_t>(1) << 29) - 1;  // 52 - 23 bits
    constexpr uint64_t HALF_DROPPED = static_cast<uint64_t>(1) << 28;
    uint64_t bits = 0;
    memcpy(&bits, &value, sizeof bits);
    return (bits & DROPPED_MASK) == HALF_DROPPED;
}

// The nearest float to a decimal number, without the C library, where that is
// sure: by the fast path, unless the double is a float midpoint. Every
// rounding on the way was to the nearest value of a format that holds all
// float midpoints, so no midpoint lies between the decimal and its double,
// and both round to the same float.
inline bool nearestFloatExactly(const DecimalNumber& number, float& value) {
    double magnitude = 0.0;
    if (!exactMagnitude(number, magnitude) || isFloatMidpoint(magnitude)) {
        return false;  // a zero is no midpoint
    }
    const float single = static_cast<float>(magnitude);
    value = number.negative ? -single : single;
    return true;
}

// The texts whose formatted scan differs between C libraries, read here
// as glibc reads them, so that no result depends on the library: "nan" in
// any letter case, signed, ends after its third letter (a parenthesised part
// that follows is not read) and keeps its sign; a number whose exponent
// marker ("e", or "p" after "0x") has no digit after it, nor after its sign,
// takes the marker and the sign. Returns the position past the text, or null
// for every other text.
const char* scanDisputedFloat(const char* text, float& value) {
    const char* letters = text + (*text == '-' || *text == '+' ? 1 : 0);
    if ((letters[0] | 0x20) == 'n' && (letters[1] | 0x20) == 'a' && (letters[2] | 0x20) == 'n') {
        const float nan = std::numeric_limits<float>::quiet_NaN();
        value = *text == '-' ? -nan : nan;
        return letters + 3;
    }
    char* end = nullptr;
    const float read = strtof(text, &end);
    const bool hexadecimal = letters[0] == '0' && (letters[1] | 0x20) == 'x' && end > letters + 1;
    if (end == text || (*end | 0x20) != (hexadecimal ? 'p' : 'e')) {
        return nullptr;
    }
    const char* after = end + 1;
    after += *after == '-' || *after == '+' ? 1 : 0;
    if (isDigit(*after)) {
        return nullptr;
    }
    value = read;
    return after;
}

// The fallback: the C library reads the float at cursor; returns the
// position past it, or null when there is none. decimalEnd, when not null, is
// where readDecimal found the number to end; strtof reads such a number as
// the formatted scan does. Kept out of line, away from the common path.
NOT_INLINED const char* libraryFloat(const char* cursor, const char* decimalEnd, float& value) {
    if (decimalEnd != nullptr) {
        char* end = nullptr;
        const float read = strtof(skipScanSpace(cursor), &end);
        if (end == decimalEnd) {
            value = read;
            return decimalEnd;
        }
    }
    const char* const disputed = scanDisputedFloat(skipScanSpace(cursor), value);
    if (disputed != nullptr) {
        return disputed;
    }
    int consumed = 0;
    if (sscanf(cursor, "%f%n", &value, &consumed) != 1) {
        return nullptr;
    }
    return cursor + consumed;
}

NOT_INLINED double libraryDouble(const char* text) {
    return strtod(text, nullptr);
}

// Reads one float at cursor, in padded text, as the formatted scan's "%f"
// does; returns the position past it, or null when there is none. Inline: it
// is the inner step of every list of coordinates.
inline const char* scanFloat(const char* cursor, float& value) {
    DecimalNumber number;
    if (!readDecimal(skipScanSpace(cursor), number)) {
        return libraryFloat(cursor, nullptr, value);
    }
    if (!nearestFloatExactly(number, value)) {
        return libraryFloat(cursor, number.end, value);
    }
    return number.end;
}

}  // namespace

int scanInts(const char* text, const char* pattern, int32_t* const* targets) {
    int converted = 0;
    const char* cursor = text;
    for (const char* directive = pattern; *directive != '\0'; ++directive) {
        if (directive[0] == '%' && directive[1] == 'd') {
            if (!scanInt(cursor, *targets[converted])) {
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

int scanPaddedFloatList(const char* text, char separator, int count, float* const* targets) {
    const bool blankSeparator = isScanSpace(separator);  // each number skips white space itself
    const char* cursor = text;
    for (int converted = 0; converted < count;) {
        cursor = scanFloat(cursor, *targets[converted]);
        if (cursor == nullptr) {
            return converted;
        }
        ++converted;
        if (*cursor == separator) {
            ++cursor;  // the common single blank, or the separator that must be there
        } else if (!blankSeparator && converted < count) {
            return converted;
        }
    }
    return count;
}

double scanPaddedDouble(const char* text) {
    DecimalNumber number;
    double magnitude = 0.0;
    if (EXACT_DOUBLE_ARITHMETIC && readDecimal(skipScanSpace(text), number) &&
        exactMagnitude(number, magnitude)) {
        return number.negative ? -magnitude : magnitude;
    }
    return libraryDouble(text);
}

const char* scanPaddedDoubleAt(const char* text, double& value) {
    const char* start = skipScanSpace(text);
    DecimalNumber number;
    double magnitude = 0.0;
    if (EXACT_DOUBLE_ARITHMETIC && readDecimal(start, number) &&
        exactMagnitude(number, magnitude)) {
        value = number.negative ? -magnitude : magnitude;
        return number.end;
    }
    int consumed = 0;
    if (sscanf(start, "%lf%n", &value, &consumed) != 1) {
        return nullptr;
    }
    return start + consumed;
}

// A whole text read as one float, exactly: the decimal is compared with the
// midpoints between neighbouring floats in integers, and the float found by
// halving the range of float bit patterns, which rise with the values.
namespace {

// The midpoint between two floats is an odd number of at most 25 bits times
// 2^-150 or more: at most 113 significant decimal digits (times 5^150 over
// 10^150 at the least). A decimal cut to more digits than that, with a mark
// for the nonzero digits cut off, compares with every midpoint as the whole
// decimal does.
constexpr int KEPT_DIGITS = 128;
// A decimal 0.d... x 10^power (its first digit not zero) from this power on
// is at least 10^39, beyond the largest float's upper midpoint; at or below
// the least one it is below 10^-46, under half the least float.
constexpr int64_t POWER_BEYOND_FLOATS = 40;
constexpr int64_t POWER_BELOW_FLOATS = -46;
constexpr uint32_t INFINITY_BITS = 0x7f800000;
constexpr uint32_t HIDDEN_BIT = 0x800000;
constexpr uint32_t FRACTION_MASK = HIDDEN_BIT - 1;
constexpr int FRACTION_BITS = 23;
// A float's midpoint with the one above: (2m + 1) * 2^(e - MIDPOINT_BIAS),
// m its significand and e its exponent field (1 for the subnormal ones).
constexpr int MIDPOINT_BIAS = 151;
constexpr int LIMB_BITS = 32;
// 10^128 * 10^38 * 2^150 and 2^25 * 10^173 * 2^103 take at most 703 bits.
constexpr int MAX_LIMBS = 32;
constexpr uint32_t DECIMAL_STEPS[] = {1,      10,      100,      1000,      10000,
                                      100000, 1000000, 10000000, 100000000, 1000000000};
constexpr int MAX_DECIMAL_STEP = 9;

// A whole number of up to MAX_LIMBS 32-bit limbs, the lowest first.
struct BigNumber {
    uint32_t limbs[MAX_LIMBS];
    int count;
};

void multiplyAdd(BigNumber& number, uint32_t factor, uint32_t addend) {
    uint64_t carry = addend;
    for (int i = 0; i < number.count; ++i) {
        const uint64_t product = static_cast<uint64_t>(number.limbs[i]) * factor + carry;
        number.limbs[i] = static_cast<uint32_t>(product);
        carry = product >> LIMB_BITS;
    }
    if (carry != 0) {
        assert(number.count < MAX_LIMBS);
        number.limbs[number.count++] = static_cast<uint32_t>(carry);
    }
}

void multiplyByPowerOfTen(BigNumber& number, int64_t power) {
    for (; power > 0; power -= MAX_DECIMAL_STEP) {
        multiplyAdd(number, DECIMAL_STEPS[power < MAX_DECIMAL_STEP ? power : MAX_DECIMAL_STEP], 0);
    }
}

void shiftLeft(BigNumber& number, int bits) {
    const int limbs = bits / LIMB_BITS;
    const int rest = bits % LIMB_BITS;
    assert(number.count + limbs + 1 <= MAX_LIMBS);
    number.limbs[number.count + limbs] = 0;
    for (int i = number.count - 1; i >= 0; --i) {
        const uint64_t moved = static_cast<uint64_t>(number.limbs[i]) << rest;
        number.limbs[i + limbs + 1] |= static_cast<uint32_t>(moved >> LIMB_BITS);
        number.limbs[i + limbs] = static_cast<uint32_t>(moved);
    }
    for (int i = 0; i < limbs; ++i) {
        number.limbs[i] = 0;
    }
    number.count += limbs + 1;
    while (number.count > 0 && number.limbs[number.count - 1] == 0) {
        --number.count;
    }
}

int compareNumbers(const BigNumber& a, const BigNumber& b) {
    if (a.count != b.count) {
        return a.count < b.count ? -1 : 1;
    }
    for (int i = a.count - 1; i >= 0; --i) {
        if (a.limbs[i] != b.limbs[i]) {
            return a.limbs[i] < b.limbs[i] ? -1 : 1;
        }
    }
    return 0;
}

// A decimal's significant digits as a whole number, times 10^power; cut
// tells that nonzero digits were left out after them.
struct ExactDecimal {
    BigNumber digits;
    int64_t power;
    bool cut;
};

// True when the float of bits is the one decimal rounds to or one above it:
// decimal lies below the float's midpoint with the next, or on it when the
// float is even.
bool roundsAtOrBelow(const ExactDecimal& decimal, uint32_t bits) {
    const uint32_t field = bits >> FRACTION_BITS;
    const uint32_t significand = field == 0 ? bits : (bits & FRACTION_MASK) | HIDDEN_BIT;
    const int binaryPower = static_cast<int>(field == 0 ? 1 : field) - MIDPOINT_BIAS;
    BigNumber left = decimal.digits;
    BigNumber midpoint{{2 * significand + 1}, 1};
    multiplyByPowerOfTen(decimal.power >= 0 ? left : midpoint,
                         decimal.power >= 0 ? decimal.power : -decimal.power);
    shiftLeft(binaryPower >= 0 ? midpoint : left, binaryPower >= 0 ? binaryPower : -binaryPower);
    int order = compareNumbers(left, midpoint);
    if (order == 0 && decimal.cut) {
        order = 1;
    }
    return order < 0 || (order == 0 && (bits & 1) == 0);
}

// The nonnegative float nearest decimal, its digits not zero.
float nearestFloat(const ExactDecimal& decimal) {
    uint32_t low = 0;
    uint32_t high = INFINITY_BITS;
    while (low < high) {
        const uint32_t middle = low + (high - low) / 2;
        if (roundsAtOrBelow(decimal, middle)) {
            high = middle;
        } else {
            low = middle + 1;
        }
    }
    float value = 0.0f;
    memcpy(&value, &low, sizeof value);
    return value;
}

const char* skipDigits(const char* p) {
    while (isDigit(*p)) {
        ++p;
    }
    return p;
}

// The exponent part at p, after its 'e': an optional sign and digits, the
// value held within +-EXPONENT_LIMIT; null without digits.
const char* readWholeExponent(const char* p, int64_t& exponent) {
    const bool negative = *p == '-';
    if (*p == '+' || *p == '-') {
        ++p;
    }
    if (!isDigit(*p)) {
        return nullptr;
    }
    for (; isDigit(*p); ++p) {
        if (exponent < EXPONENT_LIMIT) {
            exponent = exponent * 10 + (*p - '0');
        }
    }
    exponent = negative ? -exponent : exponent;
    return p;
}

// Keeps the digits from lead (the first nonzero one) to last, a point among
// them skipped: the first KEPT_DIGITS of them in decimal.digits, whether
// the others hold one that is not zero in decimal.cut. Returns how many it kept.
int64_t keepDigits(const char* lead, const char* last, ExactDecimal& decimal) {
    int64_t kept = 0;
    for (const char* p = lead; p < last; ++p) {
        if (*p == '.') {
            continue;
        }
        if (kept < KEPT_DIGITS) {
            multiplyAdd(decimal.digits, 10, static_cast<uint32_t>(*p - '0'));
            ++kept;
        } else if (*p != '0') {
            decimal.cut = true;
        }
    }
    return kept;
}

// The magnitude of the decimal whose digits run from lead (not zero) to
// last, with the point at point (last without one), times 10^exponent.
float nearestFloatOfDigits(const char* lead, const char* point, const char* last,
                           int64_t exponent) {
    // The decimal as 0.d... x 10^power, d its first nonzero digit.
    const int64_t power = (lead < point ? point - lead : point + 1 - lead) + exponent;
    if (power >= POWER_BEYOND_FLOATS) {
        return HUGE_VALF;
    }
    if (power <= POWER_BELOW_FLOATS) {
        return 0.0f;
    }
    ExactDecimal decimal{{{0}, 0}, 0, false};
    decimal.power = power - keepDigits(lead, last, decimal);
    return nearestFloat(decimal);
}

}  // namespace

bool readWholeDecimal(const char* text, float& value) {
    const char* p = text;
    const bool negative = *p == '-';
    if (*p == '+' || *p == '-') {
        ++p;
    }
    const char* first = p;
    const char* point = skipDigits(first);
    const char* last = *point == '.' ? skipDigits(point + 1) : point;
    if (last - first == (*point == '.' ? 1 : 0)) {
        return false;  // no digit
    }
    int64_t exponent = 0;
    const char* end = last;
    if (*end == 'e' || *end == 'E') {
        end = readWholeExponent(end + 1, exponent);
    }
    if (end == nullptr || *end != '\0') {
        return false;
    }
    const char* lead = first;
    while (lead < last && (*lead == '0' || *lead == '.')) {
        ++lead;
    }
    const float magnitude = lead == last ? 0.0f : nearestFloatOfDigits(lead, point, last, exponent);
    value = negative ? -magnitude : magnitude;
    return true;
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
