// SPDX-License-Identifier: MIT
#include "textSink.h"

#include <cassert>

TextSink::~TextSink() {
    flushSink(*this);
}

void flushSink(TextSink& sink) {
    if (sink.length > 0) {
        fwrite(sink.text, 1, sink.length, sink.out);
        sink.length = 0;
    }
}

FILE* flushedStream(TextSink& sink) {
    flushSink(sink);
    return sink.out;
}

void sinkLongText(TextSink& sink, const char* text, size_t length) {
    flushSink(sink);
    if (length >= SINK_CAPACITY) {
        fwrite(text, 1, length, sink.out);
        return;
    }
    memcpy(sink.text, text, length);
    sink.length = length;
}

void sinkReals(TextSink& sink, const double* values, int count) {
    assert(count >= 0 && count <= MAX_SINK_REALS);
    const size_t room = static_cast<size_t>(count) * (REAL_TEXT_CAPACITY + 1);
    if (room > SINK_CAPACITY - sink.length) {
        flushSink(sink);
    }
    sink.length += formatReals(values, count, sink.text + sink.length);
}
