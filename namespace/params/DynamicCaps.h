#pragma once
// What a camera that no known generation describes offers (resolutions, video sources, PTZ)
// and what it calls itself, asked from the camera's parameter list and kept for one host at a
// time. Every item record owns one. Used on the user-interface thread; a query that has to ask
// the camera blocks for as long as the parameter client's time-outs allow.

#include "namespace/params/ParamHandler.h"
#include "namespace/params/ParamList.h"

#include <string>

namespace foldra {

class DynamicCaps {
public:
    DynamicCaps() = default;
    DynamicCaps(const DynamicCaps&) = delete;
    DynamicCaps& operator=(const DynamicCaps&) = delete;

    // host: as an item stores it, optionally with ":port". nFlag as ICamTarget::GetCaps:
    // CamCapsVideoResolutions and CamCapsCameras give *pnSize strings in one CoTaskMemAlloc
    // block at *ppbstrCaps, each a BSTR (the caller frees each with SysFreeString and the block
    // with CoTaskMemFree), and *pnDefault 0; CamCapsPtz touches no out-pointer; other flags
    // give nothing.
    // \retval S_OK, S_FALSE (CamCapsPtz: no PTZ, or the camera could not be asked),
    //         E_INVALIDARG (a null out-pointer, flags other than CamCapsPtz),
    //         E_FAIL (the list is empty: the camera could not be asked), E_OUTOFMEMORY
    HRESULT GetCaps(const std::string& host, INT nFlag, INT* pnSize, BSTR** ppbstrCaps,
                    INT* pnDefault);
    // \retval S_OK with both strings (each may be empty when the camera does not say),
    //         S_FALSE when the camera could not be asked (both emptied)
    HRESULT GetIdentity(const std::string& host, std::string& productName,
                        std::string& firmwareVersion);

    // The outcome of the last time the camera was asked (S_OK before any): E_ACCESSDENIED
    // when it wanted a password that was not given, HRESULT_FROM_WIN32(12002) when it did not
    // answer in time, ... For messages; the queries above report only what they found.
    HRESULT lastFetchResult() const { return m_lastFetch; }

    // The parameter list URL for host.
    static std::string paramListUrl(const std::string& host);

private:
    // Forgets what belongs to another host, then asks the camera unless it was answered.
    void refresh(const std::string& host);

    std::string m_host;   // the host the answers below belong to
    CameraParams m_found; // valid when m_fetched
    bool m_fetched = false;
    HRESULT m_lastFetch = S_OK;
    ParamHandler m_params; // no property source: default time-outs, the prompt for passwords
};

} // namespace foldra
