// SPDX-License-Identifier: MIT
#include "previewPaths.h"

#include <cstring>

#include "platformFiles.h"

const char* fileNameOf(const char* path) {
    return lastPathComponent(path);
}

bool defaultPicturePath(const char* brickPath, char* picturePath, size_t capacity) {
    const char* dot = strrchr(fileNameOf(brickPath), '.');
    const size_t stemLength =
        dot != nullptr ? static_cast<size_t>(dot - brickPath) : strlen(brickPath);
    const char* extension = ".svg";
    if (stemLength + strlen(extension) + 1 > capacity) {
        return false;
    }
    memcpy(picturePath, brickPath, stemLength);
    memcpy(picturePath + stemLength, extension, strlen(extension) + 1);
    return true;
}
