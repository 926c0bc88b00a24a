// SPDX-License-Identifier: MIT
// A model's trace, written to a scratch stream while the model converted,
// handed on to standard output: whole (the trace of a run of several models)
// or, in quiet mode, only its WARNING and ERROR lines, each after the model's
// name. Either way its first ERROR line is kept for the closing summary, and
// a trace whose last line has no line end gets one.
#pragma once

#include <cstddef>
#include <cstdio>

// Room for the first ERROR line kept of a model: the longest message, which
// names a path of up to 4095 characters, and its zero.
constexpr size_t ERROR_LINE_CAPACITY = 4200;

struct TraceReplay {
    const char* modelName;  // the prefix of every line kept in quiet mode
    bool quiet;
    char firstError[ERROR_LINE_CAPACITY];  // without its line end; empty without one
};

// Hands on what scratch holds, from its start to where it stands, to out, and
// rewinds it for the next model's trace.
void replayTrace(FILE* scratch, TraceReplay& replay, FILE* out);
