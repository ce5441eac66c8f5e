#pragma once
// Events handed from worker threads to a window through Qt's event queue. Qt locks its queue
// with primitives the thread sanitizer cannot see, so it takes every such hand-off for a data
// race. Every post therefore holds one process-wide lock, and the window takes the same lock
// before it looks at an event: the hand-off is then visible to the sanitizer as well.

#include <QMetaObject>
#include <mutex>
#include <utility>

class QEvent;
class QObject;

// Held while an event is posted to a window from any thread.
std::mutex& postedEventMutex();

// Any thread: posts event to receiver, which takes it over (Qt deletes it after delivery, or
// with the receiver).
void postEventSynced(QObject* receiver, QEvent* event);

// Any thread: queues call to run on receiver's thread.
template <typename Call> void invokeSynced(QObject* receiver, Call&& call)
{
    std::lock_guard posting(postedEventMutex());
    QMetaObject::invokeMethod(receiver, std::forward<Call>(call), Qt::QueuedConnection);
}

// Window thread: first thing in event(), and in the destructor of a window that may still have
// posted events queued (after its posters were detached), before Qt deletes them.
void syncPostedEvents();
