#include "platform/com/MessageChannel.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// A message larger than this is a protocol fault (the suite sends paths and short texts).
constexpr std::uint32_t kMaxMessage = 16u << 20;
} // namespace

MessageChannel::MessageChannel(int fd) : m_fd(fd), m_wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
    if (m_fd >= 0) {
        int flags = ::fcntl(m_fd, F_GETFL);
        ::fcntl(m_fd, F_SETFL, flags | O_NONBLOCK);
    }
}

MessageChannel::~MessageChannel()
{
    if (m_fd >= 0)
        ::close(m_fd);
    if (m_wake >= 0)
        ::close(m_wake);
}

void MessageChannel::wake()
{
    if (m_wake >= 0) {
        std::uint64_t one = 1;
        [[maybe_unused]] ssize_t n = ::write(m_wake, &one, sizeof one);
    }
}

MessageChannel::Result MessageChannel::waitFor(short events,
                                               std::optional<Clock::time_point> deadline)
{
    for (;;) {
        int timeout = -1;
        if (deadline) {
            auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(*deadline - Clock::now());
            if (left.count() <= 0)
                return Result::Timeout;
            timeout = static_cast<int>(std::min<long long>(left.count() + 1, 1 << 30));
        }
        pollfd fds[2] = {{m_fd, events, 0}, {m_wake, POLLIN, 0}};
        int n = ::poll(fds, 2, timeout);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return Result::Closed;
        }
        if (fds[1].revents)
            return Result::Woken;
        if (fds[0].revents & (events | POLLHUP | POLLERR | POLLNVAL))
            return Result::Ok;
    }
}

MessageChannel::Result MessageChannel::send(const std::vector<std::uint8_t>& message,
                                            Clock::time_point deadline)
{
    if (!valid())
        return Result::Closed;
    std::vector<std::uint8_t> frame(sizeof(std::uint32_t) + message.size());
    auto len = static_cast<std::uint32_t>(message.size());
    std::memcpy(frame.data(), &len, sizeof len);
    std::memcpy(frame.data() + sizeof len, message.data(), message.size());
    std::size_t done = 0;
    while (done < frame.size()) {
        ssize_t n = ::send(m_fd, frame.data() + done, frame.size() - done, MSG_NOSIGNAL);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (Result r = waitFor(POLLOUT, deadline); r != Result::Ok)
                return r;
            continue;
        }
        return Result::Closed; // EPIPE, ECONNRESET
    }
    return Result::Ok;
}

MessageChannel::Result MessageChannel::receive(std::vector<std::uint8_t>* message,
                                               std::optional<Clock::time_point> deadline)
{
    if (!valid())
        return Result::Closed;
    for (;;) {
        if (m_in.size() >= sizeof(std::uint32_t)) {
            std::uint32_t len;
            std::memcpy(&len, m_in.data(), sizeof len);
            if (len > kMaxMessage)
                return Result::Closed;
            if (m_in.size() >= sizeof len + len) {
                message->assign(m_in.begin() + sizeof len, m_in.begin() + sizeof len + len);
                m_in.erase(m_in.begin(), m_in.begin() + sizeof len + len);
                return Result::Ok;
            }
        }
        std::uint8_t buf[4096];
        ssize_t n = ::recv(m_fd, buf, sizeof buf, 0);
        if (n > 0) {
            m_in.insert(m_in.end(), buf, buf + n);
            continue;
        }
        if (n == 0)
            return Result::Closed;
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            return Result::Closed;
        if (Result r = waitFor(POLLIN, deadline); r != Result::Ok)
            return r;
    }
}

void MessageWriter::raw(const void* p, std::size_t n)
{
    auto* b = static_cast<const std::uint8_t*>(p);
    m_out.insert(m_out.end(), b, b + n);
}

HRESULT MessageWriter::variant(const VARIANT& in)
{
    // In-arguments only: by-reference values travel as their current value.
    Variant holder;
    const VARIANT* v = &in;
    if (in.vt & VT_BYREF) {
        VARTYPE base = in.vt & ~VT_BYREF;
        if (base == VT_VARIANT && in.pvarVal)
            base = in.pvarVal->vt & ~VT_BYREF;
        if (FAILED(VariantChangeType(holder.get(), &in, 0, base)))
            return DISP_E_BADVARTYPE;
        v = holder.get();
    }
    u16(v->vt);
    switch (v->vt) {
    case VT_EMPTY:
    case VT_NULL:
        return S_OK;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_ERROR:
        u32(v->ulVal);
        return S_OK;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
        u16(v->uiVal);
        return S_OK;
    case VT_UI1:
        u8(v->bVal);
        return S_OK;
    case VT_BSTR:
        u8(v->bstrVal ? 1 : 0);
        u32(SysStringByteLen(v->bstrVal));
        if (v->bstrVal)
            raw(v->bstrVal, SysStringByteLen(v->bstrVal));
        return S_OK;
    case VT_UNKNOWN:
    case VT_DISPATCH:
        if (!v->punkVal)
            return S_OK;
        return DISP_E_BADVARTYPE;
    default:
        return DISP_E_BADVARTYPE;
    }
}

bool MessageReader::raw(void* p, std::size_t n)
{
    if (!m_ok || m_in.size() - m_pos < n) {
        m_ok = false;
        std::memset(p, 0, n);
        return false;
    }
    std::memcpy(p, m_in.data() + m_pos, n);
    m_pos += n;
    return true;
}

std::uint8_t MessageReader::u8()
{
    std::uint8_t v;
    raw(&v, sizeof v);
    return v;
}
std::uint16_t MessageReader::u16()
{
    std::uint16_t v;
    raw(&v, sizeof v);
    return v;
}
std::uint32_t MessageReader::u32()
{
    std::uint32_t v;
    raw(&v, sizeof v);
    return v;
}
std::int32_t MessageReader::i32()
{
    std::int32_t v;
    raw(&v, sizeof v);
    return v;
}
GUID MessageReader::guid()
{
    GUID g;
    raw(&g, sizeof g);
    return g;
}

bool MessageReader::variant(VARIANT* v)
{
    VariantInit(v);
    VARTYPE vt = u16();
    switch (vt) {
    case VT_EMPTY:
    case VT_NULL:
        break;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_ERROR:
        v->ulVal = u32();
        break;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
        v->uiVal = u16();
        break;
    case VT_UI1:
        v->bVal = u8();
        break;
    case VT_BSTR: {
        bool present = u8() != 0;
        std::uint32_t bytes = u32();
        if (!m_ok || bytes > m_in.size() - m_pos || bytes % sizeof(OLECHAR)) {
            m_ok = false;
            return false;
        }
        if (present) {
            v->bstrVal =
                SysAllocStringByteLen(reinterpret_cast<const char*>(m_in.data() + m_pos), bytes);
            if (!v->bstrVal) {
                m_ok = false;
                return false;
            }
        }
        m_pos += bytes;
        break;
    }
    case VT_UNKNOWN:
    case VT_DISPATCH:
        v->punkVal = nullptr; // only null pointers travel
        break;
    default:
        m_ok = false;
        return false;
    }
    if (!m_ok) {
        VariantClear(v);
        return false;
    }
    v->vt = vt;
    return true;
}
