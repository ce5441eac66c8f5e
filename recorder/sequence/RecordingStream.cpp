#include "recorder/sequence/RecordingStream.h"

#include "common/ICamRequestSink.h"
#include "common/LuminClasses.h"
#include "common/MedrixClasses.h"
#include "platform/com/Runtime.h"
#include "platform/com/UnknownImpl.h"

#include <atomic>
#include <mutex>

// The sink has a reference count of its own: the client may hold it a moment longer than the
// stream exists, so it forwards only while a listener is attached.
class RecordingStream::Sink final : public UnknownImpl<Sink, ICamRequestSink> {
public:
    explicit Sink(RecordingStreamListener* listener) : m_listener(listener) {}

    void setCookie(UI4 cookie) { m_cookie = cookie; }
    void detach()
    {
        std::lock_guard lock(m_mutex);
        m_listener = nullptr;
    }

    HRESULT OnDataAvailable(UI4 dwCookie, UI4 dwType) override
    {
        if (dwCookie != m_cookie.load() || dwType != CamTypeJpeg)
            return S_OK;
        std::lock_guard lock(m_mutex);
        if (m_listener)
            m_listener->onImage();
        return S_OK;
    }
    HRESULT OnStatusChanged(UI4 dwCookie, UI4 dwStatus, BSTR) override
    {
        if (dwCookie != m_cookie.load())
            return S_OK;
        std::lock_guard lock(m_mutex);
        if (!m_listener)
            return S_OK;
        if (dwStatus == CamStatusStreamEnded)
            m_listener->onStreamEnded();
        else
            m_listener->onStatus(dwStatus);
        return S_OK;
    }

private:
    std::atomic<UI4> m_cookie{0};
    // Recursive: a listener may close the stream from inside a call. Held during each call,
    // so detach() waits for a running one.
    std::recursive_mutex m_mutex;
    RecordingStreamListener* m_listener; // guarded by m_mutex
};

HRESULT RecordingStream::create(RecordingStreamListener& listener,
                                std::unique_ptr<RecordingStream>* stream)
{
    stream->reset();
    std::unique_ptr<RecordingStream> s(new RecordingStream);
    HRESULT hr = CoCreateInstance(CLSID_Luminent, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_ICamMultipartRequest, s->m_request.putVoid());
    if (FAILED(hr))
        return hr;
    s->m_sink = ComPtr<Sink>::attach(Sink::createRaw(&listener));
    if (!s->m_sink)
        return E_OUTOFMEMORY;
    CLSID dataClass = CLSID_CamImageObject;
    UI4 cookie = 0;
    hr = s->m_request->DataAdvise(s->m_sink.get(), &dataClass, &cookie);
    if (FAILED(hr))
        return hr;
    s->m_sink->setCookie(cookie);
    GUID iid = IID_ICamImageObject;
    hr = s->m_request->QueryDataObject(&iid, s->m_image.putVoid());
    if (FAILED(hr) || !s->m_image)
        return FAILED(hr) ? hr : E_FAIL;
    *stream = std::move(s);
    return S_OK;
}

RecordingStream::~RecordingStream()
{
    close();
}

HRESULT RecordingStream::open(const std::string& url, HWND owner)
{
    if (!m_request)
        return E_FAIL;
    Bstr target(url);
    return m_request->OpenUrl(target.get(), 0, owner);
}

void RecordingStream::close()
{
    if (m_request) {
        m_request->DataUnadvise();
        m_request->Close();
        m_request.reset();
    }
    if (m_sink) {
        m_sink->detach();
        m_sink.reset();
    }
    m_image.reset();
}
