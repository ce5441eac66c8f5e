#include "namespace/views/MemberStream.h"

#include "common/ICamIdentifyTarget.h"
#include "common/ICamRequestSink.h"
#include "common/LuminClasses.h"
#include "common/MedrixClasses.h"
#include "namespace/folder/FolderModule.h"
#include "platform/com/Bstr.h"
#include "platform/com/Runtime.h"
#include "platform/com/UnknownImpl.h"
#include "platform/ui/PostedEvents.h"

#include <atomic>
#include <mutex>

namespace foldra {

// What the sink and the window share; outlives both through shared ownership.
class StreamNotices {
public:
    StreamNotices(QObject* receiver, std::function<void(StreamNotice)> notify)
        : m_receiver(receiver), m_notify(std::move(notify))
    {}

    // Called on the window thread; no call reaches notify afterwards.
    void detach()
    {
        std::lock_guard lock(m_mutex);
        m_receiver = nullptr;
    }

    // Called on the client's threads.
    void imageArrived()
    {
        m_imageOrEnded = true;
        if (!m_imagePosted.exchange(true))
            post(StreamNotice::Image);
    }
    void statusArrived(std::string text)
    {
        {
            std::lock_guard lock(m_mutex);
            m_status = std::move(text);
        }
        post(StreamNotice::Status);
    }

    std::string status() const
    {
        std::lock_guard lock(m_mutex);
        return m_status;
    }

    std::atomic<UI4> cookie{0};
    std::atomic<bool> m_connected{false};
    std::atomic<bool> m_imageOrEnded{false};
    std::atomic<bool> m_ended{false};

private:
    void post(StreamNotice notice)
    {
        std::lock_guard lock(m_mutex);
        if (!m_receiver)
            return;
        // The receiver is alive while the lock is held (detach comes before it goes); a call
        // posted to it is dropped by Qt if it goes before the call runs.
        auto self = m_self.lock();
        invokeSynced(m_receiver, [self, notice] {
            if (!self)
                return;
            if (notice == StreamNotice::Image)
                self->m_imagePosted = false;
            {
                std::lock_guard lock(self->m_mutex);
                if (!self->m_receiver)
                    return;
            }
            self->m_notify(notice);
        });
    }

    friend class MemberStream;
    std::weak_ptr<StreamNotices> m_self;
    mutable std::mutex m_mutex;
    QObject* m_receiver;                        // guarded by m_mutex
    std::string m_status;                       // guarded by m_mutex
    std::function<void(StreamNotice)> m_notify; // set once, called on the window thread
    std::atomic<bool> m_imagePosted{false};
};

namespace {

// Status 1104 of the views: the frame rate.
constexpr const char* kFrameRatePrefix = "Fps: ";

class StreamSink final : public UnknownImpl<StreamSink, ICamRequestSink> {
public:
    explicit StreamSink(std::shared_ptr<StreamNotices> notices)
        : UnknownImpl(&moduleLiveCount()), m_notices(std::move(notices))
    {}

