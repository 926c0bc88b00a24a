#include "textScan.h"

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

int scanInts(const char* text, const char* pattern, int32_t* const* targets) {
    int converted = 0;
    const char* cursor = text;
    for (const char* directive = pattern; *directive != '\0'; ++directive) {
        if (directive[0] == '%' && directive[1] == 'd') {
            if (!scanInt(cursor, *targets[converted])) {
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
    return strncmp(text, prefix, strlen(prefix)) == 0;
}
