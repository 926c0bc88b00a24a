// SPDX-License-Identifier: MIT
#include "textSink.h"

#include <cassert>

#include "realFormat.h"

TextSink& openSink(FILE* out) {
    static TextSink sink;
    assert(sink.length == 0);  // its previous user flushed it
    sink.out = out;
    sink.length = 0;
    return sink;
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

void sinkOtherInt(TextSink& sink, int32_t value) {
    constexpr size_t INT_TEXT_CAPACITY = 11;  // "-2147483648"
    if (INT_TEXT_CAPACITY > SINK_CAPACITY - sink.length) {
        flushSink(sink);
    }
    char* text = sink.text + sink.length;
    size_t length = 0;
    if (value < 0) {
        text[length++] = '-';
    }
    // The magnitude in unsigned arithmetic: the smallest value has no positive twin.
    const uint32_t magnitude =
        value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    sink.length += length + formatUnsigned(magnitude, text + length);
}
