#pragma once
// The class objects a program announced with CoRegisterClassObject. Creations in the same
// process find them first; a local server's runtime hands the creator's request to them.

#include "platform/com/ComPtr.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

class ClassObjectTable {
public:
    static ClassObjectTable& instance();

    HRESULT add(REFCLSID clsid, IUnknown* object, DWORD context, DWORD flags, DWORD* cookie);
    HRESULT revoke(DWORD cookie);
    // The class object for clsid, or null. A single-use registration serves one creation and
    // is then hidden (its cookie stays valid for CoRevokeClassObject).
    ComPtr<IUnknown> take(REFCLSID clsid);
    // As take, waiting until the class is registered, the deadline passes or cancelled()
    // answers true after a wakeWaiters().
    ComPtr<IUnknown> waitAndTake(REFCLSID clsid, std::chrono::steady_clock::time_point deadline,
                                 const std::function<bool()>& cancelled);
    void wakeWaiters();

private:
    struct Entry {
        CLSID clsid;
        ComPtr<IUnknown> object;
        DWORD flags;
        DWORD cookie;
        bool used;
    };
    ComPtr<IUnknown> takeLocked(REFCLSID clsid);

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Entry> m_entries; // guarded by m_mutex
    DWORD m_nextCookie = 1;       // guarded by m_mutex
};
