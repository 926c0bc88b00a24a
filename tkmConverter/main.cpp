// SPDX-License-Identifier: MIT
// dxf2tkm: converts one model file into a special-brick file beside it.
#include <cstdio>

#include "driver.h"
#include "platformFiles.h"

namespace {

constexpr size_t TRACE_BUFFER_SIZE = 65536;

// The one store of the run, with its program-start values.
MeshStore meshStore;

}  // namespace

int main(int argc, char** argv) {
    useUtf8Arguments(argc, argv);
    // One trace line per input line: a full buffer keeps printing cheap.
    static char traceBuffer[TRACE_BUFFER_SIZE];
    setvbuf(stdout, traceBuffer, _IOFBF, sizeof traceBuffer);
    const int status = runConverter(argc, argv, meshStore, stdout);
    fflush(stdout);
    return status;
}
