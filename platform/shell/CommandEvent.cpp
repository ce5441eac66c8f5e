#include "platform/shell/CommandEvent.h"

#include <QCoreApplication>
#include <QWidget>

CommandEvent::CommandEvent(UINT id, bool dropDown)
    : QEvent(eventType()), m_id(id), m_dropDown(dropDown)
{}

QEvent::Type CommandEvent::eventType()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

bool sendCommand(HWND window, UINT id, bool dropDown)
{
    auto* widget = reinterpret_cast<QWidget*>(window);
    if (!widget)
        return false;
    CommandEvent event(id, dropDown);
    return QCoreApplication::sendEvent(widget, &event) && event.isAccepted();
}

void postCommand(HWND window, UINT id)
{
    if (auto* widget = reinterpret_cast<QWidget*>(window))
        QCoreApplication::postEvent(widget, new CommandEvent(id));
}
