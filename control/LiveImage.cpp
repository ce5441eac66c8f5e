#include "control/LiveImage.h"

#include "common/ICamRequestSink.h"
#include "control/AudioEvent.h"
#include "platform/com/TaskMemory.h"

namespace pictra {

void LiveImage::setWindow(QObject* window)
{
    std::lock_guard hold(m_windowMutex);
    m_window = window;
}

void LiveImage::post(QEvent::Type type)
{
    std::lock_guard hold(m_windowMutex);
    if (m_window)
        postEventSynced(m_window, new QEvent(type));
}

void LiveImage::downloadStarted()
{
    m_painted = true;
    m_watchdog.downloadStarted();
}

void LiveImage::setStream(ComPtr<ICamDataObject> dataObject, UI4 cookie)
{
    CriticalSectionLocker hold(m_lock);
    m_dataObject = std::move(dataObject);
    m_cookie = m_dataObject ? cookie : 0;
}

void LiveImage::clearStream()
{
    CriticalSectionLocker hold(m_lock);
    m_cookie = 0;
    m_dataObject.reset();
}

void LiveImage::releasePicture()
{
    CriticalSectionLocker hold(m_lock);
    CoTaskMemFree(m_jpeg);
    m_jpeg = nullptr;
    m_jpegSize = 0;
    m_picture.clear();
}

void LiveImage::onDataAvailable(UI4 cookie, UI4 type)
{
    const UI4 ours = m_cookie;
    if (ours == 0 || cookie != ours || type != CamTypeJpeg)
        return;
    // The previous picture is not painted yet: drop this one, the client goes on.
    if (!m_painted)
        return;
    CriticalSectionLocker hold(m_lock);
    if (!m_dataObject)
        return;
    CoTaskMemFree(m_jpeg);
    m_jpeg = nullptr;
    m_jpegSize = 0;
    if (FAILED(m_dataObject->GetData(FALSE, &m_jpegSize, &m_jpeg)) || !m_jpeg) {
        m_jpeg = nullptr;
        m_jpegSize = 0;
        return;
    }
    // A picture that does not decode still counts as received: the stream is alive.
    m_watchdog.imageReceived();
    post(kNewImageEvent);
    m_decoder.decode(m_jpeg, m_jpegSize, m_picture);
    m_painted = false;
    post(kRepaintEvent);
}

} // namespace pictra
