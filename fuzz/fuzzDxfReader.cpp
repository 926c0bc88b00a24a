// Fuzz target: the DXF reader alone.
#include "fuzzSupport.h"
#include "dxfReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MeshStore& store = startStore();
    FILE* input = openBytes(data, size);
    readDxfFile(input, store, traceSink());
    fclose(input);
    return 0;
}
