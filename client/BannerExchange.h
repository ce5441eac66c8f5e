#pragma once
// The identify thread's exchange with a camera's FTP port: connect, receive the greeting (until
// its line ends, kBannerBufferSize bytes came or the camera closed), send "QUIT\r\n". The caller
// waits for it with a time-out; destruction wakes a thread still connecting or receiving, joins it,
// then closes the socket, so nothing outlives the call that started it.

#include "platform/base/Hresult.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <netinet/in.h>
#include <string>
#include <thread>

namespace lumin {

inline constexpr std::uint16_t kIdentifyPort = 21;
inline constexpr std::size_t kBannerBufferSize = 1460;

class BannerExchange {
public:
    // Creates the TCP/IPv4 socket. Null when it cannot be created.
    static std::unique_ptr<BannerExchange> create();
    ~BannerExchange();
    BannerExchange(const BannerExchange&) = delete;
    BannerExchange& operator=(const BannerExchange&) = delete;

    // Starts the identify thread against address (port already set). False when the thread
    // cannot be started.
    bool start(const sockaddr_in& address);
    // True when the thread ended within the time-out.
    bool waitFinished(std::chrono::milliseconds timeout);
    // The greeting up to its first zero byte; empty when the connection failed. Valid after
    // waitFinished returned true.
    std::string banner() const;

private:
    BannerExchange(int socket, int wake) : m_socket(socket), m_wake(wake) {}
    void threadFuncIdentify(sockaddr_in address);
    // Waits for events on the socket or the wake-up; false when woken or failed.
    bool waitSocket(short events);

    const int m_socket;
    const int m_wake; // eventfd: written once by the destructor to end the thread
    std::thread m_thread;
    mutable std::mutex m_mutex; // guards m_finished and m_banner
    std::condition_variable m_finishedChanged;
    bool m_finished = false;
    std::string m_banner;
};

// The text of bstrHost before its first ":", resolved to an IPv4 address with port 21.
// A dotted address is taken as it is. False when the name does not resolve.
bool resolveIdentifyHost(const std::string& host, sockaddr_in* address);

} // namespace lumin
