// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ios>
#include <limits>
#include <random>
#include <string>

#include "testSupport.h"
#include "textScan.h"

namespace {

// The C library's own reading of a two-number pattern, for inputs whose
// numbers fit 32 bits.
int libraryScan(const char* text, const char* pattern, int& first, int& second) {
    return sscanf(text, pattern, &first, &second);
}

TEST(TextScanTest, IntegersAgreeWithTheFormattedScan) {
    const char* inputs[] = {
        "12//3",  " 12//3", "+12//-3", "-12// 3", "12/ /3",  "12 //3",
        "12//",   "//3",    "-//3",    "+",       "",        "   ",
        "7",      "7/3",    "0x10//1", "012//09", "1e3//2",  "\t5//\v6",
        "12//3x", "-0//-0", "1/2/3",   "1//2//3", "12//+ 3", "2147483647//-2147483648"};
    for (const char* input : inputs) {
        int first = -77;
        int second = -77;
        int library = libraryScan(input, "%d//%d", first, second);
        if (library < 0) {
            library = 0;  // end of input before the first number: nothing converted
        }
        int32_t mineFirst = -77;
        int32_t mineSecond = -77;
        int32_t* const targets[] = {&mineFirst, &mineSecond};
        EXPECT_EQ(scanInts(input, "%d//%d", targets), library) << input;
        EXPECT_EQ(mineFirst, first) << input;
        EXPECT_EQ(mineSecond, second) << input;
    }
}

TEST(TextScanTest, WhiteSpaceInAPatternMatchesAnyRunEvenNone) {
    int32_t a = 0;
    int32_t b = 0;
    int32_t* const targets[] = {&a, &b};
    EXPECT_EQ(scanInts("4,5", "%d ,%d", targets), 2);
    EXPECT_EQ(scanInts("4 \t ,5", "%d ,%d", targets), 2);
    EXPECT_EQ(scanInts("4 ,5", "%d,%d", targets), 1);
}

TEST(TextScanTest, IntegersBeyond32BitsAreClamped) {
    const struct {
        const char* text;
        int32_t value;
    } cases[] = {{"2147483647", INT32_MAX},           {"2147483648", INT32_MAX},
                 {"99999999999999999999", INT32_MAX}, {"-2147483648", INT32_MIN},
                 {"-2147483649", INT32_MIN},          {"-99999999999999999999", INT32_MIN},
                 {"4294967306", INT32_MAX},           {"000000000000000000001", 1}};
    for (const auto& c : cases) {
        const char* cursor = c.text;
        int32_t value = 0;
        EXPECT_TRUE(scanInt(cursor, value)) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
        EXPECT_EQ(*cursor, '\0') << c.text;
    }
}

TEST(TextScanTest, FailedIntegerLeavesValueAndCursor) {
    const char* text = "  -x";
    const char* cursor = text;
    int32_t value = 5;
    EXPECT_FALSE(scanInt(cursor, value));
    EXPECT_EQ(value, 5);
    EXPECT_EQ(cursor, text);
}

TEST(TextScanTest, FirstWordStopsAtWhiteSpace) {
    const char* word = skipScanSpace("  \tPosn 1,2,3");
    const char* rest = skipWord(word);
    EXPECT_EQ(std::string(word, rest), "Posn");
    EXPECT_STREQ(rest, " 1,2,3");
    EXPECT_STREQ(skipWord(skipScanSpace("   ")), "");
    EXPECT_STREQ(skipWord("\x01\x1f\xc3\xa9\x7f\v1"), "\v1");  // controls and UTF-8 are word
}

TEST(TextScanTest, CaseInsensitiveOnlyForAsciiLetters) {
    EXPECT_TRUE(equalsIgnoringCase("PGSZ", "pgsz"));
    EXPECT_TRUE(equalsIgnoringCase(".ObJ", ".obj"));
    EXPECT_FALSE(equalsIgnoringCase(".obj ", ".obj"));
    EXPECT_FALSE(equalsIgnoringCase(".ob", ".obj"));
    EXPECT_FALSE(equalsIgnoringCase("[", "{"));
    EXPECT_FALSE(equalsIgnoringCase("pgsz", "PGSZX"));
    EXPECT_TRUE(equalsIgnoringCase("", ""));
    EXPECT_TRUE(startsWith("g COLOR_1", "g COLOR_"));
    EXPECT_FALSE(startsWith("g", "g "));
}

}  // namespace

