#include "namespace/views/LiveStream.h"

#include "common/LuminClasses.h"
#include "common/MedrixClasses.h"
#include "platform/base/Utf.h"
#include "platform/com/Bstr.h"
#include "platform/com/Runtime.h"

namespace foldra {

HRESULT LiveStream::create()
{
    close();
    m_request.reset();
    return CoCreateInstance(CLSID_Luminent, nullptr, CLSCTX_INPROC_SERVER, IID_ICamMultipartRequest,
                            m_request.putVoid());
}

ComPtr<ICamIdentifyTarget> LiveStream::identifier() const
{
    ComPtr<ICamIdentifyTarget> identify;
    if (m_request)
        m_request->QueryInterface(IID_ICamIdentifyTarget, identify.putVoid());
    return identify;
}

HRESULT LiveStream::open(const std::string& url, HWND window, const std::string& user,
                         const std::string& password)
{
    if (!m_request)
        if (HRESULT hr = create(); FAILED(hr))
            return hr;
    close();
    m_sink = ComPtr<StreamSink>::attach(StreamSink::createRaw(m_receiver, m_slot));
    if (!m_sink)
        return E_OUTOFMEMORY;
    CLSID dataClass = CLSID_CamImageObject;
    UI4 cookie = 0;
    HRESULT hr =
        m_request->DataAdvise(static_cast<ICamRequestSink*>(m_sink.get()), &dataClass, &cookie);
    if (SUCCEEDED(hr)) {
        m_sink->setCookie(cookie);
        GUID iid = IID_ICamImageObject;
        hr = m_request->QueryDataObject(&iid, m_image.putVoid());
    }
    if (SUCCEEDED(hr) && !user.empty()) {
        Bstr bstrUser(user);
        Bstr bstrPassword(password);
        hr = m_request->SetUser(bstrUser.get(), bstrPassword.get());
    }
    if (SUCCEEDED(hr)) {
        Bstr bstrUrl(url);
        hr = m_request->OpenUrl(bstrUrl.get(), 0, window);
    }
    m_open = SUCCEEDED(hr);
    if (!m_open)
        close();
    return hr;
}

void LiveStream::close()
{
    if (m_sink)
        m_sink->detach();
    if (m_request && (m_open || m_sink)) {
        m_request->DataUnadvise();
        m_request->Close();
    }
    m_image.reset();
    m_sink.reset();
    m_open = false;
}

ComPtr<ICamSimpleRequest> LiveStream::simpleRequest() const
{
    ComPtr<ICamSimpleRequest> simple;
    if (m_request)
        m_request->QueryInterface(IID_ICamSimpleRequest, simple.putVoid());
    return simple;
}

void LiveStream::imageTaken() const
{
    if (m_sink)
        m_sink->imageTaken();
}

HRESULT resolveStream(ICamIdentifyTarget* identify, const ItemRecord& record, ItemKind kind,
                      UI4 timeoutMs, ComPtr<ICamTarget>* target, std::string* url)
{
    target->reset();
    url->clear();
    if (kind == ItemKind::LiveSite) {
        if (record.address.empty())
            return E_FAIL;
        *url = record.address;
        return S_OK;
    }
    if (kind != ItemKind::Camera || !identify || record.address.empty())
        return E_FAIL;
    Bstr host(record.address);
    HRESULT hr = S_OK;
    if (!record.model.empty()) {
        Bstr model(record.model);
        Bstr firmware(record.firmware);
        hr = identify->GetTarget(model.get(), firmware.get(), target->put());
    } else {
        BSTR name = nullptr;
        BSTR version = nullptr;
        hr = identify->IdentifyTarget(host.get(), target->put(), &name, &version, timeoutMs);
        SysFreeString(name);
        SysFreeString(version);
    }
    // S_FALSE: the camera answered, but as nothing we know.
    if (hr != S_OK || !*target) {
        target->reset();
        return FAILED(hr) ? hr : E_FAIL;
    }
    Bstr resolution(record.resolution);
    Bstr camera(record.camera);
    BSTR formatted = nullptr;
    hr = (*target)->FormatVideoUrl(host.get(), resolution.get(), camera.get(), &formatted);
    if (SUCCEEDED(hr) && formatted)
        *url = utf16ToUtf8(formatted);
    SysFreeString(formatted);
    if (url->empty()) {
        target->reset();
        return FAILED(hr) ? hr : E_FAIL;
    }
    return S_OK;
}

} // namespace foldra
