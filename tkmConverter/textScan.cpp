#include "textScan.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

bool isScanSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

const char* skipScanSpace(const char* text) {
    while (isScanSpace(*text)) {
        ++text;
    }
    return text;
}

bool scanInt(const char*& cursor, int32_t& value) {
    constexpr int64_t LARGEST = INT32_MAX;
    constexpr int64_t BEYOND_SMALLEST = -static_cast<int64_t>(INT32_MIN);
    const char* p = skipScanSpace(cursor);
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    if (*p < '0' || *p > '9') {
        return false;
    }
    int64_t magnitude = 0;  // saturates just past the 32-bit range
    for (; *p >= '0' && *p <= '9'; ++p) {
        if (magnitude <= BEYOND_SMALLEST) {
            magnitude = magnitude * 10 + (*p - '0');
        }
    }
    if (negative) {
        value = magnitude >= BEYOND_SMALLEST ? INT32_MIN : static_cast<int32_t>(-magnitude);
    } else {
        value = magnitude >= LARGEST ? INT32_MAX : static_cast<int32_t>(magnitude);
    }
    cursor = p;
    return true;
}

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The end of a plain decimal number at text (sign, digits with an optional
// point, an exponent with digits), or nullptr when text holds anything the
// formatted scan reads its own way: hexadecimal, "inf", "nan", an exponent
// without digits, or no digits at all.
const char* endOfPlainNumber(const char* text) {
    const char* p = text;
    if (*p == '+' || *p == '-') {
        ++p;
    }
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        return nullptr;
    }
    int digits = 0;
    for (; isDigit(*p); ++p) ++digits;
    if (*p == '.') {
        for (++p; isDigit(*p); ++p) ++digits;
    }
    if (digits == 0) {
        return nullptr;
    }
    if (*p == 'e' || *p == 'E') {
        const char* exponent = p + 1;
        if (*exponent == '+' || *exponent == '-') {
            ++exponent;
        }
        if (!isDigit(*exponent)) {
            return nullptr;
        }
        for (p = exponent; isDigit(*p); ++p) {
        }
    }
    return p;
}

// Reads one float at cursor as the formatted scan's "%f" does.
bool scanFloat(const char*& cursor, float& value) {
    const char* start = skipScanSpace(cursor);
    const char* plainEnd = endOfPlainNumber(start);
    if (plainEnd != nullptr) {
        char* end = nullptr;
        const float plain = strtof(start, &end);
        if (end == plainEnd) {
            value = plain;
            cursor = plainEnd;
            return true;
        }
    }
    int consumed = 0;
    if (sscanf(cursor, "%f%n", &value, &consumed) != 1) {
        return false;
    }
    cursor += consumed;
    return true;
}

// Walks pattern over text: conversion directives ("%" and the letter given)
// read one value each with readField, white space skips white space, any
// other character must match itself.
template <typename Value>
int scanFields(const char* text, const char* pattern, char conversion, Value* const* targets,
               bool (*readField)(const char*&, Value&)) {
    int converted = 0;
    const char* cursor = text;
    for (const char* directive = pattern; *directive != '\0'; ++directive) {
        if (directive[0] == '%' && directive[1] == conversion) {
            if (!readField(cursor, *targets[converted])) {
                return converted;
            }
            ++converted;
            ++directive;
        } else if (isScanSpace(*directive)) {
            cursor = skipScanSpace(cursor);
        } else if (*cursor == *directive) {
            ++cursor;
        } else {
            return converted;
        }
    }
    return converted;
}

}  // namespace

int scanInts(const char* text, const char* pattern, int32_t* const* targets) {
    return scanFields(text, pattern, 'd', targets, scanInt);
}

int scanFloats(const char* text, const char* pattern, float* const* targets) {
    return scanFields(text, pattern, 'f', targets, scanFloat);
}

const char* scanFirstWord(const char* text, char* word, size_t capacity) {
    const char* p = skipScanSpace(text);
    size_t length = 0;
    for (; *p != '\0' && !isScanSpace(*p); ++p) {
        if (length + 1 < capacity) {
            word[length++] = *p;
        }
    }
    if (capacity > 0) {
        word[length] = '\0';
    }
    return p;
}

namespace {

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool equalsIgnoringCase(const char* a, const char* b) {
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        if (lowerAscii(*a) != lowerAscii(*b)) {
            return false;
        }
    }
    return *a == *b;
}

bool startsWith(const char* text, const char* prefix) {
    for (; *prefix != '\0'; ++prefix, ++text) {
        if (*text != *prefix) {
            return false;
        }
    }
    return true;
}