namespace {

// Compares the float list with the C library's sscanf on one input and its
// pattern ("%f %f %f" or "%f,%f,%f"): the same count, the same bits in every
// target, the untouched ones left as they were. Returns the first difference
// rather than reporting it, so that a loop over many inputs stops at it.
::testing::AssertionResult floatsLikeTheLibrary(const std::string& input, const char* pattern) {
    float library[3] = {-77.0f, -77.0f, -77.0f};
    int libraryCount = sscanf(input.c_str(), pattern, &library[0], &library[1], &library[2]);
    if (libraryCount < 0) {
        libraryCount = 0;
    }
    float mine[3] = {-77.0f, -77.0f, -77.0f};
    float* const targets[] = {&mine[0], &mine[1], &mine[2]};
    const int count = scanPaddedFloatList(padded(input).c_str(), pattern[2], 3, targets);
    bool same = count == libraryCount;
    for (int i = 0; same && i < 3; ++i) {
        same = std::isnan(library[i])
                   ? std::isnan(mine[i]) && std::signbit(mine[i]) == std::signbit(library[i])
                   : memcmp(&mine[i], &library[i], sizeof(float)) == 0;
    }
    if (same) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << '"' << input << "\" as " << pattern << ": " << count << " values " << mine[0] << ' '
           << mine[1] << ' ' << mine[2] << ", the library " << libraryCount << ": " << library[0]
           << ' ' << library[1] << ' ' << library[2];
}

TEST(TextScanTest, FloatsAgreeWithTheFormattedScanOnAwkwardInputs) {
    const char* inputs[] = {"1 2 3",
                            "  -1.5\t+2e3\v.5",
                            "1e 2 3",
                            "1e+ 2 3",
                            "1e-x 2",
                            "0x1p3 0X1P-2 0x",
                            "0x 1 2",
                            "0x1.8 2 3",
                            "nan inf -inf",
                            "NaN(123) 1 2",
                            "infinity 1 2",
                            "infx 1 2",
                            "-nan 1 2",
                            "1e40 -1e40 1e-50",
                            "3.4028235e38 1 2",
                            "- 1 2",
                            "+ 1 2",
                            ". 1 2",
                            "1. 2. 3.",
                            "-.5 .5e1 5.e-1",
                            "00x1 2 3",
                            "1,2,3",
                            "1 ,2",
                            "",
                            "   ",
                            "1.5e3.2 4 5",
                            "12345678901234567890 1 2",
                            "1e0000000000000000005 1 2",
                            "0.000000000000000000000000000000000000000000001 1 2",
                            "1 2 3 4",
                            "1\n2\n3",
                            "4.9406564584124654e-324 1 2",
                            "7.0064923216240861e-46 1 2"};
    for (const char* input : inputs) {
        EXPECT_TRUE(floatsLikeTheLibrary(input, "%f %f %f"));
        EXPECT_TRUE(floatsLikeTheLibrary(input, "%f,%f,%f"));
    }
}

// The texts C libraries read differently, with the values fixed here (as
// glibc reads them), so that the WebAssembly and Windows builds are held to
// them too: an exponent marker without digits is taken with its sign, "nan"
// ends after its third letter and keeps its sign.
TEST(TextScanTest, DisputedFloatTextsReadTheSameWithEveryLibrary) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        const char* input;
        char separator;
        int count;
        float values[3];
    } rows[] = {
        {"1e 2 3", ' ', 3, {1.0f, 2.0f, 3.0f}},
        {"2E+,5,6", ',', 3, {2.0f, 5.0f, 6.0f}},
        {"-1.5e- 4", ' ', 2, {-1.5f, 4.0f, -77.0f}},
        {"0x1p 7", ' ', 2, {1.0f, 7.0f, -77.0f}},
        {"0x1.8P+,1,2", ',', 3, {1.5f, 1.0f, 2.0f}},
        {"nan(123) 1 2", ' ', 1, {nan, -77.0f, -77.0f}},
        {"-NaN,1,2", ',', 3, {-nan, 1.0f, 2.0f}},
        {"5 nan( 2", ' ', 2, {5.0f, nan, -77.0f}},
    };
    for (const auto& row : rows) {
        float read[3] = {-77.0f, -77.0f, -77.0f};
        float* const targets[] = {&read[0], &read[1], &read[2]};
        EXPECT_EQ(scanPaddedFloatList(padded(row.input).c_str(), row.separator, 3, targets),
                  row.count)
            << row.input;
        for (int i = 0; i < 3; ++i) {
            EXPECT_TRUE(std::isnan(row.values[i])
                            ? std::isnan(read[i]) &&
                                  std::signbit(read[i]) == std::signbit(row.values[i])
                            : memcmp(&read[i], &row.values[i], sizeof(float)) == 0)
                << row.input << " value " << i << ": " << read[i];
        }
    }
}

