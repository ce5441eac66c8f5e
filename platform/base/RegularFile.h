#pragma once
// Reading a whole file that comes from outside: only a regular file, opened without blocking
// (a named pipe in its place must not hang the reader), and no larger than the caller allows.

#include <cstddef>
#include <string>

// False with a one-line reason in *error (naming the path) when the file cannot be opened,
// is not a regular file, exceeds maxBytes or fails to read.
bool readRegularFile(const std::string& path, std::size_t maxBytes, std::string& contents,
                     std::string* error);
