#pragma once
// A window's command (a menu entry, a tool bar button, a command another component sends):
// delivered to the window's QWidget as a CommandEvent, so it keeps the identifier it has in
// the menus.

#include "platform/base/WinTypes.h"

#include <QEvent>

class CommandEvent : public QEvent {
public:
    // dropDown: a tool bar button pressed on its drop-down arrow.
    explicit CommandEvent(UINT id, bool dropDown = false);
    static QEvent::Type eventType();

    UINT id() const { return m_id; }
    bool dropDown() const { return m_dropDown; }

private:
    UINT m_id;
    bool m_dropDown;
};

// Delivers at once; false when the window did not take it.
bool sendCommand(HWND window, UINT id, bool dropDown = false);
// Delivers from the event loop.
void postCommand(HWND window, UINT id);
