// SPDX-License-Identifier: MIT
// Fuzz target: a whole conversion from input bytes to brick-file bytes. The
// first byte chooses the format (RDS, OBJ or DXF); the rest is the model.
#include <cstdlib>

#include "brickWriter.h"
#include "driver.h"
#include "fuzzSupport.h"

namespace {

constexpr size_t BRICK_BUFFER_SIZE = 1 << 20;  // the largest brick file fits easily

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const ModelFormat formats[] = {ModelFormat::Rds, ModelFormat::Obj, ModelFormat::Dxf};
    const ModelFormat format = formats[data[0] % 3];
    Workspace& ws = startWorkspace();
    const MeshStore& store = ws.store;
    FILE* input = openBytes(data + 1, size - 1);
    const ConvertOutcome outcome = convertModel(ws, input, format);
    fclose(input);
    if (outcome != ConvertOutcome::BrickReady) {
        return 0;
    }
    static char brick[BRICK_BUFFER_SIZE];
    FILE* out = fmemopen(brick, sizeof brick, "wb");
    writeBrickText(out, store);
    const bool complete = ferror(out) == 0;
    fclose(out);
    if (!complete) {
        abort();  // a brick file never outgrows the buffer
    }
    return 0;
}
