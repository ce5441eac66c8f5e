#pragma once
// The file a piece of loaded code comes from, so a library can register its own path and
// find the files that live beside it.

#include <string>

// The absolute path of the shared library or program that contains address; empty when the
// address belongs to no loaded file.
std::string modulePathOf(const void* address);
// The folder of modulePathOf(address), without a trailing "/".
std::string moduleFolderOf(const void* address);
