// SPDX-License-Identifier: MIT
#include "fileReplace.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>

#include "platformFiles.h"
#include "windowsApi.h"

#include <fcntl.h>

#ifdef _WIN32
#include <io.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

constexpr size_t OUTPUT_BUFFER_SIZE = 65536;
constexpr int MAX_TEMPORARY_ATTEMPTS = 100;
constexpr size_t TEMPORARY_NAME_SIZE = 64;

char outputBuffer[OUTPUT_BUFFER_SIZE];

// Writes the content through out, buffered.
void writeBuffered(FILE* out, ContentWriter writeContent, const void* content) {
    setvbuf(out, outputBuffer, _IOFBF, sizeof outputBuffer);
    writeContent(out, content);
}

// Writes the content through out and closes it; true when every byte was
// written and the close succeeded.
bool writeAndClose(FILE* out, ContentWriter writeContent, const void* content) {
    writeBuffered(out, writeContent, content);
    const bool writeFailed = ferror(out) != 0;
    const bool closeFailed = fclose(out) != 0;
    return !writeFailed && !closeFailed;
}

// The old way, for where no temporary can be made: truncate and write. A
// regular file left incomplete is removed.
ReplaceOutcome writeInPlace(const char* path, bool removeIncomplete, ContentWriter writeContent,
                            const void* content) {
    FILE* out = openFile(path, "wb");
    if (out == nullptr) {
        return ReplaceOutcome::OpenFailed;
    }
    if (writeAndClose(out, writeContent, content)) {
        return ReplaceOutcome::Replaced;
    }
    if (removeIncomplete) {
        removeFile(path);
    }
    return ReplaceOutcome::WriteFailed;
}

}  // namespace

#ifdef _WIN32

namespace {

// Another program (a virus scanner, the game) may hold the old brick open for
// a moment; the rename is tried again for about a second.
constexpr int MAX_RENAME_ATTEMPTS = 20;
constexpr DWORD RENAME_RETRY_MILLISECONDS = 50;
// Attributes of an old file that the new one takes over.
constexpr DWORD KEPT_ATTRIBUTES = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// Creates a new file beside target, a full path, never opening an existing
// one; its path goes to temporary, in the long form where it needs that.
// INVALID_HANDLE_VALUE when the folder takes no new file.
HANDLE createTemporary(const wchar_t* target, wchar_t* temporary) {
    const size_t folder = folderPartLength(target);
    if (folder + TEMPORARY_NAME_SIZE > WIDE_PATH_SIZE) {
        return INVALID_HANDLE_VALUE;
    }
    for (int attempt = 0; attempt < MAX_TEMPORARY_ATTEMPTS; ++attempt) {
        wmemcpy(temporary, target, folder);
        swprintf(temporary + folder, TEMPORARY_NAME_SIZE, L".replace-%lu-%d.tmp",
                 static_cast<unsigned long>(GetCurrentProcessId()), attempt);
        if (!fullWidePath(temporary, WIDE_PATH_SIZE)) {
            return INVALID_HANDLE_VALUE;
        }
        const HANDLE file = CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) {
            return file;
        }
    }
    return INVALID_HANDLE_VALUE;
}

// writeAndClose for the temporary, which also checks that the file holds
// every byte the stream took: a write cut short by a full disk or a size
// limit can come back as a success with fewer bytes (so Wine does), which
// the C runtime then takes for a complete write.
bool writeCheckedAndClose(FILE* out, HANDLE file, ContentWriter writeContent, const void* content) {
    writeBuffered(out, writeContent, content);
    const long long accepted = _ftelli64(out);
    const bool flushed = fflush(out) == 0;
    LARGE_INTEGER size;
    const bool complete = GetFileSizeEx(file, &size) != 0 && size.QuadPart == accepted;
    const bool writeFailed = ferror(out) != 0 || !flushed || !complete;
    const bool closeFailed = fclose(out) != 0;
    return !writeFailed && !closeFailed;
}