::testing::AssertionResult listLikeItsPattern(const std::string& input, bool blanks) {
    return floatsLikeTheLibrary(input, blanks ? "%f %f %f" : "%f,%f,%f");
}

// Reads count random texts of up to maxLength bytes of alphabet, half of them
// as blank-separated lists and half as comma-separated ones, up to the first
// that differs.
::testing::AssertionResult randomListsLikeTheirPatterns(const char* alphabet, unsigned seed,
                                                        int maxLength, int count) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<size_t> pick(0, strlen(alphabet) - 1);
    std::uniform_int_distribution<int> length(0, maxLength);
    for (int i = 0; i < count; ++i) {
        std::string input;
        for (int n = length(random); n > 0; --n) {
            input += alphabet[pick(random)];
        }
        const ::testing::AssertionResult same = listLikeItsPattern(input, i % 2 == 0);
        if (!same) {
            return same;
        }
    }
    return ::testing::AssertionSuccess();
}

TEST(TextScanTest, FloatsAgreeWithTheFormattedScanOnRandomText) {
    EXPECT_TRUE(randomListsLikeTheirPatterns("0123456789+-.eExXpPnaNiIfF ,\t", 7, 24, 100000));
}

// A list of floats joined by a separator reads as its pattern does.
TEST(TextScanTest, FloatListsReadLikeTheirPatterns) {
    EXPECT_TRUE(randomListsLikeTheirPatterns("0123456789+-.eEx ,\t\n", 17, 20, 50000));
}

// Numbers shaped as exporters write them, around the lengths where a step of
// eight digits ends (on either side of the point, and both together), and with
// what may follow them.
TEST(TextScanTest, FloatListsOfExporterNumbersReadLikeTheirPatterns) {
    const char* const signs[] = {"", "-", "+"};
    const char* const tails[] = {"", " ", ",", "  ", "e5", "E-2", "x", ".", "\t", "0"};
    std::mt19937 random(23);
    std::uniform_int_distribution<int> digitCount(0, 9);
    std::uniform_int_distribution<int> digit(0, 9);
    std::uniform_int_distribution<size_t> sign(0, 2);
    std::uniform_int_distribution<size_t> tail(0, sizeof tails / sizeof tails[0] - 1);
    std::uniform_int_distribution<int> pointChance(0, 9);
    for (int i = 0; i < 30000; ++i) {
        const bool blanks = i % 2 == 0;
        std::string input;
        for (int field = 0; field < 3; ++field) {
            if (field > 0) {
                input += blanks ? " " : ",";
            }
            input += signs[sign(random)];
            for (int n = digitCount(random); n > 0; --n) {
                input += static_cast<char>('0' + digit(random));
            }
            if (pointChance(random) > 0) {
                input += ".";
            }
            for (int n = digitCount(random); n > 0; --n) {
                input += static_cast<char>('0' + digit(random));
            }
            if (pointChance(random) == 0) {
                input += tails[tail(random)];
            }
        }
        ASSERT_TRUE(listLikeItsPattern(input, blanks));
    }
    EXPECT_TRUE(listLikeItsPattern("1234567.1234567 -9999999.9999999 0.0000001", true));
    EXPECT_TRUE(listLikeItsPattern("12345678.1 1.12345678 -0.000000", true));
    EXPECT_TRUE(listLikeItsPattern("8388607.5 -8388608.5 9999999.5", true));  // two float ties
}

