// SPDX-License-Identifier: MIT
// The picture's path and title on Windows, where "\" separates folders too.
#include <gtest/gtest.h>

#include <string>

#include "platformFiles.h"
#include "previewPaths.h"
#include "testSupport.h"

namespace {

std::string pictureOf(const char* brickPath) {
    char path[PREVIEW_PATH_SIZE];
    return pathOrNone(defaultPicturePath(brickPath, path, sizeof path), path);
}

TEST(PreviewPathTest, BackslashSeparatesFoldersOnWindowsOnly) {
#ifdef _WIN32
    EXPECT_EQ(pictureOf("C:\\bricks\\arch.tkm"), "C:\\bricks\\arch.svg");
    EXPECT_EQ(pictureOf("C:\\old.bricks\\arch"), "C:\\old.bricks\\arch.svg");
    EXPECT_EQ(pictureOf("D:arch.tkm"), "D:arch.svg");
    EXPECT_STREQ(lastPathComponent("C:\\bricks/new\\arch.tkm"), "arch.tkm");
    EXPECT_STREQ(lastPathComponent("D:arch.tkm"), "arch.tkm");
#else
    EXPECT_EQ(pictureOf("C:\\old.bricks\\arch"), "C:\\old.svg");
    EXPECT_STREQ(lastPathComponent("bricks/C:\\arch.tkm"), "C:\\arch.tkm");
#endif
}

}  // namespace
