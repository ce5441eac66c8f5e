#pragma once
// Reads the body of an audio upload as it arrives: one stream of codes (a request of type
// "audio/32KADPCM" or "audio/G723"), or frames behind boundary markers (a request of type
// "multipart/x-mixed-replace; boundary=..."), each frame naming its own audio type. The codes
// are decoded with our codec, one decoder state carried across the frames of one type, as the
// sender's encoder carries its own.
//
// The last frame of an upload that is never finished has no marker after it: its bytes are
// given out as they come, holding back only what could be the start of a marker, and finish()
// gives those out too. Linear in the bytes fed; every held-back piece is bounded.

#include "media/codec/AudioCodec.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace camsim {

class AudioUploadReader {
public:
    static constexpr std::size_t kMaxPreamble = 4096;  // before the first marker
    static constexpr std::size_t kMaxFrameHead = 2048; // a frame's header lines

    // Null with the reason for a type that is neither audio we decode nor multipart with a
    // boundary.
    static std::unique_ptr<AudioUploadReader> create(std::string_view contentType,
                                                     std::string& error);

    bool multipart() const { return !m_boundary.empty(); }

    // Body bytes in arrival order. False once the body can no longer be read (error() says
    // why); later bytes are ignored.
    bool feed(std::string_view bytes);
    // The body ended: bytes held back in case they began a marker are audio after all.
    void finish();

    // What was read since the last take().
    struct Output {
        std::string codes;
        std::vector<std::int16_t> samples;
        int frames = 0;
        int badFrames = 0;
        int codecType = -1; // of the last codes read, -1 when none
    };
    Output take();

    const std::string& error() const { return m_error; }

    // The audio type a content type names (ignoring case and parameters), if we decode it.
    static std::optional<orvel::codec::CodecType> audioType(std::string_view contentType);

private:
    enum class State { Preamble, AfterMarker, FrameHead, FrameData, Epilogue, Failed };

    AudioUploadReader() = default;
    bool fail(std::string why);
    void audio(std::string_view codes); // codes of the current frame (or the single stream)
    void beginFrame(std::string_view head);
    bool step(); // one state's work on m_pending; false when it needs more bytes

    std::string m_boundary;  // empty: one stream of codes
    std::string m_delimiter; // CR LF "--" boundary
    State m_state = State::FrameData;
    std::string m_pending; // bytes not yet used
    std::string m_error;

    std::optional<orvel::codec::CodecType> m_frameType; // none: a frame we skip
    std::optional<orvel::codec::AudioCodec> m_codec;
    std::unique_ptr<orvel::codec::CodecState> m_decoder;
    orvel::codec::ByteBuffer m_decoded;
    Output m_out;
};

} // namespace camsim
