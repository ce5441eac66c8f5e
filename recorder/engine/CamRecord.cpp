#include "recorder/engine/CamRecord.h"

#include "platform/com/Bstr.h"
#include "recorder/engine/RecorderProcess.h"

namespace {
// Set by the program before it registers the class object; objects are made on its thread.
RecorderProcess* s_process = nullptr;

// A null BSTR is no string (E_INVALIDARG at Start); an empty one is "".
std::optional<std::string> textOf(BSTR bstr)
{
    return bstr ? std::optional<std::string>(bstrToUtf8(bstr)) : std::nullopt;
}
} // namespace

CamRecord::CamRecord(RecorderProcess& process) : m_process(process), m_lock(process.monitor()) {}

void CamRecord::serve(RecorderProcess* process)
{
    s_process = process;
}

HRESULT CamRecord::create(IUnknown* outer, REFIID riid, void** ppv)
{
    if (!s_process)
        return E_UNEXPECTED;
    return createInstance(outer, riid, ppv, *s_process);
}

HRESULT CamRecord::Init(BSTR bstrUrl, BSTR bstrName)
{
    m_url = bstrUrl ? bstrToUtf8(bstrUrl) : std::string();
    m_name = bstrName ? bstrToUtf8(bstrName) : std::string();
    return S_OK;
}

HRESULT CamRecord::Start(BSTR bstrDirectory, BSTR bstrPrefix, LONG lElapse, DWORD dwDuration,
                         DWORD dwMaxSize)
{
    RecorderProcess::StartRequest request;
    request.url = m_url;
    request.name = m_name;
    request.directory = textOf(bstrDirectory);
    request.prefix = textOf(bstrPrefix);
    request.interval = lElapse;
    request.duration = dwDuration;
    request.maxSize = dwMaxSize;
    return m_process.start(request);
}
