// SPDX-License-Identifier: MIT
// dxf2tkm: converts model files into special-brick files beside them.
#include <cstdio>

#include "consoleWindow.h"
#include "driver.h"
#include "platformFiles.h"

namespace {

constexpr size_t TRACE_BUFFER_SIZE = 65536;

}  // namespace

int main(int argc, char** argv) {
    useUtf8Arguments(argc, argv);
    // One trace line per input line: a full buffer keeps printing cheap. A run
    // of several models flushes it after each.
    static char traceBuffer[TRACE_BUFFER_SIZE];
    setvbuf(stdout, traceBuffer, _IOFBF, sizeof traceBuffer);
    // Everything the run works in: large, so static, and the run's only state.
    static Workspace workspace;
    const bool fromExplorer = startedFromExplorer();
    const int status = runConverter(argc, argv, workspace, stdout,
                                    fromExplorer ? StartedFrom::Explorer : StartedFrom::Console);
    if (fromExplorer) {
        waitForEnter(stdout);
    }
    fflush(stdout);
    return status;
}
