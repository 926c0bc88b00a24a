#include "fileReplace.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr size_t OUTPUT_BUFFER_SIZE = 65536;
constexpr size_t RESOLVED_PATH_SIZE = 8192;  // a 4095-character path and a link beside it
constexpr int MAX_LINK_DEPTH = 40;
constexpr int MAX_TEMPORARY_ATTEMPTS = 100;
constexpr size_t TEMPORARY_NAME_SIZE = 64;
constexpr mode_t NEW_FILE_MODE = 0666;  // less the umask, as for any new file
constexpr mode_t PERMISSION_BITS = 07777;

char outputBuffer[OUTPUT_BUFFER_SIZE];

// Writes the content through out and closes it; true when every byte was
// written and the close succeeded.
bool writeAndClose(FILE* out, ContentWriter writeContent, const void* content) {
    setvbuf(out, outputBuffer, _IOFBF, sizeof outputBuffer);
    writeContent(out, content);
    const bool writeFailed = ferror(out) != 0;
    const bool closeFailed = fclose(out) != 0;
    return !writeFailed && !closeFailed;
}

// The old way, for where no temporary can be made: truncate and write. A
// regular file left incomplete is removed.
ReplaceOutcome writeInPlace(const char* path, bool removeIncomplete, ContentWriter writeContent,
                            const void* content) {
    FILE* out = fopen(path, "wb");
    if (out == nullptr) {
        return ReplaceOutcome::OpenFailed;
    }
    if (writeAndClose(out, writeContent, content)) {
        return ReplaceOutcome::Replaced;
    }
    if (removeIncomplete) {
        remove(path);
    }
    return ReplaceOutcome::WriteFailed;
}

// Length of the folder part of path, its last "/" included (0 without one).
size_t folderLength(const char* path) {
    const char* slash = strrchr(path, '/');
    return slash != nullptr ? static_cast<size_t>(slash - path) + 1 : 0;
}

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
        const size_t keep = link[0] == '/' ? 0 : folderLength(resolved);
        if (keep + linkLength >= capacity) {
            return false;
        }
        memcpy(resolved + keep, link, linkLength);
        resolved[keep + linkLength] = '\0';
    }
    return false;
}

// Opens the folder that holds path; -1 when it cannot be opened.
int openFolderOf(const char* path) {
    const size_t length = folderLength(path);
    if (length == 0) {
        return open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    }
    char folder[RESOLVED_PATH_SIZE];
    if (length >= sizeof folder) {
        return -1;
    }
    memcpy(folder, path, length);
    folder[length] = '\0';
    return open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
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
                  renameat(folder, name, folder, target + folderLength(target)) == 0;
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

bool isSameExistingFile(const char* first, const char* second) {
    struct stat firstInfo;
    struct stat secondInfo;
    return stat(first, &firstInfo) == 0 && stat(second, &secondInfo) == 0 &&
           firstInfo.st_dev == secondInfo.st_dev && firstInfo.st_ino == secondInfo.st_ino;
}
