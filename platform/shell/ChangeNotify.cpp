#include "platform/shell/ChangeNotify.h"

#include <QCoreApplication>
#include <map>
#include <mutex>

namespace {

std::mutex g_mutex;
std::map<ULONG, ChangeListener>* g_listeners; // guarded by g_mutex
ULONG g_nextCookie = 1;                       // guarded by g_mutex

void deliver(LONG event, LPCITEMIDLIST item1, LPCITEMIDLIST item2)
{
    std::map<ULONG, ChangeListener> listeners;
    {
        std::lock_guard lock(g_mutex);
        if (g_listeners)
            listeners = *g_listeners;
    }
    for (auto& [cookie, listener] : listeners)
        listener(event, item1, item2);
}

} // namespace

void SHChangeNotify(LONG wEventId, UINT, const void* dwItem1, const void* dwItem2)
{
    auto* a = static_cast<LPCITEMIDLIST>(dwItem1);
    auto* b = static_cast<LPCITEMIDLIST>(dwItem2);
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) {
        deliver(wEventId, a, b);
        return;
    }
    // Listeners refresh views, which must not happen inside the caller's own menu or edit.
    std::shared_ptr<ITEMIDLIST> copy1(a ? ILClone(a) : nullptr, ILFree);
    std::shared_ptr<ITEMIDLIST> copy2(b ? ILClone(b) : nullptr, ILFree);
    QMetaObject::invokeMethod(
        app, [wEventId, copy1, copy2] { deliver(wEventId, copy1.get(), copy2.get()); },
        Qt::QueuedConnection);
}

ULONG registerChangeListener(ChangeListener listener)
{
    std::lock_guard lock(g_mutex);
    if (!g_listeners)
        g_listeners = new std::map<ULONG, ChangeListener>;
    ULONG cookie = g_nextCookie++;
    (*g_listeners)[cookie] = std::move(listener);
    return cookie;
}

void unregisterChangeListener(ULONG cookie)
{
    std::lock_guard lock(g_mutex);
    if (g_listeners)
        g_listeners->erase(cookie);
}
