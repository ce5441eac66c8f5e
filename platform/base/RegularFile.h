#pragma once
// Files that come from outside (a folder's sequences and frames, a page): only a regular file,
// opened without ever waiting (a named pipe or a device in its place would otherwise block the
// open, or the first read, for good).

#include <cstddef>
#include <string>

namespace orvel {

enum class RegularFileAccess {
    Read,
    ReadWrite,
    ReadWriteCreate,
    Write, // created if missing, emptied once it is known to be a regular file
};

// The descriptor (close-on-exec, blocking again once the file is known to be regular), or -1
// with *error set: the open's errno, or EINVAL when the path names no regular file.
int openRegularFile(const std::string& path, RegularFileAccess access, int* error);

// What openRegularFile's error means, in one line naming the path: "PATH is not a regular
// file" or "cannot open PATH: REASON".
std::string regularFileError(const std::string& path, int error);

} // namespace orvel

// Reads a whole file that way. False with a one-line reason in *error (naming the path) when
// the file cannot be opened, is not a regular file, exceeds maxBytes or fails to read.
bool readRegularFile(const std::string& path, std::size_t maxBytes, std::string& contents,
                     std::string* error);
