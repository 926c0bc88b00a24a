// SPDX-License-Identifier: MIT
#include "modelFiles.h"

#include <cstring>

#include "platformFiles.h"

namespace {

constexpr const char* MODEL_EXTENSIONS[] = {"obj", "rds", "dxf"};
// First words of a model's first line: OBJ keywords, RDS tags (any letter case).
constexpr const char* MODEL_FIRST_WORDS[] = {"v",    "vn",   "vt",   "f",      "g",
                                             "o",    "s",    "l",    "mtllib", "usemtl",
                                             "pmsh", "verd", "posn", "pgsz",   "pgon"};
constexpr const char BINARY_DXF_SENTINEL[] = "AutoCAD Binary DXF";
constexpr size_t WORD_CAPACITY = 16;

char lowered(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The next word at text[at], lowered, into word (cut at WORD_CAPACITY - 1
// characters); returns the position after it.
size_t nextWord(const char* text, size_t length, size_t at, char (&word)[WORD_CAPACITY]) {
    while (at < length && isBlank(text[at])) {
        ++at;
    }
    size_t used = 0;
    for (; at < length && !isBlank(text[at]); ++at) {
        if (used + 1 < WORD_CAPACITY) {
            word[used++] = lowered(text[at]);
        }
    }
    word[used] = '\0';
    return at;
}

bool hasModelExtension(const char* path) {
    const char* dot = strrchr(lastPathComponent(path), '.');
    if (dot == nullptr || strlen(dot + 1) != 3) {
        return false;
    }
    for (const char* extension : MODEL_EXTENSIONS) {
        if (lowered(dot[1]) == extension[0] && lowered(dot[2]) == extension[1] &&
            lowered(dot[3]) == extension[2]) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool looksLikeModel(const char* path, const char* text, size_t length) {
    if (hasModelExtension(path)) {
        return true;
    }
    const size_t sentinelLength = sizeof BINARY_DXF_SENTINEL - 1;
    if (length >= sentinelLength && memcmp(text, BINARY_DXF_SENTINEL, sentinelLength) == 0) {
        return true;
    }
    size_t at = 0;
    if (length >= 3 && memcmp(text, "\xEF\xBB\xBF", 3) == 0) {
        at = 3;  // a byte order mark
    }
    while (at < length && isBlank(text[at])) {
        ++at;
    }
    if (at < length && text[at] == '#') {
        return true;  // an OBJ comment
    }
    char word[WORD_CAPACITY];
    at = nextWord(text, length, at, word);
    for (const char* firstWord : MODEL_FIRST_WORDS) {
        if (strcmp(word, firstWord) == 0) {
            return true;
        }
    }
    // An ASCII DXF drawing opens with group code 0 and SECTION.
    char second[WORD_CAPACITY];
    nextWord(text, length, at, second);
    return strcmp(word, "0") == 0 && strcmp(second, "section") == 0;
}
