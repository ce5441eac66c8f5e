#pragma once
// What a content item's view window does; ContentView (its IShellView) does the rest: creating
// and destroying the window, the view-state stream, the menus merged into the browser, the
// accelerators (table 102) and the status bar. All calls are on the user-interface thread.

#include "namespace/views/ViewMenu.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Stream.h"

#include <string>
#include <vector>

class QWidget;

namespace foldra {

// What a view content may ask of the view that hosts it.
class ViewHost {
public:
    // Shows text in the browser's status bar (nothing when the view has no browser).
    virtual void setStatusText(const std::string& text) = 0;
    // The browser's view-state stream opened for reading, or null.
    virtual ComPtr<IStream> viewStateForReading() = 0;

protected:
    ~ViewHost() = default;
};

class ViewContent {
public:
    virtual ~ViewContent() = default;

    // The view window (owned by the content; a child of the browser's pane).
    virtual QWidget* widget() = 0;
    // Once the window has its place: read the view state, open the streams.
    virtual void start() {}
    // Before the window goes: close full screen and the streams, release what they gave.
    virtual void stop() {}
    // SaveViewState. \retval S_OK, or the stream's failure
    virtual HRESULT saveState(IStream*) { return S_OK; }
    // The entries merged into the browser's File and View menus, and the context submenu.
    virtual const std::vector<ViewMenuItem>& menuItems() const = 0;
    // Whether a command is enabled and checked now (asked each time a menu opens).
    virtual CommandState commandState(UINT) const { return {}; }
    // A menu entry, accelerator or tool bar command. False when the content has no such command.
    virtual bool runCommand(UINT id) = 0;
};

} // namespace foldra
