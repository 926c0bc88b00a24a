#include "platformFiles.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "windowsApi.h"  // first: shellapi.h needs its types

#ifdef _WIN32
#include <shellapi.h>
#endif

namespace {

#ifdef _WIN32
constexpr size_t MODE_SIZE = 8;
// Paths from this length on need the long form: 260 characters, less the 12
// of a short file name for a folder that is created.
constexpr size_t LONG_PATH_LENGTH = MAX_PATH - 12;
constexpr wchar_t LONG_PREFIX[] = L"\\\\?\\";
constexpr wchar_t LONG_NETWORK_PREFIX[] =
    L"\\\\?\\UNC";  // replaces the leading backslash of \\server
constexpr size_t LONG_PREFIX_LENGTH = 4;
constexpr size_t LONG_NETWORK_PREFIX_LENGTH = 7;
// The longest command line Windows passes is 32,767 UTF-16 units, each of
// which takes at most 3 bytes of UTF-8 (a surrogate pair: 4 bytes for 2).
constexpr size_t MAX_ARGUMENTS = 16384;
constexpr size_t ARGUMENT_TEXT_SIZE = 3 * 32768 + MAX_ARGUMENTS;

bool isDriveLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

UINT consoleCodePageAtStart = 0;

void restoreConsoleCodePage() {
    SetConsoleOutputCP(consoleCodePageAtStart);
}
#endif

}  // namespace

bool isPathSeparator(char c) {
#ifdef _WIN32
    return c == '/' || c == '\\';
#else
    return c == '/';
#endif
}

size_t folderPartLength(const char* path) {
    size_t length = 0;
#ifdef _WIN32
    if (isDriveLetter(path[0]) && path[1] == ':') {
        length = 2;
    }
#endif
    for (size_t i = length; path[i] != '\0'; ++i) {
        if (isPathSeparator(path[i])) {
            length = i + 1;
        }
    }
    return length;
}

const char* lastPathComponent(const char* path) {
    return path + folderPartLength(path);
}

#ifdef _WIN32

namespace {

// Rewrites the wide path in wide as an absolute one with the long prefix.
bool makeLongForm(wchar_t* wide, size_t capacity) {
    static wchar_t full[WIDE_PATH_SIZE];
    if (wcsncmp(wide, LONG_PREFIX, LONG_PREFIX_LENGTH) == 0) {
        return true;
    }
    const DWORD length = GetFullPathNameW(wide, WIDE_PATH_SIZE, full, nullptr);
    if (length == 0 || length >= WIDE_PATH_SIZE) {
        return false;
    }
    const bool network = full[0] == L'\\' && full[1] == L'\\';
    const wchar_t* prefix = network ? LONG_NETWORK_PREFIX : LONG_PREFIX;
    const size_t prefixLength = network ? LONG_NETWORK_PREFIX_LENGTH : LONG_PREFIX_LENGTH;
    const wchar_t* rest = network ? full + 1 : full;
    const size_t restLength = network ? length - 1 : length;
    if (prefixLength + restLength + 1 > capacity) {
        return false;
    }
    wmemcpy(wide, prefix, prefixLength);
    wmemcpy(wide + prefixLength, rest, restLength + 1);
    return true;
}

}  // namespace

bool widePath(const char* path, wchar_t* wide, size_t capacity) {
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, wide,
                                           static_cast<int>(capacity));
    if (length <= 0) {
        return false;
    }
    return static_cast<size_t>(length - 1) < LONG_PATH_LENGTH || makeLongForm(wide, capacity);
}

FILE* openFile(const char* path, const char* mode) {
    static wchar_t widePathText[WIDE_PATH_SIZE];
    wchar_t wideMode[MODE_SIZE];
    if (!widePath(path, widePathText, WIDE_PATH_SIZE) || !widePath(mode, wideMode, MODE_SIZE)) {
        return nullptr;
    }
    return _wfopen(widePathText, wideMode);
}

bool removeFile(const char* path) {
    static wchar_t widePathText[WIDE_PATH_SIZE];
    return widePath(path, widePathText, WIDE_PATH_SIZE) && _wremove(widePathText) == 0;
}

void useUtf8Arguments(int& argc, char**& argv) {
    static char text[ARGUMENT_TEXT_SIZE];
    static char* pointers[MAX_ARGUMENTS + 1];
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) {
        return;  // keeps the arguments in the ANSI code page
    }
    size_t used = 0;
    int kept = 0;
    for (; kept < count && static_cast<size_t>(kept) < MAX_ARGUMENTS; ++kept) {
        const int room = static_cast<int>(ARGUMENT_TEXT_SIZE - used);
        const int length =
            WideCharToMultiByte(CP_UTF8, 0, wide[kept], -1, text + used, room, nullptr, nullptr);
        if (length <= 0) {
            break;
        }
        pointers[kept] = text + used;
        used += static_cast<size_t>(length);
    }
    LocalFree(wide);
    pointers[kept] = nullptr;
    argc = kept;
    argv = pointers;
    consoleCodePageAtStart = GetConsoleOutputCP();
    if (consoleCodePageAtStart != 0 && consoleCodePageAtStart != CP_UTF8 &&
        SetConsoleOutputCP(CP_UTF8)) {
        atexit(restoreConsoleCodePage);
    }
}

#else

FILE* openFile(const char* path, const char* mode) {
    return fopen(path, mode);
}

bool removeFile(const char* path) {
    return remove(path) == 0;
}

void useUtf8Arguments(int&, char**&) {}

#endif
