// Fuzz target: the RDS reader alone.
#include "fuzzSupport.h"
#include "rdsReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MeshStore& store = startStore();
    FILE* input = openBytes(data, size);
    readRdsFile(input, store, traceSink());
    fclose(input);
    return 0;
}
