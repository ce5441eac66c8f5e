#pragma once
// The client's own data object, used when DataAdvise names no class: the part's header lines
// as properties (lower-cased, unique names) and its raw bytes, under a recursive lock.

#include "client/PartBuffer.h"
#include "common/ICamDataObject.h"
#include "platform/base/CriticalSection.h"
#include "platform/com/UnknownImpl.h"

#include <string>
#include <string_view>
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

    // The stream's refill without a copy or a BSTR per header, as SetProperty and SetData do
    // it: a header from its narrow text, and the part's bytes taken whole (bytes gets the
    // object's previous ones, for the next part).
    void setHeader(std::string_view name, std::string_view value);
    void takeData(PartBuffer& bytes);

private:
    ~DefaultDataObject() override = default;

    struct Property {
        std::u16string name; // lower case
        std::u16string value;
        bool isNull = false;
    };

    void store(std::u16string_view name, const char16_t* value, std::size_t length);

    CriticalSection m_lock;
    std::vector<Property> m_properties ORVEL_GUARDED_BY(m_lock);
    PartBuffer m_data ORVEL_GUARDED_BY(m_lock);
    std::u16string m_name ORVEL_GUARDED_BY(m_lock); // setHeader's conversions, reused
    std::u16string m_value ORVEL_GUARDED_BY(m_lock);
};

} // namespace lumin
