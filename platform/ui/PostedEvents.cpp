#include "platform/ui/PostedEvents.h"

#include <QCoreApplication>

std::mutex& postedEventMutex()
{
    // Destroyed when the library unloads, after every poster's threads were joined.
    static std::mutex mutex;
    return mutex;
}

void postEventSynced(QObject* receiver, QEvent* event)
{
    std::lock_guard posting(postedEventMutex());
    QCoreApplication::postEvent(receiver, event);
}

void syncPostedEvents()
{
    std::lock_guard hold(postedEventMutex());
}
