#pragma once
// One flag that ends every wait of a simulated camera: pacing between frames, slow greetings,
// pauses between split writes. Set once by CamSim::stop(); waits return early and say so.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace camsim {

class StopSignal {
public:
    void stop();
    bool stopped() const { return m_stopped.load(); }

    // False when stopped before (or at) the deadline.
    bool sleepUntil(std::chrono::steady_clock::time_point deadline);
    bool sleepFor(std::chrono::milliseconds duration);

private:
    std::mutex m_mutex; // pairs with m_wake
    std::condition_variable m_wake;
    std::atomic<bool> m_stopped{false};
};

} // namespace camsim
