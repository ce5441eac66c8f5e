#include "namespace/views/StreamSink.h"

#include "platform/base/Utf.h"
#include "platform/ui/PostedEvents.h"

namespace foldra {

StreamEvent::StreamEvent(int slot, Kind kind, UI4 code, std::string text)
    : QEvent(eventType()), m_slot(slot), m_kind(kind), m_code(code), m_text(std::move(text))
{}

QEvent::Type StreamEvent::eventType()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

StreamSink::StreamSink(QObject* receiver, int slot)
    : UnknownImpl(&moduleLiveCount()), m_receiver(receiver), m_slot(slot)
{}

void StreamSink::detach()
{
    std::lock_guard lock(m_mutex);
    m_receiver = nullptr;
}

void StreamSink::post(std::unique_ptr<StreamEvent> event)
{
    // Held while posting, so detach() cannot return while an event is on its way to a window
    // that is about to go; Qt drops the posted events of a deleted object.
    std::lock_guard lock(m_mutex);
    if (m_receiver)
        postEventSynced(m_receiver, event.release());
}

HRESULT StreamSink::OnDataAvailable(UI4 dwCookie, UI4 dwType)
{
    if (dwCookie != m_cookie.load() || dwType != CamTypeJpeg)
        return S_OK;
    if (m_imagePending.exchange(true))
        return S_OK;
    post(std::make_unique<StreamEvent>(m_slot, StreamEvent::Kind::Image, 0, std::string()));
    return S_OK;
}

HRESULT StreamSink::OnStatusChanged(UI4 dwCookie, UI4 dwStatus, BSTR bstrInfo)
{
    if (dwCookie != m_cookie.load())
        return S_OK;
    post(std::make_unique<StreamEvent>(m_slot, StreamEvent::Kind::Status, dwStatus,
                                       bstrInfo ? utf16ToUtf8(bstrInfo) : std::string()));
    return S_OK;
}

} // namespace foldra
