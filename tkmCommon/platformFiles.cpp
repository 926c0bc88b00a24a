// SPDX-License-Identifier: MIT
#include "platformFiles.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "windowsApi.h"  // first: shellapi.h needs its types

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>
#else
#include <sys/stat.h>
#endif

namespace {

#ifdef _WIN32
constexpr size_t MODE_SIZE = 8;
// Full paths from this length on need the long form: 260 characters, less
// the 12 of a short file name for a folder that is created.
constexpr size_t LONG_PATH_LENGTH = MAX_PATH - 12;
// The prefixes of full paths: a verbatim path, which Windows takes as it
// stands, whatever its length; a device path; a network path.
constexpr wchar_t VERBATIM_PREFIX[] = L"\\\\?\\";
constexpr wchar_t DEVICE_PREFIX[] = L"\\\\.\\";
constexpr wchar_t NETWORK_PREFIX[] = L"\\\\";
constexpr wchar_t VERBATIM_NETWORK_PREFIX[] = L"\\\\?\\UNC\\";
// The longest command line Windows passes is 32,767 UTF-16 units, each of
// which takes at most 3 bytes of UTF-8 (a surrogate pair: 4 bytes for 2).
constexpr size_t MAX_ARGUMENTS = 16384;
constexpr size_t ARGUMENT_TEXT_SIZE = 3 * 32768 + MAX_ARGUMENTS;

template <typename Char>
bool isDriveLetter(Char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

UINT consoleCodePageAtStart = 0;

void restoreConsoleCodePage() {
    SetConsoleOutputCP(consoleCodePageAtStart);
}
#endif

// isPathSeparator and folderPartLength for paths of either width.
template <typename Char>
bool isSeparator(Char c) {
#ifdef _WIN32
    return c == '/' || c == '\\';
#else
    return c == '/';
#endif
}

template <typename Char>
size_t folderLengthOf(const Char* path) {
    size_t length = 0;
#ifdef _WIN32
    if (isDriveLetter(path[0]) && path[1] == ':') {
        length = 2;
    }
#endif
    for (size_t i = length; path[i] != '\0'; ++i) {
        if (isSeparator(path[i])) {
            length = i + 1;
        }
    }
    return length;
}

}  // namespace

bool isPathSeparator(char c) {
    return isSeparator(c);
}

size_t folderPartLength(const char* path) {
    return folderLengthOf(path);
}

const char* lastPathComponent(const char* path) {
    return path + folderPartLength(path);
}

const char* findExtension(const char* path) {
    return strrchr(lastPathComponent(path), '.');
}

bool replaceExtension(const char* path, const char* extension, char* result, size_t capacity) {
    const char* oldExtension = findExtension(path);
    const size_t stemLength =
        oldExtension != nullptr ? static_cast<size_t>(oldExtension - path) : strlen(path);
    const size_t extensionLength = strlen(extension);
    if (stemLength + extensionLength + 1 > capacity) {
        return false;
    }
    memcpy(result, path, stemLength);
    memcpy(result + stemLength, extension, extensionLength + 1);
    return true;
}

#ifdef _WIN32

namespace {

bool startsWith(const wchar_t* text, const wchar_t* prefix) {
    return wcsncmp(text, prefix, wcslen(prefix)) == 0;
}

// Writes the long form of full, a full path of length characters, to wide:
// a verbatim path stays as it is, a device path becomes a verbatim one, a
// network path \\server\share one under the verbatim prefix's UNC folder,
// and any other path (a drive's) is given the verbatim prefix.
bool writeLongForm(const wchar_t* full, size_t length, wchar_t* wide, size_t capacity) {
    const wchar_t* prefix = VERBATIM_PREFIX;
    size_t skipped = 0;
    if (startsWith(full, VERBATIM_PREFIX)) {
        prefix = L"";
    } else if (startsWith(full, DEVICE_PREFIX)) {
        skipped = wcslen(DEVICE_PREFIX);
    } else if (startsWith(full, NETWORK_PREFIX)) {
        prefix = VERBATIM_NETWORK_PREFIX;
        skipped = wcslen(NETWORK_PREFIX);
    }
    const size_t prefixLength = wcslen(prefix);
    if (prefixLength + length - skipped + 1 > capacity) {
        return false;
    }
    wmemcpy(wide, prefix, prefixLength);
    wmemcpy(wide + prefixLength, full + skipped, length - skipped + 1);
    return true;
}

}  // namespace

bool fullWidePath(wchar_t* wide, size_t capacity) {
    static wchar_t full[WIDE_PATH_SIZE];
    if (startsWith(wide, VERBATIM_PREFIX)) {
        return true;  // taken as it stands: never normalised
    }
    const DWORD length = GetFullPathNameW(wide, WIDE_PATH_SIZE, full, nullptr);
    if (length == 0) {
        return true;  // no file has this name; opening it fails
    }
    if (length >= WIDE_PATH_SIZE) {
        return false;
    }
    if (length >= LONG_PATH_LENGTH) {
        return writeLongForm(full, length, wide, capacity);
    }
    if (length + 1 > capacity) {
        return false;
    }
    wmemcpy(wide, full, length + 1);
    return true;
}

size_t folderPartLength(const wchar_t* path) {
    return folderLengthOf(path);
}

namespace {

// An existing file or folder, opened for neither reading nor writing; a
// device too. INVALID_HANDLE_VALUE when there is none.
HANDLE openExisting(const wchar_t* path) {
    return CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// The volume and file index of an existing file or folder.
bool identifyFile(const char* path, BY_HANDLE_FILE_INFORMATION& info) {
    static wchar_t wide[WIDE_PATH_SIZE];
    if (!widePath(path, wide, WIDE_PATH_SIZE)) {
        return false;
    }
    const HANDLE file = openExisting(wide);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    const bool identified = GetFileInformationByHandle(file, &info) != 0;
    CloseHandle(file);
    return identified;
}

}  // namespace

bool isDevice(const wchar_t* path) {
    const HANDLE file = openExisting(path);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    const bool device = GetFileType(file) != FILE_TYPE_DISK;
    CloseHandle(file);
    return device;
}

bool isSameExistingFile(const char* first, const char* second) {
    BY_HANDLE_FILE_INFORMATION firstInfo;
    BY_HANDLE_FILE_INFORMATION secondInfo;
    return identifyFile(first, firstInfo) && identifyFile(second, secondInfo) &&
           firstInfo.dwVolumeSerialNumber == secondInfo.dwVolumeSerialNumber &&
           firstInfo.nFileIndexHigh == secondInfo.nFileIndexHigh &&
           firstInfo.nFileIndexLow == secondInfo.nFileIndexLow;
}

bool isExistingFolder(const char* path) {
    static wchar_t widePathText[WIDE_PATH_SIZE];
    if (!widePath(path, widePathText, WIDE_PATH_SIZE)) {
        return false;
    }
    const DWORD attributes = GetFileAttributesW(widePathText);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool widePath(const char* path, wchar_t* wide, size_t capacity) {
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, wide,
                                           static_cast<int>(capacity));
    return length > 0 && fullWidePath(wide, capacity);
}

FILE* openFile(const char* path, const char* mode) {
    static wchar_t widePathText[WIDE_PATH_SIZE];
    wchar_t wideMode[MODE_SIZE];
    if (!widePath(path, widePathText, WIDE_PATH_SIZE) ||
        MultiByteToWideChar(CP_UTF8, 0, mode, -1, wideMode, MODE_SIZE) <= 0) {
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

FILE* openScratchFile() {
    constexpr int MAX_ATTEMPTS = 100;
    static wchar_t path[MAX_PATH + 1];
    const DWORD folderLength = GetTempPathW(MAX_PATH + 1, path);
    static unsigned counter = 0;
    for (int attempt = 0; attempt < MAX_ATTEMPTS && folderLength > 0 && folderLength < MAX_PATH;
         ++attempt) {
        swprintf(path + folderLength, MAX_PATH + 1 - folderLength, L"dxf2tkm-%lu-%u.tmp",
                 static_cast<unsigned long>(GetCurrentProcessId()), counter++);
        const HANDLE file =
            CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                        FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            continue;
        }
        return streamOfHandle(file, true);
    }
    return nullptr;
}

FILE* streamOfHandle(void* file, bool readable) {
    const int access = readable ? _O_RDWR : _O_WRONLY;
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(file), access | _O_BINARY);
    if (descriptor < 0) {
        CloseHandle(file);
        return nullptr;
    }
    FILE* stream = _fdopen(descriptor, readable ? "w+b" : "wb");
    if (stream == nullptr) {
        _close(descriptor);
    }
    return stream;
}

#else

FILE* openScratchFile() {
    return tmpfile();
}

FILE* openFile(const char* path, const char* mode) {
    return fopen(path, mode);
}

bool removeFile(const char* path) {
    return remove(path) == 0;
}

bool isSameExistingFile(const char* first, const char* second) {
    struct stat firstInfo;
    struct stat secondInfo;
    return stat(first, &firstInfo) == 0 && stat(second, &secondInfo) == 0 &&
           firstInfo.st_dev == secondInfo.st_dev && firstInfo.st_ino == secondInfo.st_ino;
}

bool isExistingFolder(const char* path) {
    struct stat info;
    return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

void useUtf8Arguments(int&, char**&) {}

#endif
