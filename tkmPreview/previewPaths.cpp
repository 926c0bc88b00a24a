// SPDX-License-Identifier: MIT
#include "previewPaths.h"

#include "platformFiles.h"

bool defaultPicturePath(const char* brickPath, char* picturePath, size_t capacity) {
    return replaceExtension(brickPath, ".svg", picturePath, capacity);
}
