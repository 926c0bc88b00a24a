// SPDX-License-Identifier: MIT
// The naming conventions that OBJ group and material names and DXF layer
// names carry: a colour for the faces, the brick's bounds, or a collision box.
// Reads names only; the readers apply what a name means (the size a BOUNDS
// box gives: settleDeclaredSize, with the brick-size rule in meshStore.h).
#pragma once

#include "meshStore.h"

constexpr QuadColor NO_QUAD_COLOR{NO_COLOR, NO_COLOR, NO_COLOR, NO_COLOR};

enum class GroupKind { Color, Bounds, Collision, Plain };

struct GroupName {
    GroupKind kind;
    QuadColor color;  // of a colour name whose numbers scan; NO_QUAD_COLOR otherwise
};

// What name means, by its prefix, compared exactly: "COLOR_r_g_b[_a]",
// "SUBCOLOR_r_g_b", "ADDCOLOR_r_g_b", "BOUNDS", "COLLISION"; anything may
// follow the prefix ("BOUNDS_box", "COLLISION.001").
GroupName readGroupName(const char* name);
