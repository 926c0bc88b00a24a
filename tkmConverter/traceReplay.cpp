// SPDX-License-Identifier: MIT
#include "traceReplay.h"

#include <cstring>

namespace {

constexpr size_t CHUNK_SIZE = 4096;
constexpr char WARNING_START[] = "WARNING";
constexpr char ERROR_START[] = "ERROR";
constexpr size_t WARNING_LENGTH = sizeof WARNING_START - 1;
constexpr size_t ERROR_LENGTH = sizeof ERROR_START - 1;

enum class LineKind { Undecided, Other, Warning, Error };

// Where the scan of the trace stands within its current line.
struct LineState {
    size_t column;
    LineKind kind;
    char head[WARNING_LENGTH];  // the line's first characters while undecided
    bool capturing;             // copying this line into firstError
    size_t captured;
};

LineKind kindOfHead(const char* head, size_t length) {
    const bool warning = length <= WARNING_LENGTH && memcmp(head, WARNING_START, length) == 0;
    const bool error =
        memcmp(head, ERROR_START, length < ERROR_LENGTH ? length : ERROR_LENGTH) == 0;
    if (error && length >= ERROR_LENGTH) {
        return LineKind::Error;
    }
    if (warning && length == WARNING_LENGTH) {
        return LineKind::Warning;
    }
    return warning || error ? LineKind::Undecided : LineKind::Other;
}

void capture(LineState& line, TraceReplay& replay, char c) {
    if (line.capturing && line.captured + 1 < ERROR_LINE_CAPACITY) {
        replay.firstError[line.captured++] = c;
        replay.firstError[line.captured] = '\0';
    }
}

// The line's kind is settled: its head is passed on and captured.
void settle(LineState& line, TraceReplay& replay, FILE* out) {
    const bool kept = line.kind == LineKind::Warning || line.kind == LineKind::Error;
    line.capturing = line.kind == LineKind::Error && replay.firstError[0] == '\0';
    line.captured = 0;
    if (kept && replay.quiet) {
        fprintf(out, "%s: ", replay.modelName);
        fwrite(line.head, 1, line.column, out);
    }
    for (size_t i = 0; i < line.column; ++i) {
        capture(line, replay, line.head[i]);
    }
}

void endLine(LineState& line, FILE* out, bool quiet) {
    const bool kept = line.kind == LineKind::Warning || line.kind == LineKind::Error;
    if (kept && quiet) {
        fputc('\n', out);
    }
    line = LineState{};
}

void scanByte(LineState& line, TraceReplay& replay, char c, FILE* out) {
    if (c == '\n') {
        if (line.kind == LineKind::Undecided) {
            line.kind = LineKind::Other;
        }
        endLine(line, out, replay.quiet);
        return;
    }
    if (line.kind == LineKind::Undecided) {
        line.head[line.column++] = c;
        line.kind = kindOfHead(line.head, line.column);
        if (line.kind != LineKind::Undecided) {
            settle(line, replay, out);
        }
        return;
    }
    capture(line, replay, c);
    if (replay.quiet && line.kind != LineKind::Other) {
        fputc(c, out);
    }
}

}  // namespace

void replayTrace(FILE* scratch, TraceReplay& replay, FILE* out) {
    replay.firstError[0] = '\0';
    fflush(scratch);
    const long end = ftell(scratch);
    rewind(scratch);
    LineState line{};
    char chunk[CHUNK_SIZE];
    char last = '\n';
    size_t remaining = end > 0 ? static_cast<size_t>(end) : 0;
    while (remaining > 0) {
        const size_t count =
            fread(chunk, 1, remaining < CHUNK_SIZE ? remaining : CHUNK_SIZE, scratch);
        if (count == 0) {
            break;
        }
        if (!replay.quiet) {
            fwrite(chunk, 1, count, out);
        }
        for (size_t i = 0; i < count; ++i) {
            scanByte(line, replay, chunk[i], out);
        }
        last = chunk[count - 1];
        remaining -= count;
    }
    if (last != '\n') {
        scanByte(line, replay, '\n', out);
        if (!replay.quiet) {
            fputc('\n', out);
        }
    }
    rewind(scratch);
}
