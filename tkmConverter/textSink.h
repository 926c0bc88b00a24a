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

// Appends the decimal text of value, as "%d" writes it. Inline: values from
// 0 to 9999 (line numbers, counts) take a few steps and no call.
inline void sinkInt(TextSink& sink, int32_t value) {
    constexpr int32_t SHORT_LIMIT = 10000;
    constexpr size_t SHORT_ROOM = 4;  // the four bytes written, used or not
    if (value < 0 || value >= SHORT_LIMIT || SHORT_ROOM > SINK_CAPACITY - sink.length) {
        sinkOtherInt(sink, value);
        return;
    }
    const int digitCount = value < 10 ? 1 : value < 100 ? 2 : value < 1000 ? 3 : 4;
    const uint32_t text = fourDigitsText(static_cast<uint32_t>(value)) >> (8 * (4 - digitCount));
    char* end = sink.text + sink.length;
    for (size_t i = 0; i < SHORT_ROOM; ++i) {
        end[i] = static_cast<char>(text >> (8 * i));
    }
    sink.length += static_cast<size_t>(digitCount);
}

// Reals are appended by sinkReals (realFormat.h).
