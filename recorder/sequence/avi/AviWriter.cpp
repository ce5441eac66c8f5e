#include "recorder/sequence/avi/AviWriter.h"

#include "recorder/sequence/avi/FramePipeline.h"

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace {

std::uint32_t fourccOf(const std::string& code)
{
    std::string c = code;
    c.resize(4, ' ');
    return MKTAG(c[0], c[1], c[2], c[3]);
}

// Rewrites the stream header's handler and the bitmap header's height of a full-frame movie:
// the muxer claims top-down rows for raw video, ours are bottom-up with a positive height.
bool markBottomUp(const std::string& path, std::uint32_t handler, int height)
{
    int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;
    std::vector<std::uint8_t> head(4096);
    ssize_t n = ::pread(fd, head.data(), head.size(), 0);
    bool strhDone = false, strfDone = false;
    // The header list comes first in the file; walk its chunks for strh and strf.
    for (ssize_t i = 12; n > 0 && i + 8 <= n && !(strhDone && strfDone);) {
        const std::uint8_t* c = head.data() + i;
        const std::uint32_t size = c[4] | (c[5] << 8) | (c[6] << 16) | (std::uint32_t(c[7]) << 24);
        if (std::memcmp(c, "LIST", 4) == 0) {
            i += 12; // into the list
            continue;
        }
        if (std::memcmp(c, "strh", 4) == 0 && i + 16 <= n) {
            std::uint8_t code[4] = {std::uint8_t(handler), std::uint8_t(handler >> 8),
                                    std::uint8_t(handler >> 16), std::uint8_t(handler >> 24)};
            strhDone = ::pwrite(fd, code, 4, i + 12) == 4;
        } else if (std::memcmp(c, "strf", 4) == 0 && i + 20 <= n) {
            std::uint8_t h[4] = {std::uint8_t(height), std::uint8_t(height >> 8),
                                 std::uint8_t(height >> 16), std::uint8_t(height >> 24)};
            strfDone = ::pwrite(fd, h, 4, i + 16) == 4;
        } else if (std::memcmp(c, "movi", 4) == 0) {
            break;
        }
        i += 8 + size + (size & 1);
    }
    ::close(fd);
    return strhDone && strfDone;
}

} // namespace

struct AviWriter::State {
    std::string path;
    EncoderSetup setup;
    int pictureFormat = AV_PIX_FMT_NONE;
    AVFormatContext* format = nullptr;
    AVStream* stream = nullptr;
    AVCodecContext* encoder = nullptr; // encodes the pictures coded on this thread or handed back
    AVPacket* packet = nullptr;
    std::unique_ptr<FrameCoder> coder; // this thread's
    CodedFrame coded;                  // its output
    CodedFrame handed;                 // a picture a worker made, taken over
    std::unique_ptr<FramePipeline> pipeline;
    bool headerWritten = false;
    bool finished = false;

    ~State()
    {
        pipeline.reset(); // its workers stop before anything they use goes
        if (format) {
            if (format->pb)
                avio_closep(&format->pb);
            avformat_free_context(format);
        }
        avcodec_free_context(&encoder);
        av_packet_free(&packet);
    }
};

AviWriter::AviWriter(std::unique_ptr<State> state) : m_state(std::move(state)) {}

AviWriter::~AviWriter()
{
    if (m_state && m_state->headerWritten && !m_state->finished)
        finish();
}

