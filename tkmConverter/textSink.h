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

// Appends the decimal text of value, as "%d" writes it.
void sinkInt(TextSink& sink, int32_t value);

// Reals are appended by sinkReals (realFormat.h).
