#include "tools/camctl/CamCtlClient.h"

#include "common/LuminClasses.h"
#include "platform/com/ClassRegistration.h"
#include "platform/com/Runtime.h"
#include "platform/com/UnknownImpl.h"
#include "platform/http/Prompts.h"
#include "tools/clientkit/ReceivedPart.h"

#include <charconv>
#include <cstdio>
#include <filesystem>

namespace camctl {

namespace {

// Prints a line per part and per status as they arrive; called on the client's threads.
class PrintingSink final : public UnknownImpl<PrintingSink, ICamRequestSink> {
public:
    PrintingSink(std::shared_ptr<Client::Shared> shared, Client::Print print)
        : m_shared(std::move(shared)), m_print(print)
    {}
    void watch(ICamMultipartRequest* request) { m_request = request; }

    HRESULT OnDataAvailable(UI4, UI4 dwType) override
    {
        PartRecord part;
        part.type = dwType;
        ReceivedPart received = readReceivedPart(m_request);
        part.data = std::move(received.data);
        part.contentType = std::move(received.contentType);
        {
            std::lock_guard lock(m_shared->mutex);
            if (m_shared->partLimit != 0 && m_shared->partCount >= m_shared->partLimit)
                return S_OK;
            part.number = ++m_shared->partCount;
            m_shared->sawJpeg |= part.type == CamTypeJpeg;
            if (m_print == Client::Print::Lines) {
                std::printf("part %lu type=0x%04X size=%zu content-type=%s\n", part.number,
                            static_cast<unsigned>(part.type), part.data.size(),
                            part.contentType.c_str());
                std::fflush(stdout);
            }
            bool seen = false;
            for (const PartRecord& p : m_shared->parts)
                seen |= p.type == part.type;
            if (!seen)
                m_shared->parts.push_back(std::move(part));
        }
        m_shared->changed.notify_all();
        return S_OK;
    }

    HRESULT OnStatusChanged(UI4, UI4 dwStatus, BSTR bstrInfo) override
    {
        {
            std::lock_guard lock(m_shared->mutex);
            if (m_print == Client::Print::Lines) {
                const std::string info = bstrInfo ? bstrToUtf8(bstrInfo) : "-";
                std::printf("status %u %s\n", static_cast<unsigned>(dwStatus), info.c_str());
                std::fflush(stdout);
            }
            if (dwStatus == CamStatusStreamEnded)
                m_shared->ended = true;
            else if (dwStatus == CamStatusHttpError && bstrInfo != nullptr)
                m_shared->httpError = bstrToUtf8(bstrInfo);
            else if (dwStatus == CamStatusEndReason && bstrInfo != nullptr)
                m_shared->endReason = bstrToUtf8(bstrInfo);
        }
        m_shared->changed.notify_all();
        return S_OK;
    }

private:
    ~PrintingSink() override = default;
    std::shared_ptr<Client::Shared> m_shared;
    Client::Print m_print;
    ICamMultipartRequest* m_request = nullptr; // not referenced: the client owns the sink
};

std::string programFolder()
{
    std::error_code error;
    return std::filesystem::canonical("/proc/self/exe", error).parent_path().string();
}

// Says so when the registry leads to another client library than the one built beside this
// program: a fresh build's camctl would otherwise run an older library without a word.
void noteOtherLibrary()
{
    std::string registered;
    if (!inprocServerPath(CLSID_Luminent, &registered))
        return;
    const std::string beside = programFolder() + "/Lumin.so";
    std::error_code error;
    if (!std::filesystem::exists(beside, error) ||
        std::filesystem::equivalent(registered, beside, error))
        return;
    std::fprintf(stderr,
                 "camctl: note: using the registered client library %s, not %s beside camctl "
                 "(regsvr %s registers that one)\n",
                 registered.c_str(), beside.c_str(), beside.c_str());
}

} // namespace

bool takeClientOptions(std::vector<std::string>& args, ClientOptions& options, const char* command)
{
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--insecure") {
            options.insecure = true;
        } else if (a == "--user" || a == "--password") {
            if (i + 1 >= args.size()) {
                std::fprintf(stderr, "camctl %s: %s needs a value\n", command, a.c_str());
                return false;
            }
            (a == "--user" ? options.user : options.password) = args[++i];
        } else {
            rest.push_back(a);
        }
    }
    args = std::move(rest);
    return true;
}

bool parseNumber(const std::string& text, unsigned long& value, const char* command,
                 const char* what)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value == 0) {
        std::fprintf(stderr, "camctl %s: \"%s\" is not a %s\n", command, text.c_str(), what);
        return false;
    }
    return true;
}

