#include "tools/camsim/StopSignal.h"

namespace camsim {

void StopSignal::stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopped = true;
    }
    m_wake.notify_all();
}

bool StopSignal::sleepUntil(std::chrono::steady_clock::time_point deadline)
{
    std::unique_lock lock(m_mutex);
    return !m_wake.wait_until(lock, deadline, [this] { return m_stopped.load(); });
}

bool StopSignal::sleepFor(std::chrono::milliseconds duration)
{
    return sleepUntil(std::chrono::steady_clock::now() + duration);
}

} // namespace camsim
