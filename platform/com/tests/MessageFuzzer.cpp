// The local-server messages a process reads from its peer: framing, message fields and
// VARIANT values. Whatever arrives must be rejected or decoded, never crash; what decodes must
// encode back to the same bytes.

#include "platform/com/MessageChannel.h"

#include <cstdlib>
#include <sys/socket.h>
#include <unistd.h>

namespace {

void decodeMessage(const std::vector<std::uint8_t>& message)
{
    MessageReader r(message);
    auto kind = static_cast<MessageKind>(r.u8());
    MessageWriter w;
    w.u8(static_cast<std::uint8_t>(kind));
    std::vector<Variant> values;
    switch (kind) {
    case MessageKind::Create:
        w.guid(r.guid());
        w.guid(r.guid());
        break;
    case MessageKind::Query:
        w.guid(r.guid());
        break;
    case MessageKind::Invoke: {
        w.guid(r.guid());
        w.i32(r.i32());
        w.u16(r.u16());
        std::uint32_t argc = r.u32();
        w.u32(argc);
        for (std::uint32_t i = 0; i < argc && i < 64 && r.ok(); ++i) {
            Variant v;
            if (r.variant(v.get()))
                values.push_back(std::move(v));
        }
        break;
    }
    case MessageKind::Names: {
        w.guid(r.guid());
        Variant v;
        if (r.variant(v.get()))
            values.push_back(std::move(v));
        break;
    }
    case MessageKind::Reply: {
        w.i32(r.i32());
        Variant v;
        if (r.variant(v.get()))
            values.push_back(std::move(v));
        break;
    }
    default:
        return;
    }
    for (Variant& v : values) {
        // Whatever decoded converts or is refused, like a callee's argument would be.
        Variant converted;
        VariantChangeType(converted.get(), v.get(), 0, VT_I4);
        VariantChangeType(converted.get(), v.get(), 0, VT_BSTR);
        if (FAILED(w.variant(*v.get())))
            std::abort(); // decoded values must be encodable
    }
    if (r.ok() && r.atEnd() && kind != MessageKind::Invoke && w.bytes() != message)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::uint8_t> bytes(data, data + size);
    decodeMessage(bytes);

    // The same bytes as a stream: framing with whatever length words they contain.
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0)
        return 0;
    std::size_t sent = 0;
    while (sent < size && sent < 64 * 1024) {
        ssize_t n = ::send(pair[1], data + sent, std::min<std::size_t>(size - sent, 64 * 1024),
                           MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n <= 0)
            break;
        sent += static_cast<std::size_t>(n);
    }
    ::close(pair[1]);
    MessageChannel channel(pair[0]);
    std::vector<std::uint8_t> message;
    for (int i = 0; i < 1000; ++i) {
        if (channel.receive(&message, MessageChannel::Clock::now()) != MessageChannel::Result::Ok)
            break;
        decodeMessage(message);
    }
    return 0;
}
