#pragma once
// The viewer's string table: the texts its own code shows, by their resource ids.

#include <QString>
#include <string>

namespace vistel {

inline constexpr unsigned kStringOleInitFailed = 100;
inline constexpr unsigned kStringAviFile = 200;
inline constexpr unsigned kStringCreateAviFailed = 1000;
inline constexpr unsigned kStringCreatingAvi = 2000;
inline constexpr unsigned kStringAppName = 57344;
// Document template 128: "Sequence Viewer\n\nVistel\n\n\nVistel.Document\nVistel Document".
inline constexpr unsigned kStringDocTemplate = 128;

// Command ids of the tool bar, the menus and their tool tips ("prompt\ntip").
inline constexpr unsigned kCommandPlay = 32771;
inline constexpr unsigned kCommandStop = 32772;
inline constexpr unsigned kCommandPause = 32773;
inline constexpr unsigned kCommandNew = 57600;
inline constexpr unsigned kCommandOpen = 57601;
inline constexpr unsigned kCommandSaveAs = 57604;
inline constexpr unsigned kCommandAbout = 57664;
inline constexpr unsigned kCommandExit = 57665;

// Startup: loads "VistelRes.so" from folder if it is there; its strings then replace the
// built-in ones. False when there is none. Called on the window thread before any lookup.
bool loadResourceLibrary(const std::string& folder);

// The text of a string-table entry (the resource library's when it has one); empty for an id
// neither table has.
QString loadString(unsigned id);
// Part `index` of a "\n"-separated entry (the template's fields, a tool tip's prompt and tip).
QString loadStringPart(unsigned id, int index);

// The window title of the document template ("Sequence Viewer").
inline QString templateTitle()
{
    return loadStringPart(kStringDocTemplate, 0);
}

} // namespace vistel
