#include "client/tests/StreamSink.h"

#include "common/ICamDataObject.h"
#include "platform/com/ComPtr.h"
#include "platform/com/TaskMemory.h"

#include <algorithm>

namespace lumin::test {

HRESULT StreamSink::OnDataAvailable(UI4 dwCookie, UI4 dwType)
{
    SeenPart part;
    part.cookie = dwCookie;
    part.type = dwType;
    part.at = std::chrono::steady_clock::now();
    part.contentType = "-";
    ComPtr<ICamDataObject> object;
    GUID iid = IID_ICamDataObject;
    if (m_client && m_client->QueryDataObject(&iid, object.putVoid()) == S_OK) {
        object->Lock();
        DWORD size = 0;
        BYTE* bytes = nullptr;
        if (object->GetData(FALSE, &size, &bytes) == S_OK) {
            part.data.assign(reinterpret_cast<char*>(bytes), size);
            CoTaskMemFree(bytes);
        }
        Bstr name("content-type");
        BSTR value = nullptr;
        if (object->GetProperty(name.get(), &value) == S_OK && value)
            part.contentType = bstrToUtf8(value);
        SysFreeString(value);
        object->Unlock();
    }
    {
        std::lock_guard lock(m_mutex);
        m_parts.push_back(std::move(part));
    }
    m_changed.notify_all();
    if (m_hook)
        m_hook();
    return S_OK;
}

HRESULT StreamSink::OnStatusChanged(UI4 dwCookie, UI4 dwStatus, BSTR bstrInfo)
{
    {
        std::lock_guard lock(m_mutex);
        m_statuses.push_back({dwCookie, dwStatus, bstrInfo ? bstrToUtf8(bstrInfo) : "(null)",
                              std::chrono::steady_clock::now()});
    }
    m_changed.notify_all();
    return S_OK;
}

bool StreamSink::waitParts(std::size_t count, std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] { return m_parts.size() >= count; });
}

bool StreamSink::waitStatus(UI4 status, std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] {
        return std::any_of(m_statuses.begin(), m_statuses.end(),
                           [&](const SeenStatus& s) { return s.status == status; });
    });
}

std::vector<SeenPart> StreamSink::parts()
{
    std::lock_guard lock(m_mutex);
    return m_parts;
}

std::vector<SeenStatus> StreamSink::statuses()
{
    std::lock_guard lock(m_mutex);
    return m_statuses;
}

} // namespace lumin::test
