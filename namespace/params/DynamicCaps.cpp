#include "namespace/params/DynamicCaps.h"

#include "common/ICamTarget.h"
#include "platform/base/AsciiCase.h"
#include "platform/com/BstrArray.h"

namespace foldra {

std::string DynamicCaps::paramListUrl(const std::string& host)
{
    return "http://" + host + "/orvel-cgi/view/param.cgi?action=list&group=" + kParamResolution +
           "," + kParamSources + "," + kParamPtz + "," + kParamProductName + "," + kParamFirmware;
}

void DynamicCaps::refresh(const std::string& host)
{
    if (!orvel::equalsIgnoringCase(host, m_host)) {
        // Everything found belongs to the old host, the identity and PTZ as much as the lists.
        m_host = host;
        m_found = {};
        m_fetched = false;
    }
    if (m_fetched)
        return;
    std::string reply;
    m_lastFetch = m_params.ReadAll(paramListUrl(m_host), reply);
    // A failed fetch leaves nothing behind, so the next query asks again.
    if (FAILED(m_lastFetch))
        return;
    m_found = parseCameraParams(reply);
    m_fetched = true;
}

HRESULT DynamicCaps::GetCaps(const std::string& host, INT nFlag, INT* pnSize, BSTR** ppbstrCaps,
                             INT* pnDefault)
{
    if (nFlag != CamCapsPtz) {
        if (pnSize == nullptr || ppbstrCaps == nullptr || pnDefault == nullptr)
            return E_INVALIDARG;
        *pnSize = 0;
        *ppbstrCaps = nullptr;
        *pnDefault = 0;
    }
    refresh(host);
    switch (nFlag) {
    case CamCapsVideoResolutions:
    case CamCapsCameras: {
        const std::vector<std::string>& list =
            nFlag == CamCapsCameras ? m_found.cameras : m_found.resolutions;
        if (list.empty())
            return E_FAIL;
        return bstrArrayFromUtf8(list, pnSize, ppbstrCaps);
    }
    case CamCapsPtz:
        return m_fetched && m_found.hasPtz ? S_OK : S_FALSE;
    default:
        return S_OK;
    }
}

HRESULT DynamicCaps::GetIdentity(const std::string& host, std::string& productName,
                                 std::string& firmwareVersion)
{
    refresh(host);
    if (!m_fetched) {
        productName.clear();
        firmwareVersion.clear();
        return S_FALSE;
    }
    productName = m_found.productName;
    firmwareVersion = m_found.firmwareVersion;
    return S_OK;
}

} // namespace foldra
