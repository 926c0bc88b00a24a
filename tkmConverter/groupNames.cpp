// SPDX-License-Identifier: MIT
#include "groupNames.h"

#include <cstring>

#include "textScan.h"

namespace {

// A declared bounds box counts once one of its extents has left the reset values.
constexpr float DECLARED_MIN_LIMIT = 999.0f;
constexpr float DECLARED_MAX_LIMIT = -999.0f;

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

bool bracketsDeclaredBounds(const MeshStore& store) {
    const Vec3& low = store.boundsMin;
    const Vec3& high = store.boundsMax;
    return low.x < DECLARED_MIN_LIMIT || low.y < DECLARED_MIN_LIMIT || low.z < DECLARED_MIN_LIMIT ||
           high.x > DECLARED_MAX_LIMIT || high.y > DECLARED_MAX_LIMIT ||
           high.z > DECLARED_MAX_LIMIT;
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

void settleDeclaredSize(MeshStore& store) {
    if (!bracketsDeclaredBounds(store)) {
        return;
    }
    setBrickSizeFromBounds(store);
}