HRESULT AviWriter::create(const std::string& path, const AviStreamInfo& info,
                          const VideoCompressor& compressor, const CompressorSettings& settings,
                          std::unique_ptr<AviWriter>* writer, std::string* error)
{
    const auto fail = [&](HRESULT hr, const std::string& what) {
        if (error)
            *error = what;
        return hr;
    };
    auto s = std::make_unique<State>();
    s->path = path;
    EncoderSetup& setup = s->setup;
    setup.compressor = compressor;
    setup.settings = settings;
    setup.width = info.rcFrame.right - info.rcFrame.left;
    setup.height = info.rcFrame.bottom - info.rcFrame.top;
    setup.scale = static_cast<int>(info.dwScale);
    setup.rate = static_cast<int>(info.dwRate);
    if (setup.width <= 0 || setup.height <= 0 || setup.width > kMaxFrameSide ||
        setup.height > kMaxFrameSide)
        return fail(E_INVALIDARG, "the first frame has no usable size");
    const AVRational timeBase{setup.scale, setup.rate};

    int rc = avformat_alloc_output_context2(&s->format, nullptr, "avi", path.c_str());
    if (rc < 0 || !s->format)
        return fail(E_FAIL, "the AVI muxer is not available: " + ffmpegError(rc));
    s->stream = avformat_new_stream(s->format, nullptr);
    if (!s->stream)
        return fail(E_OUTOFMEMORY, "no memory for the video stream");
    s->stream->time_base = timeBase;
    s->stream->avg_frame_rate = av_inv_q(timeBase);
    av_dict_set(&s->stream->metadata, "title", info.szName.c_str(), 0);
    AVCodecParameters* par = s->stream->codecpar;
    par->codec_type = AVMEDIA_TYPE_VIDEO;
    par->width = setup.width;
    par->height = setup.height;

    switch (compressor.kind) {
    case CompressorKind::FullFrames:
        par->codec_id = AV_CODEC_ID_RAWVIDEO;
        par->format = AV_PIX_FMT_BGR24;
        par->bits_per_coded_sample = 24;
        par->codec_tag = 0; // BI_RGB; the handler "DIB " is set when the file is complete
        break;
    case CompressorKind::JpegCopy:
        par->codec_id = AV_CODEC_ID_MJPEG;
        par->codec_tag = fourccOf("MJPG");
        par->bits_per_coded_sample = 24;
        break;
    case CompressorKind::Encoder: {
        setup.globalHeader = (s->format->oformat->flags & AVFMT_GLOBALHEADER) != 0;
        std::string why;
        const HRESULT hr = openEncoder(setup, &s->encoder, &why);
        if (FAILED(hr))
            return fail(hr, why);
        avcodec_parameters_from_context(par, s->encoder);
        par->codec_tag = fourccOf(compressor.fourcc);
        s->pictureFormat = s->encoder->pix_fmt;
        break;
    }
    }
    s->coder = std::make_unique<FrameCoder>(setup, s->pictureFormat, nullptr);
    s->packet = av_packet_alloc();
    s->handed.picture = av_frame_alloc();
    if (!s->packet || !s->handed.picture)
        return fail(E_OUTOFMEMORY, "no memory for a packet");

    rc = avio_open(&s->format->pb, path.c_str(), AVIO_FLAG_WRITE);
    if (rc < 0)
        return fail(E_FAIL, "cannot create " + path + ": " + ffmpegError(rc));
    rc = avformat_write_header(s->format, nullptr);
    if (rc < 0)
        return fail(E_FAIL, "cannot write the AVI header: " + ffmpegError(rc));
    s->headerWritten = true;
    writer->reset(new AviWriter(std::move(s)));
    return S_OK;
}

HRESULT AviWriter::writePacket(AVPacket* packet)
{
    State& s = *m_state;
    packet->stream_index = s.stream->index;
    packet->flags |= AV_PKT_FLAG_KEY;
    if (packet->pts == AV_NOPTS_VALUE)
        packet->pts = m_frames;
    packet->dts = packet->pts;
    packet->duration = 1;
    if (s.encoder)
        av_packet_rescale_ts(packet, s.encoder->time_base, s.stream->time_base);
    const int rc = av_write_frame(s.format, packet);
    if (rc < 0) {
        m_error = "cannot write frame " + std::to_string(m_frames) + ": " + ffmpegError(rc);
        return E_FAIL;
    }
    ++m_frames;
    return S_OK;
}

HRESULT AviWriter::writeCoded(CodedFrame& frame)
{
    State& s = *m_state;
    if (frame.coded) {
        const HRESULT hr = writePacket(frame.packet);
        av_packet_unref(frame.packet);
        return hr;
    }
    return encodePicture(
        s.encoder, frame.picture, s.packet, [this](AVPacket* p) { return writePacket(p); },
        &m_error);
}

HRESULT AviWriter::writeOwn(HRESULT hr)
{
    State& s = *m_state;
    if (FAILED(hr)) {
        m_error = s.coder->error();
        m_unreadable = s.coder->unreadable();
        return hr;
    }
    hr = writeCoded(s.coded);
    if (SUCCEEDED(hr))
        ++m_next;
    return hr;
}

HRESULT AviWriter::writeBitmap(const _CAM_BIH& header, const std::uint8_t* bits)
{
    State& s = *m_state;
    m_unreadable = false;
    if (s.finished || s.setup.compressor.kind == CompressorKind::JpegCopy)
        return E_INVALIDARG;
    HRESULT hr = flush();
    return FAILED(hr) ? hr : writeOwn(s.coder->codeBitmap(header, bits, m_next, s.coded));
}

HRESULT AviWriter::writeJpeg(std::span<const std::uint8_t> jpeg)
{
    State& s = *m_state;
    m_unreadable = false;
    if (s.finished || s.setup.compressor.kind != CompressorKind::JpegCopy)
        return E_INVALIDARG;
    HRESULT hr = flush();
    return FAILED(hr) ? hr : writeOwn(s.coder->codeJpeg(jpeg, m_next, s.coded));
}

HRESULT AviWriter::encodeJpeg(std::span<const std::uint8_t> jpeg)
{
    State& s = *m_state;
    m_unreadable = false;
    if (s.finished || s.setup.compressor.kind == CompressorKind::JpegCopy)
        return E_INVALIDARG;
    HRESULT hr = flush();
    return FAILED(hr) ? hr : writeOwn(s.coder->codeJpeg(jpeg, m_next, s.coded));
}

