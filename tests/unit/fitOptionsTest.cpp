// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "fitOptions.h"

namespace {

// The value of --scale: a decimal number and nothing else, whose nearest
// float is finite and above 0.
TEST(FitOptionsTest, ScaleTakesDecimalNumbersAboveZero) {
    const struct {
        const char* text;
        float scale;
    } accepted[] = {
        {"0.125", 0.125f},      {"+2", 2.0f},
        {"25.4", 25.4f},        {"5.", 5.0f},
        {".5", 0.5f},           {"1e3", 1000.0f},
        {"1E-3", 0.001f},       {"1e+0", 1.0f},
        {"00.10", 0.1f},        {"3.4028235e38", FLT_MAX},
        {"1.4e-45", 0x1p-149f},  // the least float, subnormal, above 0
    };
    for (const auto& c : accepted) {
        float scale = -7.0f;
        EXPECT_TRUE(readScaleValue(c.text, scale)) << c.text;
        EXPECT_EQ(scale, c.scale) << c.text;
    }
    // 7e-46 rounds to 0, 3.5e38 to infinity.
    for (const char* text :
         {"0",     "-0.0", "-2", "7e-46", "3.5e38", "",    ".",   "e3",  "1e", "1e+",
          "1.5.2", " 2",   "2 ", "2x",    "0x10",   "inf", "nan", "1,5", "+",  "--2"}) {
        float scale = -7.0f;
        EXPECT_FALSE(readScaleValue(text, scale)) << text;
        EXPECT_EQ(scale, -7.0f) << text;
    }
}

struct OptionRun {
    FitOptions options;
    std::vector<int> used;  // readFitOption's count for each argument it was asked about
    std::string errors;
};

// Reads arguments as the command line does: each fit option with its value.
OptionRun readAll(std::vector<std::string> arguments) {
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(&argument[0]);
    }
    OptionRun run;
    const int argc = static_cast<int>(argv.size());
    for (int i = 1; i < argc; ++i) {
        const FitOptionRead read = readFitOption(argc, argv.data(), i, run.options);
        run.used.push_back(read.used);
        run.errors += read.error != nullptr ? read.error : "";
        i += read.used > 0 ? read.used - 1 : 0;
    }
    return run;
}

TEST(FitOptionsTest, OptionsTakeTheirValuesAndTheLastCounts) {
    OptionRun run = readAll({"dxf2tkm", "--up", "y", "m.obj", "--scale", "2", "--place", "--fit",
                             "--pair", "--scale", "0.5"});
    EXPECT_EQ(run.used, (std::vector<int>{2, 0, 2, 1, 1, 1, 2}));
    EXPECT_EQ(run.errors, "");
    EXPECT_TRUE(run.options.upY);
    EXPECT_TRUE(run.options.scaled);
    EXPECT_EQ(run.options.scale, 0.5f);
    EXPECT_TRUE(run.options.place && run.options.fit && run.options.pair);

    run = readAll({"dxf2tkm", "--up", "y", "--up", "z"});
    EXPECT_FALSE(run.options.upY);
    EXPECT_FALSE(run.options.scaled);

    // An invalid value anywhere is an error, also a missing one.
    run = readAll({"dxf2tkm", "--up", "Y", "--scale", "0", "--scale"});
    EXPECT_EQ(run.used, (std::vector<int>{2, 2, 1}));
    EXPECT_EQ(run.errors,
              "ERROR: --up needs y or z\n"
              "ERROR: --scale needs a number greater than 0\n"
              "ERROR: --scale needs a number greater than 0\n");
    run = readAll({"dxf2tkm", "--up"});
    EXPECT_EQ(run.errors, "ERROR: --up needs y or z\n");
}

TEST(FitOptionsTest, ValuesAreNotModels) {
    std::string arguments[] = {"--up", "--scale", "y", "--up", "y", "--place", "2"};
    char* argv[] = {&arguments[0][0], &arguments[1][0], &arguments[2][0], &arguments[3][0],
                    &arguments[4][0], &arguments[5][0], &arguments[6][0]};
    const bool values[] = {false, false, true, false, true, false, false};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(isFitOptionValue(argv, i), values[i]) << i;  // argv[0] is no option
    }
    EXPECT_TRUE(isFitOption("--pair"));
    EXPECT_FALSE(isFitOption("--Pair"));
    EXPECT_FALSE(isFitOption("-q"));
}

}  // namespace
