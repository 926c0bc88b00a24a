// Fuzz target: the OBJ reader alone.
#include "fuzzSupport.h"
#include "objReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MeshStore& store = startStore();
    FILE* input = openBytes(data, size);
    readObjFile(input, store, traceSink());
    fclose(input);
    return 0;
}
