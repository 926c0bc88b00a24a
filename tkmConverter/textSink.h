// SPDX-License-Identifier: MIT
// The output buffer that the stages write their text through, the brick file
// and the traces on standard output alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

// Text gathered in a fixed buffer and handed to its stream in large pieces:
// one C library call per 16 KiB instead of one per line or number. Whatever
// else writes to the same stream must flush the sink first, or its text
// would come out of order. (A larger sink saves no time measurably, but
// costs a page fault for every 4 KiB it is filled to.)
constexpr size_t SINK_CAPACITY = 16384;

struct TextSink {
    FILE* out;
    size_t length;  // bytes held, not yet written
    char text[SINK_CAPACITY];
};

// The run's one sink, started empty for out. The stages of a run use it in
// turn (a reader, the finishing steps, the writer), each flushing it before
// it returns, so its pages are touched once rather than once per stage.
TextSink& openSink(FILE* out);

// Writes what the sink holds to its stream and empties it.
void flushSink(TextSink& sink);

// The sink's stream, flushed: for a message written to the stream directly.
FILE* flushedStream(TextSink& sink);

// Appends text longer than the sink has room for.
void sinkLongText(TextSink& sink, const char* text, size_t length);

// Appends length bytes of text. Inline: a short text of a known length is
// then copied without a call.
inline void sinkText(TextSink& sink, const char* text, size_t length) {
    if (length > SINK_CAPACITY - sink.length) {
        sinkLongText(sink, text, length);
        return;
    }
    memcpy(sink.text + sink.length, text, length);
    sink.length += length;
}

// Appends the decimal text of value, as "%d" writes it, for every value but
// those of sinkInt's short path.
void sinkOtherInt(TextSink& sink, int32_t value);

// The four decimal digits of value (below 10^4, leading zeros included) as
// the bytes of one number, the first digit in the lowest byte: the value
// splits into two lanes of two digits and each of those into two digits, both
// lanes at once (a lane's quotient by 100 or 10 is its product with
// 5243 / 2^19 or 103 / 2^10, exact for the values a lane holds).
inline uint32_t fourDigitsText(uint32_t value) {
    constexpr uint32_t ZEROS = 0x30303030;  // '0' in each byte
    const uint32_t hundreds = value * 5243 >> 19;
    const uint32_t pairs = hundreds | (value - hundreds * 100) << 16;
    const uint32_t tens = (pairs * 103 >> 10) & 0x000f000f;
    return (tens | (pairs - tens * 10) << 8) + ZEROS;
}

constexpr int32_t SHORT_INT_LIMIT = 10000;  // sinkInt writes values below it inline
constexpr size_t SHORT_INT_ROOM = 4;        // the four bytes it stores, used or not

// Writes the decimal digits of value (below SHORT_INT_LIMIT) at text, which
// has room for four bytes; returns their count.
inline size_t writeShortInt(uint32_t value, char* text) {
    const int digitCount = 1 + (value >= 10) + (value >= 100) + (value >= 1000);
    const uint32_t digits = fourDigitsText(value) >> (8 * (4 - digitCount));
    for (size_t i = 0; i < SHORT_INT_ROOM; ++i) {
        text[i] = static_cast<char>(digits >> (8 * i));
    }
    return static_cast<size_t>(digitCount);
}

// Appends the decimal text of value, as "%d" writes it. Inline: values from
// 0 to 9999 (line numbers, counts) take a few steps and no call.
inline void sinkInt(TextSink& sink, int32_t value) {
    if (value < 0 || value >= SHORT_INT_LIMIT || SHORT_INT_ROOM > SINK_CAPACITY - sink.length) {
        sinkOtherInt(sink, value);
        return;
    }
    const size_t start = sink.length;  // read once: the bytes written may alias it
    sink.length = start + writeShortInt(static_cast<uint32_t>(value), sink.text + start);
}

// Appends a trace line: prefix (length bytes), the decimal text of value and
// a line feed, with one check for room where value is short. Inline, as
// sinkInt: the OBJ reader writes one for every line it reads.
inline void sinkIntLine(TextSink& sink, const char* prefix, size_t length, int32_t value) {
    if (value < 0 || value >= SHORT_INT_LIMIT ||
        length + SHORT_INT_ROOM + 1 > SINK_CAPACITY - sink.length) {
        sinkText(sink, prefix, length);
        sinkOtherInt(sink, value);
        sinkText(sink, "\n", 1);
        return;
    }
    const size_t start = sink.length;  // read once: the bytes written may alias it
    char* text = sink.text + start;
    memcpy(text, prefix, length);
    const size_t digitCount = writeShortInt(static_cast<uint32_t>(value), text + length);
    text[length + digitCount] = '\n';
    sink.length = start + length + digitCount + 1;
}
