// SPDX-License-Identifier: MIT
#include "commandLine.h"

#include <cstring>

#ifndef DXF2TKM_VERSION
#define DXF2TKM_VERSION "unknown"
#endif

namespace {

constexpr const char* USAGE_LINE = "usage: dxf2tkm.exe [input file]\n";
constexpr const char* HELP_TEXT =
    "       dxf2tkm.exe [-q | --json] [OPTION...] MODEL... [-- MODEL...]\n"
    "\n"
    "Converts each model into a special-brick file written beside it, with the\n"
    "extension replaced by .tkm. The extension of the input, in any letter case,\n"
    "selects its format:\n"
    "  .obj  Wavefront OBJ: v, vn, f, g, o and usemtl lines; groups, objects and\n"
    "        materials named COLOR_r_g_b[_a], SUBCOLOR_r_g_b or ADDCOLOR_r_g_b;\n"
    "        groups and objects named BOUNDS and COLLISION\n"
    "  .rds  mesh dump with Pmsh, VerD, Posn, PgSz and Pgon lines\n"
    "  .dxf  ASCII DXF drawing: 3DFACE entities, polyface and polygon meshes,\n"
    "        MESH entities; layers named as the groups above\n"
    "Options:\n"
    "  -q, --quiet  one line per model, its warnings and errors, instead of the trace\n"
    "  --json       one JSON object per model and one closing object, instead of the\n"
    "               trace (see the reference)\n"
    "  --up y|z     the model's up axis: y stands a y-up model on z (z, the default)\n"
    "  --scale S    every coordinate times S, a number above 0 (0.125 for millimetres)\n"
    "  --place      the footprint centred on x = y = 0, the lowest point at z = 0\n"
    "  --fit        --place, and the size rounded up to whole units\n"
    "  --pair       triangles paired into quads (up to 1024 read, 512 kept)\n"
    "  --           every argument after it is a model\n"
    "  --help       this text; --version prints the version\n"
    "The trace goes to standard output; several models end with a summary. Exit\n"
    "status: 0 when every brick file was written, 1 when one was not, 2 without\n"
    "an input file or for an invalid option.\n";
constexpr const char* EXPLORER_HELP_LINES[] = {
    ("dxf2tkm " DXF2TKM_VERSION),  // one element: parentheses tell clang the joining is meant
    "Drop model files (.obj, .rds, .dxf) on dxf2tkm.exe to convert them.",
    "Each brick is written beside its model, with the extension .tkm.",
    "Drop a brick on tkmpreview.exe for a picture of it.",
    "The documentation is in the docs folder beside the program (start with README.md).",
};
constexpr const char* QUIET_OPTION = "--quiet";
constexpr const char* QUIET_SHORT_OPTION = "-q";
constexpr const char* JSON_OPTION = "--json";
constexpr const char* HELP_OPTION = "--help";
constexpr const char* VERSION_OPTION = "--version";
constexpr const char* END_OF_OPTIONS = "--";

bool isQuietOption(const char* argument) {
    return strcmp(argument, QUIET_OPTION) == 0 || strcmp(argument, QUIET_SHORT_OPTION) == 0;
}

bool isInfoRequest(const char* argument) {
    return strcmp(argument, HELP_OPTION) == 0 || strcmp(argument, VERSION_OPTION) == 0;
}

bool isOption(const char* argument) {
    return isQuietOption(argument) || strcmp(argument, JSON_OPTION) == 0 ||
           isInfoRequest(argument) || isFitOption(argument);
}

}  // namespace

CommandLine readCommandLine(int argc, char** argv) {
    CommandLine line{argc, argv, argc, false, false, nullptr, 0, FitOptions(), nullptr};
    for (int i = 1; i < argc && line.optionsEnd == argc; ++i) {
        const char* argument = argv[i];
        if (strcmp(argument, END_OF_OPTIONS) == 0) {
            line.optionsEnd = i;
        } else if (isQuietOption(argument)) {
            line.quiet = true;
        } else if (strcmp(argument, JSON_OPTION) == 0) {
            line.json = true;
        } else if (isFitOption(argument)) {
            const FitOptionRead read = readFitOption(argc, argv, i, line.fit);
            line.fitError = line.fitError != nullptr ? line.fitError : read.error;
            i += read.used - 1;  // past its value
        } else if (isInfoRequest(argument) && line.infoRequest == nullptr) {
            line.infoRequest = argument;
        }
    }
    for (int i = 1; i < argc; ++i) {
        line.modelCount += isModel(line, i) ? 1 : 0;
    }
    return line;
}

bool isModel(const CommandLine& line, int index) {
    return index > line.optionsEnd ||
           (index > 0 && index < line.optionsEnd && !isOption(line.argv[index]) &&
            !isFitOptionValue(line.argv, index));
}

void answerInfoRequest(const char* request, FILE* out) {
    if (strcmp(request, HELP_OPTION) == 0) {
        fprintf(out, "%s%s", USAGE_LINE, HELP_TEXT);
    } else {
        fprintf(out, "dxf2tkm %s\n", DXF2TKM_VERSION);
    }
}

void printUsage(FILE* out) {
    fputs(USAGE_LINE, out);
}

void printExplorerHelp(FILE* out) {
    for (const char* helpLine : EXPLORER_HELP_LINES) {
        fprintf(out, "%s\n", helpLine);
    }
}
