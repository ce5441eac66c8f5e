#pragma once
// The classes a shared library serves, with what registration writes for each, and the two
// entry points answered from them. A library declares its table and its LiveCount once:
//
//   constinit LiveCount g_live;
//   const ClassEntry kClasses[] = {{&CLSID_CamImageObject, "CamImageObject Class",
//                                   "Medrix.CamImageObject.1", "Medrix.CamImageObject",
//                                   &CamImageObject::create}, ...};
//   constexpr ClassTable kTable{kClasses, &g_live};
//
// and its DllGetClassObject and DllCanUnloadNow forward to kTable.

#include "platform/com/ClassFactory.h"

#include <span>

struct ClassEntry {
    const CLSID* clsid;
    const char* friendlyName;             // "CamTarget210 Class"
    const char* progId;                   // versioned: "Lumin.CamTarget210.1"; null for none
    const char* versionIndependentProgId; // its CurVer names progId; null for none
    ClassFactory::CreateFn create;
};

class ClassTable {
public:
    constexpr ClassTable(std::span<const ClassEntry> entries, LiveCount* live)
        : m_entries(entries), m_live(live)
    {}

    std::span<const ClassEntry> entries() const { return m_entries; }
    LiveCount& liveCount() const { return *m_live; }
    // Null when the table has no such class.
    const ClassEntry* find(REFCLSID clsid) const
    {
        for (const ClassEntry& entry : m_entries) {
            if (IsEqualCLSID(*entry.clsid, clsid))
                return &entry;
        }
        return nullptr;
    }

    // DllGetClassObject: a factory for a class of the table.
    // \retval S_OK, CLASS_E_CLASSNOTAVAILABLE, E_POINTER, E_OUTOFMEMORY, E_NOINTERFACE
    HRESULT getClassObject(REFCLSID rclsid, REFIID riid, void** ppv) const
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        const ClassEntry* entry = find(rclsid);
        if (!entry)
            return CLASS_E_CLASSNOTAVAILABLE;
        return ClassFactory::getClassObject(entry->create, m_live, riid, ppv);
    }
    // DllCanUnloadNow: S_OK when no object and no server lock is alive, else S_FALSE.
    HRESULT canUnloadNow() const { return m_live->value() == 0 ? S_OK : S_FALSE; }

private:
    std::span<const ClassEntry> m_entries;
    LiveCount* m_live;
};
