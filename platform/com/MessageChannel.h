#pragma once
// One end of the local-server connection: length-prefixed messages over a Unix-domain stream
// socket. Every wait is bounded by a deadline or ended by wake(); writes never raise SIGPIPE.
// Used by one reader and one writer at a time (the callers serialise).

#include "platform/com/Guid.h"
#include "platform/com/Variant.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class MessageChannel {
public:
    using Clock = std::chrono::steady_clock;
    enum class Result { Ok, Timeout, Closed, Woken };

    // Takes ownership of the connected socket.
    explicit MessageChannel(int fd);
    ~MessageChannel();
    MessageChannel(const MessageChannel&) = delete;
    MessageChannel& operator=(const MessageChannel&) = delete;

    bool valid() const { return m_fd >= 0 && m_wake >= 0; }
    Result send(const std::vector<std::uint8_t>& message, Clock::time_point deadline);
    // No deadline: waits until a message, the peer's end, or wake().
    Result receive(std::vector<std::uint8_t>* message,
                   std::optional<Clock::time_point> deadline = std::nullopt);
    // Makes a blocked or later receive/send return Woken. Any thread.
    void wake();

private:
    Result waitFor(short events, std::optional<Clock::time_point> deadline);

    int m_fd;
    int m_wake;                     // eventfd
    std::vector<std::uint8_t> m_in; // bytes read beyond the last whole message
};

// Message building and parsing. A reader that runs past the end marks itself failed and
// returns zeroes, so malformed input is detected once at the end.
class MessageWriter {
public:
    void u8(std::uint8_t v) { m_out.push_back(v); }
    void u16(std::uint16_t v) { raw(&v, sizeof v); }
    void u32(std::uint32_t v) { raw(&v, sizeof v); }
    void i32(std::int32_t v) { raw(&v, sizeof v); }
    void guid(const GUID& g) { raw(&g, sizeof g); }
    // DISP_E_BADVARTYPE for what cannot cross a process (interface pointers that are not null).
    HRESULT variant(const VARIANT& v);
    std::vector<std::uint8_t>& bytes() { return m_out; }

private:
    void raw(const void* p, std::size_t n);
    std::vector<std::uint8_t> m_out;
};

class MessageReader {
public:
    explicit MessageReader(const std::vector<std::uint8_t>& in) : m_in(in) {}
    std::uint8_t u8();
    std::uint16_t u16();
    std::uint32_t u32();
    std::int32_t i32();
    GUID guid();
    // Fills *v (initialised by the caller) with a value it then owns.
    bool variant(VARIANT* v);
    bool ok() const { return m_ok; }
    bool atEnd() const { return m_pos == m_in.size(); }

private:
    bool raw(void* p, std::size_t n);
    const std::vector<std::uint8_t>& m_in;
    std::size_t m_pos = 0;
    bool m_ok = true;
};

// Message kinds of the local-server protocol.
enum class MessageKind : std::uint8_t {
    Create = 1, // clsid, iid                         -> Reply(hr)
    Query = 2,  // iid                                -> Reply(hr)
    Invoke = 3, // iid, dispid, flags, argc, args...  -> Reply(hr, result)
    Reply = 4,  // hr, result variant
    Names = 5,  // iid, name variant (BSTR)           -> Reply(hr, VT_I4 dispid)
};
