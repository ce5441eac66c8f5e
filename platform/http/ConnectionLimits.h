#pragma once
// How many requests may talk to one server (host and port) at once, for the whole process.
// A request over the limit waits, abortably, until another one ends.

#include <atomic>
#include <chrono>
#include <functional>
#include <string>

namespace orvel::http {

// At least 1. The default, 6, lets a few live views of one camera run side by side.
void setMaxConnectionsPerServer(unsigned limit);
unsigned maxConnectionsPerServer();

// A taken slot; gives it back when destroyed.
class ServerSlot {
public:
    ServerSlot() = default;
    ~ServerSlot() { release(); }
    ServerSlot(ServerSlot&& other) noexcept : m_key(std::move(other.m_key)) { other.m_key.clear(); }
    ServerSlot& operator=(ServerSlot&& other) noexcept;
    ServerSlot(const ServerSlot&) = delete;
    ServerSlot& operator=(const ServerSlot&) = delete;

    enum class Outcome { Taken, Cancelled, TimedOut };
    // Waits until the server has a free slot, the flag is set, or the deadline passes.
    static Outcome acquire(const std::string& server, const std::atomic<bool>& cancelled,
                           std::chrono::steady_clock::time_point deadline, ServerSlot& slot);
    // Wakes every waiter so that it looks at its cancel flag again.
    static void wakeWaiters();

    bool held() const { return !m_key.empty(); }
    void release();

private:
    std::string m_key;
};

} // namespace orvel::http
