#include "control/AudioParameters.h"

#include <cctype>
#include <charconv>
#include <limits>

namespace pictra {
namespace {

std::string_view trim(std::string_view s)
{
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

bool same(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// A decimal integer, whole value or nothing: "12abc" and out-of-range numbers leave the field.
void setNumber(std::string_view value, long& field)
{
    long n = 0;
    const char* end = value.data() + value.size();
    auto [at, ec] = std::from_chars(value.data(), end, n);
    if (ec == std::errc() && at == end)
        field = n;
}

void setFlag(std::string_view value, std::string_view on, std::string_view off, bool& field)
{
    if (same(value, on))
        field = true;
    else if (same(value, off))
        field = false;
}

void apply(std::string_view key, std::string_view value, AudioParameters& p)
{
    constexpr std::string_view kPrefix = "root.Audiod.";
    if (key.size() <= kPrefix.size() || !same(key.substr(0, kPrefix.size()), kPrefix))
        return;
    key.remove_prefix(kPrefix.size());
    if (same(key, "duplexMode")) {
        if (same(value, "full"))
            p.duplexMode = DuplexMode::Full;
        else if (same(value, "half"))
            p.duplexMode = DuplexMode::Half;
        else if (same(value, "get"))
            p.duplexMode = DuplexMode::ListenOnly;
        else if (same(value, "post"))
            p.duplexMode = DuplexMode::TalkOnly;
        else if (same(value, "disabled_post") || same(value, "disabled_half") ||
                 same(value, "disabled_get") || same(value, "disabled_full"))
            p.duplexMode = DuplexMode::Disabled;
    } else if (same(key, "maxNumberOfClients")) {
        setNumber(value, p.maxNumberOfClients);
    } else if (same(key, "connectedClients")) {
        setNumber(value, p.connectedClients);
    } else if (same(key, "connectedPostClients")) {
        setNumber(value, p.connectedPostClients);
    } else if (same(key, "buttonMode")) {
        if (same(value, "toggle"))
            p.buttonMode = ButtonMode::Toggle;
        else if (same(value, "instant"))
            p.buttonMode = ButtonMode::Instant;
    } else if (same(key, "audioEncoding")) {
        if (same(value, "G721"))
            p.encoding = orvel::codec::CodecType::G721;
        else if (same(value, "G723"))
            p.encoding = orvel::codec::CodecType::G723_24;
    } else if (same(key, "httpMessageType")) {
        if (same(value, "singlepart"))
            p.messageType = HttpMessageType::Singlepart;
        else if (same(value, "multipart"))
            p.messageType = HttpMessageType::Multipart;
    } else if (same(key, "microphoneMode")) {
        setFlag(value, "muted", "unmuted", p.microphoneMuted);
    } else if (same(key, "forceMicrophoneMode")) {
        setFlag(value, "yes", "no", p.microphoneForced);
    } else if (same(key, "speakerMode")) {
        setFlag(value, "muted", "unmuted", p.speakerMuted);
    } else if (same(key, "forceSpeakerMode")) {
        setFlag(value, "yes", "no", p.speakerForced);
    } else if (same(key, "bufferLevel")) {
        setNumber(value, p.bufferLevel);
    } else if (same(key, "forceBufferLevel")) {
        setFlag(value, "yes", "no", p.bufferLevelForced);
    }
    // "forwardOnPost" and anything else: no effect.
}

} // namespace

void parseAudioParameters(std::string_view text, AudioParameters& parameters)
{
    while (!text.empty()) {
        const std::size_t end = text.find_first_of("\r\n");
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        apply(trim(line.substr(0, equals)), trim(line.substr(equals + 1)), parameters);
    }
}

} // namespace pictra
