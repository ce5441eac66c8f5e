#pragma once
// An optional resource-only library beside a deliverable ("LuminRes.so", "RecoraRes.so" ...)
// that overrides its built-in strings and pictures. Such a library exports one table,
//   extern "C" const ResourceEntry* <Name>Resources(unsigned* count);
// whose entries stay valid while it is loaded. Not thread-safe while loading; lookups after
// that may come from any thread.

#include <optional>
#include <string>
#include <string_view>

extern "C" {
struct ResourceEntry {
    const char* type; // "STRING", "BITMAP", "ICON" ...
    unsigned id;
    const void* data; // UTF-8 text or raw bytes
    unsigned size;    // in bytes, no terminator needed
};
using ResourceTableFn = const ResourceEntry* (*)(unsigned* count);
}

class ResourceLibrary {
public:
    ResourceLibrary() = default;
    ~ResourceLibrary();
    ResourceLibrary(const ResourceLibrary&) = delete;
    ResourceLibrary& operator=(const ResourceLibrary&) = delete;

    // Loads path and takes its table from tableSymbol, once. False when there is no such file,
    // it is no regular file, or it exports no table (nothing stays loaded then).
    bool load(const std::string& path, const char* tableSymbol);
    // Back to no library (at a module's unload point).
    void unload();
    bool isLoaded() const { return m_handle != nullptr; }

    // The entry's bytes; nothing when the library is not loaded or lacks the entry.
    std::optional<std::string_view> find(std::string_view type, unsigned id) const;

private:
    void* m_handle = nullptr;
    const ResourceEntry* m_entries = nullptr;
    unsigned m_count = 0;
};
