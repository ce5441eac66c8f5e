#pragma once
// The four view modes of an item list (the folder's items, an album's files): a list widget
// for large icons, small icons and the list, a flat tree for details, stacked so that one
// shows at a time; and the View menu's commands that choose them.

#include "platform/base/WinTypes.h"

#include <QSize>
#include <span>

class QListView;
class QStackedLayout;
class QTreeView;

namespace foldra {

struct ViewModeCommand {
    UINT id;          // IDM_VIEW_*
    UINT mode;        // FVM_*
    const char* text; // the View menu's item
};
// In menu order.
std::span<const ViewModeCommand> viewModeCommands();
// The mode a View command chooses; 0 for another command.
UINT viewModeOfCommand(UINT id);

// Puts the list and the details tree into the stack; the tree shows one flat column.
void stackItemViews(QStackedLayout* stack, QListView* list, QTreeView* details);

// What the list looks like in the icon, small-icon and list modes.
struct ListModeLayout {
    QSize icon;
    QSize grid; // empty: no grid
    int spacing = 0;
};
// Shows the list in mode (FVM_ICON, FVM_SMALLICON or FVM_LIST).
void showListMode(QStackedLayout* stack, QListView* list, UINT mode, const ListModeLayout& layout);
// Shows the details tree, its column two thirds of the width.
void showDetailsMode(QStackedLayout* stack, QTreeView* details, QSize icon, int width);

} // namespace foldra