HRESULT createClientLibraryObject(const IID& iid, void** object, const char* command)
{
    HRESULT hr = CoCreateInstance(CLSID_Luminent, nullptr, CLSCTX_INPROC_SERVER, iid, object);
    std::string detail;
    if (hr == REGDB_E_CLASSNOTREG) {
        // Not registered yet: the client library beside this program registers itself.
        const std::string beside = programFolder() + "/Lumin.so";
        if (SUCCEEDED(registerServerLibrary(beside, false, &detail)))
            hr = CoCreateInstance(CLSID_Luminent, nullptr, CLSCTX_INPROC_SERVER, iid, object);
        else if (detail.empty())
            detail = "cannot register " + beside;
    }
    if (SUCCEEDED(hr)) {
        noteOtherLibrary();
        return hr;
    }
    std::fprintf(stderr,
                 "camctl %s: the camera client library is not available, error 0x%08X%s%s\n",
                 command, static_cast<unsigned>(hr), detail.empty() ? "" : ": ", detail.c_str());
    return hr;
}

std::optional<Client> Client::create(const ClientOptions& options, const char* command, Print print)
{
    Client client;
    client.m_shared = std::make_shared<Shared>();
    ComPtr<ICamMultipartRequest> request;
    HRESULT hr = createClientLibraryObject(IID_ICamMultipartRequest, request.putVoid(), command);
    if (FAILED(hr))
        return std::nullopt;

    auto* sink = new PrintingSink(client.m_shared, print);
    ComPtr<ICamRequestSink> sinkRef = ComPtr<ICamRequestSink>::attach(sink);
    sink->watch(request.get());
    UI4 cookie = 0;
    hr = request->DataAdvise(sinkRef.get(), nullptr, &cookie);
    if (FAILED(hr)) {
        std::fprintf(stderr, "camctl %s: cannot receive from the client library, error 0x%08X\n",
                     command, static_cast<unsigned>(hr));
        return std::nullopt;
    }
    if (!options.user.empty() || !options.password.empty()) {
        Bstr user(options.user);
        Bstr password(options.password);
        request->SetUser(user.get(), password.get());
    }

    std::weak_ptr<Shared> weak = client.m_shared;
    const bool insecure = options.insecure;
    orvel::http::setTrustPrompt([weak, insecure](const orvel::http::CertificateInfo& info, HWND) {
        if (insecure)
            return true;
        if (auto shared = weak.lock()) {
            std::lock_guard lock(shared->mutex);
            shared->refusedFingerprint = info.fingerprint;
        }
        return false;
    });
    // No terminal prompt: a script gives the password with --user and --password.
    orvel::http::setCredentialsPrompt([weak](const orvel::http::CredentialsQuestion&) {
        if (auto shared = weak.lock()) {
            std::lock_guard lock(shared->mutex);
            shared->passwordAsked = true;
        }
        return std::optional<orvel::http::Credentials>();
    });

    client.m_request = std::move(request);
    client.m_sink = std::move(sinkRef);
    return client;
}

Client::~Client()
{
    if (m_request) {
        m_request->Close();
        m_request->DataUnadvise();
    }
}

HRESULT Client::open(const std::string& url)
{
    Bstr bstrUrl(url);
    return m_request->OpenUrl(bstrUrl.get(), 0, nullptr);
}

void Client::close()
{
    m_request->Close();
}

void Client::setPartLimit(std::size_t count)
{
    std::lock_guard lock(m_shared->mutex);
    m_shared->partLimit = count;
}

std::size_t Client::partCount()
{
    std::lock_guard lock(m_shared->mutex);
    return m_shared->partCount;
}

bool Client::ended()
{
    std::lock_guard lock(m_shared->mutex);
    return m_shared->ended;
}

std::optional<PartRecord> Client::firstPartOfType(UI4 type)
{
    std::lock_guard lock(m_shared->mutex);
    for (const PartRecord& p : m_shared->parts)
        if (p.type == type)
            return p;
    return std::nullopt;
}

bool Client::answeredWithError()
{
    std::lock_guard lock(m_shared->mutex);
    return !m_shared->httpError.empty();
}

bool Client::explainFailure(const char* command)
{
    if (explainPrompts(command))
        return true;
    std::lock_guard lock(m_shared->mutex);
    if (!m_shared->httpError.empty())
        std::fprintf(stderr, "camctl %s: the camera answered %s\n", command,
                     m_shared->httpError.c_str());
    else if (!m_shared->endReason.empty())
        std::fprintf(stderr, "camctl %s: %s\n", command, m_shared->endReason.c_str());
    else
        return false;
    return true;
}

bool Client::explainPrompts(const char* command)
{
    std::lock_guard lock(m_shared->mutex);
    if (!m_shared->refusedFingerprint.empty())
        std::fprintf(stderr,
                     "camctl %s: the camera's certificate is not trusted (SHA-256 %s); pass "
                     "--insecure to accept it\n",
                     command, m_shared->refusedFingerprint.c_str());
    else if (m_shared->passwordAsked)
        std::fprintf(stderr,
                     "camctl %s: the camera asks for a user name and password (--user U "
                     "--password P)\n",
                     command);
    else
        return false;
    return true;
}

} // namespace camctl
