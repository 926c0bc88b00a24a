// SPDX-License-Identifier: MIT
#include "textSink.h"

#include <cassert>
#include <cstdarg>

TextSink::~TextSink() {
    flushSink(*this);
}

void flushSink(TextSink& sink) {
    if (sink.length > 0) {
        if (sink.out != nullptr) {
            fwrite(sink.text, 1, sink.length, sink.out);
        }
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
        if (sink.out != nullptr) {
            fwrite(text, 1, length, sink.out);
        }
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

void sinkFormat(TextSink& sink, const char* format, ...) {
    if (sink.out == nullptr) {
        return;
    }
    va_list arguments;
    va_start(arguments, format);
    va_list again;
    va_copy(again, arguments);
    const size_t room = SINK_CAPACITY - sink.length;
    const int length = vsnprintf(sink.text + sink.length, room, format, arguments);
    if (length >= 0 && static_cast<size_t>(length) < room) {
        sink.length += static_cast<size_t>(length);
    } else if (length >= 0) {
        // Too long for what is left: out with the sink's text, then directly.
        flushSink(sink);
        vfprintf(sink.out, format, again);
    }
    va_end(again);
    va_end(arguments);
}
