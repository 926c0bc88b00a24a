// SPDX-License-Identifier: MIT
// A file replaced only whole, for the brick file and the preview picture.
#include <gtest/gtest.h>

#include <string>

#include "fileReplace.h"
#include "platformFiles.h"
#include "testSupport.h"

#include "windowsApi.h"

namespace {

#ifdef _WIN32
void writeText(FILE* out, const void* content) {
    fputs(static_cast<const char*>(content), out);
}

// The new brick keeps the old one's hidden attribute; a read-only one, which
// Windows' rename would not replace anyway, is refused before anything is
// written.
TEST(PlatformFilesTest, WindowsAttributesOfTheOldBrick) {
    const std::string folder = makeTemporaryFolder();
    ASSERT_NE(folder, "");
    const std::string brick = folder + "\\arch.tkm";
    ASSERT_EQ(replaceFileWhole(brick.c_str(), writeText, "old"), ReplaceOutcome::Replaced);
    ASSERT_TRUE(SetFileAttributesA(brick.c_str(), FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(replaceFileWhole(brick.c_str(), writeText, "new"), ReplaceOutcome::Replaced);
    EXPECT_EQ(fileText(brick), "new");
    EXPECT_EQ(GetFileAttributesA(brick.c_str()) & FILE_ATTRIBUTE_HIDDEN,
              static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));

    ASSERT_TRUE(SetFileAttributesA(brick.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(replaceFileWhole(brick.c_str(), writeText, "newer"), ReplaceOutcome::OpenFailed);
    EXPECT_EQ(fileText(brick), "new");
    SetFileAttributesA(brick.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(isSameExistingFile(brick.c_str(), (folder + "/arch.tkm").c_str()));
    EXPECT_TRUE(removeFile(brick.c_str()));
    EXPECT_TRUE(removeFolder(folder)) << "a temporary was left behind";
}
#endif

}  // namespace
