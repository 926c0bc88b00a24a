// SPDX-License-Identifier: MIT
// Fuzz target: one model reader alone, named by FUZZED_READER at build time
// (readObjFile, readRdsFile or readDxfFile).
#include "dxfReader.h"
#include "fuzzSupport.h"
#include "objReader.h"
#include "rdsReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Workspace& ws = startWorkspace();
    FILE* input = openBytes(data, size);
    initLineReader(ws.lines, input);
    FUZZED_READER(ws.lines, ws.store, ws.report);
    fclose(input);
    return 0;
}
