// SPDX-License-Identifier: MIT
// Telling a model for dxf2tkm from a broken brick file, so that a model given
// to the preview gets advice rather than the parser's line 1.
#pragma once

#include <cstddef>

// Whether the file at path, whose text did not parse as a brick, is a model:
// named .obj, .rds or .dxf (in any letter case), or beginning as one does
// (an OBJ comment or keyword, an RDS tag, a DXF section or binary DXF's
// sentinel). A brick's first line is three whole numbers, so no brick is
// taken for a model.
bool looksLikeModel(const char* path, const char* text, size_t length);
