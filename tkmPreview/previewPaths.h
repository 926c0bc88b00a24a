// SPDX-License-Identifier: MIT
// Paths of the preview program: the picture beside the brick file.
#pragma once

#include <cstddef>

constexpr size_t PREVIEW_PATH_SIZE = 4096;

// Copies brickPath into picturePath (capacity bytes) with the extension of
// its last component replaced by ".svg", or ".svg" appended when it has none.
// Returns false when the result does not fit.
bool defaultPicturePath(const char* brickPath, char* picturePath, size_t capacity);
