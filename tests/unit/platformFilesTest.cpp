// SPDX-License-Identifier: MIT
// Files by UTF-8 name and their replacement, the same on every system.
#include <gtest/gtest.h>

#include <string>

#include "fileReplace.h"
#include "platformFiles.h"
#include "testSupport.h"

#include "windowsApi.h"

namespace {

void writeText(FILE* out, const void* content) {
    fputs(static_cast<const char*>(content), out);
}

TEST(PlatformFilesTest, FolderPartEndsAtTheLastSeparator) {
    EXPECT_EQ(folderPartLength("arch.obj"), 0u);
    EXPECT_EQ(folderPartLength("/models/arch.obj"), 8u);
    EXPECT_STREQ(lastPathComponent("models/"), "");
#ifdef _WIN32
    EXPECT_EQ(folderPartLength("C:\\models\\arch.obj"), 10u);
    EXPECT_EQ(folderPartLength("C:arch.obj"), 2u);
    EXPECT_TRUE(isPathSeparator('\\'));
#else
    EXPECT_EQ(folderPartLength("C:\\models\\arch.obj"), 0u);
    EXPECT_FALSE(isPathSeparator('\\'));
#endif
}

// A Cyrillic name lies outside the ANSI code page of a western Windows.
TEST(PlatformFilesTest, NamesOutsideTheAnsiCodePage) {
    const std::string folder = makeTemporaryFolder();
    ASSERT_NE(folder, "");
    const std::string bricks = folder + "/\xD0\x9A\xD0\xB8\xD1\x80\xD0\xBF\xD0\xB8\xD1\x87";
    ASSERT_TRUE(makeFolder(bricks));
    const std::string brick = bricks + "/\xD0\xBA\xD0\xB8\xD1\x80\xD0\xBF\xD0\xB8\xD1\x87.tkm";
    EXPECT_EQ(replaceFileWhole(brick.c_str(), writeText, "old"), ReplaceOutcome::Replaced);
    EXPECT_EQ(replaceFileWhole(brick.c_str(), writeText, "new\r\n"), ReplaceOutcome::Replaced);
    EXPECT_EQ(fileText(brick), "new\r\n");
    EXPECT_TRUE(isSameExistingFile(brick.c_str(),
                                   (bricks + "/./" + lastPathComponent(brick.c_str())).c_str()));
    EXPECT_FALSE(isSameExistingFile(brick.c_str(), bricks.c_str()));
    FILE* read = openFile(brick.c_str(), "rb");
    EXPECT_NE(read, nullptr);
    if (read != nullptr) {
        fclose(read);
    }
    EXPECT_TRUE(removeFile(brick.c_str()));
    EXPECT_TRUE(removeFolder(bricks));
    removeFolder(folder);
}

#ifdef _WIN32
std::wstring widened(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

std::string withSlashes(std::string path) {
    for (char& c : path) {
        c = c == '\\' ? '/' : c;
    }
    return path;
}

// Windows limits a path by its full length, a relative one too: the long
// form is decided from the full path, and keeps what kind of path it was.
TEST(PlatformFilesTest, LongFormDecidedFromTheFullPath) {
    const std::string base = makeTemporaryFolder();
    ASSERT_TRUE(base != "" && base.size() < 190) << base;
    const std::string folder = base + "\\" + std::string(200 - base.size() - 1, 'd');
    ASSERT_TRUE(makeFolder(folder));
    wchar_t startFolder[MAX_PATH];
    ASSERT_NE(GetCurrentDirectoryW(MAX_PATH, startFolder), 0u);
    ASSERT_TRUE(SetCurrentDirectoryW(widened(folder).c_str()));
    const std::string longName(60, 'm');  // 261 characters in full
    std::string upAndDown;                // 300 characters, but none in full
    for (int i = 0; i < 60; ++i) {
        upAndDown += "x\\..\\";
    }
    const std::string share(250, 's');
    const struct {
        std::string typed;
        std::string expected;
    } cases[] = {
        {"arch.obj", folder + "\\arch.obj"},
        {longName, "\\\\?\\" + folder + "\\" + longName},
        {upAndDown + "arch.obj", folder + "\\arch.obj"},
        {"NUL", "\\\\.\\NUL"},
        {"\\\\.\\NUL", "\\\\.\\NUL"},
        {"//./" + withSlashes(folder), "\\\\.\\" + folder},
        {"\\\\.\\" + folder + "\\" + longName, "\\\\?\\" + folder + "\\" + longName},
        {"//?/" + withSlashes(folder) + "/" + longName, "\\\\?\\" + folder + "\\" + longName},
        {"\\\\?\\C:\\a\\..\\b", "\\\\?\\C:\\a\\..\\b"},
        {"\\\\server\\share\\a", "\\\\server\\share\\a"},
        {"//server/share/" + share, "\\\\?\\UNC\\server\\share\\" + share},
    };
    for (const auto& test : cases) {
        static wchar_t wide[WIDE_PATH_SIZE];
        EXPECT_TRUE(widePath(test.typed.c_str(), wide, WIDE_PATH_SIZE)) << test.typed;
        EXPECT_EQ(std::wstring(wide), widened(test.expected)) << test.typed;
    }
    // A brick of 247 characters in full is short, the temporary beside it long.
    const std::string brick(46, 'b');
    EXPECT_EQ(replaceFileWhole(brick.c_str(), writeText, "new"), ReplaceOutcome::Replaced);
    EXPECT_EQ(fileText(folder + "\\" + brick), "new");
    EXPECT_TRUE(removeFile(brick.c_str()));
    SetCurrentDirectoryW(startFolder);
    EXPECT_TRUE(removeFolder(folder)) << "a temporary was left behind";
    removeFolder(base);
}

#endif

}  // namespace
