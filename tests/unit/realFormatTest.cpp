// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>

#include "realFormat.h"
#include "testSupport.h"
#include "textSink.h"

namespace {

std::string realText(double value) {
    char text[REAL_TEXT_CAPACITY];
    const size_t length = formatReal(value, text);
    EXPECT_EQ(length, strlen(text));
    return text;
}

std::string libraryText(double value) {
    char text[400];
    snprintf(text, sizeof text, "%.6f", value);
    return text;
}

// An exact tie at six decimals is a double whose 128-fold is an odd integer.
bool isExactTie(double value) {
    const double scaled = value * 128.0;
    return std::fabs(value) < 0x1p46 && scaled == std::floor(scaled) &&
           std::fmod(std::fabs(scaled), 2.0) == 1.0;
}

TEST(RealFormatTest, WritesSixDecimalsOfTheExactValue) {
    EXPECT_EQ(realText(0.0), "0.000000");
    EXPECT_EQ(realText(1.0), "1.000000");
    EXPECT_EQ(realText(2.5), "2.500000");
    EXPECT_EQ(realText(-25000.0), "-25000.000000");
    EXPECT_EQ(realText(128.0 / 255.0), "0.501961");
    EXPECT_EQ(realText(-1.0 / 255.0), "-0.003922");
    EXPECT_EQ(realText(0.2f), "0.200000");
    EXPECT_EQ(realText(0.8f), "0.800000");
    EXPECT_EQ(realText(1e20), "100000000000000000000.000000");
    EXPECT_EQ(realText(-9999.0), "-9999.000000");
}

TEST(RealFormatTest, RoundsExactTiesAwayFromZero) {
    EXPECT_EQ(realText(0.0078125), "0.007813");
    EXPECT_EQ(realText(-0.0078125), "-0.007813");
    EXPECT_EQ(realText(0.0390625), "0.039063");
    EXPECT_EQ(realText(2.0078125), "2.007813");
    EXPECT_EQ(realText(std::nextafter(0.0078125, 0.0)), "0.007812");
    EXPECT_EQ(realText(std::nextafter(0.0078125, 1.0)), "0.007813");
    for (int odd = 1; odd < 20001; odd += 2) {
        const double tie = odd / 128.0;
        ASSERT_EQ(realText(tie), libraryText(std::nextafter(tie, HUGE_VAL))) << odd;
        ASSERT_EQ(realText(-tie), libraryText(std::nextafter(-tie, -HUGE_VAL))) << odd;
    }
}

TEST(RealFormatTest, SignOfZeroAndOfValuesThatRoundToZero) {
    EXPECT_EQ(realText(-0.0), "0.000000");
    EXPECT_EQ(realText(-0.0000001), "-0.000000");
    EXPECT_EQ(realText(-0.0000004), "-0.000000");
    EXPECT_EQ(realText(1e-7), "0.000000");
    EXPECT_EQ(realText(4.9e-324), "0.000000");
    EXPECT_EQ(realText(-4.9e-324), "-0.000000");
    EXPECT_EQ(realText(0.0000005), libraryText(0.0000005));
    EXPECT_EQ(realText(0.0000015), libraryText(0.0000015));
}

TEST(RealFormatTest, InfinitiesKeepTheirSignNaNsHaveNone) {
    EXPECT_EQ(realText(HUGE_VAL), "inf");
    EXPECT_EQ(realText(-HUGE_VAL), "-inf");
    EXPECT_EQ(realText(NAN), "nan");
    EXPECT_EQ(realText(-NAN), "nan");
    EXPECT_EQ(realText(std::copysign(NAN, -1.0)), "nan");
    const uint64_t payloadBits = 0xFFF0000000000001u;  // negative, signalling, payload 1
    double payload = 0.0;
    memcpy(&payload, &payloadBits, sizeof payload);
    EXPECT_EQ(realText(payload), "nan");
}

// value * 10^6 crosses 2^64 and 2^73 here, where the exact product needs
// more than one 64-bit word.
TEST(RealFormatTest, ProductsBeyondSixtyFourBits) {
    EXPECT_EQ(realText(0x1p44), "17592186044416.000000");
    EXPECT_EQ(realText(0x1.fffffffffffffp43), "17592186044415.998047");
    EXPECT_EQ(realText(18446744073709.551616), "18446744073709.550781");
    EXPECT_EQ(realText(-0x1.fffffffffffffp52), "-9007199254740991.000000");
    EXPECT_EQ(realText(0x1.fffffffffffffp-1), "1.000000");
    EXPECT_EQ(realText(0x1.fffffffffffffp-21), "0.000001");
    EXPECT_EQ(realText(0x1p-21), "0.000000");
    EXPECT_EQ(realText(0x1p-20), "0.000001");
    EXPECT_EQ(realText(-0x1.0000000000001p-21), "-0.000000");
    EXPECT_EQ(realText(0x1.fffffffffffffp-12), "0.000488");
}

TEST(RealFormatTest, LargestValuesKeepEveryDigit) {
    EXPECT_EQ(realText(FLT_MAX), libraryText(FLT_MAX));
    EXPECT_EQ(realText(DBL_MAX), libraryText(DBL_MAX));
    EXPECT_EQ(realText(-DBL_MAX), libraryText(-DBL_MAX));
    EXPECT_EQ(realText(-DBL_MAX).size(), 1 + 309 + 1 + 6u);
}

TEST(RealFormatTest, AgreesWithTheCLibraryWhereNoTieIsInvolved) {
    std::mt19937_64 random(20261207);
    std::uniform_int_distribution<int> exponent(-40, 70);
    for (int i = 0; i < 200000; ++i) {
        uint64_t bits = random();
        double value = 0.0;
        memcpy(&value, &bits, sizeof value);
        if (i % 2 == 0) {
            value = std::ldexp(static_cast<double>(bits >> 11), exponent(random) - 53);
            if (bits & 1) value = -value;
        }
        if (!std::isfinite(value) || isExactTie(value)) {
            continue;
        }
        ASSERT_EQ(realText(value), libraryText(value)) << std::hexfloat << value;
    }
    for (int i = 0; i < 100000; ++i) {
        const float single = static_cast<float>(random() % 2000000) / 1024.0f - 900.0f;
        if (isExactTie(single)) {
            continue;
        }
        ASSERT_EQ(realText(single), libraryText(single)) << single;
    }  // Significands of up to 39 bits, from far below a sixth decimal to 2^58:
    // both sides of where one 64-bit product holds the value times 10^6.
    for (int i = 0; i < 100000; ++i) {
        const int significandBits = 1 + static_cast<int>(random() % 39);
        const double significand = static_cast<double>(random() >> (64 - significandBits));
        const double value = std::ldexp(significand, static_cast<int>(random() % 100) - 80);
        if (value == 0.0 || isExactTie(value)) {  // -0.0 is written without its sign
            continue;
        }
        ASSERT_EQ(realText(value), libraryText(value)) << std::hexfloat << value;
        ASSERT_EQ(realText(-value), libraryText(-value)) << std::hexfloat << value;
    }
}

// A value written again, after others that may share its remembered slot,
// gives the same text: short and long texts, both zeros, a NaN's payloads.
TEST(RealFormatTest, RepeatedValuesKeepTheirText) {
    const struct {
        double value;
        const char* text;
    } cases[] = {{200.0 / 255.0, "0.784314"},
                 {0.2f, "0.200000"},
                 {-0.0, "0.000000"},
                 {0.0, "0.000000"},
                 {-1e-9, "-0.000000"},
                 {1e20, "100000000000000000000.000000"},
                 {-12345678901234.5, "-12345678901234.500000"},
                 {0.8f, "0.800000"}};
    std::mt19937_64 random(14);
    for (int round = 0; round < 2000; ++round) {
        const auto& c = cases[random() % (sizeof cases / sizeof cases[0])];
        ASSERT_EQ(realText(c.value), c.text) << round;
        const double other = std::ldexp(static_cast<double>(random() >> 11), -40);  // below 8192
        ASSERT_EQ(realText(other), libraryText(other));
    }
}

// Every integer path against "%d" (and "%llu"): the digit counts' edges, the
// ends of the ranges, and each written where the sink is nearly full, so
// that the flush before it keeps the order.
TEST(RealFormatTest, IntegersAsTheCLibraryWritesThem) {
    for (const uint64_t value : {UINT64_MAX, 10000000000000000000u, 9999999999999999999u}) {
        char text[UNSIGNED_TEXT_CAPACITY + 1] = {};
        formatUnsigned(value, text);
        EXPECT_EQ(text, std::to_string(value));
    }
    for (const int32_t value : {0, 9, 10, 99, 100, 999, 1000, 9999, 10000, 99999, 100000, 123456789,
                                -1, -9999, -10000, INT32_MAX, INT32_MIN, -2147483647}) {
        const std::string expected = std::to_string(value);  // as "%d" writes it
        char text[INT_TEXT_CAPACITY + 1] = {};
        EXPECT_EQ(formatInt(value, text), expected.size());
        EXPECT_EQ(text, expected);
        for (size_t room = 0; room <= INT_TEXT_CAPACITY + 8; room += 4) {
            const std::string filler(SINK_CAPACITY - room, '.');
            FILE* out = temporaryStream();
            {
                TextSink sink(out);
                sinkText(sink, filler.data(), filler.size());
                sinkInt(sink, value);
                sinkIntLine(sink, "line ", 5, value);
            }
            EXPECT_EQ(takeText(out), filler + expected + "line " + expected + "\n") << room;
        }
    }
}

}  // namespace
