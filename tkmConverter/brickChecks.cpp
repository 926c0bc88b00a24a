// SPDX-License-Identifier: MIT
#include "brickChecks.h"

#include <cmath>
#include <cstdarg>
#include <cstring>

#include "brickWriter.h"
#include "realFormat.h"

namespace {

constexpr int MORE_DIGITS = 3;  // from six decimals to nine
constexpr double MORE_DIGITS_SCALE = 1000.0;

bool isWhole(float value) {
    return std::isfinite(value) && std::trunc(value) == value;
}

// Drops the trailing zeros of a decimal text, and its point when nothing follows it.
size_t trimZeros(char* text, size_t length) {
    if (strchr(text, '.') == nullptr) {
        return length;
    }
    while (text[length - 1] == '0') {
        --length;
    }
    if (text[length - 1] == '.') {
        --length;
    }
    text[length] = '\0';
    return length;
}

// Nine decimals of value: six of value times 1000, which is exact for a
// float in a double, with the point moved three digits to the left.
size_t nineDecimals(float value, char* text) {
    char scaled[REAL_TEXT_CAPACITY];
    formatReal(static_cast<double>(value) * MORE_DIGITS_SCALE, scaled);
    const size_t sign = scaled[0] == '-' ? 1 : 0;
    const char* point = strchr(scaled, '.');
    const size_t wholeDigits = static_cast<size_t>(point - scaled) - sign;
    // The whole part padded with zeros to more than MORE_DIGITS digits.
    char digits[REAL_TEXT_CAPACITY];
    size_t count = 0;
    for (size_t i = wholeDigits; i <= static_cast<size_t>(MORE_DIGITS); ++i) {
        digits[count++] = '0';
    }
    memcpy(digits + count, scaled + sign, wholeDigits);
    count += wholeDigits;
    size_t length = 0;
    if (sign != 0) {
        text[length++] = '-';
    }
    const size_t keptWhole = count - MORE_DIGITS;
    memcpy(text + length, digits, keptWhole);
    length += keptWhole;
    text[length++] = '.';
    memcpy(text + length, digits + keptWhole, MORE_DIGITS);
    length += MORE_DIGITS;
    const size_t decimals = strlen(point + 1);
    memcpy(text + length, point + 1, decimals + 1);
    return length + decimals;
}

// The text of a check's warning, put together piece by piece.
struct CheckText {
    char text[MESSAGE_TEXT_CAPACITY];
    size_t length;
};

void appendFormat(CheckText& check, const char* format, ...) PRINTF_FORMAT(2, 3);

void appendFormat(CheckText& check, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    const size_t room = sizeof check.text - check.length;
    const int length = vsnprintf(check.text + check.length, room, format, arguments);
    va_end(arguments);
    if (length > 0) {
        const size_t added = static_cast<size_t>(length);
        check.length += added < room ? added : room - 1;
    }
}

const char* pluralEnding(int32_t count, const char* ending) {
    return count == 1 ? "" : ending;
}

int32_t colouredQuadCount(const MeshStore& store) {
    int32_t count = 0;
    for (int i = 0; i < store.quadCount && i < MAX_STORED_QUADS; ++i) {
        if (store.quads[i].color[0].r != NO_COLOR) {
            ++count;
        }
    }
    return count;
}

bool sizeIsCut(const float* extent, const int32_t* size) {
    for (int axis = 0; axis < 3; ++axis) {
        // Written so that a NaN extent counts as cut.
        if (!(std::fabs(static_cast<double>(extent[axis]) - size[axis]) <= CHECK_TOLERANCE)) {
            return true;
        }
    }
    return false;
}

void warnAboutSize(Report& report, const Vec3& brickSize) {
    const float extent[] = {brickSize.x, brickSize.y, brickSize.z};
    const int32_t size[] = {truncateToInt32(brickSize.x), truncateToInt32(brickSize.y),
                            truncateToInt32(brickSize.z)};
    if (!sizeIsCut(extent, size)) {
        return;
    }
    char texts[3][SHORT_REAL_CAPACITY];
    for (int axis = 0; axis < 3; ++axis) {
        shortReal(extent[axis], texts[axis]);
    }
    reportCheck(report, "size-cut",
                "extent %s %s %s is written as size %d %d %d (heights scaled by 2.5): "
                "the size line keeps whole numbers only; make the extent whole, heights in "
                "steps of 0.4, or convert with --fit",
                texts[0], texts[1], texts[2], size[0], size[1], size[2]);
}

bool isOff(float value) {
    return !(std::fabs(static_cast<double>(value)) <= CHECK_TOLERANCE);
}

void warnAboutPlacement(Report& report, const MeshStore& store) {
    const float centre[] = {(store.boundsMin.x + store.boundsMax.x) / 2.0f,
                            (store.boundsMin.y + store.boundsMax.y) / 2.0f};
    const bool footprintOff = isOff(centre[0]) || isOff(centre[1]);
    const bool lowestOff = isOff(store.boundsMin.z);
    if (!footprintOff && !lowestOff) {
        return;
    }
    char text[SHORT_REAL_CAPACITY];
    CheckText check{{}, 0};
    appendFormat(check, "off the origin (");
    if (footprintOff) {
        char other[SHORT_REAL_CAPACITY];
        shortReal(centre[0], text);
        shortReal(centre[1], other);
        appendFormat(check, "footprint centred on x = %s, y = %s", text, other);
    }
    if (lowestOff) {
        shortReal(store.boundsMin.z, text);
        appendFormat(check, footprintOff ? "; lowest point at z = %s" : "lowest point at z = %s",
                     text);
    }
    appendFormat(check,
                 "): the game expects the footprint centred on x = y = 0 and the lowest point at "
                 "z = 0, and draws the quads beside the brick; move the model, or convert with "
                 "--place");
    reportCheck(report, "off-origin", "%s", check.text);
}

// An OBJ whose exporter writes y up by default, lowest on y = 0 rather than
// on z = 0: most likely lying on its side.
void warnAboutYUp(Report& report, const MeshStore& store) {
    if (store.yUpExporter && !isOff(store.boundsMin.y) && isOff(store.boundsMin.z)) {
        reportCheck(report, "y-up",
                    "lying on its side (written by Blender with y up: lowest point at y = 0, not "
                    "z = 0): the game's up is z; convert with --up y");
    }
}

}  // namespace

