// SPDX-License-Identifier: MIT
#include "textSink.h"

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
    for (int i = 0; i < count; ++i) {
        if (REAL_TEXT_CAPACITY + 1 > SINK_CAPACITY - sink.length) {
            flushSink(sink);
        }
        if (i > 0) {
            sink.text[sink.length++] = ' ';
        }
        sink.length += formatReal(values[i], sink.text + sink.length);
    }
}
