#include "realFormat.h"

#include <cassert>
#include <cmath>
#include <cstdint>
#include <cstring>

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

void writeNineDigits(uint32_t limb, char* digits) {
    for (int i = LIMB_DIGITS - 1; i >= 0; --i) {
        digits[i] = static_cast<char>('0' + limb % 10);
        limb /= 10;
    }
}

// Decimal digits of number, most significant first, without leading zeros
// (a zero gives "0"). Returns the count.
int bigToDigits(const BigDecimal& number, char* digits) {
    char top[LIMB_DIGITS];
    writeNineDigits(number.limbs[number.count - 1], top);
    int skipped = 0;
    while (skipped < LIMB_DIGITS - 1 && top[skipped] == '0') {
        ++skipped;
    }
    int length = LIMB_DIGITS - skipped;
    memcpy(digits, top + skipped, static_cast<size_t>(length));
    for (int i = number.count - 2; i >= 0; --i) {
        writeNineDigits(number.limbs[i], digits + length);
        length += LIMB_DIGITS;
    }
    digits[length] = '\0';
    return length;
}

// magnitude times 10^6, rounded to the nearest integer, an exact tie away from
// zero. magnitude is finite and not negative.
void scaleToMicroUnits(double magnitude, BigDecimal& result) {
    constexpr int MANTISSA_BITS = 53;
    int exponent = 0;
    const double fraction = std::frexp(magnitude, &exponent);
    const uint64_t mantissa = static_cast<uint64_t>(std::ldexp(fraction, MANTISSA_BITS));
    const int shift = exponent - MANTISSA_BITS;          // magnitude = mantissa * 2^shift
    const Wide scaled = multiplyByMicroUnits(mantissa);  // below 2^73
    if (shift >= 0) {
        setBig(result, scaled);
        shiftBigLeft(result, shift);
        return;
    }
    const int dropped = -shift;
    if (dropped >= 100) {  // scaled is below 2^73: far less than half of 2^dropped
        setBig(result, Wide{0, 0});
        return;
    }
    setBig(result, shiftRightRounding(scaled, dropped));
}

size_t formatNonFinite(double value, char* text) {
    // A NaN's sign is left out: it depends on the processor that made the NaN.
    const char* word = std::isnan(value) ? "nan" : (value < 0.0 ? "-inf" : "inf");
    const size_t length = strlen(word);
    memcpy(text, word, length + 1);
    return length;
}

}  // namespace

size_t formatReal(double value, char* text) {
    if (!std::isfinite(value)) {
        return formatNonFinite(value, text);
    }
    BigDecimal micro;
    scaleToMicroUnits(std::fabs(value), micro);
    char digits[MAX_LIMBS * LIMB_DIGITS + 1];
    int digitCount = bigToDigits(micro, digits);
    size_t length = 0;
    if (value < 0.0) {
        text[length++] = '-';
    }
    const int integerDigits = digitCount - FRACTION_DIGITS;
    if (integerDigits > 0) {
        memcpy(text + length, digits, static_cast<size_t>(integerDigits));
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

void printReals(FILE* out, const double* values, int count) {
    constexpr int MAX_REALS_PER_WRITE = 4;
    char text[MAX_REALS_PER_WRITE * REAL_TEXT_CAPACITY];
    size_t length = 0;
    for (int i = 0; i < count; ++i) {
        if (length + REAL_TEXT_CAPACITY + 1 > sizeof text) {
            fwrite(text, 1, length, out);
            length = 0;
        }
        if (i > 0) {
            text[length++] = ' ';
        }
        length += formatReal(values[i], text + length);
    }
    fwrite(text, 1, length, out);
}
