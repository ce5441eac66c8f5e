#pragma once
// The recorder's strings, icon and stop-button faces, and the optional resource library
// "RecoraRes.so" beside the program that overrides them (a translation). When that library is
// loaded the status line also switches to its font (RecoraFont).
//
// Its table (platform/base/ResourceLibrary.h) is exported as "RecoraResources": type "STRING"
// (UTF-8 text), "BITMAP" and "ICON" (PNG bytes).

#include "platform/base/ResourceLibrary.h"

#include <QFont>
#include <QIcon>
#include <QPixmap>
#include <optional>
#include <string>

namespace recora {

inline constexpr unsigned kStringProgram = 100;
inline constexpr unsigned kStringRecording = 1000;
inline constexpr unsigned kStringStopped = 1001;
inline constexpr unsigned kStringError = 1100;
inline constexpr unsigned kStringCreateFailed = 1101;
inline constexpr unsigned kIconWindow = 202;
inline constexpr unsigned kBitmapLampLit = 203;  // raised, red lamp lit
inline constexpr unsigned kBitmapPressed = 204;  // pressed, lamp lit
inline constexpr unsigned kBitmapLampDark = 205; // raised, lamp dark

inline constexpr const char* kResourceLibraryName = "RecoraRes.so";
inline constexpr const char* kResourceTableSymbol = "RecoraResources";

class RecoraResources {
public:
    RecoraResources() = default;
    RecoraResources(const RecoraResources&) = delete;
    RecoraResources& operator=(const RecoraResources&) = delete;

    // Loads the library at path (once, before any other thread reads resources). False when
    // there is none or it exports no table.
    bool loadLibrary(const std::string& path);
    bool isExternal() const { return m_library.isLoaded(); }

    // Any thread once loading is done.
    std::string string(unsigned id) const;
    // The GUI thread.
    QPixmap bitmap(unsigned id) const;
    QIcon windowIcon() const;
    // The status line's font: the program's own, or the resource library's.
    QFont statusFont() const;

private:
    std::optional<std::string> external(const char* type, unsigned id) const;

    ResourceLibrary m_library;
};

// The process's resources (set up by the program before it serves).
RecoraResources& resources();

} // namespace recora
