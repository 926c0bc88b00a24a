// SPDX-License-Identifier: MIT
// What a console program does when Explorer started it: Windows then gives it
// a console window of its own, which closes the moment the program ends, so
// the program waits for Enter before it ends, and the preview opens its
// pictures. Started from a terminal, a script or another program (Blender
// runs the programs with pipes and no window), it does neither.
#pragma once

#include <cstdio>

// What the decision looks at.
struct ConsoleFacts {
    unsigned long processCount;  // processes attached to the console (0: none)
    bool inputIsConsole;         // standard input is that console, not a pipe or file
    bool outputIsConsole;        // standard output is that console
};

// The environment variable that forces the decision, for the tests only:
// "1" as if started from Explorer, "0" as if from a terminal.
constexpr const char* EXPLORER_START_VARIABLE = "DXF2TKM_TEST_EXPLORER";

// The decision: forced (the variable's value, or nullptr when it is not set)
// settles it when it is "1" or "0"; otherwise the program owns its console
// window when it is the console's only process and both standard input and
// output are that console.
bool ownsConsoleWindow(const ConsoleFacts& facts, const char* forced);

// The decision for this process, from its console (on Windows; elsewhere no
// process owns a console window) and the forcing variable.
bool startedFromExplorer();

// Prints "Press Enter to close this window." on out and waits for a line, or
// the end, of standard input.
void waitForEnter(FILE* out);

// On Windows opens the file at path (UTF-8) in the program Windows
// associates with its extension, without waiting for it; false when none
// could be started. Elsewhere there is no Explorer: does nothing, true.
bool openInAssociatedProgram(const char* path);
