#include "client/DefaultDataObject.h"

#include "client/ModuleState.h"
#include "platform/base/Utf.h"
#include "platform/com/TaskMemory.h"

#include <algorithm>
#include <cstring>

namespace lumin {

namespace {

char16_t lowerAscii(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

std::u16string lowerName(BSTR name)
{
    std::u16string out(name ? name : u"", name ? SysStringLen(name) : 0);
    for (char16_t& c : out)
        c = lowerAscii(c);
    return out;
}

// Narrow text to UTF-16 into out, its storage reused: header text is nearly always ASCII.
void widen(std::string_view text, std::u16string& out)
{
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) {
            out = utf8ToUtf16(text);
            return;
        }
    out.assign(text.begin(), text.end());
}

} // namespace

DefaultDataObject::DefaultDataObject() : UnknownImpl(&moduleLiveCount()) {}

HRESULT DefaultDataObject::SetProperty(BSTR name, BSTR value)
{
    CriticalSectionLocker hold(m_lock);
    store(std::u16string_view(name ? name : u"", name ? SysStringLen(name) : 0), value,
          value ? SysStringLen(value) : 0);
    return S_OK;
}

void DefaultDataObject::setHeader(std::string_view name, std::string_view value)
{
    CriticalSectionLocker hold(m_lock);
    widen(name, m_name);
    widen(value, m_value);
    store(m_name, m_value.data(), m_value.size());
}

// value null: the property is stored as null.
void DefaultDataObject::store(std::u16string_view name, const char16_t* value, std::size_t length)
{
    auto sameName = [&](const Property& p) {
        if (p.name.size() != name.size())
            return false;
        for (std::size_t i = 0; i < name.size(); ++i)
            if (p.name[i] != lowerAscii(name[i]))
                return false;
        return true;
    };
    auto it = std::find_if(m_properties.begin(), m_properties.end(), sameName);
    if (it == m_properties.end()) {
        std::u16string lower(name);
        for (char16_t& c : lower)
            c = lowerAscii(c);
        m_properties.push_back(Property{std::move(lower), {}, false});
        it = m_properties.end() - 1;
    } else {
        // The same headers come with every part: refilled in place, moved to the end.
        it = std::rotate(it, it + 1, m_properties.end());
    }
    it->isNull = value == nullptr;
    if (value)
        it->value.assign(value, length);
    else
        it->value.clear();
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

void DefaultDataObject::takeData(PartBuffer& bytes)
{
    if (bytes.empty())
        return; // as SetData refuses no bytes
    CriticalSectionLocker hold(m_lock);
    std::swap(m_data, bytes);
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
