#include "media/DataObjectStore.h"

#include "platform/com/TaskMemory.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace medrix {

namespace {

std::string lowerName(BSTR name)
{
    std::string text = bstrToUtf8(name);
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

} // namespace

HRESULT DataObjectStore::setProperty(BSTR name, BSTR value)
{
    std::string key = lowerName(name);
    std::optional<std::string> stored;
    if (value)
        stored = bstrToUtf8(value);
    std::lock_guard lock(m_mutex);
    std::erase_if(m_properties, [&](const auto& pair) { return pair.first == key; });
    m_properties.emplace_back(std::move(key), std::move(stored));
    return S_OK;
}

HRESULT DataObjectStore::getProperty(BSTR name, BSTR* value) const
{
    if (!value)
        return E_POINTER;
    std::string key = lowerName(name);
    std::lock_guard lock(m_mutex);
    auto it = std::find_if(m_properties.begin(), m_properties.end(),
                           [&](const auto& pair) { return pair.first == key; });
    if (it == m_properties.end())
        return S_FALSE;
    if (!it->second) {
        SysFreeString(*value);
        *value = nullptr;
        return S_OK;
    }
    return bstrAssignUtf8(value, *it->second) ? S_OK : E_OUTOFMEMORY;
}

HRESULT DataObjectStore::getData(BOOL nullTerminate, DWORD* pcb, BYTE** ppb) const
{
    if (!pcb || !ppb)
        return E_POINTER;
    std::lock_guard lock(m_mutex);
    if (!hasBytes())
        return E_FAIL;
    DWORD size = m_count + (nullTerminate ? 1 : 0);
    auto* block = static_cast<BYTE*>(CoTaskMemAlloc(size));
    if (!block)
        return E_OUTOFMEMORY;
    std::memcpy(block, m_bytes.get(), m_count);
    if (nullTerminate)
        block[m_count] = 0;
    *pcb = size;
    *ppb = block;
    return S_OK;
}

HRESULT DataObjectStore::setData(DWORD cb, const BYTE* pb)
{
    if (!pb || cb == 0)
        return E_INVALIDARG;
    std::lock_guard lock(m_mutex);
    // The buffer is reused unless the new part is longer than the current one.
    if (!m_bytes || cb > m_count) {
        m_bytes.reset();
        m_count = 0;
        m_bytes.reset(new (std::nothrow) BYTE[cb]);
        if (!m_bytes)
            return E_OUTOFMEMORY;
    }
    m_count = cb;
    std::memcpy(m_bytes.get(), pb, cb);
    return S_OK;
}

void DataObjectStore::adoptBytes(std::unique_ptr<BYTE[]> bytes, DWORD count)
{
    std::lock_guard lock(m_mutex);
    m_bytes = std::move(bytes);
    m_count = m_bytes ? count : 0;
}

std::vector<std::pair<std::string, std::optional<std::string>>> DataObjectStore::properties() const
{
    std::lock_guard lock(m_mutex);
    return m_properties;
}

} // namespace medrix
