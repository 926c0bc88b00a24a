// SPDX-License-Identifier: MIT
// The options that fit a model to its brick: --up y|z, --scale S, --place,
// --fit and --pair, their values, and how one is read from the command line.
// Reads the arguments only; the fitting stage (fitting.h) applies them.
#pragma once

struct FitOptions {
    bool upY = false;     // --up y: the model's y axis is its up (--up z, the default, is not)
    bool scaled = false;  // --scale was given
    float scale = 1.0f;   // its number
    bool place = false;   // --place
    bool fit = false;     // --fit, which places too
    bool pair = false;    // --pair
};

// What readFitOption took from the command line.
struct FitOptionRead {
    int used;           // arguments taken: 0 when the argument is no fit option, else 1 or 2
    const char* error;  // an invalid value's message, line end included; nullptr when valid
};

// Reads the fit option at argv[index] (index 1 or more) into options; --up
// and --scale take the next argument as their value, a missing one being an
// invalid one. A repeated option's last value counts.
FitOptionRead readFitOption(int argc, char* const* argv, int index, FitOptions& options);

// True when argument names a fit option.
bool isFitOption(const char* argument);

// True when argv[index] is the value of a --up or --scale before it; argv[0]
// is never an option.
bool isFitOptionValue(char* const* argv, int index);

// The value of --scale: text that is a decimal number and nothing else (as
// readWholeDecimal of textScan.h takes it), whose nearest float is finite
// and greater than 0. Stores that float in scale.
bool readScaleValue(const char* text, float& scale);