HRESULT AviWriter::writeJpegFile(const std::string& path)
{
    State& s = *m_state;
    m_unreadable = false;
    if (s.finished)
        return E_INVALIDARG;
    HRESULT hr = flush();
    return FAILED(hr) ? hr : writeOwn(s.coder->codeJpegFile(path, m_next, s.coded));
}

HRESULT AviWriter::writeJob(FrameJob& job)
{
    State& s = *m_state;
    const unsigned index = job.index;
    HRESULT hr = job.hr;
    if (FAILED(hr)) {
        m_error = job.error;
        m_unreadable = job.unreadable;
    } else if (job.frame.coded) {
        hr = writeCoded(job.frame);
    } else {
        // The writer's encoder may keep the picture: it becomes this thread's alone, and the
        // worker takes a new buffer for its next frame.
        av_frame_unref(s.handed.picture);
        av_frame_move_ref(s.handed.picture, job.frame.picture);
        hr = writeCoded(s.handed);
    }
    s.pipeline->release();
    if (FAILED(hr)) {
        // The frames behind it are not written: the movie ends where it failed.
        s.pipeline->drop();
        m_next = index;
    }
    return hr;
}

HRESULT AviWriter::writeQueued(bool waitForOldest)
{
    FramePipeline* pipeline = m_state->pipeline.get();
    if (!pipeline)
        return S_OK;
    for (bool wait = waitForOldest;; wait = false) {
        FrameJob* job = pipeline->oldest(wait);
        if (!job)
            return S_OK;
        const HRESULT hr = writeJob(*job);
        if (FAILED(hr))
            return hr;
    }
}

template <typename Fill> HRESULT AviWriter::queue(Fill fill)
{
    State& s = *m_state;
    m_unreadable = false;
    if (s.finished)
        return E_INVALIDARG;
    if (!s.pipeline) {
        const bool ownEncoders = s.encoder && codesFramesAlone(s.setup.compressor);
        const auto make = [&s, ownEncoders](std::string* error) -> std::unique_ptr<FrameCoder> {
            AVCodecContext* encoder = nullptr;
            if (ownEncoders && FAILED(openEncoder(s.setup, &encoder, error)))
                return nullptr;
            return std::make_unique<FrameCoder>(s.setup, s.pictureFormat, encoder);
        };
        if (FAILED(
                FramePipeline::start(FramePipeline::defaultWorkers(), make, &s.pipeline, &m_error)))
            return E_FAIL;
    }
    HRESULT hr = writeQueued(s.pipeline->full());
    if (FAILED(hr))
        return hr;
    FrameJob& job = s.pipeline->next();
    job.index = m_next++;
    fill(job);
    s.pipeline->submit();
    return S_OK;
}

HRESULT AviWriter::queueJpegFile(const std::string& path)
{
    // A copied frame costs less than handing it to a worker and back.
    if (m_state->setup.compressor.kind == CompressorKind::JpegCopy)
        return writeJpegFile(path);
    return queue([&](FrameJob& job) {
        job.isFile = true;
        job.path = path;
    });
}

HRESULT AviWriter::queueBitmap(const _CAM_BIH& header, const std::uint8_t* bits)
{
    if (m_state->setup.compressor.kind == CompressorKind::JpegCopy || !bits ||
        header.biWidth <= 0 || header.biHeight <= 0 || header.biWidth > kMaxFrameSide ||
        header.biHeight > kMaxFrameSide || header.biBitCount != 24)
        return E_INVALIDARG;
    return queue([&](FrameJob& job) {
        job.isFile = false;
        job.header = header;
        job.bits.assign(bits, bits + camBihStride(header.biWidth) * header.biHeight);
    });
}

HRESULT AviWriter::flush()
{
    FramePipeline* pipeline = m_state->pipeline.get();
    while (pipeline && pipeline->inFlight() > 0) {
        const HRESULT hr = writeQueued(true);
        if (FAILED(hr))
            return hr;
    }
    return S_OK;
}

HRESULT AviWriter::finish()
{
    State& s = *m_state;
    if (s.finished)
        return S_OK;
    HRESULT hr = flush();
    s.finished = true;
    s.pipeline.reset();
    if (s.encoder) {
        std::string error;
        const HRESULT drained = encodePicture(
            s.encoder, nullptr, s.packet, [this](AVPacket* p) { return writePacket(p); }, &error);
        if (FAILED(drained) && SUCCEEDED(hr)) {
            m_error = error;
            hr = drained;
        }
    }
    const int rc = av_write_trailer(s.format);
    if (rc < 0 && SUCCEEDED(hr)) {
        m_error = "cannot complete the AVI file: " + ffmpegError(rc);
        hr = E_FAIL;
    }
    avio_closep(&s.format->pb);
    if (s.setup.compressor.kind == CompressorKind::FullFrames &&
        !markBottomUp(s.path, fourccOf("DIB "), s.setup.height) && SUCCEEDED(hr)) {
        m_error = "cannot complete the stream header of " + s.path;
        hr = E_FAIL;
    }
    return hr;
}
