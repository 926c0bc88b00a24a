// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <dirent.h>

#include <cmath>
#include <cstdarg>
#include <string>
#include <vector>

#include "brickDump.h"
#include "brickFile.h"
#include "compilerSupport.h"
#include "previewPaths.h"
#include "testSupport.h"

namespace {

BrickFile& parsedBrick() {
    static BrickFile brick;
    return brick;
}

bool parse(const std::string& text, ParseError& error) {
    return parseBrickFile(text.data(), text.size(), parsedBrick(), error);
}

void appendLine(std::string& text, const char* format, ...) PRINTF_FORMAT(2, 3);
void appendLine(std::string& text, const char* format, ...) {
    char line[4096];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    text += line;
    text += "\r\n";
}

void appendReals(std::string& text, const double* values, int count) {
    std::string line;
    for (int i = 0; i < count; ++i) {
        char number[400];
        snprintf(number, sizeof number, "%s%.6f", i ? " " : "", values[i]);
        line += number;
    }
    appendLine(text, "%s", line.c_str());
}

// The brick written out again from what the parser read, in the converter's
// format: equal to the original text only if every count, size and value was
// read exactly.
std::string writtenAgain(const BrickFile& brick) {
    std::string text;
    appendLine(text, "%d %d %d", brick.size[0], brick.size[1], brick.size[2]);
    appendLine(text, "SPECIALBRICK");
    appendLine(text, "%s", "");
    appendLine(text, "%d", brick.boxCount);
    for (int b = 0; b < brick.boxCount; ++b) {
        appendLine(text, "%s", "");
        appendReals(text, brick.boxes[b].center, 3);
        appendReals(text, brick.boxes[b].size, 3);
    }
    appendLine(text, "COVERAGE: //TBNESW ");
    for (int i = 0; i < 6; ++i) appendLine(text, "0 : 999");
    int q = 0;
    for (int section = 0; section < FACE_SECTIONS; ++section) {
        appendLine(text, "----------------%s quads:", FACE_SECTION_NAMES[section]);
        int count = 0;
        while (q + count < brick.quadCount && brick.quads[q + count].section == section) ++count;
        appendLine(text, "%d", count);
        for (; count > 0; --count, ++q) {
            const PreviewQuad& quad = brick.quads[q];
            appendLine(text, "%s", "");
            appendLine(text, "TEX:SIDE");
            appendLine(text, "POSITION:");
            for (const auto& corner : quad.position) appendReals(text, corner, 3);
            appendLine(text, "UV COORDS:");
            for (const auto& corner : quad.uv) appendReals(text, corner, 2);
            if (quad.hasColors) {
                appendLine(text, "COLORS:");
                for (const auto& corner : quad.color) appendReals(text, corner, 4);
            }
            appendLine(text, "NORMALS:");
            for (const auto& corner : quad.normal) appendReals(text, corner, 3);
        }
    }
    return text;
}

std::vector<std::string> convertedBrickFiles() {
    std::vector<std::string> paths = {dataPath("writer/fiftyLineExample.tkm")};
    const std::string cases = std::string(TEST_DATA_DIR) + "/../cases";
    DIR* folder = opendir(cases.c_str());
    while (dirent* entry = folder != nullptr ? readdir(folder) : nullptr) {
        const std::string expected = cases + "/" + entry->d_name + "/expected";
        DIR* files = opendir(expected.c_str());
        while (dirent* file = files != nullptr ? readdir(files) : nullptr) {
            const std::string name = file->d_name;
            const std::string text = fileText(expected + "/" + name);
            if (name.size() > 4 && name.substr(name.size() - 4) == ".tkm" &&
                text.rfind("old brick", 0) != 0) {
                paths.push_back(expected + "/" + name);
            }
        }
        if (files != nullptr) closedir(files);
    }
    if (folder != nullptr) closedir(folder);
    return paths;
}

TEST(BrickFileTest, ConvertedFilesReadBackExactly) {
    const std::vector<std::string> paths = convertedBrickFiles();
    EXPECT_GE(paths.size(), 10u);
    for (const std::string& path : paths) {
        const std::string text = fileText(path);
        ParseError error;
        ASSERT_TRUE(parse(text, error)) << path << ": " << error.message;
        EXPECT_EQ(writtenAgain(parsedBrick()), text) << path;
    }
}

TEST(BrickFileTest, TheDocumentedExampleInDetail) {
    ParseError error;
    ASSERT_TRUE(parse(fileText(dataPath("writer/fiftyLineExample.tkm")), error));
    const BrickFile& brick = parsedBrick();
    EXPECT_EQ(brick.size[2], 5);
    EXPECT_EQ(brick.boxCount, 1);
    EXPECT_EQ(brick.boxes[0].size[2], 5.0);
    ASSERT_EQ(brick.quadCount, 1);
    EXPECT_EQ(brick.quads[0].section, 6);
    EXPECT_TRUE(brick.quads[0].hasColors);
    EXPECT_DOUBLE_EQ(brick.quads[0].color[0][1], 0.501961);
    EXPECT_EQ(brick.quads[0].position[0][0], -0.5);
    EXPECT_EQ(brick.quads[0].uv[1][1], 0.8);
}

TEST(BrickFileTest, LineFeedsAloneAndAMissingLastLineEnd) {
    std::string text = fileText(dataPath("writer/fiftyLineExample.tkm"));
    std::string lineFeeds;
    for (char c : text) {
        if (c != '\r') lineFeeds += c;
    }
    ParseError error;
    EXPECT_TRUE(parse(lineFeeds, error)) << error.message;
    lineFeeds.pop_back();
    EXPECT_TRUE(parse(lineFeeds, error)) << error.message;
    EXPECT_EQ(parsedBrick().quads[0].normal[3][2], 1.0);
}

TEST(BrickFileTest, NonFiniteNumbersAsTheConverterWritesThem) {
    std::string text = fileText(dataPath("writer/fiftyLineExample.tkm"));
    text.replace(text.find("-0.500000 0.500000 2.500000"), 27, "nan -inf -nan");
    ParseError error;
    ASSERT_TRUE(parse(text, error)) << error.message;
    EXPECT_TRUE(std::isnan(parsedBrick().quads[0].position[0][0]));
    EXPECT_EQ(parsedBrick().quads[0].position[0][1], -HUGE_VAL);
}

// What the add-on's import reads: one record a line, every corner of every
// kind, the words of values that are not finite kept.
TEST(BrickFileTest, DumpListsEveryRecordAsRead) {
    std::string text = fileText(dataPath("writer/fiftyLineExample.tkm"));
    text.replace(text.find("-0.500000 0.500000 2.500000"), 27, "nan -inf 2.500000");
    ParseError error;
    ASSERT_TRUE(parse(text, error)) << error.message;
    FILE* out = temporaryStream();
    writeBrickDump(out, parsedBrick());
    const std::string dump = takeText(out);
    EXPECT_EQ(dump.substr(0, dump.find("uv ")),
              "size 1 1 5\nbox 0.000000 0.000000 0.000000 1.000000 1.000000 5.000000\n"
              "quad omni\nposition nan -inf 2.500000\nposition 0.500000 0.500000 2.500000\n"
              "position 0.500000 -0.500000 2.500000\nposition -0.500000 -0.500000 2.500000\n");
    EXPECT_TRUE(endsWith(dump,
                         "color 1.000000 0.501961 0.000000 1.000000\n"
                         "normal 0.000000 0.000000 1.000000\n"
                         "normal 0.000000 0.000000 1.000000\n"
                         "normal 0.000000 0.000000 1.000000\n"
                         "normal 0.000000 0.000000 1.000000\n"));
    EXPECT_NE(dump.find("uv 0.800000 0.200000\ncolor "), std::string::npos);
}

// The example with one line (counted from 1) replaced, removed or cut off.
std::string mutated(int lineNumber, const char* replacement, bool cutAfter = false) {
    const std::string text = fileText(dataPath("writer/fiftyLineExample.tkm"));
    std::string result;
    size_t start = 0;
    for (int line = 1; start < text.size(); ++line) {
        const size_t end = text.find("\r\n", start) + 2;
        if (line == lineNumber) {
            if (replacement != nullptr) result += std::string(replacement) + "\r\n";
            if (cutAfter) return result;
        } else {
            result += text.substr(start, end - start);
        }
        start = end;
    }
    return result;
}

TEST(BrickFileTest, MalformedFilesNameTheLineAndWhatWasExpected) {
    const struct {
        std::string text;
        const char* message;
    } cases[] = {
        {"", "line 1: expected the brick size: three whole numbers, found the end of the file"},
        {mutated(1, "1 1"), "line 1: expected the brick size: three whole numbers, found \"1 1\""},
        {mutated(1, "1 1.5 5"),
         "line 1: expected the brick size: three whole numbers, found \"1 1.5 5\""},
        {mutated(1, "1 1 99999999999"),
         "line 1: expected the brick size: three whole numbers, -2147483648 to 2147483647, "
         "found \"1 1 99999999999\""},
        {mutated(2, "SPECIALBRICKS"), "line 2: expected \"SPECIALBRICK\", found \"SPECIALBRICKS\""},
        {mutated(3, nullptr), "line 3: expected an empty line, found \"1\""},
        {mutated(4, "65"), "line 4: expected the number of collision boxes, 0 to 64, found \"65\""},
        {mutated(4, "-1"), "line 4: expected the number of collision boxes, 0 to 64, found \"-1\""},
        {mutated(4, "2"),
         "line 8: expected an empty line before a collision box, found \"COVERAGE: //TBNESW \""},
        {mutated(6, "0.0 0.0"),
         "line 6: expected the box centre: three numbers, found \"0.0 0.0\""},
        {mutated(7, "1.000000 1.000000 5,000000"),
         "line 7: expected the box size: three numbers, found \"1.000000 1.000000 5,000000\""},
        {mutated(7, "1 1-5"), "line 7: expected the box size: three numbers, found \"1 1-5\""},
        {mutated(7, "1 1 5\v"), "line 7: expected the box size: three numbers, found \"1 1 5?\""},
        {mutated(8, "COVERAGE: //TBNESW"),
         "line 8: expected \"COVERAGE: //TBNESW \", found \"COVERAGE: //TBNESW\""},
        {mutated(13, "0 : 99"), "line 13: expected \"0 : 999\", found \"0 : 99\""},
        {mutated(15, nullptr), "line 15: expected \"----------------top quads:\", found \"0\""},
        {mutated(16, "x"), "line 16: expected the number of quads, 0 to 1024, found \"x\""},
        {mutated(28, "1025"), "line 28: expected the number of quads, 0 to 1024, found \"1025\""},
        {mutated(28, "2"),
         "line 51: expected an empty line before a quad, found the end of the file"},
        {mutated(30, "SIDE"), "line 30: expected a texture line \"TEX:...\", found \"SIDE\""},
        {mutated(34, nullptr),
         "line 35: expected a corner position: three numbers, found \"UV COORDS:\""},
        {mutated(37, "0.200000 0.800000 0.1"),
         "line 37: expected texture coordinates: two numbers, found \"0.200000 0.800000 0.1\""},
        {mutated(41, "COLOURS:"),
         "line 41: expected \"COLORS:\" or \"NORMALS:\", found \"COLOURS:\""},
        {mutated(45, nullptr),
         "line 45: expected a corner colour: four numbers, found \"NORMALS:\""},
        {mutated(46, "NORMAL:"), "line 46: expected \"NORMALS:\", found \"NORMAL:\""},
        {mutated(50, nullptr),
         "line 50: expected a corner normal: three numbers, found the end of the file"},
        {mutated(50, "0.000000 0.000000 1.000000", true) + "\r\n",
         "line 51: expected the end of the file, found \"\""},
        {mutated(48, "0.000000 0.000000 1.000000\x01\xff", true),
         "line 48: expected a corner normal: three numbers, found \"0.000000 0.000000 "
         "1.000000??\""},
        {mutated(48, "1.0e5 0.000000 1.000000 0", true),
         "line 48: expected a corner normal: three numbers, found \"1.0e5 0.000000 1.000000 "
         "0\""},
        {mutated(49, std::string(100, '7').c_str(), true),
         "line 49: expected a corner normal: three numbers, found "
         "\"7777777777777777777777777777777777777777...\""},
    };
    for (const auto& c : cases) {
        ParseError error;
        EXPECT_FALSE(parse(c.text, error)) << c.message;
        EXPECT_STREQ(error.message, c.message);
    }
}

// The documented example edited by hand: numbers as "0", "+.5", "25e-1" and
// "8e-1", runs of blanks and tabs, LF line ends. It reads as the original.
TEST(BrickFileTest, HandEditedNumbersReadAsWritten) {
    ParseError error;
    ASSERT_TRUE(parse(fileText(std::string(TEST_DATA_DIR) + "/../blender/handEdited.tkm"), error))
        << error.message;
    EXPECT_EQ(writtenAgain(parsedBrick()), fileText(dataPath("writer/fiftyLineExample.tkm")));
    std::string text = mutated(6, "0x1p-2\t inf +.5 ");
    ASSERT_TRUE(parse(text, error)) << error.message;
    EXPECT_EQ(parsedBrick().boxes[0].center[0], 0.25);
    EXPECT_EQ(parsedBrick().boxes[0].center[1], HUGE_VAL);
}

TEST(PreviewPathTest, PictureBesideTheBrickFile) {
    char path[PREVIEW_PATH_SIZE];
    ASSERT_TRUE(defaultPicturePath("bricks/arch.tkm", path, sizeof path));
    EXPECT_STREQ(path, "bricks/arch.svg");
    ASSERT_TRUE(defaultPicturePath("old.bricks/arch", path, sizeof path));
    EXPECT_STREQ(path, "old.bricks/arch.svg");
    char small[8];
    EXPECT_FALSE(defaultPicturePath("abcd.tkm", small, sizeof small));
}

}  // namespace
