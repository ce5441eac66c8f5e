#pragma once
// A deliberately simple client for the simulator's tests: a raw socket that remembers how the
// bytes arrived (each recv as one chunk), a multipart splitter of its own, and JPEG decoding.
// It shares no code with the simulator or the suite's HTTP layer.

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace camsim::test {

using namespace std::chrono_literals;

class RawClient {
public:
    RawClient(const std::string& address, std::uint16_t port);
    ~RawClient();
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool connected() const { return m_fd >= 0; }
    bool send(const std::string& bytes);
    bool get(const std::string& target, const std::string& extraHeaders = {});

    // Reads until done(received) holds, the peer closes or the timeout passes; true when done.
    bool readUntil(const std::function<bool(const std::string&)>& done,
                   std::chrono::milliseconds timeout = 5s);
    bool readUntilClosed(std::chrono::milliseconds timeout = 5s);
    // True when nothing arrives for the whole quiet period (and the peer did not close).
    bool staysQuiet(std::chrono::milliseconds quiet);

    const std::string& received() const { return m_received; }
    const std::vector<std::size_t>& chunkEnds() const { return m_chunkEnds; } // offsets
    bool peerClosed() const { return m_closed; }
    int readError() const { return m_error; } // errno of a failed recv (ECONNRESET), else 0

private:
    bool readOnce(std::chrono::milliseconds timeout); // false on timeout
    int m_fd = -1;
    std::string m_received;
    std::vector<std::size_t> m_chunkEnds;
    bool m_closed = false;
    int m_error = 0;
};

struct Reply {
    std::string statusLine;
    int status = 0;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    std::string header(const std::string& name) const; // ignoring case; empty when absent
};

// Splits "status line, headers, empty line, body" (CR LF). False when the head is incomplete.
bool parseReply(const std::string& bytes, Reply& reply);
// One request on a fresh connection, read until the peer closes (Connection: close).
Reply fetch(const std::string& address, std::uint16_t port, const std::string& target,
            const std::string& extraHeaders = {});

struct Part {
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    std::string header(const std::string& name) const;
};
// The complete parts of a multipart body: each starts at a marker line and ends before the
// line end that precedes the next marker.
std::vector<Part> splitParts(const std::string& body, const std::string& marker);
std::size_t countOf(const std::string& text, const std::string& needle);

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
    bool valid() const { return width > 0; }
    std::uint8_t at(int x, int y, int channel) const { return rgb[(y * width + x) * 3 + channel]; }
};
Picture decodeJpeg(const std::string& jpeg);

} // namespace camsim::test
