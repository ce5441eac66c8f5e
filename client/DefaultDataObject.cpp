#include "client/DefaultDataObject.h"

#include "client/ModuleState.h"
#include "platform/com/TaskMemory.h"

#include <algorithm>
#include <cstring>

namespace lumin {

namespace {

std::u16string lowerName(BSTR name)
{
    std::u16string out(name ? name : u"", name ? SysStringLen(name) : 0);
    for (char16_t& c : out)
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c - u'A' + u'a');
    return out;
}

} // namespace

DefaultDataObject::DefaultDataObject() : UnknownImpl(&moduleLiveCount()) {}

HRESULT DefaultDataObject::SetProperty(BSTR name, BSTR value)
{
    CriticalSectionLocker hold(m_lock);
    const UINT nameLength = name ? SysStringLen(name) : 0;
    auto sameName = [&](const Property& p) {
        if (p.name.size() != nameLength)
            return false;
        for (UINT i = 0; i < nameLength; ++i) {
            char16_t c = name[i];
            if (c >= u'A' && c <= u'Z')
                c = static_cast<char16_t>(c - u'A' + u'a');
            if (p.name[i] != c)
                return false;
        }
        return true;
    };
    auto it = std::find_if(m_properties.begin(), m_properties.end(), sameName);
    if (it == m_properties.end()) {
        m_properties.push_back(Property{lowerName(name), {}, false});
        it = m_properties.end() - 1;
    } else {
        // The same headers come with every part: refilled in place, moved to the end.
        it = std::rotate(it, it + 1, m_properties.end());
    }
    it->isNull = value == nullptr;
    if (value)
        it->value.assign(value, SysStringLen(value));
    else
        it->value.clear();
    return S_OK;
}

HRESULT DefaultDataObject::GetProperty(BSTR name, BSTR* value)
{
    if (value == nullptr)
        return E_POINTER;
    CriticalSectionLocker hold(m_lock);
    const std::u16string key = lowerName(name);
    auto it = std::find_if(m_properties.begin(), m_properties.end(),
                           [&](const Property& e) { return e.name == key; });
    if (it == m_properties.end())
        return S_FALSE;
    if (it->isNull) {
        SysFreeString(*value);
        *value = nullptr;
        return S_OK;
    }
    if (!SysReAllocStringLen(value, it->value.data(), static_cast<UINT>(it->value.size())))
        return E_OUTOFMEMORY;
    return S_OK;
}

HRESULT DefaultDataObject::GetData(BOOL bNullTerminate, DWORD* pcb, BYTE** ppb)
{
    if (pcb == nullptr || ppb == nullptr)
        return E_POINTER;
    CriticalSectionLocker hold(m_lock);
    if (m_data.empty())
        return E_FAIL;
    const std::size_t size = m_data.size() + (bNullTerminate ? 1 : 0);
    auto* block = static_cast<BYTE*>(CoTaskMemAlloc(size));
    if (block == nullptr)
        return E_OUTOFMEMORY;
    std::memcpy(block, m_data.data(), m_data.size());
    if (bNullTerminate)
        block[m_data.size()] = 0;
    *pcb = static_cast<DWORD>(size);
    *ppb = block;
    return S_OK;
}

HRESULT DefaultDataObject::SetData(DWORD cb, BYTE* pb)
{
    if (pb == nullptr || cb == 0)
        return E_INVALIDARG;
    CriticalSectionLocker hold(m_lock);
    m_data.assign(pb, pb + cb);
    return S_OK;
}

HRESULT DefaultDataObject::Lock()
{
    m_lock.lock();
    return S_OK;
}

HRESULT DefaultDataObject::Unlock()
{
    m_lock.unlock();
    return S_OK;
}

} // namespace lumin
