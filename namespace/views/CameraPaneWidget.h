#pragma once
// The window of a view that shows several cameras (the quad and the switch view): commands by
// identifier from the merged menus, a context menu, and status texts passed to the browser.
// Lives on the browser's user-interface thread.

#include "namespace/views/ViewMenu.h"
#include "platform/com/Stream.h"
#include "platform/com/WinTypes.h"

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

namespace foldra {

struct PaneCommand {
    UINT id;
    const char* text; // 0: a separator
};

class CameraPaneWidget : public QWidget {
    Q_OBJECT
public:
    explicit CameraPaneWidget(QWidget* parent);

    // Opens the streams of the view's item; nothing when the item does not qualify.
    virtual void start() = 0;
    // Closes every stream; the window stays.
    virtual void stop() = 0;
    // The commands of the View menu and of the context submenu, in order.
    virtual std::vector<PaneCommand> viewCommands() const = 0;
    virtual void runCommand(UINT id) = 0;
    virtual bool commandChecked(UINT id) const = 0;
    virtual bool commandEnabled(UINT id) const;
    // The view-state stream; the default keeps nothing.
    virtual void loadState(IStream* stream);
    virtual HRESULT saveState(IStream* stream) const;

    // Where status texts go (the browser's status bar).
    void setStatusHandler(std::function<void(const std::string&)> handler);
    const std::string& shownStatus() const { return m_status; }
    // Brings checks and greying of these menu actions up to date.
    void updateActions(const std::vector<QAction*>& actions) const;

protected:
    void showStatus(const std::string& text);
    bool event(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    std::function<void(const std::string&)> m_statusHandler;
    std::string m_status;
};

} // namespace foldra
