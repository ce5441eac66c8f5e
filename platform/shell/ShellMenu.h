#pragma once
// Menus passed across the shell interfaces: an HMENU is a QMenuBar or a QMenu. Items carry
// their command identifier; submenus carry theirs too (FCIDM_MENU_* for the browser's).

#include "platform/shell/ShellView.h"

#include <QMenu>
#include <QPoint>
#include <string>

class QMenuBar;

HMENU menuHandle(QWidget* menuOrBar);
QWidget* menuWidget(HMENU menu);

// position: the index to insert before; (UINT)-1 or beyond the end appends.
QAction* insertMenuItem(HMENU menu, UINT position, UINT id, const std::string& text);
QAction* insertMenuSeparator(HMENU menu, UINT position);
QMenu* insertSubMenu(HMENU menu, UINT position, UINT id, const std::string& text);
UINT menuItemId(const QAction* action);
QAction* findMenuItem(HMENU menu, UINT id); // searched through submenus
QMenu* findSubMenu(HMENU menu, UINT id);
int menuItemCount(HMENU menu);
void setMenuDefaultItem(HMENU menu, UINT id);
// Shows a popup menu and returns the command identifier chosen, 0 when none.
UINT trackPopupMenu(HMENU menu, const QPoint& globalPosition);