// Renames from over to, both in one folder. The rename is atomic: whenever
// the system stops, to names the old file or the new one. MOVEFILE_WRITE_THROUGH
// asks for the rename itself to reach the disk before the call returns; the
// new file's data are not flushed first (no FlushFileBuffers): NTFS journals
// names, not data, so a power cut in the seconds after a run can leave to
// naming the new file with bytes that never reached the disk (zeros).
bool moveOver(const wchar_t* from, const wchar_t* to) {
    for (int attempt = 1;; ++attempt) {
        if (MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return true;
        }
        const DWORD error = GetLastError();
        const bool heldOpen = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
        if (!heldOpen || attempt == MAX_RENAME_ATTEMPTS) {
            return false;
        }
        Sleep(RENAME_RETRY_MILLISECONDS);
    }
}

// Writes the content into a temporary beside target and renames it over the
// target, giving it the old file's attributes. Falls back to writing in place
// where the folder takes no new file.
ReplaceOutcome replaceThroughTemporary(const char* path, const wchar_t* target, DWORD oldAttributes,
                                       ContentWriter writeContent, const void* content) {
    static wchar_t temporary[WIDE_PATH_SIZE];
    const HANDLE file = createTemporary(target, temporary);
    if (file == INVALID_HANDLE_VALUE) {
        return writeInPlace(path, true, writeContent, content);
    }
    FILE* out = streamOfHandle(file, false);
    bool written = out != nullptr && writeCheckedAndClose(out, file, writeContent, content);
    if (written && oldAttributes != INVALID_FILE_ATTRIBUTES && (oldAttributes & KEPT_ATTRIBUTES)) {
        SetFileAttributesW(temporary, oldAttributes & KEPT_ATTRIBUTES);
    }
    written = written && moveOver(temporary, target);
    if (!written) {
        DeleteFileW(temporary);
    }
    return written ? ReplaceOutcome::Replaced : ReplaceOutcome::WriteFailed;
}

}  // namespace

ReplaceOutcome replaceFileWhole(const char* path, ContentWriter writeContent, const void* content) {
    static wchar_t target[WIDE_PATH_SIZE];
    if (!widePath(path, target, WIDE_PATH_SIZE)) {
        return ReplaceOutcome::OpenFailed;
    }
    if (isDevice(target)) {
        return writeInPlace(path, false, writeContent, content);
    }
    const DWORD attributes = GetFileAttributesW(target);
    const DWORD refused = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY;
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & refused) != 0) {
        return ReplaceOutcome::OpenFailed;
    }
    return replaceThroughTemporary(path, target, attributes, writeContent, content);
}

#else  // POSIX

