#include "namespace/params/ParamHandler.h"

#include "namespace/params/Trace.h"

namespace foldra {

namespace {

struct CopiedSetting {
    const char* name;
    const char* getFailed;
    const char* setFailed;
};

constexpr CopiedSetting kCopiedSettings[] = {
    {"net_timeout", "fail get timeout", "fail set timeout"},
    {"data_timeout", "fail get timeout", "fail set timeout"},
    {"stream_uname", "fail get username", "fail set username"},
    {"stream_pwd", "fail get passw", "fail set passw"},
};

// Deletes the operation's client on every way out of it.
class ClientScope {
public:
    explicit ClientScope(std::unique_ptr<HTTPStreamClient>& client) : m_client(client) {}
    ~ClientScope() { m_client.reset(); }
    ClientScope(const ClientScope&) = delete;
    ClientScope& operator=(const ClientScope&) = delete;

private:
    std::unique_ptr<HTTPStreamClient>& m_client;
};

HRESULT dataFailed(const char* operation, HRESULT hr)
{
    trace(TraceLevel::Error, operation, "failed to get data, hr=%#x", static_cast<unsigned>(hr));
    return hr;
}

} // namespace

HTTPStreamClient& ParamHandler::initClient()
{
    if (m_client) {
        trace(TraceLevel::Warning, TraceOp::InitHttp, "http client still alive");
        m_client->Close();
    }
    m_client = std::make_unique<HTTPStreamClient>();
    if (m_source != nullptr) {
        // A setting the source lacks or the client refuses keeps the client's default.
        for (const CopiedSetting& setting : kCopiedSettings) {
            Variant value;
            if (FAILED(m_source->GetProperty(setting.name, value.out())))
                trace(TraceLevel::Warning, TraceOp::InitHttp, "%s", setting.getFailed);
            else if (FAILED(m_client->SetProperty(setting.name, value.get())))
                trace(TraceLevel::Warning, TraceOp::InitHttp, "%s", setting.setFailed);
        }
    }
    return *m_client;
}

HRESULT ParamHandler::open(const char* operation, const std::string& url, DWORD* status,
                           std::string* message)
{
    const HRESULT hr = initClient().OpenURL(url, status, {}, message);
    if (FAILED(hr))
        trace(TraceLevel::Error, operation, "failed, hr=0x%x", static_cast<unsigned>(hr));
    return hr;
}

HRESULT ParamHandler::ReadAll(const std::string& url, std::string& body)
{
    body.clear();
    ClientScope scope(m_client);
    DWORD status = 0;
    if (const HRESULT hr = open(TraceOp::GetParams, url, &status, nullptr); FAILED(hr))
        return hr;
    bool complete = false;
    if (const HRESULT hr = readBody(*m_client, kMaxReadAllBytes, kReadAllPiece, body, &complete);
        FAILED(hr)) {
        body.clear();
        return dataFailed(TraceOp::GetParams, hr);
    }
    if (!complete) {
        trace(TraceLevel::Error, TraceOp::GetParams, "reply longer than %zu bytes",
              kMaxReadAllBytes);
        body.clear();
        return E_FAIL;
    }
    return S_OK;
}

HRESULT ParamHandler::GetParams(const std::string& url, std::vector<Param>& params)
{
    params.clear();
    ClientScope scope(m_client);
    DWORD status = 0;
    if (const HRESULT hr = open(TraceOp::GetParams, url, &status, nullptr); FAILED(hr))
        return hr;
    // Read until the end rather than once: a reply may well come in more than one piece.
    std::string body;
    if (const HRESULT hr =
            readBody(*m_client, kMaxParamListBytes, kMaxParamListBytes, body, nullptr);
        FAILED(hr))
        return dataFailed(TraceOp::GetParams, hr);
    if (body.size() >= kMaxParamListBytes) {
        trace(TraceLevel::Error, TraceOp::GetParams, "too much param info");
        return E_FAIL;
    }
    params = parseParamLines(body);
    return S_OK;
}

HRESULT ParamHandler::SetParams(const std::string& url, std::string& message)
{
    message.clear();
    ClientScope scope(m_client);
    DWORD status = 0;
    if (const HRESULT hr = open(TraceOp::SetParams, url, &status, &message); FAILED(hr))
        return hr;
    if (status != 200)
        return S_OK;
    std::string reply;
    if (const HRESULT hr =
            readBody(*m_client, kMaxSetReplyBytes, kMaxSetReplyBytes, reply, nullptr);
        FAILED(hr))
        return dataFailed(TraceOp::SetParams, hr);
    trace(TraceLevel::Warning, TraceOp::SetParams, "Error: %s", reply.c_str());
    message = std::move(reply);
    return S_OK;
}

} // namespace foldra
