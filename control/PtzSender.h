#pragma once
// Fire-and-forget GETs for the PTZ requests: each address is fetched on a worker thread of
// its own and the answer read and dropped. Nothing is reported back; a camera that does not
// answer costs at most the time-outs. Requests queue in order; beyond a few waiting ones new
// requests are dropped, so a spinning wheel against a dead camera builds no backlog.

#include "platform/base/ThreadAnnotations.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace orvel::http {
class Request;
class Session;
} // namespace orvel::http

namespace pictra {

class PtzSender {
public:
    static constexpr std::size_t kMaxQueued = 8;
    static constexpr int kTimeoutMs = 5000;                 // connect, and each wait for bytes
    static constexpr std::size_t kMaxAnswerBytes = 1 << 20; // read and dropped, then cut

    PtzSender();
    // Aborts the request in flight and joins the worker.
    ~PtzSender();
    PtzSender(const PtzSender&) = delete;
    PtzSender& operator=(const PtzSender&) = delete;

    // Any thread. False when the address is dropped (queue full, stopping or not http(s)).
    bool send(std::string url);

private:
    void run();
    void fetch(const std::string& url);

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::string> m_queue;                  // guarded by m_mutex
    bool m_stopping = false;                          // guarded by m_mutex
    std::shared_ptr<orvel::http::Request> m_inFlight; // guarded by m_mutex
    std::shared_ptr<orvel::http::Session> m_session;  // the worker's
    std::thread m_thread;                             // started on the first send
};

} // namespace pictra
