#include "recorder/sequence/avi/FrameCoder.h"

#include "platform/base/RegularFile.h"
#include "recorder/sequence/avi/JpegHuffman.h"

#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace {

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

std::string ffmpegError(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

HRESULT openEncoder(const EncoderSetup& setup, AVCodecContext** encoder, std::string* error)
{
    const auto fail = [&](HRESULT hr, const std::string& what) {
        avcodec_free_context(encoder);
        if (error)
            *error = what;
        return hr;
    };
    const VideoCompressor& compressor = setup.compressor;
    const AVCodec* codec = avcodec_find_encoder_by_name(compressor.encoder.c_str());
    if (!codec)
        return fail(E_INVALIDARG, "no encoder " + compressor.encoder + " here");
    *encoder = avcodec_alloc_context3(codec);
    AVCodecContext* e = *encoder;
    if (!e)
        return fail(E_OUTOFMEMORY, "no memory for the encoder");
    e->width = setup.width;
    e->height = setup.height;
    e->time_base = AVRational{setup.scale, setup.rate};
    e->framerate = AVRational{setup.rate, setup.scale};
    e->pix_fmt = pixelFormatFor(codec);
    e->gop_size = 0; // every frame a key frame
    e->max_b_frames = 0;
    // Frames are spread over our own workers; an encoder's own threads would only compete.
    e->thread_count = 1;
    if (compressor.hasQuality && setup.settings.quality >= 0) {
        // 10000 is the best quality, 0 the worst: quantiser 1 to 31.
        const int q = 31 - setup.settings.quality * 30 / 10000;
        e->flags |= AV_CODEC_FLAG_QSCALE;
        e->global_quality = FF_QP2LAMBDA * q;
    }
    if (setup.globalHeader)
        e->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (compressor.encoder == "libx264")
        av_opt_set(e->priv_data, "x264-params", "keyint=1", 0);
    // FFV1 keeps its defaults: Golomb-Rice coding, the small context model and version 1
    // (each key frame starts afresh) code our pictures fastest at nearly the smallest size.
    const int rc = avcodec_open2(e, codec, nullptr);
    if (rc < 0)
        return fail(E_FAIL, "the " + compressor.name +
                                " encoder refused the frame format: " + ffmpegError(rc));
    return S_OK;
}

bool codesFramesAlone(const VideoCompressor& compressor)
{
    // FFV1 resets every context at a key frame and has no rate control; the MPEG-style
    // encoders carry their rate control from frame to frame.
    return compressor.kind != CompressorKind::Encoder || compressor.encoder == "ffv1";
}

HRESULT encodePicture(AVCodecContext* encoder, AVFrame* picture, AVPacket* packet,
                      const std::function<HRESULT(AVPacket*)>& write, std::string* error)
{
    int rc = avcodec_send_frame(encoder, picture);
    if (rc < 0) {
        *error = "the encoder refused frame " + std::to_string(picture ? picture->pts : -1) + ": " +
                 ffmpegError(rc);
        return E_FAIL;
    }
    for (;;) {
        rc = avcodec_receive_packet(encoder, packet);
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
            return S_OK;
        if (rc < 0) {
            *error = "the encoder failed: " + ffmpegError(rc);
            return E_FAIL;
        }
        const HRESULT hr = write(packet);
        av_packet_unref(packet);
        if (FAILED(hr))
            return hr;
    }
}

CodedFrame::~CodedFrame()
{
    av_packet_free(&packet);
    av_frame_free(&picture);
}

FrameCoder::FrameCoder(const EncoderSetup& setup, int pictureFormat, AVCodecContext* ownEncoder)
    : m_setup(setup), m_pictureFormat(pictureFormat), m_encoder(ownEncoder)
{}

FrameCoder::~FrameCoder()
{
    av_frame_free(&m_picture);
    avcodec_free_context(&m_encoder);
    sws_freeContext(m_scaler);
}

HRESULT FrameCoder::fail(HRESULT hr, std::string what, bool unreadable)
{
    m_error = std::move(what);
    m_unreadable = unreadable;
    return hr;
}

HRESULT FrameCoder::undecodable(unsigned index)
{
    return fail(E_FAIL, "frame " + std::to_string(index) + " does not decode as a JPEG picture",
                true);
}

bool FrameCoder::newPacket(CodedFrame& out, std::size_t size)
{
    if (!out.packet && !(out.packet = av_packet_alloc()))
        return false;
    av_packet_unref(out.packet);
    return size <= static_cast<std::size_t>(INT32_MAX) &&
           av_new_packet(out.packet, static_cast<int>(size)) == 0;
}

AVFrame* FrameCoder::writablePicture(CodedFrame& out)
{
    // A coder with its own encoder keeps its picture: no buffer it and its encoder refer to
    // ever goes to another thread. A picture handed back is taken by the writer, buffer and all.
    AVFrame*& picture = m_encoder ? m_picture : out.picture;
    if (!picture && !(picture = av_frame_alloc()))
        return nullptr;
    if (picture->buf[0])
        return av_frame_make_writable(picture) == 0 ? picture : nullptr;
    picture->format = m_pictureFormat;
    picture->width = m_setup.width;
    picture->height = m_setup.height;
    return av_frame_get_buffer(picture, 0) == 0 ? picture : nullptr;
}

HRESULT FrameCoder::finishPicture(unsigned index, AVFrame* picture, CodedFrame& out)
{
    picture->pts = index;
    picture->pict_type = AV_PICTURE_TYPE_I;
    out.coded = false;
    if (!m_encoder)
        return S_OK;
    // An encoder of frames alone gives each frame's packet at once.
    if (!out.packet && !(out.packet = av_packet_alloc()))
        return fail(E_OUTOFMEMORY, "no memory for a frame");
    int rc = avcodec_send_frame(m_encoder, picture);
    if (rc >= 0)
        rc = avcodec_receive_packet(m_encoder, out.packet);
    if (rc < 0)
        return fail(E_FAIL,
                    "the encoder refused frame " + std::to_string(index) + ": " + ffmpegError(rc));
    out.coded = true;
    return S_OK;
}

HRESULT FrameCoder::codeBitmap(const _CAM_BIH& header, const std::uint8_t* bits, unsigned index,
                               CodedFrame& out)
{
    m_unreadable = false;
    const VideoCompressor& compressor = m_setup.compressor;
    if (compressor.kind == CompressorKind::JpegCopy || !bits || header.biWidth <= 0 ||
        header.biHeight <= 0 || header.biWidth > kMaxFrameSide || header.biHeight > kMaxFrameSide ||
        header.biBitCount != 24)
        return fail(E_INVALIDARG, "frame " + std::to_string(index) + " is no 24-bit bitmap");
    const int width = m_setup.width, height = m_setup.height;
    const int stride = static_cast<int>(camBihStride(header.biWidth));
    // Bottom-up rows: start at the last one and step backwards.
    const std::uint8_t* top = bits + static_cast<std::size_t>(stride) * (header.biHeight - 1);
    const std::uint8_t* srcPlanes[4] = {top, nullptr, nullptr, nullptr};
    const int srcStrides[4] = {-stride, 0, 0, 0};
    const bool sameSize = header.biWidth == width && header.biHeight == height;

    if (compressor.kind == CompressorKind::FullFrames) {
        const std::size_t size = static_cast<std::size_t>(camBihStride(width)) * height;
        const std::uint8_t* data = bits;
        if (!sameSize) {
            m_scaler = sws_getCachedContext(m_scaler, header.biWidth, header.biHeight,
                                            AV_PIX_FMT_BGR24, width, height, AV_PIX_FMT_BGR24,
                                            SWS_BICUBIC, nullptr, nullptr, nullptr);
            if (!m_scaler)
                return fail(E_FAIL, "cannot scale a frame");
            m_dib.assign(size, 0);
            const int dstStride = static_cast<int>(camBihStride(width));
            std::uint8_t* dstTop =
                m_dib.data() + static_cast<std::size_t>(dstStride) * (height - 1);
            std::uint8_t* dstPlanes[4] = {dstTop, nullptr, nullptr, nullptr};
            const int dstStrides[4] = {-dstStride, 0, 0, 0};
            sws_scale(m_scaler, srcPlanes, srcStrides, 0, header.biHeight, dstPlanes, dstStrides);
            data = m_dib.data();
        }
        if (!newPacket(out, size))
            return fail(E_OUTOFMEMORY, "no memory for a frame");
        std::memcpy(out.packet->data, data, size);
        out.packet->pts = index;
        out.coded = true;
        return S_OK;
    }

    // The scaler wants the full-range formats named by their plain ones and the range apart.
    const AVPixelFormat format = static_cast<AVPixelFormat>(m_pictureFormat);
    const bool fullRange = format == AV_PIX_FMT_YUVJ420P;
    m_scaler = sws_getCachedContext(m_scaler, header.biWidth, header.biHeight, AV_PIX_FMT_BGR24,
                                    width, height, fullRange ? AV_PIX_FMT_YUV420P : format,
                                    sameSize ? SWS_POINT : SWS_BICUBIC, nullptr, nullptr, nullptr);
    AVFrame* picture = m_scaler ? writablePicture(out) : nullptr;
    if (!picture)
        return fail(E_FAIL, "cannot convert a frame for the encoder");
    if (fullRange) {
        const int* coefficients = sws_getCoefficients(SWS_CS_ITU601);
        sws_setColorspaceDetails(m_scaler, coefficients, 1, coefficients, 1, 0, 1 << 16, 1 << 16);
    }
    sws_scale(m_scaler, srcPlanes, srcStrides, 0, header.biHeight, picture->data,
              picture->linesize);
    return finishPicture(index, picture, out);
}

HRESULT FrameCoder::codeJpeg(std::span<const std::uint8_t> jpeg, unsigned index, CodedFrame& out)
{
    m_unreadable = false;
    const VideoCompressor& compressor = m_setup.compressor;
    const int width = m_setup.width, height = m_setup.height;
    if (compressor.kind == CompressorKind::JpegCopy) {
        int w = 0, h = 0;
        if (!jpegFrameSize(jpeg, &w, &h))
            return fail(E_INVALIDARG, "frame " + std::to_string(index) + " is not a JPEG picture",
                        true);
        if (w != width || h != height)
            return fail(E_INVALIDARG, "frame " + std::to_string(index) + " is " +
                                          std::to_string(w) + "x" + std::to_string(h) +
                                          ", not the first frame's size");
        const std::vector<std::uint8_t> bytes = withStandardHuffmanTables(jpeg);
        if (!newPacket(out, bytes.size()))
            return fail(E_OUTOFMEMORY, "no memory for a frame");
        std::memcpy(out.packet->data, bytes.data(), bytes.size());
        out.packet->pts = index;
        out.coded = true;
        return S_OK;
    }

    JpegFrameDecoder::Header header;
    if (!m_decoder.readHeader(jpeg, &header) || header.width > kMaxFrameSide ||
        header.height > kMaxFrameSide)
        return undecodable(index);
    const bool sameSize = header.width == width && header.height == height;

    if (sameSize && !header.fourChannel && compressor.kind == CompressorKind::FullFrames) {
        const int stride = static_cast<int>(camBihStride(width));
        if (!newPacket(out, static_cast<std::size_t>(stride) * height))
            return fail(E_OUTOFMEMORY, "no memory for a frame");
        if (!m_decoder.decodePacked(jpeg, JpegFrameDecoder::Packed::Bgr, out.packet->data, stride,
                                    true))
            return undecodable(index);
        // The row padding of a bitmap is zeros.
        const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
        for (int y = 0; rowBytes < static_cast<std::size_t>(stride) && y < height; ++y)
            std::memset(out.packet->data + static_cast<std::size_t>(y) * stride + rowBytes, 0,
                        stride - rowBytes);
        out.packet->pts = index;
        out.coded = true;
        return S_OK;
    }

    if (sameSize && !header.fourChannel && compressor.kind == CompressorKind::Encoder) {
        const AVPixelFormat format = static_cast<AVPixelFormat>(m_pictureFormat);
        const bool planar420 = format == AV_PIX_FMT_YUVJ420P || format == AV_PIX_FMT_YUV420P;
        const bool packed =
            format == AV_PIX_FMT_BGR0 || format == AV_PIX_FMT_BGR24 || format == AV_PIX_FMT_RGB24;
        if ((planar420 && header.yuv420) || packed) {
            AVFrame* picture = writablePicture(out);
            if (!picture)
                return fail(E_OUTOFMEMORY, "no memory for a frame");
            bool ok;
            if (planar420) {
                ok = m_decoder.decodeYuv420(jpeg, picture->data, picture->linesize);
                if (ok && format == AV_PIX_FMT_YUV420P)
                    limitRange(picture);
            } else {
                const auto layout = format == AV_PIX_FMT_BGR0    ? JpegFrameDecoder::Packed::Bgrx
                                    : format == AV_PIX_FMT_BGR24 ? JpegFrameDecoder::Packed::Bgr
                                                                 : JpegFrameDecoder::Packed::Rgb;
                ok = m_decoder.decodePacked(jpeg, layout, picture->data[0], picture->linesize[0],
                                            false);
            }
            return ok ? finishPicture(index, picture, out) : undecodable(index);
        }
    }

    // Everything else goes through the bitmap: another size, another pixel format, four
    // channels (whose first three are taken as they are, as the image object shows them).
    const int stride = static_cast<int>(camBihStride(header.width));
    m_decoded.resize(static_cast<std::size_t>(stride) * header.height);
    if (header.fourChannel) {
        std::vector<std::uint8_t> cmyk(static_cast<std::size_t>(header.width) * 4 * header.height);
        if (!m_decoder.decodeFourChannels(jpeg, cmyk.data()))
            return undecodable(index);
        for (int y = 0; y < header.height; ++y) {
            const std::uint8_t* in = cmyk.data() + static_cast<std::size_t>(y) * header.width * 4;
            std::uint8_t* o = m_decoded.data() + static_cast<std::size_t>(y) * stride;
            for (int x = 0; x < header.width; ++x, in += 4, o += 3) {
                o[0] = in[0];
                o[1] = in[1];
                o[2] = in[2];
            }
        }
    } else if (!m_decoder.decodePacked(jpeg, JpegFrameDecoder::Packed::Bgr, m_decoded.data(),
                                       stride, true)) {
        return undecodable(index);
    }
    _CAM_BIH bih{};
    bih.biSize = sizeof(_CAM_BIH);
    bih.biWidth = header.width;
    bih.biHeight = header.height;
    bih.biPlanes = 1;
    bih.biBitCount = 24;
    return codeBitmap(bih, m_decoded.data(), index, out);
}

HRESULT FrameCoder::codeJpegFile(const std::string& path, unsigned index, CodedFrame& out)
{
    std::string error;
    if (!readRegularFile(path, kMaxJpegFrameBytes, m_fileBytes, &error))
        return fail(E_FAIL, error, true);
    const std::span<const std::uint8_t> jpeg(
        reinterpret_cast<const std::uint8_t*>(m_fileBytes.data()), m_fileBytes.size());
    return codeJpeg(jpeg, index, out);
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
