// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "dxfReader.h"
#include "lineReader.h"
#include "objReader.h"
#include "rdsReader.h"
#include "testSupport.h"

namespace {

// The next line as a model reader takes it, a long line's warning on log.
bool readLine(LineReader& reader, FILE* log) {
    if (!readLineQuietly(reader)) {
        return false;
    }
    if (reader.lineTooLong) {
        ModelLog modelLog(traceReport(log));
        reportLongLine(reader, modelLog);
    }
    return true;
}

struct ReadLines {
    std::vector<std::string> lines;
    std::vector<int> tooLong;  // numbers of the lines that lost characters
    std::string log;
};

ReadLines readAllLines(const std::string& text) {
    static LineReader reader;
    FILE* input = streamWithText(text);
    FILE* log = temporaryStream();
    initLineReader(reader, input);
    ReadLines result;
    while (readLine(reader, log)) {
        result.lines.push_back(reader.line);
        if (reader.lineTooLong) {
            result.tooLong.push_back(reader.lineNumber);
        }
        EXPECT_EQ(reader.lineNumber, static_cast<int>(result.lines.size()));
    }
    fclose(input);
    result.log = takeText(log);
    return result;
}

using Lines = std::vector<std::string>;

TEST(LineReaderTest, LineEndsAreNotDelivered) {
    EXPECT_EQ(readAllLines("").lines, Lines{});
    EXPECT_EQ(readAllLines("a\nb\n").lines, (Lines{"a", "b"}));
    EXPECT_EQ(readAllLines("a\nlast").lines, (Lines{"a", "last"}));
    EXPECT_EQ(readAllLines("\n\n").lines, (Lines{"", ""}));
}

TEST(LineReaderTest, CarriageReturnBeforeLineFeedBelongsToTheLineEnd) {
    EXPECT_EQ(readAllLines("a\r\nb\r\n").lines, (Lines{"a", "b"}));
    EXPECT_EQ(readAllLines("a\r\r\n").lines, (Lines{"a\r"}));
    EXPECT_EQ(readAllLines("a\rb\n").lines, (Lines{"a\rb"}));
    EXPECT_EQ(readAllLines("end\r").lines, (Lines{"end\r"}));
}

TEST(LineReaderTest, ZeroByteEndsTheLineText) {
    const std::string text("v 1\0 2\nnext\n", 12);
    EXPECT_EQ(readAllLines(text).lines, (Lines{"v 1", "next"}));
}

// The bytes past the zero of the file's last line, in the chunk or in the
// copy: the rest of its line end, then zeros, whatever an earlier file left.
std::string bytesPastLastLine(const std::string& text) {
    static LineReader reader;
    FILE* input = streamWithText(std::string(300, '7') + "\n" + std::string(300, '7'));
    initLineReader(reader, input);
    while (readLineQuietly(reader)) {
    }
    fclose(input);
    input = streamWithText(text);
    initLineReader(reader, input);
    std::string past;
    while (readLineQuietly(reader)) {
        past.assign(reader.line + strlen(reader.line) + 1, LINE_PADDING);
    }
    fclose(input);
    return past;
}

TEST(LineReaderTest, LastLineIsFollowedByZeros) {
    const std::string zeros(LINE_PADDING, '\0');
    EXPECT_EQ(bytesPastLastLine("v 1\nv 1 2 3\n"), zeros);  // in the chunk
    EXPECT_EQ(bytesPastLastLine("v 1\r\nv 1 2 3\r\n"), '\n' + zeros.substr(1));
    EXPECT_EQ(bytesPastLastLine("v 1 2 3\r\n"), zeros);          // copied, the CR dropped
    EXPECT_EQ(bytesPastLastLine("v 1\nv 1 2"), zeros);           // copied, no line end
    EXPECT_EQ(bytesPastLastLine(std::string(260, '1')), zeros);  // cut at 254
}

TEST(LineReaderTest, LinesOfUpTo254CharactersArriveWhole) {
    const std::string full(254, 'x');
    ReadLines result = readAllLines(full + "\n" + full + "\r\nz");
    EXPECT_EQ(result.lines, (Lines{full, full, "z"}));
    EXPECT_TRUE(result.tooLong.empty());
    EXPECT_EQ(result.log, "");
}

TEST(LineReaderTest, LongerLinesKeep254CharactersAndWarnOnce) {
    const std::string kept(254, 'x');
    ReadLines result =
        readAllLines("a\n" + kept + "y\r\n" + kept + std::string(100000, 'y') + "\nb");
    EXPECT_EQ(result.lines, (Lines{"a", kept, kept, "b"}));
    EXPECT_EQ(result.tooLong, (std::vector<int>{2, 3}));
    EXPECT_EQ(result.log,
              "WARNING: line 2 is longer than 254 characters; the rest is ignored\n"
              "WARNING: line 3 is longer than 254 characters; the rest is ignored\n");
}

TEST(LineReaderTest, LinesAcrossChunkBoundaries) {
    std::string text;
    Lines expected;
    for (int i = 0; i < 30000; ++i) {
        const std::string line = "line " + std::to_string(i);
        text += line + (i % 2 ? "\r\n" : "\n");
        expected.push_back(line);
    }
    EXPECT_EQ(readAllLines(text).lines, expected);
}

TEST(LineReaderTest, LineNumbersStopAtTheLargestInt) {
    static LineReader reader;
    FILE* input = streamWithText("a\nb\nc\n");
    initLineReader(reader, input);
    reader.lineNumber = INT_MAX - 1;  // as after 2^31 - 2 lines
    ASSERT_TRUE(readLine(reader, stdout));
    EXPECT_EQ(reader.lineNumber, INT_MAX);
    ASSERT_TRUE(readLine(reader, stdout));
    EXPECT_EQ(reader.lineNumber, INT_MAX);
    EXPECT_STREQ(reader.line, "b");
    fclose(input);
}

// A line longer than the buffer that crosses the read chunk's end, in each
// format: the rest of the model is still read, one warning names the line.
TEST(LineReaderTest, LongLinesAcrossTheReadChunkInEveryFormat) {
    const struct {
        const char* file;
        ReaderFunction reader;
        int longLine;
    } cases[] = {
        {"longLines/lineOf65600Characters.obj", readObjFile, 1},
        {"longLines/acrossChunk.obj", readObjFile, 6667},
        {"longLines/acrossChunk.rds", readRdsFile, 4000},
        {"longLines/acrossChunk.dxf", readDxfFile, 10912},
    };
    for (const auto& test : cases) {
        MeshStore& store = freshStore();
        const ReaderRun run = runReader(test.reader, fileText(dataPath(test.file)), store);
        EXPECT_TRUE(run.completed) << test.file;
        const std::string warning = "WARNING: line " + std::to_string(test.longLine) +
                                    " is longer than 254 characters; the rest is ignored\n";
        EXPECT_NE(run.log.find(warning), std::string::npos) << test.file;
        EXPECT_EQ(run.log.find("WARNING"), run.log.rfind("WARNING")) << test.file;
        ASSERT_EQ(store.quadCount, 1) << test.file;
        EXPECT_EQ(store.quads[0].position[1], Vec3(1, 0, 0)) << test.file;
    }
}

// The read loop's reader here logs each line with its number, stops after a
// line "stop", and at the end logs "end" and answers finishResult. The loop
// must write a long line's warning in order, hand on whether a line was cut,
// and end only a completed input.
bool recordLine(const TextLine& line, bool&, ModelLog& sink) {
    const std::string text =
        std::to_string(line.number) + (line.cut ? "cut:" : ":") + line.text + "\n";
    sinkText(sink, text.c_str(), text.size());
    return strcmp(line.text, "stop") != 0;
}

bool recordEnd(bool& finishResult, ModelLog& sink) {
    sinkText(sink, "end\n", 4);
    return finishResult;
}

// The loop over text with finishResult, face lines kept up to 4,095
// characters or not; what it logged, and whether it completed.
bool readLoop(const std::string& text, LineLimit limit, bool finishResult, std::string& logged) {
    FILE* input = streamWithText(text);
    FILE* log = temporaryStream();
    LineReader& lines = testWorkspace().lines;
    initLineReader(lines, input);
    Report& report = traceReport(log);
    const bool completed = limit == LineLimit::Short
                               ? readEveryLine<recordLine, recordEnd>(lines, report, finishResult)
                               : readEveryLine<recordLine, recordEnd, LineLimit::LongFaceLines>(
                                     lines, report, finishResult);
    fclose(input);
    logged = takeText(log);
    return completed;
}

TEST(LineReaderTest, ReadLoopFollowsItsReader) {
    const std::string kept(MAX_LINE_LENGTH, 'x');
    const std::string face = "f " + std::string(MAX_FACE_LINE_LENGTH - 2, 'x');
    const struct {
        std::string text;
        bool finishResult;
        bool completed;
        std::string log;
        LineLimit limit = LineLimit::Short;
    } cases[] = {
        {"a\r\nb", true, true, "1:a\n2:b\nend\n"},
        {"", true, true, "end\n"},
        {"a\n", false, false, "1:a\nend\n"},
        {"a\nstop\nb\n", true, false, "1:a\n2:stop\n"},
        {"a\n" + kept + "yy\nb", true, true,
         "1:a\nWARNING: line 2 is longer than 254 characters; the rest is ignored\n2cut:" + kept +
             "\n3:b\nend\n"},
        // A UTF-8 byte-order mark at the start is skipped; anywhere else it is text.
        {"\xEF\xBB\xBF"
         "a\n\xEF\xBB\xBF"
         "b",
         true, true,
         "1:a\n2:\xEF\xBB\xBF"
         "b\nend\n"},
        {"\xEF\xBB\n", true, true, "1:\xEF\xBB\nend\n"},
        // Not UTF-16: its byte-order mark is not at the start.
        {"\xFF"
         "a\n\xFF\xFE",
         true, true,
         "1:\xFF"
         "a\n2:\xFF\xFE\nend\n"},
        // Face lines of up to 4,095 characters where the reader asks for them,
        // in the read chunk and copied from it; other lines still keep 254.
        {face + "\r\n" + face, true, true, "1:" + face + "\n2:" + face + "\nend\n",
         LineLimit::LongFaceLines},
        {face + "yy\n" + face + "y", true, true,
         "WARNING: line 1 is longer than 4095 characters; the rest is ignored\n1cut:" + face +
             "\nWARNING: line 2 is longer than 4095 characters; the rest is ignored\n2cut:" + face +
             "\nend\n",
         LineLimit::LongFaceLines},
        {face, true, true,
         "WARNING: line 1 is longer than 254 characters; the rest is ignored\n1cut:" +
             face.substr(0, MAX_LINE_LENGTH) + "\nend\n"},
    };
    for (const auto& test : cases) {
        std::string logged;
        EXPECT_EQ(readLoop(test.text, test.limit, test.finishResult, logged), test.completed)
            << test.text;
        EXPECT_EQ(logged, test.log) << test.text;
    }
}

}  // namespace
