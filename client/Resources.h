#pragma once
// The client's strings and data resources, and the optional resource library "LuminRes.so"
// beside the client library that overrides them (translations, other banner patterns).
//
// The resource library is a ResourceLibrary whose table is "LuminResources". Type "STRING"
// holds string-table entries; other types are named as their users name them ("ID_PATTERNS"
// 203, the chooser's "DIALOG" 103 and "ICON" 204).

#include "platform/base/ResourceLibrary.h"
#include "platform/base/WinTypes.h"

#include <mutex>
#include <optional>
#include <string>

namespace lumin {

inline constexpr unsigned kStringOther = 1000;
inline constexpr unsigned kStringConnecting = 21780;
inline constexpr unsigned kStringConnected = 21781;
inline constexpr unsigned kStringClosing = 21810;
inline constexpr unsigned kStringClosed = 21811;
inline constexpr unsigned kResourcePatterns = 203;
inline constexpr const char* kResourceTypePatterns = "ID_PATTERNS";
inline constexpr const char* kResourceTypeString = "STRING";

// The library's own string table; null for an id it has no text for.
const char* builtinString(unsigned id);

// The resource instance: the loaded resource library, or the client library itself.
class ResourceInstance {
public:
    ResourceInstance() = default;
    ResourceInstance(const ResourceInstance&) = delete;
    ResourceInstance& operator=(const ResourceInstance&) = delete;

    // Loads the library at path if the instance is still the client library itself; once
    // loaded it serves for the life of the process (until unload). False if not loaded.
    bool loadLibrary(const std::string& path);
    bool isExternal() const;

    // From the resource library when it has the entry, else the built-in copy.
    std::optional<std::string> string(unsigned id) const;
    std::optional<std::string> data(const char* type, unsigned id) const;

private:
    std::optional<std::string> external(const char* type, unsigned id) const;

    mutable std::mutex m_mutex; // guards m_library: Luminents load it from any thread
    ResourceLibrary m_library;
};

// Through the process-wide instance (built-ins when the library is not loaded as a module).
std::optional<std::string> resourceString(unsigned id);
std::optional<std::string> resourceData(const char* type, unsigned id);
// Called when a Luminent is constructed: loads LuminRes.so from the client library's folder.
void loadResourceLibrary();

} // namespace lumin
