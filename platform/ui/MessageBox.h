#pragma once
// The one message box of the suite: Win32 icon and button flags, "%1"/"%2" inserts, and a hook
// through which tests (and programs without a display) script the answers. The built-in box is
// a Qt message box on the GUI thread; without a QApplication it answers as if the default
// button (the first one) was pressed, after writing the text to standard error.

#include "platform/base/WinTypes.h"

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

inline constexpr UINT MB_OK = 0x0;
inline constexpr UINT MB_OKCANCEL = 0x1;
inline constexpr UINT MB_YESNOCANCEL = 0x3;
inline constexpr UINT MB_YESNO = 0x4;
inline constexpr UINT MB_ICONERROR = 0x10;
inline constexpr UINT MB_ICONQUESTION = 0x20;
inline constexpr UINT MB_ICONWARNING = 0x30;
inline constexpr UINT MB_ICONINFORMATION = 0x40;

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

struct MessageBoxQuestion {
    HWND owner = nullptr;
    std::string text;    // UTF-8, inserts already applied
    std::string caption; // UTF-8
    UINT type = MB_OK;   // icon | buttons
};

// Returns the id of the button pressed (IDOK, IDYES, IDNO, IDCANCEL).
using MessageBoxHook = std::function<int(const MessageBoxQuestion&)>;

// An empty function puts the built-in box back. Process-wide; set it before the boxes appear.
void setMessageBoxHook(MessageBoxHook hook);

// Shows the box (or asks the hook) on the calling thread's behalf; blocks until answered.
int showMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type);

// Replaces "%1" … "%9" by the inserts (a missing insert leaves the marker as it stands).
std::string formatMessage(std::string_view pattern,
                          std::initializer_list<std::string_view> inserts);
