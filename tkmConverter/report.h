// SPDX-License-Identifier: MIT
// A model's report: every message a stage gives about the model, as a record
// (severity, code, line, text), and how the run shows them.
//
// The stages report through a ModelLog, their trace sink joined to the
// model's report. In the trace the message's text goes out where it arises,
// exactly as the stage words it; in quiet mode it goes out at once as one
// line after the model's name, with what to do; a JSON report lists the
// records after the model. The driver owns one report per model and reads
// its fatal message for the closing summary.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "compilerSupport.h"
#include "textSink.h"

struct ConversionStats;
struct MeshStore;

enum class Severity : uint8_t {
    Fatal,    // the model gets no brick
    Error,    // a line or corner of the model is skipped
    Warning,  // the brick is written, but not as the model meant
};

enum class ReportStyle : uint8_t {
    Trace,  // the full trace: messages inside it, worded as ever
    Quiet,  // one line per message, after the model's name, with what to do
    Json,   // nothing while converting: the records are listed afterwards
};

// Room for a message's text: the longest names a path of up to 4095
// characters.
constexpr size_t MESSAGE_TEXT_CAPACITY = 4200;
constexpr size_t ADVICE_CAPACITY = 400;
// Records kept of one model for its JSON report; later ones are counted.
constexpr int MAX_LISTED_MESSAGES = 100;
constexpr int32_t NO_LINE = 0;
// Codes whose advice quiet mode has shown for the model: each is shown once.
constexpr int MAX_ADVISED_CODES = 32;

struct Message {
    Severity severity;
    const char* code;  // short and stable: "bad-face", "quad-limit", ...
    int32_t line;      // the input line it is about, or NO_LINE
    bool traced;       // the trace shows it (some checks speak in quiet mode only)
    bool endsLine;     // the trace ends it with a line feed
    char text[MESSAGE_TEXT_CAPACITY];
    char advice[ADVICE_CAPACITY];  // what to do; empty when the text says it
};

struct Report {
    ReportStyle style = ReportStyle::Trace;
    FILE* trace = nullptr;             // where the trace goes; nullptr: no trace
    FILE* out = nullptr;               // where quiet lines go
    const char* modelName = "";        // the model as the command line gives it
    const MeshStore* store = nullptr;  // what the advice may look at
    const ConversionStats* stats = nullptr;
    Message listed[MAX_LISTED_MESSAGES];
    int32_t listedCount = 0;
    int32_t unlistedCount = 0;
    Message unlisted;            // a record past the list: shown, counted, not kept
    Message fatal;               // the reason the model failed, when failed
    bool failed = false;         // a fatal message was reported (always the last)
    bool traceLineOpen = false;  // the last text traced lacks its line end
    const char* advisedCodes[MAX_ADVISED_CODES] = {};
    int advisedCount = 0;
};

// Starts report afresh for the model modelName, shown in style on out (the
// trace or the quiet lines); the advice may read store.
void startReport(Report& report, ReportStyle style, FILE* out, const char* modelName,
                 const MeshStore* store);

// A stage's trace sink and the model's report: a stage writes its trace
// through it as through any sink and reports its messages to it.
struct ModelLog : TextSink {
    explicit ModelLog(Report& modelReport) : TextSink(modelReport.trace), report(modelReport) {}
    Report& report;
};

// Report a message. format is the message's text as the trace shows it; a
// final line feed ends its trace line and is not part of the record. What
// to do is added from the code (messageAdvice).
void reportFatal(ModelLog& log, const char* code, int32_t line, const char* format, ...)
    PRINTF_FORMAT(4, 5);
void reportError(ModelLog& log, const char* code, int32_t line, const char* format, ...)
    PRINTF_FORMAT(4, 5);
void reportWarning(ModelLog& log, const char* code, int32_t line, const char* format, ...)
    PRINTF_FORMAT(4, 5);

// The same for a message of the driver or the writer, which trace through
// no sink: its text goes straight to the report's trace stream.
void reportFatal(Report& report, const char* code, int32_t line, const char* format, ...)
    PRINTF_FORMAT(4, 5);
void reportWarning(Report& report, const char* code, int32_t line, const char* format, ...)
    PRINTF_FORMAT(4, 5);

// A check of the finished brick that the trace does not show: a warning in
// quiet mode and in the JSON report only.
void reportCheck(Report& report, const char* code, const char* format, ...) PRINTF_FORMAT(3, 4);

// A trace line of the driver, as printf formats it: nothing without a trace.
void traceText(const Report& report, const char* format, ...) PRINTF_FORMAT(2, 3);

// Every record of report in order, the fatal one last; calls visit for each.
template <typename Visit>
void forEachMessage(const Report& report, Visit visit) {
    for (int32_t i = 0; i < report.listedCount; ++i) {
        visit(report.listed[i]);
    }
    if (report.failed) {
        visit(report.fatal);
    }
}

// The words a person reads for message: its text, with its severity in front
// where the text lacks one ("WARNING: Skipping poly of size 7"), or shorter
// where the text repeats the model's path; then " (line N)" where the text
// does not name its line.
void printPersonText(const Message& message, FILE* out);
