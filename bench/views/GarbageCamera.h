#pragma once
// A "camera" on 127.0.0.N:80 that answers every request with something broken: random bytes,
// a multipart stream of random parts, lying part lengths, JPEG markers followed by noise. For
// the soak: the view must survive it and stay flat in memory.
//
// Threads: one serving thread, owned here; stop() (and the destructor) ends it promptly.

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

namespace viewbench {

class GarbageCamera {
public:
    GarbageCamera() = default;
    ~GarbageCamera();
    GarbageCamera(const GarbageCamera&) = delete;
    GarbageCamera& operator=(const GarbageCamera&) = delete;

    // False with the reason in *error when the address cannot be bound.
    bool start(const std::string& address, std::uint16_t port, std::uint32_t seed,
               std::string* error);
    void stop();
    std::uint64_t connections() const { return m_connections; }

private:
    void serve();
    void answer(int fd);

    int m_listen = -1;
    std::atomic<bool> m_stop{false};
    std::atomic<std::uint64_t> m_connections{0};
    std::uint32_t m_seed = 1;
    std::thread m_thread;
};

} // namespace viewbench
