// SPDX-License-Identifier: MIT
// Fuzz target: one model reader alone, named by FUZZED_READER at build time
// (readObjFile, readRdsFile or readDxfFile).
#include "dxfReader.h"
#include "fuzzSupport.h"
#include "objReader.h"
#include "rdsReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MeshStore& store = startStore();
    FILE* input = openBytes(data, size);
    FUZZED_READER(input, store, traceSink());
    fclose(input);
    return 0;
}
