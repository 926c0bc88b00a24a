// SPDX-License-Identifier: MIT
#include "report.h"

#include <cstdarg>
#include <cstring>

#include "advice.h"

namespace {

// Formats the record's text; a final line feed is the trace's, not the text's.
void formatText(Message& message, const char* format, va_list arguments) {
    const int length = vsnprintf(message.text, sizeof message.text, format, arguments);
    size_t end = length < 0 ? 0 : static_cast<size_t>(length);
    if (end >= sizeof message.text) {
        end = sizeof message.text - 1;
    }
    message.endsLine = end > 0 && message.text[end - 1] == '\n';
    if (message.endsLine) {
        message.text[end - 1] = '\0';
    }
}

// Where the next record goes: the list while it has room, the fatal slot
// for the fatal one, else a scratch record that is only counted.
Message& nextRecord(Report& report, Severity severity) {
    if (severity == Severity::Fatal) {
        report.failed = true;
        return report.fatal;
    }
    if (report.listedCount < MAX_LISTED_MESSAGES) {
        return report.listed[report.listedCount++];
    }
    ++report.unlistedCount;
    return report.unlisted;
}

void traceMessage(ModelLog& log, const Message& message) {
    sinkText(log, message.text, strlen(message.text));
    if (message.endsLine) {
        sinkText(log, "\n", 1);
    }
    log.report.traceLineOpen = !message.endsLine;
}

// Whether the advice of message's code is still to be shown: once per code.
bool takeAdvice(Report& report, const Message& message) {
    if (message.advice[0] == '\0') {
        return false;
    }
    for (int i = 0; i < report.advisedCount; ++i) {
        if (strcmp(report.advisedCodes[i], message.code) == 0) {
            return false;
        }
    }
    if (report.advisedCount < MAX_ADVISED_CODES) {
        report.advisedCodes[report.advisedCount++] = message.code;
    }
    return true;
}

void printQuietLine(Report& report, const Message& message) {
    fprintf(report.out, "%s: ", report.modelName);
    printPersonText(message, report.out);
    if (takeAdvice(report, message)) {
        fprintf(report.out, "; %s", message.advice);
    }
    fputc('\n', report.out);
}

// Shows a new record as the report's style asks.
void show(Report& report, ModelLog* log, const Message& message) {
    if (report.style == ReportStyle::Trace && message.traced && log != nullptr) {
        traceMessage(*log, message);
    } else if (report.style == ReportStyle::Trace && message.traced && report.trace != nullptr) {
        fputs(message.text, report.trace);
        if (message.endsLine) {
            fputc('\n', report.trace);
        }
        report.traceLineOpen = !message.endsLine;
    } else if (report.style == ReportStyle::Quiet) {
        printQuietLine(report, message);
    }
}

void record(Report& report, ModelLog* log, Severity severity, const char* code, int32_t line,
            bool traced, const char* format, va_list arguments) {
    Message& message = nextRecord(report, severity);
    message.severity = severity;
    message.code = code;
    message.line = line;
    message.traced = traced;
    formatText(message, format, arguments);
    writeAdvice(message, report);
    show(report, log, message);
}

}  // namespace

void startReport(Report& report, ReportStyle style, FILE* out, const char* modelName,
                 const MeshStore* store) {
    report.style = style;
    report.trace = style == ReportStyle::Trace ? out : nullptr;
    report.out = out;
    report.modelName = modelName;
    report.store = store;
    report.stats = nullptr;
    report.listedCount = 0;
    report.unlistedCount = 0;
    report.failed = false;
    report.traceLineOpen = false;
    report.advisedCount = 0;
}

void reportFatal(ModelLog& log, const char* code, int32_t line, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    record(log.report, &log, Severity::Fatal, code, line, true, format, arguments);
    va_end(arguments);
}

void reportError(ModelLog& log, const char* code, int32_t line, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    record(log.report, &log, Severity::Error, code, line, true, format, arguments);
    va_end(arguments);
}

void reportWarning(ModelLog& log, const char* code, int32_t line, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    record(log.report, &log, Severity::Warning, code, line, true, format, arguments);
    va_end(arguments);
}

void reportFatal(Report& report, const char* code, int32_t line, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    record(report, nullptr, Severity::Fatal, code, line, true, format, arguments);
    va_end(arguments);
}

void reportWarning(Report& report, const char* code, int32_t line, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    record(report, nullptr, Severity::Warning, code, line, true, format, arguments);
    va_end(arguments);
}

void reportCheck(Report& report, const char* code, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    record(report, nullptr, Severity::Warning, code, NO_LINE, false, format, arguments);
    va_end(arguments);
}

void traceText(const Report& report, const char* format, ...) {
    if (report.trace == nullptr) {
        return;
    }
    va_list arguments;
    va_start(arguments, format);
    vfprintf(report.trace, format, arguments);
    va_end(arguments);
}

void printPersonText(const Message& message, FILE* out) {
    const char* shorter = shorterPersonText(message);
    if (shorter != nullptr) {
        fputs(shorter, out);
    } else {
        const bool worded =
            strncmp(message.text, "ERROR", 5) == 0 || strncmp(message.text, "WARNING", 7) == 0;
        if (!worded) {
            fputs(message.severity == Severity::Warning ? "WARNING: " : "ERROR: ", out);
        }
        fputs(message.text, out);
    }
    if (message.line != NO_LINE && strstr(message.text, "line ") == nullptr) {
        fprintf(out, " (line %d)", message.line);
    }
}
