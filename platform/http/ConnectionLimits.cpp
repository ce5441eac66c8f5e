#include "platform/http/ConnectionLimits.h"

#include <condition_variable>
#include <map>
#include <mutex>

namespace orvel::http {

namespace {

struct Slots {
    std::mutex mutex;
    std::condition_variable changed;
    std::map<std::string, unsigned> inUse; // guarded by mutex
    unsigned limit = 6;                    // guarded by mutex
};

Slots& slots()
{
    static Slots instance;
    return instance;
}

} // namespace

void setMaxConnectionsPerServer(unsigned limit)
{
    Slots& s = slots();
    {
        std::lock_guard lock(s.mutex);
        s.limit = limit == 0 ? 1 : limit;
    }
    s.changed.notify_all();
}

unsigned maxConnectionsPerServer()
{
    Slots& s = slots();
    std::lock_guard lock(s.mutex);
    return s.limit;
}

ServerSlot& ServerSlot::operator=(ServerSlot&& other) noexcept
{
    if (this != &other) {
        release();
        m_key = std::move(other.m_key);
        other.m_key.clear();
    }
    return *this;
}

ServerSlot::Outcome ServerSlot::acquire(const std::string& server,
                                        const std::atomic<bool>& cancelled,
                                        std::chrono::steady_clock::time_point deadline,
                                        ServerSlot& slot)
{
    slot.release();
    Slots& s = slots();
    std::unique_lock lock(s.mutex);
    for (;;) {
        if (cancelled.load())
            return Outcome::Cancelled;
        unsigned& used = s.inUse[server];
        if (used < s.limit) {
            ++used;
            slot.m_key = server;
            return Outcome::Taken;
        }
        if (s.changed.wait_until(lock, deadline) == std::cv_status::timeout &&
            std::chrono::steady_clock::now() >= deadline)
            return Outcome::TimedOut;
    }
}

void ServerSlot::wakeWaiters()
{
    Slots& s = slots();
    {
        std::lock_guard lock(s.mutex);
    }
    s.changed.notify_all();
}

void ServerSlot::release()
{
    if (m_key.empty())
        return;
    Slots& s = slots();
    {
        std::lock_guard lock(s.mutex);
        auto it = s.inUse.find(m_key);
        if (it != s.inUse.end() && --it->second == 0)
            s.inUse.erase(it);
    }
    m_key.clear();
    s.changed.notify_all();
}

} // namespace orvel::http
