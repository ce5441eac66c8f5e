#include "control/AudioEvent.h"

#include <QCoreApplication>

namespace pictra {
std::mutex& postedEventMutex()
{
    // Destroyed when the library unloads, after every control's threads were joined.
    static std::mutex mutex;
    return mutex;
}

void syncPostedEvents()
{
    std::lock_guard hold(postedEventMutex());
}

void AudioPoster::setWindow(QObject* window)
{
    std::lock_guard hold(m_mutex);
    m_window = window;
}

void AudioPoster::post(AudioNotice notice, int value)
{
    std::lock_guard hold(m_mutex);
    std::lock_guard posting(postedEventMutex());
    if (m_window)
        QCoreApplication::postEvent(m_window, new AudioEvent(notice, value));
}

} // namespace pictra
