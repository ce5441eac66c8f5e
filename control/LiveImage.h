#pragma once
// The image side of the control that the camera client's callback thread and the control's
// window thread share: the stream's data object and cookie, the last JPEG fetched, the decoded
// picture, the painted flag and the watchdog's flags.
//
// The painted flag is a one-slot hand-off: an image is fetched and decoded only after the
// previous one was painted, so a host that does not repaint builds no backlog and each image
// is decoded once, on the callback thread, never on paint.

#include "common/ICamDataObject.h"
#include "control/ImageDecoder.h"
#include "control/StreamWatchdog.h"
#include "platform/base/CriticalSection.h"
#include "platform/com/ComPtr.h"
#include "platform/draw/DrawSurface.h"

#include <QEvent>
#include <atomic>
#include <mutex>

class QObject;

namespace pictra {

// The control's window messages, as Qt events posted to its window.
inline constexpr QEvent::Type kNewImageEvent = QEvent::Type(QEvent::User + 1025);
inline constexpr QEvent::Type kNewSoundSampleEvent = QEvent::Type(QEvent::User + 1026);
// A new picture waits: the window repaints (what InvalidateRect was).
inline constexpr QEvent::Type kRepaintEvent = QEvent::Type(QEvent::User + 1);

class LiveImage {
public:
    LiveImage() = default;
    LiveImage(const LiveImage&) = delete;
    LiveImage& operator=(const LiveImage&) = delete;

    // Window thread. The object the arrival events go to; null stops them. Posting and this
    // call exclude each other, so no event is posted to a window being destroyed.
    void setWindow(QObject* window);

    // Window thread: a download starts (waiting, painted, nothing received).
    void downloadStarted();
    // Window thread: the stream to read images from, or none.
    void setStream(ComPtr<ICamDataObject> dataObject, UI4 cookie);
    // Window thread: forgets the stream; the caller closes its request outside the image lock
    // (the client's Close waits for the callback thread, which may wait for that lock).
    void clearStream();
    // Window thread: frees the last JPEG and the picture (the window goes).
    void releasePicture();

    StreamWatchdog& watchdog() { return m_watchdog; }

    // Called on the client's callback thread (ICamRequestSink::OnDataAvailable).
    void onDataAvailable(UI4 cookie, UI4 type);

    // Window thread. Sets painted, then under the image lock calls draw(picture) when a
    // picture was decoded; false when there was none.
    template <typename Draw> bool paint(Draw&& draw)
    {
        m_painted = true;
        CriticalSectionLocker hold(m_lock);
        if (m_picture.empty())
            return false;
        draw(m_picture);
        return true;
    }

    bool painted() const { return m_painted; }

private:
    void post(QEvent::Type type);

    CriticalSection m_lock; // the image lock
    ComPtr<ICamDataObject> m_dataObject ORVEL_GUARDED_BY(m_lock);
    std::atomic<UI4> m_cookie{0};                    // 0: no stream
    BYTE* m_jpeg ORVEL_GUARDED_BY(m_lock) = nullptr; // task memory, from GetData
    DWORD m_jpegSize ORVEL_GUARDED_BY(m_lock) = 0;
    ImageDecoder m_decoder ORVEL_GUARDED_BY(m_lock);
    DecodedImage m_picture ORVEL_GUARDED_BY(m_lock);
    std::atomic<bool> m_painted{true};
    StreamWatchdog m_watchdog;

    std::mutex m_windowMutex;
    QObject* m_window = nullptr; // guarded by m_windowMutex
};

} // namespace pictra
