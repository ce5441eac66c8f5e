#include "recorder/sequence/avi/AviWriter.h"

#include "platform/base/RegularFile.h"
#include "recorder/sequence/avi/JpegFrameDecoder.h"
#include "recorder/sequence/avi/JpegHuffman.h"

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace {

// No sequence frame comes near this; a larger one is damage, refused before allocating.
constexpr int kMaxFrameSide = 16384;

std::string ffmpegError(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

std::uint32_t fourccOf(const std::string& code)
{
    std::string c = code;
    c.resize(4, ' ');
    return MKTAG(c[0], c[1], c[2], c[3]);
}

// The pixel format an encoder is fed: the first of ours it takes, else its own first.
AVPixelFormat pixelFormatFor(const AVCodec* codec)
{
    // Lossless ones get RGB so a decoded frame equals the source exactly.
    static const AVPixelFormat preferred[] = {AV_PIX_FMT_BGR0, AV_PIX_FMT_RGB24,
                                              AV_PIX_FMT_YUVJ420P, AV_PIX_FMT_YUV420P,
                                              AV_PIX_FMT_RGB555LE};
    if (!codec->pix_fmts)
        return AV_PIX_FMT_YUV420P;
    for (AVPixelFormat want : preferred)
        for (const AVPixelFormat* p = codec->pix_fmts; *p != AV_PIX_FMT_NONE; ++p)
            if (*p == want)
                return want;
    return codec->pix_fmts[0];
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

// A JPEG's full-range planes to the limited range an MPEG-style encoder expects (Y 16..235,
// chroma 16..240 around 128), in place.
void limitRange(AVFrame* frame)
{
    struct Tables {
        std::uint8_t luma[256];
        std::uint8_t chroma[256];
        Tables()
        {
            for (int v = 0; v < 256; ++v) {
                luma[v] = static_cast<std::uint8_t>(16 + (v * 219 + 127) / 255);
                const int c = (v - 128) * 224;
                chroma[v] = static_cast<std::uint8_t>(128 + (c >= 0 ? c + 127 : c - 127) / 255);
            }
        }
    };
    static const Tables tables;
    for (int plane = 0; plane < 3; ++plane) {
        const std::uint8_t* table = plane == 0 ? tables.luma : tables.chroma;
        const int width = plane == 0 ? frame->width : (frame->width + 1) / 2;
        const int height = plane == 0 ? frame->height : (frame->height + 1) / 2;
        for (int y = 0; y < height; ++y) {
            std::uint8_t* row =
                frame->data[plane] + static_cast<std::ptrdiff_t>(y) * frame->linesize[plane];
            for (int x = 0; x < width; ++x)
                row[x] = table[row[x]];
        }
    }
}

} // namespace

struct AviWriter::State {
    std::string path;
    VideoCompressor compressor;
    int width = 0;
    int height = 0;
    AVFormatContext* format = nullptr;
    AVStream* stream = nullptr;
    AVCodecContext* encoder = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    SwsContext* scaler = nullptr;
    std::vector<std::uint8_t> dib;     // a scaled full frame
    std::vector<std::uint8_t> decoded; // a frame file's bitmap, where it cannot go straight in
    JpegFrameDecoder decoder;
    std::string fileBytes; // the frame file being written, its buffer kept for the next
    bool headerWritten = false;
    bool finished = false;

    ~State()
    {
        if (format) {
            if (format->pb)
                avio_closep(&format->pb);
            avformat_free_context(format);
        }
        avcodec_free_context(&encoder);
        av_frame_free(&frame);
        av_packet_free(&packet);
        sws_freeContext(scaler);
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
    s->compressor = compressor;
    s->width = info.rcFrame.right - info.rcFrame.left;
    s->height = info.rcFrame.bottom - info.rcFrame.top;
    if (s->width <= 0 || s->height <= 0 || s->width > kMaxFrameSide || s->height > kMaxFrameSide)
        return fail(E_INVALIDARG, "the first frame has no usable size");
    const AVRational timeBase{static_cast<int>(info.dwScale), static_cast<int>(info.dwRate)};

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
    par->width = s->width;
    par->height = s->height;

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
        const AVCodec* codec = avcodec_find_encoder_by_name(compressor.encoder.c_str());
        if (!codec)
            return fail(E_INVALIDARG, "no encoder " + compressor.encoder + " here");
        s->encoder = avcodec_alloc_context3(codec);
        if (!s->encoder)
            return fail(E_OUTOFMEMORY, "no memory for the encoder");
        s->encoder->width = s->width;
        s->encoder->height = s->height;
        s->encoder->time_base = timeBase;
        s->encoder->framerate = av_inv_q(timeBase);
        s->encoder->pix_fmt = pixelFormatFor(codec);
        s->encoder->gop_size = 0; // every frame a key frame
        s->encoder->max_b_frames = 0;
        s->encoder->thread_count = 1;
        if (compressor.hasQuality && settings.quality >= 0) {
            // 10000 is the best quality, 0 the worst: quantiser 1 to 31.
            const int q = 31 - settings.quality * 30 / 10000;
            s->encoder->flags |= AV_CODEC_FLAG_QSCALE;
            s->encoder->global_quality = FF_QP2LAMBDA * q;
        }
        if (s->format->oformat->flags & AVFMT_GLOBALHEADER)
            s->encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        if (compressor.encoder == "libx264")
            av_opt_set(s->encoder->priv_data, "x264-params", "keyint=1", 0);
        rc = avcodec_open2(s->encoder, codec, nullptr);
        if (rc < 0)
            return fail(E_FAIL, "the " + compressor.name +
                                    " encoder refused the frame format: " + ffmpegError(rc));
        avcodec_parameters_from_context(par, s->encoder);
        par->codec_tag = fourccOf(compressor.fourcc);
        s->frame = av_frame_alloc();
        if (!s->frame)
            return fail(E_OUTOFMEMORY, "no memory for a frame");
        s->frame->format = s->encoder->pix_fmt;
        s->frame->width = s->width;
        s->frame->height = s->height;
        if (av_frame_get_buffer(s->frame, 0) < 0)
            return fail(E_OUTOFMEMORY, "no memory for a frame");
        break;
    }
    }
    s->packet = av_packet_alloc();
    if (!s->packet)
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

HRESULT AviWriter::drainEncoder()
{
    State& s = *m_state;
    for (;;) {
        int rc = avcodec_receive_packet(s.encoder, s.packet);
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
            return S_OK;
        if (rc < 0) {
            m_error = "the encoder failed: " + ffmpegError(rc);
            return E_FAIL;
        }
        HRESULT hr = writePacket(s.packet);
        av_packet_unref(s.packet);
        if (FAILED(hr))
            return hr;
    }
}

HRESULT AviWriter::writeBitmap(const _CAM_BIH& header, const std::uint8_t* bits)
{
    State& s = *m_state;
    if (s.finished || s.compressor.kind == CompressorKind::JpegCopy || !bits ||
        header.biWidth <= 0 || header.biHeight <= 0 || header.biWidth > kMaxFrameSide ||
        header.biHeight > kMaxFrameSide || header.biBitCount != 24)
        return E_INVALIDARG;
    const int stride = static_cast<int>(camBihStride(header.biWidth));
    // Bottom-up rows: start at the last one and step backwards.
    const std::uint8_t* top = bits + static_cast<std::size_t>(stride) * (header.biHeight - 1);
    const std::uint8_t* srcPlanes[4] = {top, nullptr, nullptr, nullptr};
    const int srcStrides[4] = {-stride, 0, 0, 0};
    const bool sameSize = header.biWidth == s.width && header.biHeight == s.height;

    if (s.compressor.kind == CompressorKind::FullFrames) {
        const std::size_t size = static_cast<std::size_t>(camBihStride(s.width)) * s.height;
        const std::uint8_t* data = bits;
        if (!sameSize) {
            s.scaler = sws_getCachedContext(s.scaler, header.biWidth, header.biHeight,
                                            AV_PIX_FMT_BGR24, s.width, s.height, AV_PIX_FMT_BGR24,
                                            SWS_BICUBIC, nullptr, nullptr, nullptr);
            if (!s.scaler) {
                m_error = "cannot scale a frame";
                return E_FAIL;
            }
            s.dib.assign(size, 0);
            const int dstStride = static_cast<int>(camBihStride(s.width));
            std::uint8_t* dstTop =
                s.dib.data() + static_cast<std::size_t>(dstStride) * (s.height - 1);
            std::uint8_t* dstPlanes[4] = {dstTop, nullptr, nullptr, nullptr};
            const int dstStrides[4] = {-dstStride, 0, 0, 0};
            sws_scale(s.scaler, srcPlanes, srcStrides, 0, header.biHeight, dstPlanes, dstStrides);
            data = s.dib.data();
        }
        av_packet_unref(s.packet);
        if (av_new_packet(s.packet, static_cast<int>(size)) < 0) {
            m_error = "no memory for a frame";
            return E_OUTOFMEMORY;
        }
        std::memcpy(s.packet->data, data, size);
        s.packet->pts = m_frames;
        HRESULT hr = writePacket(s.packet);
        av_packet_unref(s.packet);
        return hr;
    }

    // The scaler wants the full-range formats named by their plain ones and the range apart.
    const bool fullRange = s.encoder->pix_fmt == AV_PIX_FMT_YUVJ420P;
    s.scaler =
        sws_getCachedContext(s.scaler, header.biWidth, header.biHeight, AV_PIX_FMT_BGR24, s.width,
                             s.height, fullRange ? AV_PIX_FMT_YUV420P : s.encoder->pix_fmt,
                             sameSize ? SWS_POINT : SWS_BICUBIC, nullptr, nullptr, nullptr);
    if (!s.scaler || av_frame_make_writable(s.frame) < 0) {
        m_error = "cannot convert a frame for the encoder";
        return E_FAIL;
    }
    if (fullRange) {
        const int* coefficients = sws_getCoefficients(SWS_CS_ITU601);
        sws_setColorspaceDetails(s.scaler, coefficients, 1, coefficients, 1, 0, 1 << 16, 1 << 16);
    }
    sws_scale(s.scaler, srcPlanes, srcStrides, 0, header.biHeight, s.frame->data,
              s.frame->linesize);
    return encodeFrame();
}

HRESULT AviWriter::encodeFrame()
{
    State& s = *m_state;
    s.frame->pts = m_frames;
    s.frame->pict_type = AV_PICTURE_TYPE_I;
    const int rc = avcodec_send_frame(s.encoder, s.frame);
    if (rc < 0) {
        m_error = "the encoder refused frame " + std::to_string(m_frames) + ": " + ffmpegError(rc);
        return E_FAIL;
    }
    return drainEncoder();
}

HRESULT AviWriter::writeJpeg(std::span<const std::uint8_t> jpeg)
{
    State& s = *m_state;
    int width = 0, height = 0;
    m_unreadable = false;
    if (s.finished || s.compressor.kind != CompressorKind::JpegCopy)
        return E_INVALIDARG;
    if (!jpegFrameSize(jpeg, &width, &height)) {
        m_error = "frame " + std::to_string(m_frames) + " is not a JPEG picture";
        m_unreadable = true;
        return E_INVALIDARG;
    }
    if (width != s.width || height != s.height) {
        m_error = "frame " + std::to_string(m_frames) + " is " + std::to_string(width) + "x" +
                  std::to_string(height) + ", not the first frame's size";
        return E_INVALIDARG;
    }
    std::vector<std::uint8_t> bytes = withStandardHuffmanTables(jpeg);
    av_packet_unref(s.packet);
    if (av_new_packet(s.packet, static_cast<int>(bytes.size())) < 0) {
        m_error = "no memory for a frame";
        return E_OUTOFMEMORY;
    }
    std::memcpy(s.packet->data, bytes.data(), bytes.size());
    s.packet->pts = m_frames;
    HRESULT hr = writePacket(s.packet);
    av_packet_unref(s.packet);
    return hr;
}

HRESULT AviWriter::encodeJpeg(std::span<const std::uint8_t> jpeg)
{
    State& s = *m_state;
    m_unreadable = false;
    if (s.finished || s.compressor.kind == CompressorKind::JpegCopy)
        return E_INVALIDARG;
    const auto undecodable = [&] {
        m_error = "frame " + std::to_string(m_frames) + " does not decode as a JPEG picture";
        m_unreadable = true;
        return E_FAIL;
    };
    JpegFrameDecoder::Header header;
    if (!s.decoder.readHeader(jpeg, &header) || header.width > kMaxFrameSide ||
        header.height > kMaxFrameSide)
        return undecodable();
    const bool sameSize = header.width == s.width && header.height == s.height;

    if (sameSize && !header.fourChannel && s.compressor.kind == CompressorKind::FullFrames) {
        const int stride = static_cast<int>(camBihStride(s.width));
        const std::size_t size = static_cast<std::size_t>(stride) * s.height;
        av_packet_unref(s.packet);
        if (av_new_packet(s.packet, static_cast<int>(size)) < 0) {
            m_error = "no memory for a frame";
            return E_OUTOFMEMORY;
        }
        if (!s.decoder.decodePacked(jpeg, JpegFrameDecoder::Packed::Bgr, s.packet->data, stride,
                                    true))
            return undecodable();
        // The row padding of a bitmap is zeros.
        const std::size_t rowBytes = static_cast<std::size_t>(s.width) * 3;
        for (int y = 0; rowBytes < static_cast<std::size_t>(stride) && y < s.height; ++y)
            std::memset(s.packet->data + static_cast<std::size_t>(y) * stride + rowBytes, 0,
                        stride - rowBytes);
        s.packet->pts = m_frames;
        HRESULT hr = writePacket(s.packet);
        av_packet_unref(s.packet);
        return hr;
    }

    if (sameSize && !header.fourChannel && s.encoder) {
        const AVPixelFormat format = s.encoder->pix_fmt;
        const bool planar420 = format == AV_PIX_FMT_YUVJ420P || format == AV_PIX_FMT_YUV420P;
        const bool packed =
            format == AV_PIX_FMT_BGR0 || format == AV_PIX_FMT_BGR24 || format == AV_PIX_FMT_RGB24;
        if ((planar420 && header.yuv420) || packed) {
            if (av_frame_make_writable(s.frame) < 0) {
                m_error = "no memory for a frame";
                return E_OUTOFMEMORY;
            }
            bool ok;
            if (planar420) {
                ok = s.decoder.decodeYuv420(jpeg, s.frame->data, s.frame->linesize);
                if (ok && format == AV_PIX_FMT_YUV420P)
                    limitRange(s.frame);
            } else {
                const auto layout = format == AV_PIX_FMT_BGR0    ? JpegFrameDecoder::Packed::Bgrx
                                    : format == AV_PIX_FMT_BGR24 ? JpegFrameDecoder::Packed::Bgr
                                                                 : JpegFrameDecoder::Packed::Rgb;
                ok = s.decoder.decodePacked(jpeg, layout, s.frame->data[0], s.frame->linesize[0],
                                            false);
            }
            return ok ? encodeFrame() : undecodable();
        }
    }

    // Everything else goes through the bitmap: another size, another pixel format, four
    // channels (whose first three are taken as they are, as the image object shows them).
    const int stride = static_cast<int>(camBihStride(header.width));
    s.decoded.resize(static_cast<std::size_t>(stride) * header.height);
    if (header.fourChannel) {
        std::vector<std::uint8_t> cmyk(static_cast<std::size_t>(header.width) * 4 * header.height);
        if (!s.decoder.decodeFourChannels(jpeg, cmyk.data()))
            return undecodable();
        for (int y = 0; y < header.height; ++y) {
            const std::uint8_t* in = cmyk.data() + static_cast<std::size_t>(y) * header.width * 4;
            std::uint8_t* out = s.decoded.data() + static_cast<std::size_t>(y) * stride;
            for (int x = 0; x < header.width; ++x, in += 4, out += 3) {
                out[0] = in[0];
                out[1] = in[1];
                out[2] = in[2];
            }
        }
    } else if (!s.decoder.decodePacked(jpeg, JpegFrameDecoder::Packed::Bgr, s.decoded.data(),
                                       stride, true)) {
        return undecodable();
    }
    _CAM_BIH bih{};
    bih.biSize = sizeof(_CAM_BIH);
    bih.biWidth = header.width;
    bih.biHeight = header.height;
    bih.biPlanes = 1;
    bih.biBitCount = 24;
    return writeBitmap(bih, s.decoded.data());
}

HRESULT AviWriter::writeJpegFile(const std::string& path)
{
    std::string& bytes = m_state->fileBytes;
    std::string error;
    m_unreadable = false;
    if (!readRegularFile(path, kMaxJpegFrameBytes, bytes, &error)) {
        m_error = error;
        m_unreadable = true;
        return E_FAIL;
    }
    const std::span<const std::uint8_t> jpeg(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                             bytes.size());
    return m_state->compressor.kind == CompressorKind::JpegCopy ? writeJpeg(jpeg)
                                                                : encodeJpeg(jpeg);
}

HRESULT AviWriter::finish()
{
    State& s = *m_state;
    if (s.finished)
        return S_OK;
    s.finished = true;
    HRESULT hr = S_OK;
    if (s.encoder) {
        avcodec_send_frame(s.encoder, nullptr);
        hr = drainEncoder();
    }
    const int rc = av_write_trailer(s.format);
    if (rc < 0 && SUCCEEDED(hr)) {
        m_error = "cannot complete the AVI file: " + ffmpegError(rc);
        hr = E_FAIL;
    }
    avio_closep(&s.format->pb);
    if (s.compressor.kind == CompressorKind::FullFrames &&
        !markBottomUp(s.path, fourccOf("DIB "), s.height) && SUCCEEDED(hr)) {
        m_error = "cannot complete the stream header of " + s.path;
        hr = E_FAIL;
    }
    return hr;
}

bool jpegFrameSize(std::span<const std::uint8_t> jpeg, int* width, int* height)
{
    if (jpeg.size() < 4 || jpeg[0] != 0xFF || jpeg[1] != 0xD8)
        return false;
    std::size_t i = 2;
    while (i + 4 <= jpeg.size()) {
        if (jpeg[i] != 0xFF)
            return false;
        const std::uint8_t marker = jpeg[i + 1];
        const std::size_t length = (jpeg[i + 2] << 8) | jpeg[i + 3];
        const bool sof =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (sof && i + 9 <= jpeg.size()) {
            *height = (jpeg[i + 5] << 8) | jpeg[i + 6];
            *width = (jpeg[i + 7] << 8) | jpeg[i + 8];
            return *width > 0 && *height > 0;
        }
        if (marker == 0xDA || length < 2)
            return false;
        i += 2 + length;
    }
    return false;
}
