// The one writer of real numbers: six decimals of the exact binary value, an
// exact tie rounded away from zero, negative zero written without a sign, a
// negative value that rounds to zero keeping its "-", "inf" and "-inf" for the
// infinities and "nan", without a sign, for every NaN (whose sign depends on
// the processor that made it). Used for every real number the converter
// prints, in the brick file and on standard output alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

// Longest text: "-", 309 integer digits, ".", six decimals, and the zero.
constexpr size_t REAL_TEXT_CAPACITY = 320;

// Writes the text of value into text (REAL_TEXT_CAPACITY bytes) with its
// terminating zero; returns its length.
size_t formatReal(double value, char* text);

// Writes count reals separated by one blank, with no line end, into text, which holds count *
// (REAL_TEXT_CAPACITY + 1) bytes, with a terminating zero; returns the length.
size_t formatReals(const double* values, int count, char* text);

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

// Appends the decimal text of value, as "%d" writes it.
void sinkInt(TextSink& sink, int32_t value);

// Appends count reals separated by one blank, as formatReals writes them.
void sinkReals(TextSink& sink, const double* values, int count);
