// SPDX-License-Identifier: MIT
// What differs between Windows and the other systems: which characters
// separate folders in a path (and so a path's parts), how a file is opened by
// its name, how two names are found to be one file, and how the program
// receives its arguments. Paths are UTF-8 strings on every system.
#pragma once

#include <cstddef>
#include <cstdio>

// True for a character that ends a folder's name in a path: "/", and on
// Windows also "\". Elsewhere a backslash is an ordinary file-name character.
bool isPathSeparator(char c);

// Length of the folder part of path, its last separator included (0 without
// one). On Windows a drive ("C:") without a separator is a folder part too.
size_t folderPartLength(const char* path);

// The last component of path: what follows its folder part.
const char* lastPathComponent(const char* path);

// The extension of path: its last "." within the last path component and
// what follows, or nullptr when that component has no ".".
const char* findExtension(const char* path);

// Copies path into result (capacity bytes) with its extension replaced by
// extension (".tkm"), or extension appended when it has none. Returns false,
// writing nothing, when the result does not fit.
bool replaceExtension(const char* path, const char* extension, char* result, size_t capacity);

// fopen for a UTF-8 path; on Windows through the wide-character functions,
// so that any name works whatever the system's code page. nullptr when the
// file cannot be opened.
FILE* openFile(const char* path, const char* mode);

// remove for a UTF-8 path; true when the file was removed.
bool removeFile(const char* path);

// True when both paths name the same existing file, however they are spelled
// (symbolic links followed).
bool isSameExistingFile(const char* first, const char* second);

// True when path names an existing folder.
bool isExistingFolder(const char* path);

// On Windows: replaces argc and argv by the program's arguments in UTF-8,
// taken from the wide-character command line, and lets the console show the
// UTF-8 the program prints. Does nothing on other systems.
void useUtf8Arguments(int& argc, char**& argv);

#ifdef _WIN32
// Room for any path the wide-character functions take, and its zero.
constexpr size_t WIDE_PATH_SIZE = 32768;

// The UTF-16 form of a UTF-8 path, in wide (capacity characters), as
// fullWidePath gives it. False when path is not valid UTF-8 or does not fit.
bool widePath(const char* path, wchar_t* wide, size_t capacity);

// Rewrites the wide path in wide as the path Windows opens whatever its
// length: the full path (relative paths taken from the working folder), or
// its long form where the full path has 248 characters or more (the 260 of
// MAX_PATH, less the 12 of a short name for a new folder). A verbatim path
// ("\\?\") stays exactly as it is; a device path ("\\.\", "//./", "//?/")
// stays a device path while it is short, and becomes a verbatim one when
// long; only a true network path "\\server\share" becomes
// "\\?\UNC\server\share". A name that Windows takes for a device ("NUL")
// becomes its device path ("\\.\NUL"). False when the result does not fit.
bool fullWidePath(wchar_t* wide, size_t capacity);

// folderPartLength for a wide path.
size_t folderPartLength(const wchar_t* path);

// True when the wide path names a device (NUL, CON, a serial port) or a pipe
// rather than a file on a disk.
bool isDevice(const wchar_t* path);

// A binary stream over an open file handle (a HANDLE), which it then owns:
// for writing, or for writing and reading. nullptr, the handle closed, when
// none can be made.
FILE* streamOfHandle(void* file, bool readable);
#endif

// A new temporary file in the system's temporary folder, open for writing and
// reading as bytes, removed when it is closed or the program ends. nullptr
// when none can be made.
FILE* openScratchFile();
