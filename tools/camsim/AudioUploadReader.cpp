#include "tools/camsim/AudioUploadReader.h"

#include "tools/camsim/HttpRequest.h"

namespace camsim {

namespace {

using orvel::codec::AudioCodec;
using orvel::codec::CodecType;

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() &&
           equalsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

// The boundary parameter of a multipart content type, unquoted; empty when there is none.
std::string boundaryOf(std::string_view contentType)
{
    for (std::size_t at = contentType.find(';'); at != std::string_view::npos;
         at = contentType.find(';', at + 1)) {
        std::string_view param = trimmed(contentType.substr(at + 1));
        param = param.substr(0, param.find(';'));
        std::size_t eq = param.find('=');
        if (eq == std::string_view::npos ||
            !equalsIgnoringCase(trimmed(param.substr(0, eq)), "boundary"))
            continue;
        std::string_view value = trimmed(param.substr(eq + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        return std::string(value);
    }
    return {};
}

} // namespace

std::optional<CodecType> AudioUploadReader::audioType(std::string_view contentType)
{
    std::string_view type = trimmed(contentType.substr(0, contentType.find(';')));
    if (equalsIgnoringCase(type, "audio/32KADPCM"))
        return CodecType::G721;
    if (equalsIgnoringCase(type, "audio/G723"))
        return CodecType::G723_24;
    return std::nullopt;
}

std::unique_ptr<AudioUploadReader> AudioUploadReader::create(std::string_view contentType,
                                                             std::string& error)
{
    std::unique_ptr<AudioUploadReader> reader(new AudioUploadReader);
    if (auto type = audioType(contentType)) {
        reader->m_frameType = type;
        return reader;
    }
    if (!startsWithIgnoringCase(trimmed(contentType), "multipart/")) {
        error = "unsupported audio type \"" + std::string(contentType) + "\"";
        return nullptr;
    }
    reader->m_boundary = boundaryOf(contentType);
    // RFC 2046 bounds a boundary to 70 characters.
    if (reader->m_boundary.empty() || reader->m_boundary.size() > 70) {
        error = "multipart upload without a usable boundary";
        return nullptr;
    }
    reader->m_delimiter = "\r\n--" + reader->m_boundary;
    reader->m_state = State::Preamble;
    return reader;
}

bool AudioUploadReader::fail(std::string why)
{
    m_error = std::move(why);
    m_state = State::Failed;
    m_pending.clear();
    return false;
}

bool AudioUploadReader::feed(std::string_view bytes)
{
    if (m_state == State::Failed)
        return false;
    m_pending.append(bytes);
    while (!m_pending.empty() && step()) {
    }
    return m_state != State::Failed;
}

void AudioUploadReader::finish()
{
    if (m_state == State::FrameData)
        audio(m_pending);
    m_pending.clear();
}

AudioUploadReader::Output AudioUploadReader::take()
{
    Output out = std::move(m_out);
    m_out = Output{};
    return out;
}

bool AudioUploadReader::step()
{
    switch (m_state) {
    case State::Preamble: {
        // The first marker opens the body or a line of its own.
        const std::string marker = m_delimiter.substr(2);
        for (std::size_t at = m_pending.find(marker); at != std::string::npos;
             at = m_pending.find(marker, at + 1)) {
            if (at == 0 || m_pending[at - 1] == '\n') {
                m_pending.erase(0, at + marker.size());
                m_state = State::AfterMarker;
                return true;
            }
        }
        if (m_pending.size() > kMaxPreamble)
            return fail("no boundary marker in the first " + std::to_string(kMaxPreamble) +
                        " bytes");
        return false;
    }
    case State::AfterMarker:
        if (m_pending[0] == '-') {
            if (m_pending.size() < 2)
                return false;
            if (m_pending[1] != '-')
                return fail("a boundary marker not followed by a line end");
            m_state = State::Epilogue; // the closing marker
            return true;
        }
        if (m_pending[0] != '\r' && m_pending[0] != '\n')
            return fail("a boundary marker not followed by a line end");
        m_state = State::FrameHead;
        return true;
    case State::FrameHead: {
        // From the line end after the marker to the empty line.
        std::size_t end = std::string::npos;
        for (std::size_t at = m_pending.find('\n'); at != std::string::npos;
             at = m_pending.find('\n', at + 1)) {
            if (at + 1 < m_pending.size() && m_pending[at + 1] == '\n') {
                end = at + 2;
                break;
            }
            if (at + 2 < m_pending.size() && m_pending[at + 1] == '\r' &&
                m_pending[at + 2] == '\n') {
                end = at + 3;
                break;
            }
        }
        if (end == std::string::npos) {
            if (m_pending.size() > kMaxFrameHead)
                return fail("frame header lines over " + std::to_string(kMaxFrameHead) + " bytes");
            return false;
        }
        beginFrame(std::string_view(m_pending).substr(0, end));
        m_pending.erase(0, end);
        m_state = State::FrameData;
        return true;
    }
    case State::FrameData: {
        if (!multipart()) {
            audio(m_pending);
            m_pending.clear();
            return false;
        }
        const std::size_t at = m_pending.find(m_delimiter);
        if (at != std::string::npos) {
            audio(std::string_view(m_pending).substr(0, at));
            m_pending.erase(0, at + m_delimiter.size());
            m_state = State::AfterMarker;
            return true;
        }
        // Hold back what could be the start of the next marker.
        const std::size_t keep = std::min(m_pending.size(), m_delimiter.size() - 1);
        audio(std::string_view(m_pending).substr(0, m_pending.size() - keep));
        m_pending.erase(0, m_pending.size() - keep);
        return false;
    }
    case State::Epilogue:
    case State::Failed:
        m_pending.clear();
        return false;
    }
    return false;
}

void AudioUploadReader::beginFrame(std::string_view head)
{
    ++m_out.frames;
    std::optional<CodecType> type;
    while (!head.empty()) {
        const std::size_t end = head.find('\n');
        std::string_view line = trimmed(head.substr(0, end));
        head = end == std::string_view::npos ? std::string_view{} : head.substr(end + 1);
        constexpr std::string_view kName = "Content-type:";
        if (startsWithIgnoringCase(line, kName))
            type = audioType(line.substr(kName.size()));
    }
    m_frameType = type;
    if (!type)
        ++m_out.badFrames;
}

void AudioUploadReader::audio(std::string_view codes)
{
    if (!m_frameType || codes.empty())
        return;
    if (!m_codec || m_codec->type() != *m_frameType) {
        m_codec = AudioCodec::create(static_cast<int>(*m_frameType));
        m_decoder = m_codec->createState();
    }
    m_out.codes.append(codes);
    m_out.codecType = static_cast<int>(*m_frameType);
    orvel::codec::InputDescriptor input{reinterpret_cast<const std::uint8_t*>(codes.data()), 0,
                                        codes.size()};
    m_codec->decode(input, m_decoded, *m_decoder);
    m_codec->finish(m_decoded, *m_decoder);
    const std::uint8_t* bytes = m_decoded.data();
    for (std::size_t i = 0; i + 1 < m_decoded.size(); i += 2)
        m_out.samples.push_back(
            static_cast<std::int16_t>(static_cast<std::uint16_t>(bytes[i] | (bytes[i + 1] << 8))));
}

} // namespace camsim
