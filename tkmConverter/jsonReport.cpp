// SPDX-License-Identifier: MIT
#include "jsonReport.h"

#if defined(DXF2TKM_JSON_REPORT)

#include <cmath>
#include <nlohmann/json.hpp>
#include <string>

#include "brickChecks.h"

namespace {

using Json = nlohmann::ordered_json;

const char* severityName(Severity severity) {
    switch (severity) {
        case Severity::Fatal:
            return "fatal";
        case Severity::Error:
            return "error";
        case Severity::Warning:
            break;
    }
    return "warning";
}

Json realOrNull(float value) {
    return std::isfinite(value) ? Json(static_cast<double>(value)) : Json(nullptr);
}

Json triple(const float* values) {
    return Json::array({realOrNull(values[0]), realOrNull(values[1]), realOrNull(values[2])});
}

Json messageJson(const Message& message) {
    Json entry;
    entry["severity"] = severityName(message.severity);
    entry["code"] = message.code;
    entry["line"] = message.line != NO_LINE ? Json(message.line) : Json(nullptr);
    entry["text"] = message.text;
    entry["advice"] = message.advice[0] != '\0' ? Json(message.advice) : Json(nullptr);
    return entry;
}

bool reachedFinishing(ConvertOutcome outcome) {
    return outcome == ConvertOutcome::BrickReady || outcome == ConvertOutcome::BrickWritten ||
           outcome == ConvertOutcome::NotWritten;
}

void addBrickFigures(Json& model, const Workspace& ws, bool finished) {
    const BrickFacts facts = brickFacts(ws.store);
    model["quads"] = finished ? facts.quads : 0;
    model["coloured"] = finished ? facts.coloured : 0;
    model["paintable"] = finished ? facts.quads - facts.coloured : 0;
    model["collisionBoxes"] = finished ? facts.collisionBoxes : 0;
    if (!finished) {
        model["size"] = nullptr;
        model["extent"] = nullptr;
        model["offset"] = nullptr;
        return;
    }
    model["size"] = Json::array({facts.size[0], facts.size[1], facts.size[2]});
    model["extent"] = triple(facts.extent);
    model["offset"] = triple(facts.offset);
}

// One object on one line. Text that is not valid UTF-8 (a model's name in
// another encoding) is written with U+FFFD in place of each bad byte.
void printLine(const Json& object, FILE* out) {
    const std::string text = object.dump(-1, ' ', false, Json::error_handler_t::replace);
    fprintf(out, "%s\n", text.c_str());
}

}  // namespace

void printModelJson(const Workspace& ws, const char* model, ConvertOutcome outcome, FILE* out) {
    Json object;
    object["format"] = JSON_REPORT_FORMAT;
    object["model"] = model;
    object["brick"] = ws.brickPath[0] != '\0' ? Json(ws.brickPath) : Json(nullptr);
    object["written"] = outcome == ConvertOutcome::BrickWritten;
    addBrickFigures(object, ws, reachedFinishing(outcome));
    Json messages = Json::array();
    forEachMessage(ws.report, [&messages](const Message& message) {
        messages.push_back(messageJson(message));
    });
    object["messages"] = messages;
    object["unlistedMessages"] = ws.report.unlistedCount;
    printLine(object, out);
}

void printRunJson(const RunSummary& summary, FILE* out) {
    Json object;
    object["format"] = JSON_REPORT_FORMAT;
    object["models"] = summary.modelCount;
    object["bricks"] = summary.converted;
    printLine(object, out);
}

#else

void printModelJson(const Workspace&, const char*, ConvertOutcome, FILE*) {}

void printRunJson(const RunSummary&, FILE*) {}

#endif
