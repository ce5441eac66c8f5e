#include "namespace/views/CameraPaneWidget.h"

#include "platform/shell/CommandEvent.h"
#include "platform/shell/ShellMenu.h"
#include "platform/ui/PostedEvents.h"

#include <QContextMenuEvent>
#include <QMenu>

namespace foldra {

CameraPaneWidget::CameraPaneWidget(QWidget* parent) : QWidget(parent) {}

bool CameraPaneWidget::commandEnabled(UINT) const
{
    return true;
}

void CameraPaneWidget::loadState(IStream*) {}

HRESULT CameraPaneWidget::saveState(IStream*) const
{
    return S_OK;
}

void CameraPaneWidget::setStatusHandler(std::function<void(const std::string&)> handler)
{
    m_statusHandler = std::move(handler);
}

void CameraPaneWidget::showStatus(const std::string& text)
{
    m_status = text;
    if (m_statusHandler)
        m_statusHandler(text);
}

void CameraPaneWidget::updateActions(const std::vector<QAction*>& actions) const
{
    for (QAction* action : actions) {
        const UINT id = menuItemId(action);
        action->setCheckable(true);
        action->setChecked(commandChecked(id));
        action->setEnabled(commandEnabled(id));
    }
}

bool CameraPaneWidget::event(QEvent* event)
{
    // The member streams' notices are posted from the client's threads.
    syncPostedEvents();
    if (event->type() == CommandEvent::eventType()) {
        runCommand(static_cast<CommandEvent*>(event)->id());
        return true;
    }
    return QWidget::event(event);
}

void CameraPaneWidget::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu;
    std::vector<QAction*> actions;
    for (const PaneCommand& command : viewCommands()) {
        if (!command.text)
            insertMenuSeparator(menuHandle(&menu), static_cast<UINT>(-1));
        else
            actions.push_back(
                insertMenuItem(menuHandle(&menu), static_cast<UINT>(-1), command.id, command.text));
    }
    updateActions(actions);
    if (UINT id = trackPopupMenu(menuHandle(&menu), event->globalPos()))
        runCommand(id);
}

} // namespace foldra
