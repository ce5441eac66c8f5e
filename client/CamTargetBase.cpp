#include "client/CamTargetBase.h"

#include "platform/base/Utf.h"
#include "platform/com/BstrArray.h"

#include <algorithm>

namespace lumin {
namespace {

void append(std::vector<std::string>& list, std::span<const char* const> entries)
{
    for (const char* entry : entries)
        list.emplace_back(entry);
}

// Only ASCII bytes are white space: in UTF-8 no byte of a multi-byte character is below 0x80,
// so trimming byte-wise never cuts a character.
bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The entry at a default index. An index past the list (profile E's image default) takes the
// last entry, so the URL still names a resolution the camera offers.
const std::string* defaultEntry(const std::vector<std::string>& list, int index)
{
    if (list.empty())
        return nullptr;
    std::size_t at = index < 0 ? 0 : std::min<std::size_t>(index, list.size() - 1);
    return &list[at];
}

} // namespace

void CamTargetBase::addVideo(std::span<const char* const> entries, int defaultIndex)
{
    append(m_video, entries);
    m_videoDefault = defaultIndex;
}

void CamTargetBase::addImage(std::span<const char* const> entries, int defaultIndex)
{
    append(m_image, entries);
    m_imageDefault = defaultIndex;
}

void CamTargetBase::addCameras(std::span<const char* const> entries)
{
    append(m_cameras, entries);
    m_cameraDefault = 0;
}

bool CamTargetBase::modelNameEquals(std::string_view name) const
{
    return orvel::equalsIgnoringCase(m_modelName, name);
}

HRESULT CamTargetBase::getCaps(INT nFlag, INT* pnSize, BSTR** ppbstrCaps, INT* pnDefault) const
{
    if (nFlag == CamCapsPtz)
        return m_ptz ? S_OK : S_FALSE;
    if (!pnSize || !ppbstrCaps || !pnDefault)
        return E_INVALIDARG;
    *pnSize = 0;
    *ppbstrCaps = nullptr;
    *pnDefault = 0;

    switch (nFlag) {
    case CamCapsVideoResolutions:
    case CamCapsImageResolutions: {
        const auto& list = nFlag == CamCapsVideoResolutions ? m_video : m_image;
        if (list.empty())
            return S_OK;
        HRESULT hr = bstrArrayFromUtf8(list, pnSize, ppbstrCaps);
        if (SUCCEEDED(hr))
            *pnDefault = nFlag == CamCapsVideoResolutions ? m_videoDefault : m_imageDefault;
        return hr;
    }
    case CamCapsCameras: {
        // Unlike the resolution lists, an empty camera list still hands out a block.
        HRESULT hr = bstrArrayFromUtf8(m_cameras, pnSize, ppbstrCaps);
        if (SUCCEEDED(hr))
            *pnDefault = m_cameraDefault;
        return hr;
    }
    default:
        return S_OK;
    }
}

std::optional<std::string> CamTargetBase::resolution(BSTR requested, CapsList list) const
{
    if (SysStringLen(requested) > 0)
        return trimResolution(bstrToUtf8(requested));
    const std::string* entry = list == CapsList::Video ? defaultEntry(m_video, m_videoDefault)
                                                       : defaultEntry(m_image, m_imageDefault);
    if (!entry)
        return std::nullopt;
    return trimResolution(*entry);
}

std::string CamTargetBase::camera(BSTR requested) const
{
    if (SysStringLen(requested) > 0)
        return bstrToUtf8(requested);
    if (const std::string* entry = defaultEntry(m_cameras, m_cameraDefault))
        return *entry;
    return {};
}

std::optional<std::string> hostPiece(BSTR bstrHost)
{
    if (SysStringLen(bstrHost) == 0)
        return std::nullopt;
    return bstrToUtf8(bstrHost);
}

HRESULT assignUrl(BSTR* pbstrURL, const std::string& url)
{
    if (!pbstrURL)
        return E_FAIL;
    std::u16string wide = utf8ToUtf16(url);
    return SysReAllocString(pbstrURL, wide.c_str()) ? S_OK : E_FAIL;
}

HRESULT assignHostUrl(BSTR* pbstrURL, BSTR bstrHost, const std::string& path)
{
    auto host = hostPiece(bstrHost);
    if (!host)
        return E_FAIL;
    return assignUrl(pbstrURL, "http://" + *host + path);
}

const char* cgiControlZoom(INT nZoom)
{
    switch (nZoom) {
    case CamZoomWideEnd:
        return "&zoom=1";
    case CamZoomTeleEnd:
        return "&zoom=999";
    case CamZoomTeleStep:
        return "&zoomrel=tele";
    case CamZoomWideStep:
        return "&zoomrel=wide";
    default:
        return "";
    }
}

std::string trimResolution(std::string_view text)
{
    text = text.substr(0, text.find('('));
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return std::string(text);
}

} // namespace lumin
