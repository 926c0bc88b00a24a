// SPDX-License-Identifier: MIT
#include "fitOptions.h"

#include <cmath>
#include <cstring>

#include "textScan.h"

namespace {

constexpr const char* UP_OPTION = "--up";
constexpr const char* SCALE_OPTION = "--scale";
constexpr const char* PLACE_OPTION = "--place";
constexpr const char* FIT_OPTION = "--fit";
constexpr const char* PAIR_OPTION = "--pair";
constexpr const char* UP_ERROR = "ERROR: --up needs y or z\n";
constexpr const char* SCALE_ERROR = "ERROR: --scale needs a number greater than 0\n";

bool takesValue(const char* argument) {
    return strcmp(argument, UP_OPTION) == 0 || strcmp(argument, SCALE_OPTION) == 0;
}

// --up or --scale with value, nullptr when it is missing.
FitOptionRead readValue(const char* option, const char* value, FitOptions& options) {
    const int used = value != nullptr ? 2 : 1;
    if (strcmp(option, UP_OPTION) == 0) {
        if (value == nullptr || (strcmp(value, "y") != 0 && strcmp(value, "z") != 0)) {
            return FitOptionRead{used, UP_ERROR};
        }
        options.upY = value[0] == 'y';
        return FitOptionRead{used, nullptr};
    }
    float scale = 0.0f;
    if (value == nullptr || !readScaleValue(value, scale)) {
        return FitOptionRead{used, SCALE_ERROR};
    }
    options.scaled = true;
    options.scale = scale;
    return FitOptionRead{used, nullptr};
}

}  // namespace

FitOptionRead readFitOption(int argc, char* const* argv, int index, FitOptions& options) {
    const char* option = argv[index];
    bool* const switches[] = {&options.place, &options.fit, &options.pair};
    const char* const switchNames[] = {PLACE_OPTION, FIT_OPTION, PAIR_OPTION};
    for (int k = 0; k < 3; ++k) {
        if (strcmp(option, switchNames[k]) == 0) {
            *switches[k] = true;
            return FitOptionRead{1, nullptr};
        }
    }
    if (!takesValue(option)) {
        return FitOptionRead{0, nullptr};
    }
    return readValue(option, index + 1 < argc ? argv[index + 1] : nullptr, options);
}

bool isFitOption(const char* argument) {
    return takesValue(argument) || strcmp(argument, PLACE_OPTION) == 0 ||
           strcmp(argument, FIT_OPTION) == 0 || strcmp(argument, PAIR_OPTION) == 0;
}

bool isFitOptionValue(char* const* argv, int index) {
    return index >= 2 && takesValue(argv[index - 1]);
}

bool readScaleValue(const char* text, float& scale) {
    float value = 0.0f;
    if (!readWholeDecimal(text, value) || !std::isfinite(value) || !(value > 0.0f)) {
        return false;
    }
    scale = value;
    return true;
}
