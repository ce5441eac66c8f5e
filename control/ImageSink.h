#pragma once
// The control's ICamRequestSink: the camera client calls it on its callback thread and it
// hands each notice to the live image it shares with the control. A separate object, so the
// client's reference never keeps the control itself alive.

#include "common/ICamRequestSink.h"
#include "control/LiveImage.h"
#include "platform/com/UnknownImpl.h"

#include <memory>

namespace pictra {

class ImageSink final : public UnknownImpl<ImageSink, ICamRequestSink> {
public:
    explicit ImageSink(std::shared_ptr<LiveImage> image);

    // Called on the client's callback thread.
    HRESULT OnDataAvailable(UI4 dwCookie, UI4 dwType) override;
    // The image stream's statuses need no reaction (the watchdog watches it).
    HRESULT OnStatusChanged(UI4 dwCookie, UI4 dwStatus, BSTR bstrInfo) override;

private:
    ~ImageSink() override = default;
    std::shared_ptr<LiveImage> m_image;
};

} // namespace pictra
