#pragma once
// Writes one AVI movie with one video stream through FFmpeg's AVI muxer: full frames as
// 24-bit bottom-up bitmaps with a positive height (as movies of this kind have always been
// written), the frames' own JPEG bytes as Motion JPEG, or any encoder of VideoCompressor.
// Every frame is a key frame. Frames of another size than the first are scaled to it.

#include "common/CamBih.h"
#include "platform/base/Hresult.h"
#include "recorder/sequence/avi/AviStreamInfo.h"
#include "recorder/sequence/avi/FrameCoder.h"
#include "recorder/sequence/avi/VideoCompressor.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>

struct AVPacket;
struct FrameJob;

class AviWriter {
public:
    // Creates or replaces the file at path with the stream of info (its size from rcFrame).
    // E_INVALIDARG for an empty frame or an unknown encoder, E_FAIL when the file, the stream
    // or the encoder cannot be set up; *error then says what in one line.
    static HRESULT create(const std::string& path, const AviStreamInfo& info,
                          const VideoCompressor& compressor, const CompressorSettings& settings,
                          std::unique_ptr<AviWriter>* writer, std::string* error);
    ~AviWriter();
    AviWriter(const AviWriter&) = delete;
    AviWriter& operator=(const AviWriter&) = delete;

    // The frames are written in the order given, by these on the calling thread, or by the
    // queue calls below on worker threads; a write waits for the frames queued before it.

    // One decoded frame (not for the JPEG copy path). E_FAIL when it cannot be encoded or
    // written.
    HRESULT writeBitmap(const _CAM_BIH& header, const std::uint8_t* bits);
    // One frame's JPEG file bytes (the copy path): written unchanged, with the standard
    // Huffman tables inserted when the frame has none. E_INVALIDARG for bytes that are not a
    // JPEG of the stream's size.
    HRESULT writeJpeg(std::span<const std::uint8_t> jpeg);
    // One frame's JPEG bytes for the other compressors, decoded straight into what the encoder
    // takes (4:2:0 planes without colour conversion where it takes those) and encoded; a
    // frame of another size is scaled as writeBitmap does. E_FAIL when they do not decode or
    // cannot be encoded or written.
    HRESULT encodeJpeg(std::span<const std::uint8_t> jpeg);
    // A frame file (a regular file of at most kMaxJpegFrameBytes), by writeJpeg on the copy
    // path, else by encodeJpeg. E_FAIL with lastError() naming the file when it cannot be read.
    HRESULT writeJpegFile(const std::string& path);

    // As writeJpegFile and writeBitmap (whose bits are copied), but the frame is read, decoded
    // and, where the compressor codes frames alone, encoded on worker threads while the
    // caller goes on; it is written once the frames before it are (on the copy path at once:
    // a copy costs less than the hand-over). Returns at once unless kFramesInFlight frames
    // are in flight, then after writing the oldest. A failure is that of an earlier frame as
    // often as of this one: the frames queued after the failing one are dropped,
    // framesWritten() then is the failing frame's number, lastError() says why.
    HRESULT queueJpegFile(const std::string& path);
    HRESULT queueBitmap(const _CAM_BIH& header, const std::uint8_t* bits);
    // Writes every frame queued, waiting for them; the failure of one as queueJpegFile.
    HRESULT flush();
    // Flushes and completes the file (index, frame count). E_FAIL when it cannot be; the
    // frames written so far stay readable as far as the muxer got.
    HRESULT finish();

    unsigned framesWritten() const { return m_frames; }
    const std::string& lastError() const { return m_error; }
    // True when the last write failed because its frame could not be read or decoded, not
    // because the movie could not take it.
    bool frameUnreadable() const { return m_unreadable; }

private:
    struct State;
    explicit AviWriter(std::unique_ptr<State> state);
    HRESULT writePacket(::AVPacket* packet);
    // The frame the calling thread's coder made of frame m_next (hr its outcome), written.
    HRESULT writeOwn(HRESULT hr);
    HRESULT writeCoded(CodedFrame& frame);
    HRESULT writeJob(FrameJob& job);
    // Writes the queued frames that are done, in order; waits for the oldest first when
    // waitForOldest.
    HRESULT writeQueued(bool waitForOldest);
    template <typename Fill> HRESULT queue(Fill fill);

    std::unique_ptr<State> m_state;
    unsigned m_frames = 0; // packets written
    unsigned m_next = 0;   // the number of the next frame given
    std::string m_error;
    bool m_unreadable = false;
};
