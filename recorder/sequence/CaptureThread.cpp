#include "recorder/sequence/CaptureThread.h"

#include <algorithm>
#include <chrono>
#include <system_error>

namespace {
// How long start() waits for the new thread to report its timer set.
constexpr auto kStartWait = std::chrono::seconds(5);
} // namespace

std::unique_ptr<CaptureThread> CaptureThread::start(DWORD intervalMs, Tick tick)
{
    std::unique_ptr<CaptureThread> thread(
        new CaptureThread(std::max(intervalMs, kMinimumIntervalMs), std::move(tick)));
    try {
        thread->m_thread = std::thread([t = thread.get()] { t->run(); });
    } catch (const std::system_error&) {
        return nullptr;
    }
    std::unique_lock lock(thread->m_mutex);
    if (!thread->m_changed.wait_for(lock, kStartWait, [&] { return thread->m_running; })) {
        lock.unlock();
        return nullptr; // the destructor stops and joins it
    }
    return thread;
}

CaptureThread::~CaptureThread()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void CaptureThread::run()
{
    using Clock = std::chrono::steady_clock;
    const auto period = std::chrono::milliseconds(m_intervalMs);
    std::unique_lock lock(m_mutex);
    m_running = true;
    m_changed.notify_all();
    auto next = Clock::now() + period;
    for (;;) {
        if (m_changed.wait_until(lock, next, [&] { return m_stop; }))
            break;
        lock.unlock();
        m_tick();
        lock.lock();
        next += period;
        // Ticks missed while this one ran fold into one that fires at once.
        next = std::max(next, Clock::now());
    }
}
