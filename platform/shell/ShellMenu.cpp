#include "platform/shell/ShellMenu.h"

#include <QMenuBar>

namespace {
constexpr const char* kIdProperty = "orvelCommandId";

QAction* actionAt(QWidget* widget, UINT position)
{
    QList<QAction*> actions = widget->actions();
    return position < static_cast<UINT>(actions.size()) ? actions[static_cast<int>(position)]
                                                        : nullptr;
}
} // namespace

HMENU menuHandle(QWidget* menuOrBar)
{
    return reinterpret_cast<HMENU>(menuOrBar);
}

QWidget* menuWidget(HMENU menu)
{
    return reinterpret_cast<QWidget*>(menu);
}

QAction* insertMenuItem(HMENU menu, UINT position, UINT id, const std::string& text)
{
    QWidget* widget = menuWidget(menu);
    if (!widget)
        return nullptr;
    auto* action = new QAction(QString::fromStdString(text), widget);
    action->setProperty(kIdProperty, id);
    widget->insertAction(actionAt(widget, position), action);
    return action;
}

QAction* insertMenuSeparator(HMENU menu, UINT position)
{
    QWidget* widget = menuWidget(menu);
    if (!widget)
        return nullptr;
    auto* action = new QAction(widget);
    action->setSeparator(true);
    widget->insertAction(actionAt(widget, position), action);
    return action;
}

QMenu* insertSubMenu(HMENU menu, UINT position, UINT id, const std::string& text)
{
    QWidget* widget = menuWidget(menu);
    if (!widget)
        return nullptr;
    auto* sub = new QMenu(QString::fromStdString(text), widget);
    sub->menuAction()->setProperty(kIdProperty, id);
    widget->insertAction(actionAt(widget, position), sub->menuAction());
    return sub;
}

UINT menuItemId(const QAction* action)
{
    return action ? action->property(kIdProperty).toUInt() : 0;
}

QAction* findMenuItem(HMENU menu, UINT id)
{
    QWidget* widget = menuWidget(menu);
    if (!widget)
        return nullptr;
    for (QAction* action : widget->actions()) {
        if (menuItemId(action) == id && !action->isSeparator())
            return action;
        if (action->menu())
            if (QAction* found = findMenuItem(menuHandle(action->menu()), id))
                return found;
    }
    return nullptr;
}

QMenu* findSubMenu(HMENU menu, UINT id)
{
    QAction* action = findMenuItem(menu, id);
    return action ? action->menu() : nullptr;
}

int menuItemCount(HMENU menu)
{
    QWidget* widget = menuWidget(menu);
    return widget ? static_cast<int>(widget->actions().size()) : 0;
}

void setMenuDefaultItem(HMENU menu, UINT id)
{
    auto* popup = qobject_cast<QMenu*>(menuWidget(menu));
    if (popup)
        popup->setDefaultAction(findMenuItem(menu, id));
}

UINT trackPopupMenu(HMENU menu, const QPoint& globalPosition)
{
    auto* popup = qobject_cast<QMenu*>(menuWidget(menu));
    if (!popup)
        return 0;
    return menuItemId(popup->exec(globalPosition));
}
