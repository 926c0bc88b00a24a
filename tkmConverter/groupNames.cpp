// SPDX-License-Identifier: MIT
#include "groupNames.h"

#include <cstring>

#include "textScan.h"

namespace {

QuadColor scanPlainColor(const char* numbers) {
    QuadColor color = NO_QUAD_COLOR;
    int32_t* const targets[] = {&color.r, &color.g, &color.b, &color.a};
    const int converted = scanInts(numbers, "%d_%d_%d_%d", targets);
    if (converted == 4) {
        return color;
    }
    if (converted == 3) {
        color.a = FULL_ALPHA;
        return color;
    }
    return NO_QUAD_COLOR;
}

int32_t negateWrapping(int32_t value) {
    return static_cast<int32_t>(0u - static_cast<uint32_t>(value));
}

// ADDCOLOR_ and SUBCOLOR_ names: red, green and blue with the blending alpha.
QuadColor scanBlendColor(const char* numbers, bool subtract) {
    QuadColor color = NO_QUAD_COLOR;
    int32_t* const targets[] = {&color.r, &color.g, &color.b};
    if (scanInts(numbers, "%d_%d_%d", targets) != 3) {
        return NO_QUAD_COLOR;
    }
    if (subtract) {
        color.r = negateWrapping(color.r);
        color.g = negateWrapping(color.g);
        color.b = negateWrapping(color.b);
    }
    color.a = BLEND_ALPHA;
    return color;
}

}  // namespace

GroupName readGroupName(const char* name) {
    if (startsWith(name, "COLOR_")) {
        return {GroupKind::Color, scanPlainColor(name + strlen("COLOR_"))};
    }
    if (startsWith(name, "SUBCOLOR_")) {
        return {GroupKind::Color, scanBlendColor(name + strlen("SUBCOLOR_"), true)};
    }
    if (startsWith(name, "ADDCOLOR_")) {
        return {GroupKind::Color, scanBlendColor(name + strlen("ADDCOLOR_"), false)};
    }
    if (startsWith(name, "BOUNDS")) {
        return {GroupKind::Bounds, NO_QUAD_COLOR};
    }
    if (startsWith(name, "COLLISION")) {
        return {GroupKind::Collision, NO_QUAD_COLOR};
    }
    return {GroupKind::Plain, NO_QUAD_COLOR};
}
