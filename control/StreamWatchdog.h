#pragma once
// The image stream's watchdog: every 10 s it looks at what happened since the last look and
// says what the control does. Flags are set from the client's callback thread and read here
// on the window thread, so they are atomic.

#include <atomic>
#include <chrono>

namespace pictra {

inline constexpr std::chrono::milliseconds kWatchdogInterval{10000};

enum class WatchdogAction {
    None,
    ConnectionFailed, // no image yet since the download started: tell the page, keep waiting
    ConnectionBroken, // images came and then stopped: tell the page, restart the download
};

class StreamWatchdog {
public:
    // A download starts: waiting, nothing received.
    void downloadStarted()
    {
        m_received = false;
        m_waiting = true;
    }
    // Called on the callback thread for each image that arrives.
    void imageReceived() { m_received = true; }

    // The table:  waiting received -> action
    //             set     clear    -> ConnectionFailed (stays waiting)
    //             set     set      -> None, both cleared (the stream runs)
    //             clear   clear    -> ConnectionBroken
    //             clear   set      -> None, received cleared
    WatchdogAction tick()
    {
        const bool received = m_received.exchange(false);
        if (m_waiting) {
            if (!received)
                return WatchdogAction::ConnectionFailed;
            m_waiting = false;
            return WatchdogAction::None;
        }
        return received ? WatchdogAction::None : WatchdogAction::ConnectionBroken;
    }

    bool waiting() const { return m_waiting; }

private:
    std::atomic<bool> m_waiting{false}; // written on the window thread only
    std::atomic<bool> m_received{false};
};

} // namespace pictra
