// SPDX-License-Identifier: MIT
#include "consoleWindow.h"

#include <cstdlib>
#include <cstring>

#include "platformFiles.h"
#include "windowsApi.h"  // first: shellapi.h needs its types

#ifdef _WIN32
#include <objbase.h>
#include <shellapi.h>
#endif

bool ownsConsoleWindow(const ConsoleFacts& facts, const char* forced) {
    if (forced != nullptr && (strcmp(forced, "1") == 0 || strcmp(forced, "0") == 0)) {
        return forced[0] == '1';
    }
    return facts.processCount == 1 && facts.inputIsConsole && facts.outputIsConsole;
}

#ifdef _WIN32

namespace {

bool isConsole(DWORD standardHandle) {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(standardHandle), &mode) != 0;
}

}  // namespace

bool startedFromExplorer() {
    DWORD processes[2];
    const ConsoleFacts facts = {GetConsoleProcessList(processes, 2), isConsole(STD_INPUT_HANDLE),
                                isConsole(STD_OUTPUT_HANDLE)};
    return ownsConsoleWindow(facts, getenv(EXPLORER_START_VARIABLE));
}

bool openInAssociatedProgram(const char* path) {
    static wchar_t wide[WIDE_PATH_SIZE];
    if (!widePath(path, wide, WIDE_PATH_SIZE)) {
        return false;
    }
    // Some programs that open files need COM in this thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const HINSTANCE result = ShellExecuteW(nullptr, L"open", wide, nullptr, nullptr, SW_SHOWNORMAL);
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    // ShellExecuteW's result is a number above 32 when it started the program.
    return reinterpret_cast<INT_PTR>(result) > 32;
}

#else

bool startedFromExplorer() {
    return ownsConsoleWindow(ConsoleFacts{0, false, false}, getenv(EXPLORER_START_VARIABLE));
}

bool openInAssociatedProgram(const char*) {
    return true;
}

#endif

void waitForEnter(FILE* out) {
    fprintf(out, "Press Enter to close this window.\n");
    fflush(out);
    int c = 0;
    while ((c = getchar()) != EOF && c != '\n') {
    }
}
