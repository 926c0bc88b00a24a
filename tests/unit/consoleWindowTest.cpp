// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "consoleWindow.h"

namespace {

// Only a program alone in a console whose input and output are that console
// was started from Explorer (not a terminal, pipes, files, or no console);
// the tests' variable forces either answer, and only with "1" or "0".
TEST(ConsoleWindowTest, ExplorerDecision) {
    const struct {
        ConsoleFacts facts;
        const char* forced;
        bool owns;
    } cases[] = {
        {{1, true, true}, nullptr, true},   {{2, true, true}, nullptr, false},
        {{0, true, true}, nullptr, false},  {{1, false, true}, nullptr, false},
        {{1, true, false}, nullptr, false}, {{0, false, false}, "1", true},
        {{1, true, true}, "0", false},      {{1, true, true}, "", true},
        {{1, true, true}, "yes", true},     {{3, false, false}, "10", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ownsConsoleWindow(c.facts, c.forced), c.owns) << "row " << &c - cases;
    }
}

}  // namespace
