#include "control/AudioEvent.h"

namespace pictra {

void AudioPoster::setWindow(QObject* window)
{
    std::lock_guard hold(m_mutex);
    m_window = window;
}

void AudioPoster::post(AudioNotice notice, int value)
{
    std::lock_guard hold(m_mutex);
    if (m_window)
        postEventSynced(m_window, new AudioEvent(notice, value));
}

} // namespace pictra
