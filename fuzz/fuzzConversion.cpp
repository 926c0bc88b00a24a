// SPDX-License-Identifier: MIT
// Fuzz target: a whole conversion from input bytes to brick-file bytes. The
// first byte chooses the format (RDS, OBJ or DXF: its value modulo 3) and
// the fit options (its value divided by 3, bit 4 flipped, so that the seeds'
// prefixes '0', '1' and '2' choose none: bits 0 to 3 --up y, --place, --fit,
// --pair, bits 4 and up a --scale); the rest is the model.
#include <cstdlib>

#include "brickWriter.h"
#include "driver.h"
#include "fuzzSupport.h"

namespace {

constexpr size_t BRICK_BUFFER_SIZE = 1 << 20;  // the largest brick file fits easily
constexpr unsigned FORMAT_COUNT = 3;
constexpr unsigned SEED_CHOICE = 16;  // '0' / 3: the seeds' prefixes choose no option
constexpr unsigned SCALE_SHIFT = 4;
// No --scale, then scales that shrink, grow, overflow and reach the subnormal floats.
constexpr float SCALES[] = {1.0f, 0.125f, 2.5f, 1e-3f, 1e30f, 1.4e-45f};

FitOptions optionsOf(uint8_t prefix) {
    const unsigned choice = (prefix / FORMAT_COUNT) ^ SEED_CHOICE;
    FitOptions options;
    options.upY = (choice & 1) != 0;
    options.place = (choice & 2) != 0;
    options.fit = (choice & 4) != 0;
    options.pair = (choice & 8) != 0;
    const unsigned scale = (choice >> SCALE_SHIFT) % (sizeof SCALES / sizeof SCALES[0]);
    options.scaled = scale != 0;
    options.scale = SCALES[scale];
    return options;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const ModelFormat formats[] = {ModelFormat::Rds, ModelFormat::Obj, ModelFormat::Dxf};
    const ModelFormat format = formats[data[0] % FORMAT_COUNT];
    Workspace& ws = startWorkspace();
    const MeshStore& store = ws.store;
    FILE* input = openBytes(data + 1, size - 1);
    const ConvertOutcome outcome = convertModel(ws, input, format, optionsOf(data[0]));
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
