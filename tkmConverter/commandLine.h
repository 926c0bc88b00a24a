// SPDX-License-Identifier: MIT
// The command line: which arguments are options and which are models, and the
// texts that answer a person who gave no model (usage, help, version, the
// double-click help). Reads argv only.
#pragma once

#include <cstdio>

#include "fitOptions.h"

// What the command line asks for. An argument is a model unless it is one of
// the options and stands before "--"; argv[0], the program, is neither.
struct CommandLine {
    int argc;
    char** argv;
    int optionsEnd;           // the index of "--", or argc
    bool quiet;               // -q, --quiet
    bool json;                // --json
    const char* infoRequest;  // the first --help or --version, or nullptr
    int modelCount;
    FitOptions fit;
    const char* fitError;  // the first invalid fit option's message, or nullptr
};

CommandLine readCommandLine(int argc, char** argv);

// Whether argument index of line names a model (not an option, nor the value
// of --up or --scale before "--").
bool isModel(const CommandLine& line, int index);

// Prints the answer to --help or --version.
void answerInfoRequest(const char* request, FILE* out);

// "usage: dxf2tkm.exe [input file]".
void printUsage(FILE* out);

// What a double-click on the program shows, before it waits for Enter.
void printExplorerHelp(FILE* out);
