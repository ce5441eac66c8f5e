#include "platform/com/RemoteInterface.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace {

struct RemoteInterfaceTable {
    std::mutex mutex;
    std::vector<const RemoteInterfaceInfo*> entries; // guarded by mutex; latest last
};

RemoteInterfaceTable& table()
{
    // Never destroyed: modules withdraw their entries from their own static destructors.
    static auto* t = new RemoteInterfaceTable;
    return *t;
}

} // namespace

void registerRemoteInterface(const RemoteInterfaceInfo* info)
{
    if (!info)
        return;
    RemoteInterfaceTable& t = table();
    std::lock_guard lock(t.mutex);
    t.entries.push_back(info);
}

void unregisterRemoteInterface(const RemoteInterfaceInfo* info)
{
    RemoteInterfaceTable& t = table();
    std::lock_guard lock(t.mutex);
    auto it = std::find(t.entries.rbegin(), t.entries.rend(), info);
    if (it != t.entries.rend())
        t.entries.erase(std::next(it).base());
}

const RemoteInterfaceInfo* findRemoteInterface(REFIID iid)
{
    RemoteInterfaceTable& t = table();
    std::lock_guard lock(t.mutex);
    for (auto it = t.entries.rbegin(); it != t.entries.rend(); ++it) {
        if (IsEqualIID((*it)->iid, iid))
            return *it;
    }
    return nullptr;
}