size_t shortReal(float value, char* text) {
    size_t length = trimZeros(text, formatReal(static_cast<double>(value), text));
    if (strchr(text, '.') == nullptr && std::isfinite(value) && !isWhole(value)) {
        length = trimZeros(text, nineDecimals(value, text));
    }
    return length;
}

void printBrickSummary(const char* modelName, const char* brickName, const MeshStore& store,
                       FILE* out) {
    const int32_t coloured = colouredQuadCount(store);
    fprintf(out, "%s -> %s: %d quad%s (%d coloured, %d paintable), %d collision box%s, ", modelName,
            brickName, store.quadCount, pluralEnding(store.quadCount, "s"), coloured,
            store.quadCount - coloured, store.collisionCount,
            pluralEnding(store.collisionCount, "es"));
    fprintf(out, "size %d %d %d\n", truncateToInt32(store.brickSize.x),
            truncateToInt32(store.brickSize.y), truncateToInt32(store.brickSize.z));
}

BrickFacts brickFacts(const MeshStore& store) {
    BrickFacts facts{};
    facts.quads = store.quadCount;
    facts.coloured = colouredQuadCount(store);
    facts.collisionBoxes = store.collisionCount;
    const float extent[] = {store.brickSize.x, store.brickSize.y, store.brickSize.z};
    for (int axis = 0; axis < 3; ++axis) {
        facts.extent[axis] = extent[axis];
        facts.size[axis] = truncateToInt32(extent[axis]);
    }
    facts.offset[0] = (store.boundsMin.x + store.boundsMax.x) / 2.0f;
    facts.offset[1] = (store.boundsMin.y + store.boundsMax.y) / 2.0f;
    facts.offset[2] = store.boundsMin.z;
    return facts;
}

void checkBrick(Report& report, const MeshStore& store, int32_t degenerateCount) {
    warnAboutYUp(report, store);
    warnAboutSize(report, store.brickSize);
    warnAboutPlacement(report, store);
    if (degenerateCount > 0) {
        reportCheck(report, "dropped-quads",
                    "%d quad%s dropped without a third corner (Degenerate polys: %d); "
                    "give every face three corners or more",
                    degenerateCount, pluralEnding(degenerateCount, "s"), degenerateCount);
    }
}
