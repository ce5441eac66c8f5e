#pragma once
// What a media object holds of one received part: its bytes and its header lines, behind one
// recursive lock that also guards whatever the object derives from them. The client refills
// it on its request thread while consumers read it on theirs.

#include "platform/base/Hresult.h"
#include "platform/com/Bstr.h"

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace medrix {

class DataObjectStore {
public:
    // The object lock. Every operation below takes it; derived state of the owning object is
    // guarded by it too.
    std::recursive_mutex& mutex() const { return m_mutex; }

    // Names are lower-cased (ASCII; names are HTTP header names). An existing pair of the name
    // is removed and the new one appended. A null name is the empty name: a BSTR that is null
    // is the empty string. Values keep a null as null.
    HRESULT setProperty(BSTR name, BSTR value);
    HRESULT getProperty(BSTR name, BSTR* value) const;
    HRESULT getData(BOOL nullTerminate, DWORD* pcb, BYTE** ppb) const;
    HRESULT setData(DWORD cb, const BYTE* pb);

    // Raw bytes; call with the lock held.
    const BYTE* bytes() const { return m_bytes.get(); }
    DWORD byteCount() const { return m_count; }
    bool hasBytes() const { return m_bytes && m_count != 0; }
    // Empties the bytes (a failed file load). The buffer stays for reuse.
    void discardBytes() { m_count = 0; }
    // Takes a buffer filled elsewhere (a file load).
    void adoptBytes(std::unique_ptr<BYTE[]> bytes, DWORD count);

    // The stored pairs in order (tests, diagnostics): name, value or nullopt.
    std::vector<std::pair<std::string, std::optional<std::string>>> properties() const;

private:
    mutable std::recursive_mutex m_mutex;
    std::unique_ptr<BYTE[]> m_bytes; // guarded by m_mutex
    DWORD m_count = 0;               // guarded by m_mutex
    // Ordered (name, value) pairs, names unique; guarded by m_mutex.
    std::vector<std::pair<std::string, std::optional<std::string>>> m_properties;
};

} // namespace medrix
