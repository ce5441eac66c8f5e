#pragma once
// The menus of the live and album views: their entries as a table, merged into the browser's
// shared menu (File and View groups, the Help group as the folder views have it) and shown as
// the context submenu; the accelerator table 102.

#include "platform/shell/ShellView.h"

#include <functional>
#include <vector>

class QMenu;
class QPoint;
class QWidget;

namespace foldra {

// Command identifiers of the live views' menus (210, 231, 232) and accelerators (102).
inline constexpr UINT IDM_SAVE_SNAPSHOT = 24576;
inline constexpr UINT IDM_RECORD = 24578;
inline constexpr UINT IDM_SIZE_TO_FIT = 24583;
inline constexpr UINT IDM_RETAIN_IMAGE_SIZE = 24584;
inline constexpr UINT IDM_SELECT_ALL = 24585;
inline constexpr UINT IDM_PTZ_HOME = 24587;
inline constexpr UINT IDM_DISPLAY_NAMES = 24589;
inline constexpr UINT IDM_LIMITED_FRAME_RATE = 24590;
inline constexpr UINT IDM_FULL_SCREEN = 32781;

enum class MenuGroup { File, View, Context };

struct ViewMenuItem {
    MenuGroup group;
    UINT id; // 0: a separator
    const char* text;
    bool checkable = false;
};

struct CommandState {
    bool enabled = true;
    bool checked = false;
};

using CommandRunner = std::function<void(UINT id)>;
using CommandStateQuery = std::function<CommandState(UINT id)>;

// items followed by a copy of their File and View entries as the context submenu.
std::vector<ViewMenuItem> withContextCopy(std::vector<ViewMenuItem> items);
// Merges the items of File and View into a new shared menu and hands it to the browser
// (state SVUIA_ACTIVATE_*), or gives the browser back its own menus (SVUIA_DEACTIVATE). The
// entries run commands through run while window lives, and ask query when their menu opens.
void mergeViewMenus(IShellBrowser* browser, QWidget* window, UINT state,
                    const std::vector<ViewMenuItem>& items, const CommandRunner& run,
                    const CommandStateQuery& query);
// The context submenu's items in a new popup owned by parent, states set from query.
QMenu* buildContextMenu(QWidget* parent, const std::vector<ViewMenuItem>& items,
                        const CommandStateQuery& query);
// Shows the context submenu at globalPos and runs the chosen entry.
void showContextMenu(QWidget* parent, const std::vector<ViewMenuItem>& items,
                     const CommandStateQuery& query, const CommandRunner& run,
                     const QPoint& globalPos);
// Ctrl+A 24585, Delete 28689, F1 24586 and F11 32781 while window's top-level is active.
void installViewAccelerators(QWidget* window, const CommandRunner& run);
// The commands the browser's tool bar (or another component) sends window as CommandEvents go
// to run; an event is accepted when run took the command.
void installCommandEvents(QWidget* window, std::function<bool(UINT id)> run);
// The Help group's own entries (help contents 24586, About 24588) at the top of help.
void insertHelpItems(QMenu* help, QWidget* owner);

} // namespace foldra
