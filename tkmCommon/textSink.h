// SPDX-License-Identifier: MIT
// The output buffer that the stages write their text through, the brick file
// and the traces on standard output alike; numbers go in as the number
// writer (realFormat) spells them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "compilerSupport.h"
#include "realFormat.h"

// Text gathered in a fixed buffer and handed to its stream in large pieces:
// one C library call per 16 KiB instead of one per line or number. (A larger
// sink saves no time measurably, but costs a page fault for every 4 KiB it is
// filled to.)
constexpr size_t SINK_CAPACITY = 16384;

// A sink belongs to the function that writes through it, for as long as that
// function writes: it is a local object, and its end writes what it still
// holds, in every build, so that no stage can leave text behind. Whatever else
// writes to the same stream while the sink lives must take the stream from
// flushedStream, or its text would come out of order.
// A sink on no stream (nullptr) gathers and drops its text.
struct TextSink {
    explicit TextSink(FILE* stream) : out(stream), length(0) {}
    ~TextSink();
    TextSink(const TextSink&) = delete;
    TextSink& operator=(const TextSink&) = delete;

    FILE* out;
    size_t length;  // bytes held, not yet written
    char text[SINK_CAPACITY];
};

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

// Appends the decimal text of value, as "%d" writes it. Inline: values from
// 0 to 9999 (line numbers, counts) take a few steps and no call.
inline void sinkInt(TextSink& sink, int32_t value) {
    if (INT_TEXT_CAPACITY > SINK_CAPACITY - sink.length) {
        flushSink(sink);
    }
    const size_t start = sink.length;  // read once: the bytes written may alias it
    sink.length = start + formatInt(value, sink.text + start);
}

// Appends a trace line: prefix (length bytes), the decimal text of value and
// a line feed, with one check for room. Inline, as sinkInt: the OBJ reader
// writes one for every line it reads.
inline void sinkIntLine(TextSink& sink, const char* prefix, size_t length, int32_t value) {
    if (length + INT_TEXT_CAPACITY + 1 > SINK_CAPACITY - sink.length) {
        sinkText(sink, prefix, length);
        sinkInt(sink, value);
        sinkText(sink, "\n", 1);
        return;
    }
    const size_t start = sink.length;  // read once: the bytes written may alias it
    char* text = sink.text + start;
    memcpy(text, prefix, length);
    const size_t digitCount = formatInt(value, text + length);
    text[length + digitCount] = '\n';
    sink.length = start + length + digitCount + 1;
}

// Appends text as printf formats it. Nothing is formatted for a sink on no
// stream.
void sinkFormat(TextSink& sink, const char* format, ...) PRINTF_FORMAT(2, 3);

// Appends count reals (at most MAX_SINK_REALS) separated by one blank, as
// formatReals writes them: the one call formats them all.
constexpr int MAX_SINK_REALS = 16;
static_assert(MAX_SINK_REALS * (REAL_TEXT_CAPACITY + 1) <= SINK_CAPACITY,
              "the longest texts of MAX_SINK_REALS reals fit an empty sink");
void sinkReals(TextSink& sink, const double* values, int count);