// Expected values worked out exactly, not by the C library: each decimal
// rounded once to the nearest float, a tie to the even neighbour.
TEST(TextScanTest, PlainDecimalsRoundOnceToTheNearestFloat) {
    const struct {
        const char* text;
        float value;
    } cases[] = {
        {"0.1", 0x1.99999ap-4f},
        {"19.549099", 0x1.38c91cp+4f},
        {"-2.0078125", -0x1.01p+1f},
        {"000.5000", 0.5f},
        {"16777217", 0x1p+24f},                 // a tie, to the even one below
        {"16777219", 0x1.000004p+24f},          // a tie, to the even one above
        {"16777216.999999", 0x1p+24f},          // just below the tie
        {"16777217.000001", 0x1.000002p+24f},   // just above it
        {"4.299328565597534", 0x1.132832p+2f},  // its nearest double is a float tie
        {"1234567890123456789", 0x1.12211p+60f},
        {"12345678901234567890", 0x1.56a954p+63f},  // 20 digits
        {"1e22", 0x1.0f0cfp+73f},
        {"1e23", 0x1.52d02cp+76f},
        {"3.4028235e38", FLT_MAX},
        {"3.40282356e38", FLT_MAX},
        {"3.4028236e38", HUGE_VALF},
        {"1.17549435e-38", 0x1p-126f},
        {"1e-45", 0x1p-149f},
        {"7e-46", 0.0f},
        {"7.1e-46", 0x1p-149f},
        {"0.000000000000000000000000000000000000000000001", 0x1p-149f},
        {"-0", -0.0f},
        {"-0.000e7", -0.0f},
    };
    for (const auto& c : cases) {
        float value = -77.0f;
        float* const targets[] = {&value};
        ASSERT_EQ(scanPaddedFloatList(padded(c.text).c_str(), ' ', 1, targets), 1) << c.text;
        EXPECT_EQ(memcmp(&value, &c.value, sizeof value), 0)
            << c.text << ": " << std::hexfloat << value << " instead of " << c.value;
        // The whole-text reader rounds them alike, without the C library.
        ASSERT_TRUE(readWholeDecimal(c.text, value)) << c.text;
        EXPECT_EQ(memcmp(&value, &c.value, sizeof value), 0)
            << c.text << ": " << std::hexfloat << value << " instead of " << c.value;
    }
}

// Where the C library would decide for the scans: float midpoints written
// out in full, digits past the 128 kept, the ends of the float range.
TEST(TextScanTest, WholeDecimalsRoundExactlyAtMidpoints) {
    const std::string zeros(150, '0');
    const struct {
        std::string text;
        float value;
    } cases[] = {
        {"16777217." + zeros, 0x1p+24f},               // a tie, to the even one
        {"16777217." + zeros + "1", 0x1.000002p+24f},  // a digit past the kept ones breaks it
        {"1677721.7" + zeros + "1e1", 0x1.000002p+24f},
        {"340282356779733661637539395458142568448", HUGE_VALF},  // the largest's upper midpoint
        {"340282356779733661637539395458142568447.9", FLT_MAX},
        {"3.4028235677973366163753939545814256844799e38", FLT_MAX},
        // Half the least float, a tie to zero, and just above it.
        {"7.00649232162408535461864791644958065640130970938257885878534141944895541342930300743"
         "319094181060791015625e-46",
         0.0f},
        {"7.00649232162408535461864791644958065640130970938257885878534141944895541342930300743"
         "319094181060791015625" +
             zeros + "1e-46",
         0x1p-149f},
        {"1e-999999999", 0.0f},
        {"-1e999999999", -HUGE_VALF},
        {"0." + zeros + "e999999999", 0.0f},
        {"+.5e+1", 5.0f},
        {"5.", 5.0f},
    };
    for (const auto& c : cases) {
        float value = -77.0f;
        ASSERT_TRUE(readWholeDecimal(c.text.c_str(), value)) << c.text;
        EXPECT_EQ(memcmp(&value, &c.value, sizeof value), 0)
            << c.text << ": " << std::hexfloat << value << " instead of " << c.value;
    }
}

TEST(TextScanTest, DoublesAsStrtodReadsThem) {
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"0.1", 0x1.999999999999ap-4},
        {" \t-0.0025", -0x1.47ae147ae147bp-9},
        {"9007199254740993", 0x1p+53},  // 2^53 + 1: a tie, to even
        {"123456789012345678", 0x1.b69b4ba630f35p+56},
        {"1e22", 1e22},
        {"1e23", 0x1.52d02c7e14af6p+76},
        {"4.9e-324", 0x1p-1074},
        {"-0", -0.0},
        {"1.5abc", 1.5},
        {"1e", 1.0},
        {"0x10", 16.0},
        {"-inf", -HUGE_VAL},
        {"", 0.0},
        {"x1", 0.0},
    };
    for (const auto& c : cases) {
        const double value = scanPaddedDouble(padded(c.text).c_str());
        EXPECT_EQ(memcmp(&value, &c.value, sizeof value), 0)
            << c.text << ": " << std::hexfloat << value << " instead of " << c.value;
    }
    EXPECT_TRUE(std::isnan(scanPaddedDouble(padded("nan").c_str())));
}

}  // namespace