    // Called on the callback thread.
    HRESULT OnDataAvailable(UI4 dwCookie, UI4 dwType) override
    {
        if (dwCookie == m_notices->cookie && dwType == CamTypeJpeg)
            m_notices->imageArrived();
        return S_OK;
    }
    // Connection statuses on the request thread, the others on the callback thread.
    HRESULT OnStatusChanged(UI4 dwCookie, UI4 dwStatus, BSTR bstrInfo) override
    {
        if (dwCookie != m_notices->cookie)
            return S_OK;
        switch (dwStatus) {
        case CamStatusFrameRate:
            m_notices->statusArrived(kFrameRatePrefix + bstrToUtf8(bstrInfo));
            break;
        case CamStatusStreamEnded:
            // The text stays; a switch is no longer held back by this camera.
            m_notices->m_ended = true;
            m_notices->m_imageOrEnded = true;
            m_notices->statusArrived(m_notices->status());
            break;
        case CamStatusConnected:
            m_notices->m_connected = true;
            m_notices->statusArrived(bstrToUtf8(bstrInfo));
            break;
        default:
            m_notices->statusArrived(bstrToUtf8(bstrInfo));
            break;
        }
        return S_OK;
    }

private:
    ~StreamSink() override = default;
    std::shared_ptr<StreamNotices> m_notices;
};

} // namespace

MemberStream::~MemberStream()
{
    close();
}

HRESULT MemberStream::create()
{
    m_request.reset();
    return CoCreateInstance(CLSID_Luminent, nullptr, CLSCTX_INPROC_SERVER, IID_ICamMultipartRequest,
                            m_request.putVoid());
}

HRESULT MemberStream::setUser(const std::string& user, const std::string& password)
{
    if (!m_request)
        return E_HANDLE;
    Bstr bstrUser(user);
    Bstr bstrPassword(password);
    return m_request->SetUser(bstrUser.get(), bstrPassword.get());
}

HRESULT MemberStream::formatUrl(const ItemRecord& member, DWORD identifyTimeoutMs, std::string* url)
{
    if (!m_request || !url)
        return E_HANDLE;
    ComPtr<ICamIdentifyTarget> identify;
    if (HRESULT hr = m_request.queryInterface(&identify); FAILED(hr))
        return hr;
    Bstr address(member.address);
    ComPtr<ICamTarget> target;
    HRESULT hr = E_FAIL;
    if (!member.model.empty()) {
        Bstr model(member.model);
        Bstr firmware(member.firmware);
        hr = identify->GetTarget(model.get(), firmware.get(), target.put());
    } else {
        Bstr name, version;
        hr = identify->IdentifyTarget(address.get(), target.put(), name.out(), version.out(),
                                      identifyTimeoutMs);
    }
    if (hr != S_OK || !target)
        return E_FAIL;
    Bstr resolution(member.resolution);
    Bstr camera(member.camera);
    Bstr formatted;
    if (target->FormatVideoUrl(address.get(), resolution.get(), camera.get(), formatted.out()) !=
            S_OK ||
        formatted.empty())
        return E_FAIL;
    *url = formatted.utf8();
    return S_OK;
}

HRESULT MemberStream::open(const std::string& url, UINT delayMs, QObject* receiver, HWND window,
                           std::function<void(StreamNotice)> notify)
{
    if (!m_request)
        return E_HANDLE;
    close();
    auto notices = std::make_shared<StreamNotices>(receiver, std::move(notify));
    notices->m_self = notices;
    ComPtr<ICamRequestSink> sink;
    if (HRESULT hr =
            StreamSink::createInstance(nullptr, IID_ICamRequestSink, sink.putVoid(), notices);
        FAILED(hr))
        return hr;
    CLSID imageClass = CLSID_CamImageObject;
    UI4 cookie = 0;
    if (HRESULT hr = m_request->DataAdvise(sink.get(), &imageClass, &cookie); FAILED(hr))
        return hr;
    notices->cookie = cookie;
    m_notices = notices;
    GUID iid = IID_ICamImageObject;
    if (HRESULT hr = m_request->QueryDataObject(&iid, m_image.putVoid()); FAILED(hr)) {
        close();
        return hr;
    }
    m_request->SetDelay(delayMs);
    Bstr bstrUrl(url);
    if (HRESULT hr = m_request->OpenUrl(bstrUrl.get(), 0, window); FAILED(hr)) {
        close();
        return hr;
    }
    return S_OK;
}

void MemberStream::close()
{
    if (m_notices)
        m_notices->detach();
    if (m_request && m_notices) {
        m_request->DataUnadvise();
        m_request->Close();
    }
    m_image.reset();
    m_notices.reset();
}

HRESULT MemberStream::setDelay(UINT delayMs)
{
    return m_request ? m_request->SetDelay(delayMs) : E_HANDLE;
}

std::string MemberStream::statusText() const
{
    return m_notices ? m_notices->status() : std::string();
}

bool MemberStream::connected() const
{
    return m_notices && m_notices->m_connected;
}

bool MemberStream::imageOrEnded() const
{
    return m_notices && m_notices->m_imageOrEnded;
}

bool MemberStream::ended() const
{
    return m_notices && m_notices->m_ended;
}

} // namespace foldra
