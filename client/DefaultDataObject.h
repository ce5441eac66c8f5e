#pragma once
// The client's own data object, used when DataAdvise names no class: the part's header lines
// as properties (lower-cased, unique names) and its raw bytes, under a recursive lock.

#include "common/ICamDataObject.h"
#include "platform/base/CriticalSection.h"
#include "platform/com/UnknownImpl.h"

#include <string>
#include <utility>
#include <vector>

namespace lumin {

class DefaultDataObject final : public UnknownImpl<DefaultDataObject, ICamDataObject> {
public:
    DefaultDataObject();

    HRESULT SetProperty(BSTR name, BSTR value) override;
    HRESULT GetProperty(BSTR name, BSTR* value) override;
    HRESULT GetData(BOOL bNullTerminate, DWORD* pcb, BYTE** ppb) override;
    HRESULT SetData(DWORD cb, BYTE* pb) override;
    HRESULT Lock() override;
    HRESULT Unlock() override;

private:
    ~DefaultDataObject() override = default;

    struct Property {
        std::u16string name; // lower case
        std::u16string value;
        bool isNull = false;
    };

    CriticalSection m_lock;
    std::vector<Property> m_properties ORVEL_GUARDED_BY(m_lock);
    std::vector<BYTE> m_data ORVEL_GUARDED_BY(m_lock);
};

} // namespace lumin
