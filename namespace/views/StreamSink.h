#pragma once
// The sink a live view advises on each of its streams. The camera client calls it on its own
// threads; it only posts a StreamEvent with a copy of what it was told to the view's window,
// which handles it on the user-interface thread. Images are coalesced: while one image event
// waits in the queue no other is posted, so a slow window never builds up a backlog. Events go
// through postEventSynced: a receiver calls syncPostedEvents() before it reads one.

#include "common/ICamRequestSink.h"
#include "namespace/folder/FolderModule.h"
#include "platform/com/UnknownImpl.h"

#include <QEvent>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>

class QObject;

namespace foldra {

class StreamEvent final : public QEvent {
public:
    enum class Kind { Image, Status };
    StreamEvent(int slot, Kind kind, UI4 code, std::string text);
    static QEvent::Type eventType();

    int slot() const { return m_slot; }
    Kind kind() const { return m_kind; }
    UI4 code() const { return m_code; } // the OnStatusChanged code
    const std::string& text() const { return m_text; }

private:
    int m_slot;
    Kind m_kind;
    UI4 m_code;
    std::string m_text;
};

class StreamSink final : public UnknownImpl<StreamSink, ICamRequestSink> {
public:
    // slot: which of the view's streams this is (carried in every event).
    StreamSink(QObject* receiver, int slot);

    // Called on the user-interface thread once DataAdvise gave the client's identity; calls
    // with another cookie are ignored.
    void setCookie(UI4 cookie) { m_cookie.store(cookie); }
    // Called on the user-interface thread before the receiver goes: nothing is posted after.
    void detach();
    // Called on the user-interface thread when it takes an image event off the queue.
    void imageTaken() { m_imagePending.store(false); }

    // Called on the client's callback thread.
    HRESULT OnDataAvailable(UI4 dwCookie, UI4 dwType) override;
    // Called on the request thread (connection statuses) or the callback thread.
    HRESULT OnStatusChanged(UI4 dwCookie, UI4 dwStatus, BSTR bstrInfo) override;

private:
    ~StreamSink() override = default;
    void post(std::unique_ptr<StreamEvent> event);

    std::mutex m_mutex;
    QObject* m_receiver; // guarded by m_mutex; null once detached
    const int m_slot;
    std::atomic<UI4> m_cookie{0};
    std::atomic<bool> m_imagePending{false};
};

} // namespace foldra
