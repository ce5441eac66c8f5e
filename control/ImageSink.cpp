#include "control/ImageSink.h"

#include "control/ModuleState.h"

namespace pictra {

ImageSink::ImageSink(std::shared_ptr<LiveImage> image)
    : UnknownImpl(&moduleLiveCount()), m_image(std::move(image))
{}

HRESULT ImageSink::OnDataAvailable(UI4 dwCookie, UI4 dwType)
{
    m_image->onDataAvailable(dwCookie, dwType);
    return S_OK;
}

HRESULT ImageSink::OnStatusChanged(UI4, UI4, BSTR)
{
    return S_OK;
}

} // namespace pictra
