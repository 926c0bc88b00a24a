#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>

#include "textScan.h"

namespace {

// The C library's own reading of a two-number pattern, for inputs whose
// numbers fit 32 bits.
int libraryScan(const char* text, const char* pattern, int& first, int& second) {
    return sscanf(text, pattern, &first, &second);
}

TEST(TextScanTest, IntegersAgreeWithTheFormattedScan) {
    const char* inputs[] = {"12//3",  " 12//3",  "+12//-3", "-12// 3", "12/ /3",  "12 //3",
                            "12//",   "//3",     "-//3",    "+",       "",        "   ",
                            "7",      "7/3",     "0x10//1", "012//09", "1e3//2",  "\t5//\v6",
                            "12//3x", "-0//-0",  "1/2/3",   "1//2//3", "12//+ 3", "2147483647//-2147483648"};
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
    } cases[] = {{"2147483647", INT32_MAX},       {"2147483648", INT32_MAX},
                 {"99999999999999999999", INT32_MAX}, {"-2147483648", INT32_MIN},
                 {"-2147483649", INT32_MIN},      {"-99999999999999999999", INT32_MIN},
                 {"4294967306", INT32_MAX},       {"000000000000000000001", 1}};
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
    char word[8];
    const char* rest = scanFirstWord("  \tPosn 1,2,3", word, sizeof word);
    EXPECT_STREQ(word, "Posn");
    EXPECT_STREQ(rest, " 1,2,3");
    scanFirstWord("   ", word, sizeof word);
    EXPECT_STREQ(word, "");
    rest = scanFirstWord("abcdefghijk z", word, sizeof word);
    EXPECT_STREQ(word, "abcdefg");
    EXPECT_STREQ(rest, " z");
}

TEST(TextScanTest, CaseInsensitiveOnlyForAsciiLetters) {
    EXPECT_TRUE(equalsIgnoringCase("PGSZ", "pgsz"));
    EXPECT_TRUE(equalsIgnoringCase(".ObJ", ".obj"));
    EXPECT_FALSE(equalsIgnoringCase(".obj ", ".obj"));
    EXPECT_FALSE(equalsIgnoringCase(".ob", ".obj"));
    EXPECT_FALSE(equalsIgnoringCase("[", "{"));
    EXPECT_TRUE(startsWith("g COLOR_1", "g COLOR_"));
    EXPECT_FALSE(startsWith("g", "g "));
}

}  // namespace
