// SPDX-License-Identifier: MIT
// Replacing a file only whole, for the brick file and the preview picture.
//
// The content goes to a new temporary file in the target's folder, which is
// renamed over the target once every byte was written and closed without
// error: a reader of the target sees the old file or the new one, whole, and
// a failed write leaves the old file as it was and no temporary behind. A
// target that is a symbolic link keeps the link; the file it points to is
// replaced. An existing target keeps its permission bits.
//
// Where no new file can be created in the folder, or the target is not a
// regular file (a device: /dev/null, NUL), the content is written in place
// instead.
//
// On Windows the temporary is renamed with MoveFileExW; the new file takes
// the old one's hidden, system, archive and not-content-indexed attributes;
// a read-only old file is refused like a directory; a rename that another
// program's open handle blocks is tried again for about a second. A symbolic
// link there is replaced by the file, not followed. Paths are UTF-8 on every
// system.
//
// The temporary's data are not flushed to the disk before the rename, nor on
// Linux the rename itself: the replacement is whole against every failure of
// the program and against readers, but a power cut soon after it may bring
// back the old file, or (on NTFS, and on Linux file systems other than ext4)
// the new name on a file that is empty or reads as zeros.
#pragma once

#include <cstdio>

enum class ReplaceOutcome {
    Replaced,     // the target holds the new content, whole
    OpenFailed,   // the target is a directory, may not be written, or cannot be created
    WriteFailed,  // writing, closing or renaming failed; an old target is unchanged
};

// Writes the target's whole content to out, a binary stream.
using ContentWriter = void (*)(FILE* out, const void* content);

ReplaceOutcome replaceFileWhole(const char* path, ContentWriter writeContent, const void* content);
