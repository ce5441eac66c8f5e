#include "client/tests/StreamSink.h"

#include "tools/clientkit/ReceivedPart.h"

#include <algorithm>

namespace lumin::test {

HRESULT StreamSink::OnDataAvailable(UI4 dwCookie, UI4 dwType)
{
    SeenPart part;
    part.cookie = dwCookie;
    part.type = dwType;
    part.at = std::chrono::steady_clock::now();
    ReceivedPart received = readReceivedPart(m_client);
    part.data = std::move(received.data);
    part.contentType = std::move(received.contentType);
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
