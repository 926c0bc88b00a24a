// SPDX-License-Identifier: MIT
#include "realFormat.h"

#include <cassert>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "compilerSupport.h"

namespace {

constexpr uint32_t LIMB_BASE = 1000000000u;  // nine decimal digits per limb
constexpr int LIMB_DIGITS = 9;
constexpr int MAX_LIMBS = 40;               // 360 digits: more than 2^1024 * 10^6
constexpr uint64_t MICRO_UNITS = 1000000u;  // units of the sixth decimal
constexpr int FRACTION_DIGITS = 6;
constexpr int MAX_DOUBLING_STEP = 28;  // a limb times 2^28 still fits 64 bits
constexpr int WORD_BITS = 64;
constexpr int HALF_WORD_BITS = 32;
constexpr uint64_t HALF_WORD_MASK = 0xFFFFFFFFu;

// An unsigned integer of up to 128 bits in two 64-bit halves: enough for a
// 53-bit significand times 10^6.
struct Wide {
    uint64_t high;
    uint64_t low;
};

// mantissa times 10^6, mantissa below 2^53.
Wide multiplyByMicroUnits(uint64_t mantissa) {
    const uint64_t lowProduct = (mantissa & HALF_WORD_MASK) * MICRO_UNITS;    // below 2^52
    const uint64_t highProduct = (mantissa >> HALF_WORD_BITS) * MICRO_UNITS;  // below 2^41
    Wide product;
    product.low = lowProduct + (highProduct << HALF_WORD_BITS);
    product.high = (highProduct >> HALF_WORD_BITS) + (product.low < lowProduct ? 1u : 0u);
    return product;
}

Wide shiftRight(Wide value, int bits) {
    if (bits == 0) {
        return value;
    }
    if (bits >= 2 * WORD_BITS) {
        return Wide{0, 0};
    }
    if (bits >= WORD_BITS) {
        return Wide{0, value.high >> (bits - WORD_BITS)};
    }
    return Wide{value.high >> bits, (value.low >> bits) | (value.high << (WORD_BITS - bits))};
}

Wide addOne(Wide value) {
    ++value.low;
    if (value.low == 0) {
        ++value.high;
    }
    return value;
}

// value divided by 2^bits (bits at least 1), rounded to the nearest integer,
// an exact tie upward: halve it one bit short, add one, drop the last bit.
Wide shiftRightRounding(Wide value, int bits) {
    return shiftRight(addOne(shiftRight(value, bits - 1)), 1);
}

// An unsigned integer of up to 360 decimal digits, least significant limb first.
struct BigDecimal {
    uint32_t limbs[MAX_LIMBS];
    int count;
};

// Divides value by 10^9 in place, 32 bits at a time; returns the remainder.
uint32_t divideByLimbBase(Wide& value) {
    const uint64_t pieces[] = {value.high >> HALF_WORD_BITS, value.high & HALF_WORD_MASK,
                               value.low >> HALF_WORD_BITS, value.low & HALF_WORD_MASK};
    uint64_t quotients[4];
    uint64_t remainder = 0;
    for (int i = 0; i < 4; ++i) {
        const uint64_t current = (remainder << HALF_WORD_BITS) | pieces[i];  // below 2^62
        quotients[i] = current / LIMB_BASE;
        remainder = current % LIMB_BASE;
    }
    value.high = (quotients[0] << HALF_WORD_BITS) | quotients[1];
    value.low = (quotients[2] << HALF_WORD_BITS) | quotients[3];
    return static_cast<uint32_t>(remainder);
}

void setBig(BigDecimal& number, Wide value) {
    number.count = 0;
    do {
        assert(number.count < MAX_LIMBS);
        number.limbs[number.count++] = divideByLimbBase(value);
    } while (value.high != 0 || value.low != 0);
}

void shiftBigLeft(BigDecimal& number, int bits) {
    while (bits > 0) {
        const int step = bits < MAX_DOUBLING_STEP ? bits : MAX_DOUBLING_STEP;
        uint64_t carry = 0;
        for (int i = 0; i < number.count; ++i) {
            const uint64_t wide = (static_cast<uint64_t>(number.limbs[i]) << step) + carry;
            number.limbs[i] = static_cast<uint32_t>(wide % LIMB_BASE);
            carry = wide / LIMB_BASE;
        }
        while (carry != 0) {
            assert(number.count < MAX_LIMBS);
            number.limbs[number.count++] = static_cast<uint32_t>(carry % LIMB_BASE);
            carry /= LIMB_BASE;
        }
        bits -= step;
    }
}

// Decimal digits of number, most significant first, without leading zeros
// (a zero gives "0"). Returns the count.
int bigToDigits(const BigDecimal& number, char* digits) {
    size_t length = formatUnsigned(number.limbs[number.count - 1], digits);
    for (int i = number.count - 2; i >= 0; --i) {
        // Nine digits with their leading zeros: those of the limb plus 10^9, less its "1".
        char limb[LIMB_DIGITS + 1];
        formatUnsigned(static_cast<uint64_t>(LIMB_BASE) + number.limbs[i], limb);
        memcpy(digits + length, limb + 1, LIMB_DIGITS);
        length += LIMB_DIGITS;
    }
    digits[length] = '\0';
    return static_cast<int>(length);
}

// The fields of a double's layout: sign bit, 11-bit biased exponent and
// 52-bit fraction, read once from its bits.
constexpr int FRACTION_BITS = 52;
constexpr uint64_t FRACTION_MASK = (static_cast<uint64_t>(1) << FRACTION_BITS) - 1;
constexpr int EXPONENT_MASK = 0x7FF;
constexpr int EXPONENT_BIAS = 1075;  // 1023 plus the 52 fraction bits

struct DoubleFields {
    int biasedExponent;  // 0 for zeros and subnormals, 0x7FF for infinities and NaN
    uint64_t fraction;
};

DoubleFields decodeDouble(double value) {
    uint64_t bits = 0;
    memcpy(&bits, &value, sizeof bits);
    return DoubleFields{static_cast<int>(bits >> FRACTION_BITS) & EXPONENT_MASK,
                        bits & FRACTION_MASK};
}

// A finite double split into its integer significand and power of two:
// magnitude = mantissa * 2^shift, mantissa below 2^53.
struct BinaryParts {
    uint64_t mantissa;
    int shift;
};

BinaryParts splitMagnitude(DoubleFields fields) {
    BinaryParts parts;
    parts.mantissa = fields.fraction;
    if (fields.biasedExponent == 0) {  // subnormal: no hidden bit
        parts.shift = 1 - EXPONENT_BIAS;
    } else {
        parts.mantissa |= static_cast<uint64_t>(1) << FRACTION_BITS;
        parts.shift = fields.biasedExponent - EXPONENT_BIAS;
    }
    return parts;
}

// The magnitude times 10^6, rounded to the nearest integer, an exact tie
// away from zero, worked out in two 64-bit words where the magnitude of a
// normal double allows it: at most 63 fraction bits dropped (a magnitude of
// 2^-11 or more, the mantissa being at least 2^52) and the rounded result
// below 2^63 (a magnitude below 2^63 / 10^6, about 2^43). False for any other
// magnitude, which the long arithmetic takes.
bool roundedMicroUnits(const BinaryParts& parts, uint64_t& micro) {
    const int dropped = -parts.shift;
    if (dropped < 2 || dropped >= WORD_BITS) {  // dropping one bit leaves at least 2^51
        return false;
    }
    const Wide scaled = multiplyByMicroUnits(parts.mantissa);  // below 2^73
    const int halfBit = dropped - 1;                           // the bit worth one half
    if ((scaled.high >> halfBit) != 0) {
        return false;
    }
    // The magnitude in half units, below 2^64.
    const uint64_t halves = (scaled.low >> halfBit) | (scaled.high << (WORD_BITS - halfBit));
    micro = (halves >> 1) + (halves & 1);  // a half or more rounds up
    return true;
}

// The magnitude times 10^6, rounded to the nearest integer, an exact tie away
// from zero; the magnitude is finite.
void scaleToMicroUnits(const BinaryParts& parts, BigDecimal& result) {
    const Wide scaled = multiplyByMicroUnits(parts.mantissa);  // below 2^73
    if (parts.shift >= 0) {
        setBig(result, scaled);
        shiftBigLeft(result, parts.shift);
        return;
    }
    setBig(result, shiftRightRounding(scaled, -parts.shift));
}

size_t formatNonFinite(double value, char* text) {
    // A NaN's sign is left out: it depends on the processor that made the NaN.
    const char* word = std::isnan(value) ? "nan" : (value < 0.0 ? "-inf" : "inf");
    const size_t length = strlen(word);
    memcpy(text, word, length + 1);
    return length;
}

// The text of a number of sixth decimals given as its decimal digits, most
// significant first, after the sign: the long arithmetic's result.
size_t writeFixedFromDigits(const char* digits, int digitCount, char* text) {
    size_t length = 0;
    const int integerDigits = digitCount - FRACTION_DIGITS;
    if (integerDigits > 0) {
        memcpy(text, digits, static_cast<size_t>(integerDigits));
        length += static_cast<size_t>(integerDigits);
    } else {
        text[length++] = '0';
    }
    text[length++] = '.';
    for (int position = integerDigits; position < digitCount; ++position) {
        text[length++] = position < 0 ? '0' : digits[position];
    }
    text[length] = '\0';
    return length;
}

int countDigits(uint64_t value) {
    int count = 1;
    for (; value >= 10; value /= 10) {
        ++count;
    }
    return count;
}

// The text of a count of sixth decimals that fits 64 bits, after the sign:
// the common case, written two digits at a time without the long arithmetic.
size_t writeMillionths(uint64_t millionths, char* text) {
    constexpr uint32_t HUNDRED = 100;
    const uint64_t whole = millionths / MICRO_UNITS;
    const uint32_t decimals = static_cast<uint32_t>(millionths - whole * MICRO_UNITS);
    const size_t integerLength = formatUnsigned(whole, text);
    char* fraction = text + integerLength;
    fraction[0] = '.';
    const uint32_t firstPair = decimals / (HUNDRED * HUNDRED);
    const uint32_t lastFour = decimals - firstPair * (HUNDRED * HUNDRED);
    const uint32_t middlePair = lastFour / HUNDRED;
    writeTwoDigits(firstPair, fraction + 1);
    writeTwoDigits(middlePair, fraction + 3);
    writeTwoDigits(lastFour - middlePair * HUNDRED, fraction + 5);
    fraction[1 + FRACTION_DIGITS] = '\0';
    return integerLength + 1 + FRACTION_DIGITS;
}

// The text of a magnitude whose sixth decimals do not fit 64 bits, in long
// arithmetic. Kept out of line: its buffers would weigh on every call of the
// common path.
NOT_INLINED size_t formatLargeMagnitude(const BinaryParts& parts, char* text) {
    BigDecimal bigMicro;
    scaleToMicroUnits(parts, bigMicro);
    char digits[MAX_LIMBS * LIMB_DIGITS + 1];
    const int digitCount = bigToDigits(bigMicro, digits);
    return writeFixedFromDigits(digits, digitCount, text);
}

// The text of a finite value of the 64-bit kind, worked out.
size_t formatFinite(double value, DoubleFields fields, char* text) {
    size_t sign = 0;
    if (value < 0.0) {
        text[sign++] = '-';
    }
    const BinaryParts parts = splitMagnitude(fields);
    uint64_t millionths = 0;
    if (roundedMicroUnits(parts, millionths)) {
        return sign + writeMillionths(millionths, text + sign);
    }
    return sign + formatLargeMagnitude(parts, text + sign);
}

// A value whose significand has at most 39 bits (every float widened: the
// coordinates, normals and texture coordinates; and most sums of floats, as
// the heights) times 10^6 fits one 64-bit word: its sixth decimals, rounded
// (a half away from zero), take one product and one shift. False for every
// other value, for magnitudes of 2^38 and more, subnormals, infinities and NaN.
bool shortSignificandMicroUnits(DoubleFields fields, uint64_t& micro) {
    constexpr int UNUSED_BITS = 14;  // 53 - 39: the low significand bits that must be zero
    constexpr uint64_t UNUSED_MASK = (static_cast<uint64_t>(1) << UNUSED_BITS) - 1;
    constexpr int WHOLE_BIASED = 1061;  // the biased exponent of 2^38: no fraction bit from there
    constexpr int MAX_DROPPED = 59;     // 2^39 * 10^6 < 2^59: below any half beyond
    if (fields.biasedExponent == 0) {   // a zero, or a subnormal left to the long way
        micro = 0;
        return fields.fraction == 0;
    }
    const int dropped = WHOLE_BIASED - fields.biasedExponent;  // fraction bits of 39
    if ((fields.fraction & UNUSED_MASK) != 0 || dropped < 1) {
        return false;
    }
    if (dropped > MAX_DROPPED) {
        micro = 0;
        return true;
    }
    const uint64_t significand =
        (fields.fraction | (static_cast<uint64_t>(1) << FRACTION_BITS)) >> UNUSED_BITS;
    const uint64_t half = static_cast<uint64_t>(1) << (dropped - 1);
    micro = (significand * MICRO_UNITS + half) >> dropped;  // a half or more rounds up
    return true;
}

// Every other value: infinities and NaN, and finite values worked out the
// general way. Kept out of line, away from the common path.
NOT_INLINED size_t formatOtherReal(double value, DoubleFields fields, char* text) {
    if (fields.biasedExponent == EXPONENT_MASK) {
        return formatNonFinite(value, text);
    }
    return formatFinite(value, fields, text);
}

}  // namespace

size_t formatReal(double value, char* text) {
    const DoubleFields fields = decodeDouble(value);
    uint64_t millionths = 0;
    if (shortSignificandMicroUnits(fields, millionths)) {
        const size_t sign = value < 0.0 ? 1 : 0;
        text[0] = '-';  // overwritten when there is no sign
        return sign + writeMillionths(millionths, text + sign);
    }
    return formatOtherReal(value, fields, text);
}

NOT_INLINED size_t formatManyDigits(uint64_t value, char* text) {
    constexpr uint32_t HUNDRED = 100;
    const int length = countDigits(value);
    char* digit = text + length;
    for (; value >= HUNDRED; value /= HUNDRED) {
        digit -= 2;
        writeTwoDigits(static_cast<uint32_t>(value % HUNDRED), digit);
    }
    if (value >= 10) {
        writeTwoDigits(static_cast<uint32_t>(value), text);
    } else {
        text[0] = static_cast<char>('0' + value);
    }
    return static_cast<size_t>(length);
}

size_t formatReals(const double* values, int count, char* text) {
    size_t length = 0;
    text[0] = '\0';
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            text[length++] = ' ';
        }
        length += formatReal(values[i], text + length);
    }
    return length;
}
