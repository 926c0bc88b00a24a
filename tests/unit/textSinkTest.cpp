// SPDX-License-Identifier: MIT
// The output buffer every stage writes through.
#include <gtest/gtest.h>

#include <string>

#include "testSupport.h"
#include "textSink.h"

namespace {

TEST(TextSinkTest, SinkRealsSeparatesWithOneBlank) {
    FILE* out = temporaryStream();
    const double values[] = {1.0, 128.0 / 255.0, -0.0};
    {
        TextSink sink(out);
        sinkReals(sink, values, 3);
    }
    EXPECT_EQ(takeText(out), "1.000000 0.501961 0.000000");
}

TEST(TextSinkTest, TextWrittenPastTheSinkComesInOrder) {
    FILE* out = temporaryStream();
    {
        TextSink sink(out);
        sinkText(sink, "a", 1);
        fputs("b", flushedStream(sink));
        sinkText(sink, "c", 1);
    }  // its end writes the "c" it still holds
    fputs("d", out);
    EXPECT_EQ(takeText(out), "abcd");
}

// Formatted text fits where the sink has room, goes out in order where it
// has not, and a sink on no stream drops everything.
TEST(TextSinkTest, FormattedTextKeepsItsOrder) {
    const std::string filler(SINK_CAPACITY - 3, '.');
    const std::string longText(SINK_CAPACITY + 10, 'x');
    FILE* out = temporaryStream();
    {
        TextSink sink(out);
        sinkFormat(sink, "got %d verts\n", 8);
        sinkText(sink, filler.data(), filler.size());
        sinkFormat(sink, "[%s]", "abc");
        sinkFormat(sink, "%s", longText.c_str());
    }
    EXPECT_EQ(takeText(out), "got 8 verts\n" + filler + "[abc]" + longText);
    TextSink nowhere(nullptr);
    sinkFormat(nowhere, "%d", 1);
    sinkText(nowhere, longText.data(), longText.size());
    EXPECT_EQ(flushedStream(nowhere), nullptr);
}

}  // namespace
