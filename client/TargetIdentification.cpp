#include "client/TargetIdentification.h"

#include "client/BannerExchange.h"
#include "client/BannerMatcher.h"
#include "client/Log.h"
#include "client/ModelLookup.h"
#include "client/ModuleState.h"
#include "client/Resources.h"
#include "platform/com/Bstr.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Runtime.h"

namespace lumin {

HRESULT createTarget(const CLSID& clsid, BSTR bstrName, ICamTarget** ppTarget)
{
    ComPtr<ICamTarget> target;
    HRESULT hr =
        CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_ICamTarget, target.putVoid());
    if (FAILED(hr)) {
        logError(hr);
        return hr;
    }
    hr = target->Init(bstrName);
    if (FAILED(hr))
        return hr;
    *ppTarget = target.detach();
    return S_OK;
}

HRESULT returnNameAndVersion(const std::string& name, const std::string& version, BSTR* pbstrName,
                             BSTR* pbstrVersion)
{
    if (pbstrName && !bstrAssignUtf8(pbstrName, name))
        return E_OUTOFMEMORY;
    if (pbstrVersion && !bstrAssignUtf8(pbstrVersion, version))
        return E_OUTOFMEMORY;
    return S_OK;
}

HRESULT identifyTarget(BSTR bstrHost, ICamTarget** ppTarget, BSTR* pbstrName, BSTR* pbstrVersion,
                       UI4 dwTimeout)
{
    const std::string host = bstrToUtf8(bstrHost);
    logFormatted(LogCall, "IdentifyTarget (%s)", host.c_str());
    if (ppTarget)
        *ppTarget = nullptr;
    if (!bstrHost || !ppTarget)
        return E_INVALIDARG;

    if (host.empty()) {
        logLine(LogFailure, "Empty host");
        return E_FAIL;
    }
    std::unique_ptr<BannerExchange> exchange = BannerExchange::create();
    if (!exchange) {
        logLine(LogFailure, "Create socket failed");
        return E_FAIL;
    }
    sockaddr_in address{};
    if (!resolveIdentifyHost(host, &address)) {
        logLine(LogFailure, "gethostbyname failed");
        return E_FAIL;
    }
    if (!exchange->start(address) ||
        !exchange->waitFinished(std::chrono::milliseconds(dwTimeout))) {
        logLine(LogFailure, "IdentifyTarget timed out");
        return E_FAIL; // the exchange's destructor wakes and joins the thread
    }

    const std::vector<std::string> patterns =
        parsePatternList(resourceData(kResourceTypePatterns, kResourcePatterns).value_or(""));
    const auto match = patterns.empty() ? std::nullopt : matchBanner(patterns, exchange->banner());
    if (!match) {
        if (!patterns.empty())
            logLine(LogFailure, "GetNameAndVersion failed");
        logLine(LogFailure, "GetTargetCLSID failed");
        return S_FALSE;
    }
    CLSID clsid{};
    HRESULT hr = lookupTarget(match->name, match->version, &clsid);
    if (FAILED(hr)) {
        logLine(LogFailure, "GetTargetCLSID failed");
        return hr;
    }
    Bstr name(match->name);
    ComPtr<ICamTarget> target;
    hr = createTarget(clsid, name.get(), target.put());
    if (FAILED(hr))
        return hr;
    hr = returnNameAndVersion(match->name, match->version, pbstrName, pbstrVersion);
    if (FAILED(hr))
        return hr;
    *ppTarget = target.detach();
    return S_OK;
}

HRESULT getTarget(BSTR bstrName, BSTR bstrVersion, ICamTarget** ppTarget)
{
    const std::string name = bstrToUtf8(bstrName);
    const std::string version = bstrToUtf8(bstrVersion);
    logFormatted(LogCall, "GetTarget (%s %s)", name.c_str(), version.c_str());
    if (!ppTarget)
        return E_INVALIDARG;
    *ppTarget = nullptr;
    CLSID clsid{};
    const HRESULT hr = lookupTarget(name, version, &clsid);
    if (FAILED(hr))
        return hr;
    return createTarget(clsid, bstrName, ppTarget);
}

} // namespace lumin
