// SPDX-License-Identifier: MIT
// Fuzz target: the preview program's brick-file parser and, for what it
// accepts, the picture writer.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "brickFile.h"
#include "svgPicture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static BrickFile brick;
    static FILE* sink = fopen("/dev/null", "w");
    ParseError error;
    if (parseBrickFile(reinterpret_cast<const char*>(data), size, brick, error)) {
        writeSvgPicture(sink, brick, "fuzz.tkm");
    }
    return 0;
}