namespace {

constexpr size_t RESOLVED_PATH_SIZE = 8192;  // a 4095-character path and a link beside it
constexpr int MAX_LINK_DEPTH = 40;
constexpr mode_t NEW_FILE_MODE = 0666;  // less the umask, as for any new file
constexpr mode_t PERMISSION_BITS = 07777;

// Follows the symbolic links that path names to the file at their end, which
// need not exist. False when a link cannot be read, loops, or the result does
// not fit.
bool resolveLinks(const char* path, char* resolved, size_t capacity) {
    const size_t pathLength = strlen(path);
    if (pathLength >= capacity) {
        return false;
    }
    memcpy(resolved, path, pathLength + 1);
    for (int depth = 0; depth < MAX_LINK_DEPTH; ++depth) {
        struct stat info;
        if (lstat(resolved, &info) != 0 || !S_ISLNK(info.st_mode)) {
            return true;
        }
        char link[RESOLVED_PATH_SIZE];
        const ssize_t length = readlink(resolved, link, sizeof link);
        if (length <= 0 || static_cast<size_t>(length) >= sizeof link) {
            return false;
        }
        const size_t linkLength = static_cast<size_t>(length);
        const size_t keep = link[0] == '/' ? 0 : folderPartLength(resolved);
        if (keep + linkLength >= capacity) {
            return false;
        }
        memcpy(resolved + keep, link, linkLength);
        resolved[keep + linkLength] = '\0';
    }
    return false;
}

// The folder is opened only to create, rename and remove files in it. On
// Linux O_PATH asks no permission of the folder itself, so one that may be
// written but not read (a drop box) still takes a temporary; elsewhere the
// folder must be readable.
#ifdef O_PATH
constexpr int FOLDER_OPEN_FLAGS = O_PATH | O_DIRECTORY | O_CLOEXEC;
#else
constexpr int FOLDER_OPEN_FLAGS = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif

// Opens the folder that holds path; -1 when it cannot be opened.
int openFolderOf(const char* path) {
    const size_t length = folderPartLength(path);
    if (length == 0) {
        return open(".", FOLDER_OPEN_FLAGS);
    }
    char folder[RESOLVED_PATH_SIZE];
    if (length >= sizeof folder) {
        return -1;
    }
    memcpy(folder, path, length);
    folder[length] = '\0';
    return open(folder, FOLDER_OPEN_FLAGS);
}

// Creates a new, hidden file in folder whose short name does not depend on
// the target's, so that it fits wherever the target's name fits. Returns its
// descriptor, or -1 when the folder takes no new file.
int createTemporary(int folder, char* name) {
    for (int attempt = 0; attempt < MAX_TEMPORARY_ATTEMPTS; ++attempt) {
        snprintf(name, TEMPORARY_NAME_SIZE, ".replace-%ld-%d.tmp", static_cast<long>(getpid()),
                 attempt);
        const int descriptor =
            openat(folder, name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, NEW_FILE_MODE);
        if (descriptor >= 0 || errno != EEXIST) {
            return descriptor;
        }
    }
    return -1;
}

// Writes the content into a temporary beside target and renames it over the
// target. Falls back to writing in place where the folder takes no new file.
ReplaceOutcome replaceThroughTemporary(const char* target, const struct stat* old,
                                       ContentWriter writeContent, const void* content) {
    const int folder = openFolderOf(target);
    char name[TEMPORARY_NAME_SIZE];
    const int descriptor = folder >= 0 ? createTemporary(folder, name) : -1;
    if (descriptor < 0) {
        if (folder >= 0) {
            close(folder);
        }
        return writeInPlace(target, true, writeContent, content);
    }
    if (old != nullptr) {
        fchmod(descriptor, old->st_mode & PERMISSION_BITS);
    }
    FILE* out = fdopen(descriptor, "wb");
    bool written = false;
    if (out == nullptr) {
        close(descriptor);
    } else {
        written = writeAndClose(out, writeContent, content) &&
                  renameat(folder, name, folder, target + folderPartLength(target)) == 0;
    }
    if (!written) {
        unlinkat(folder, name, 0);
    }
    close(folder);
    return written ? ReplaceOutcome::Replaced : ReplaceOutcome::WriteFailed;
}

}  // namespace

ReplaceOutcome replaceFileWhole(const char* path, ContentWriter writeContent, const void* content) {
    static char target[RESOLVED_PATH_SIZE];
    if (!resolveLinks(path, target, sizeof target)) {
        return writeInPlace(path, true, writeContent, content);
    }
    struct stat old;
    if (stat(target, &old) != 0) {
        return replaceThroughTemporary(target, nullptr, writeContent, content);
    }
    if (S_ISDIR(old.st_mode) || access(target, W_OK) != 0) {
        return ReplaceOutcome::OpenFailed;
    }
    if (!S_ISREG(old.st_mode)) {  // a device or a pipe is written, never replaced
        return writeInPlace(target, false, writeContent, content);
    }
    return replaceThroughTemporary(target, &old, writeContent, content);
}

#endif  // POSIX
