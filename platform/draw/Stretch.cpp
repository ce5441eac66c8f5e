#include "platform/draw/Stretch.h"

#include <algorithm>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <cstring>
#include <memory>
#include <vector>

namespace orvel::draw {

namespace {

constexpr int kWeightBits = 12;
constexpr int kWeightOne = 1 << kWeightBits;
// Filters kept per thread: a window of four quadrants needs two, a few windows of other sizes
// a few more. The least recently used goes first.
constexpr std::size_t kCachedFilters = 8;

// One axis: each destination sample is `taps` source samples from first[i] on, with weights
// summing to 4096. Samples that need fewer taps have zero weights at the end (or, at the far
// edge, at the start), so every sample runs the same loop.
struct AxisFilter {
    int srcLen = 0;
    int dstLen = 0;
    int taps = 0;
    std::vector<int> first;
    std::vector<std::int32_t> weights; // dstLen * taps
    bool identity() const { return srcLen == dstLen; }
};

AxisFilter makeFilter(int srcLen, int dstLen)
{
    struct Sample {
        int first = 0;
        std::vector<double> w;
    };
    std::vector<Sample> samples(static_cast<std::size_t>(dstLen));
    const double scale = static_cast<double>(srcLen) / dstLen;
    int taps = 1;
    for (int i = 0; i < dstLen; ++i) {
        Sample& s = samples[static_cast<std::size_t>(i)];
        if (scale <= 1.0) {
            // Bilinear between the two nearest source centres.
            double x = (i + 0.5) * scale - 0.5;
            x = std::clamp(x, 0.0, static_cast<double>(srcLen - 1));
            int x0 = static_cast<int>(x);
            int x1 = std::min(x0 + 1, srcLen - 1);
            double frac = x - x0;
            s.first = x0;
            if (x1 == x0 || frac == 0.0)
                s.w = {1.0};
            else
                s.w = {1.0 - frac, frac};
        } else {
            // Area average over the source span this sample covers.
            double lo = i * scale;
            double hi = (i + 1) * scale;
            int s0 = static_cast<int>(lo);
            int s1 = std::min(static_cast<int>(hi + 0.999999), srcLen);
            s.first = s0;
            for (int k = s0; k < s1; ++k) {
                double overlap = std::min<double>(hi, k + 1) - std::max<double>(lo, k);
                s.w.push_back(std::max(overlap, 0.0) / scale);
            }
        }
        taps = std::max(taps, static_cast<int>(s.w.size()));
    }

    AxisFilter f;
    f.srcLen = srcLen;
    f.dstLen = dstLen;
    f.taps = taps;
    f.first.resize(static_cast<std::size_t>(dstLen));
    f.weights.assign(static_cast<std::size_t>(dstLen) * taps, 0);
    for (int i = 0; i < dstLen; ++i) {
        const Sample& s = samples[static_cast<std::size_t>(i)];
        // Fixed point, with the rounding remainder on the largest weight so they sum exactly.
        std::vector<std::int32_t> q(s.w.size());
        int sum = 0;
        std::size_t largest = 0;
        for (std::size_t k = 0; k < s.w.size(); ++k) {
            q[k] = static_cast<int>(s.w[k] * kWeightOne + 0.5);
            sum += q[k];
            if (s.w[k] > s.w[largest])
                largest = k;
        }
        q[largest] += kWeightOne - sum;
        // Near the far edge the padded taps would read past the row: start earlier instead.
        const int first = std::min(s.first, srcLen - taps);
        const int shift = s.first - first;
        f.first[static_cast<std::size_t>(i)] = first;
        std::int32_t* w = f.weights.data() + static_cast<std::size_t>(i) * taps;
        for (std::size_t k = 0; k < q.size(); ++k)
            w[k + static_cast<std::size_t>(shift)] = q[k];
    }
    return f;
}

// The filters of this thread, most recently used last. An entry stays where it is in memory
// until it is evicted.
const AxisFilter& cachedFilter(int srcLen, int dstLen)
{
    thread_local std::vector<std::unique_ptr<AxisFilter>> cache;
    for (auto it = cache.begin(); it != cache.end(); ++it) {
        if ((*it)->srcLen == srcLen && (*it)->dstLen == dstLen) {
            std::rotate(it, it + 1, cache.end());
            return *cache.back();
        }
    }
    if (cache.size() == kCachedFilters)
        cache.erase(cache.begin());
    cache.push_back(std::make_unique<AxisFilter>(makeFilter(srcLen, dstLen)));
    return *cache.back();
}

// Working rows of this thread's stretches; they only grow.
struct Scratch {
    std::vector<std::uint16_t> rows;
    std::vector<std::uint8_t> done;
    std::vector<std::uint32_t> acc;
};

Scratch& scratch()
{
    thread_local Scratch s;
    return s;
}

template <typename T> T* sized(std::vector<T>& v, std::size_t n)
{
    if (v.size() < n)
        v.resize(n);
    return v.data();
}

// One source row through the horizontal filter, destination samples x0..x1, into 8.8 fixed
// point with the source's channels (3, or 4 of which the last is not used).
template <int Taps, int Channels>
void horizontalRow(const std::uint8_t* in, const AxisFilter& fx, int x0, int x1, std::uint16_t* out)
{
    const int taps = Taps > 0 ? Taps : fx.taps;
    for (int x = x0; x < x1; ++x) {
        const std::int32_t* w = fx.weights.data() + static_cast<std::size_t>(x) * taps;
        const std::uint8_t* p = in + fx.first[static_cast<std::size_t>(x)] * Channels;
        std::uint32_t b = 0, g = 0, r = 0;
        for (int k = 0; k < taps; ++k, p += Channels) {
            const auto weight = static_cast<std::uint32_t>(w[k]);
            b += p[0] * weight;
            g += p[1] * weight;
            r += p[2] * weight;
        }
        out[0] = static_cast<std::uint16_t>((b + (1 << 3)) >> (kWeightBits - 8));
        out[1] = static_cast<std::uint16_t>((g + (1 << 3)) >> (kWeightBits - 8));
        out[2] = static_cast<std::uint16_t>((r + (1 << 3)) >> (kWeightBits - 8));
        if constexpr (Channels == 4)
            out[3] = 0xff00;
        out += Channels;
    }
}

#if defined(__SSE2__)
// The four channels of one destination sample of a 4-byte source, summed with two taps per
// multiply-add: 32-bit sums of weight (up to 4096) times sample (up to 255).
inline __attribute__((always_inline)) __m128i horizontalSample(const std::uint8_t* p,
                                                               const std::int32_t* w, int taps)
{
    const __m128i zero = _mm_setzero_si128();
    __m128i sum = zero;
    int k = 0;
    for (; k + 1 < taps; k += 2) {
        std::uint32_t a, b;
        std::memcpy(&a, p + k * 4, 4);
        std::memcpy(&b, p + k * 4 + 4, 4);
        const __m128i pa = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(a)), zero);
        const __m128i pb = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(b)), zero);
        const __m128i pair = _mm_unpacklo_epi16(pa, pb); // b0 b1 g0 g1 r0 r1 x0 x1
        const __m128i weights = _mm_set1_epi32(static_cast<int>(
            static_cast<std::uint32_t>(w[k]) | (static_cast<std::uint32_t>(w[k + 1]) << 16)));
        sum = _mm_add_epi32(sum, _mm_madd_epi16(pair, weights));
    }
    if (k < taps) {
        std::uint32_t a;
        std::memcpy(&a, p + k * 4, 4);
        const __m128i pa = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(a)), zero);
        sum =
            _mm_add_epi32(sum, _mm_madd_epi16(_mm_unpacklo_epi16(pa, zero), _mm_set1_epi32(w[k])));
    }
    return sum;
}

// The 8.8 value of each channel, as horizontalRow rounds it.
inline __m128i fixedPoint(__m128i sum)
{
    return _mm_srli_epi32(_mm_add_epi32(sum, _mm_set1_epi32(1 << 3)), kWeightBits - 8);
}

template <>
void horizontalRow<0, 4>(const std::uint8_t* in, const AxisFilter& fx, int x0, int x1,
                         std::uint16_t* out)
{
    // 8.8 values reach 65280: packed as signed 16 bits around 32768, then turned back.
    const __m128i bias = _mm_set1_epi32(32768);
    const __m128i unbias = _mm_set1_epi16(static_cast<short>(0x8000));
    for (int x = x0; x < x1; ++x, out += 4) {
        const __m128i v = fixedPoint(
            horizontalSample(in + fx.first[static_cast<std::size_t>(x)] * 4,
                             fx.weights.data() + static_cast<std::size_t>(x) * fx.taps, fx.taps));
        const __m128i packed =
            _mm_xor_si128(_mm_packs_epi32(_mm_sub_epi32(v, bias), _mm_setzero_si128()), unbias);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out), packed);
    }
}
#endif

void horizontal(const BitmapView& source, const std::uint8_t* in, const AxisFilter& fx, int x0,
                int x1, std::uint16_t* out)
{
    if (source.bytesPerPixel == 4)
        return horizontalRow<0, 4>(in, fx, x0, x1, out); // with SSE2, the version above
    switch (fx.taps) {
    case 1:
        return horizontalRow<1, 3>(in, fx, x0, x1, out);
    case 2:
        return horizontalRow<2, 3>(in, fx, x0, x1, out);
    case 3:
        return horizontalRow<3, 3>(in, fx, x0, x1, out);
    default:
        return horizontalRow<0, 3>(in, fx, x0, x1, out);
    }
}

inline std::uint8_t rounded(std::uint32_t fixed88)
{
    return static_cast<std::uint8_t>((fixed88 + 128u) >> 8);
}

// A row of 8.8 samples with `channels` a sample to the target's pixels, rounded.
void storeRow(const std::uint16_t* in, int channels, int samples, std::uint8_t* out, int bpp)
{
    if (channels == 3 && bpp == 3) {
        for (int i = 0; i < samples * 3; ++i)
            out[i] = rounded(in[i]);
        return;
    }
    for (int x = 0; x < samples; ++x, in += channels, out += bpp) {
        out[0] = rounded(in[0]);
        out[1] = rounded(in[1]);
        out[2] = rounded(in[2]);
        if (bpp == 4)
            out[3] = 0xff;
    }
}

#if defined(__SSE2__)
// Rows of equal height from a 4-byte source into a 4-byte target: both passes in registers.
// Taps > 0 fixes the tap count so the compiler unrolls the taps.
template <int Taps>
void stretchRowDirect(const std::uint8_t* in, const AxisFilter& fx, int x0, int x1,
                      std::uint8_t* out)
{
    const int taps = Taps > 0 ? Taps : fx.taps;
    const __m128i half = _mm_set1_epi32(128);
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xff000000u));
    const int* first = fx.first.data();
    const std::int32_t* weights = fx.weights.data();
    for (int x = x0; x < x1; ++x, out += 4) {
        const __m128i v = fixedPoint(horizontalSample(
            in + first[x] * 4, weights + static_cast<std::size_t>(x) * taps, taps));
        const __m128i bytes = _mm_srli_epi32(_mm_add_epi32(v, half), 8);
        const __m128i packed = _mm_packus_epi16(_mm_packs_epi32(bytes, bytes), bytes);
        const std::uint32_t pixel =
            static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_or_si128(packed, opaque)));
        std::memcpy(out, &pixel, 4);
    }
}

void stretchRowDirect(const std::uint8_t* in, const AxisFilter& fx, int x0, int x1,
                      std::uint8_t* out)
{
    switch (fx.taps) {
    case 1:
        return stretchRowDirect<1>(in, fx, x0, x1, out);
    case 2:
        return stretchRowDirect<2>(in, fx, x0, x1, out);
    case 3:
        return stretchRowDirect<3>(in, fx, x0, x1, out);
    default:
        return stretchRowDirect<0>(in, fx, x0, x1, out);
    }
}
#endif

// One pixel of the source to the target's layout.
inline void copyPixel(const std::uint8_t* in, std::uint8_t* out, int bpp)
{
    out[0] = in[0];
    out[1] = in[1];
    out[2] = in[2];
    if (bpp == 4)
        out[3] = 0xff;
}

} // namespace

void stretchBitmap(const BitmapView& source, TargetView target, const RECT& dst)
{
    const int dstW = dst.right - dst.left;
    const int dstH = dst.bottom - dst.top;
    if (!source.bits || source.width <= 0 || source.height <= 0 || dstW <= 0 || dstH <= 0 ||
        (source.bytesPerPixel != 3 && source.bytesPerPixel != 4))
        return;
    const int bpp = target.bytesPerPixel == 4 ? 4 : 3;
    const int channels = source.bytesPerPixel;
    // The visible part of dst, in dst coordinates.
    const int x0 = std::max(0, -dst.left);
    const int x1 = std::min(dstW, target.width - dst.left);
    const int y0 = std::max(0, -dst.top);
    const int y1 = std::min(dstH, target.height - dst.top);
    if (x0 >= x1 || y0 >= y1)
        return;

    const int srcStride = source.stride();
    auto sourceRow = [&](int topDownRow) {
        return source.bits +
               static_cast<std::ptrdiff_t>(source.height - 1 - topDownRow) * srcStride;
    };
    auto targetRow = [&](int y) {
        return target.bits + static_cast<std::ptrdiff_t>(dst.top + y) * target.stride +
               static_cast<std::ptrdiff_t>(dst.left + x0) * bpp;
    };
    const int visibleW = x1 - x0;

    // Same size: a copy with the rows turned top-down.
    if (dstW == source.width && dstH == source.height) {
        for (int y = y0; y < y1; ++y) {
            const std::uint8_t* in = sourceRow(y) + x0 * channels;
            std::uint8_t* out = targetRow(y);
            if (bpp == channels && bpp == 3) {
                std::memcpy(out, in, static_cast<std::size_t>(visibleW) * 3);
                continue;
            }
            if (bpp == channels) {
                // The fourth byte made opaque, a word at a time so the loop vectorises.
                for (int x = 0; x < visibleW; ++x) {
                    std::uint32_t pixel;
                    std::memcpy(&pixel, in + x * 4, 4);
                    pixel |= 0xff000000u;
                    std::memcpy(out + x * 4, &pixel, 4);
                }
                continue;
            }
            for (int x = 0; x < visibleW; ++x, in += channels, out += bpp)
                copyPixel(in, out, bpp);
        }
        return;
    }

    // The second lookup cannot evict the first: that one was just used.
    const AxisFilter& fx = cachedFilter(source.width, dstW);
    const AxisFilter& fy = cachedFilter(source.height, dstH);

    Scratch& work = scratch();
    const std::size_t rowLen = static_cast<std::size_t>(visibleW) * channels;

    // Rows of equal height: each target row is one source row, filtered across.
    if (fy.identity()) {
#if defined(__SSE2__)
        if (channels == 4 && bpp == 4) {
            for (int y = y0; y < y1; ++y)
                stretchRowDirect(sourceRow(y), fx, x0, x1, targetRow(y));
            return;
        }
#endif
        std::uint16_t* row = sized(work.rows, rowLen);
        for (int y = y0; y < y1; ++y) {
            horizontal(source, sourceRow(y), fx, x0, x1, row);
            storeRow(row, channels, visibleW, targetRow(y), bpp);
        }
        return;
    }

    // Horizontal pass of each source row the visible rows need, once.
    const int yTaps = fy.taps;
    const int firstRow = fy.first[static_cast<std::size_t>(y0)];
    const int rowCount = fy.first[static_cast<std::size_t>(y1 - 1)] + yTaps - firstRow;
    std::uint16_t* rows = sized(work.rows, rowLen * static_cast<std::size_t>(rowCount));
    std::uint8_t* done = sized(work.done, static_cast<std::size_t>(rowCount));
    std::memset(done, 0, static_cast<std::size_t>(rowCount));
    std::uint32_t* acc = sized(work.acc, rowLen);
    for (int y = y0; y < y1; ++y) {
        const std::int32_t* w = fy.weights.data() + static_cast<std::size_t>(y) * yTaps;
        const int first = fy.first[static_cast<std::size_t>(y)];
        std::fill(acc, acc + rowLen, 1u << (kWeightBits + 7)); // rounding
        for (int k = 0; k < yTaps; ++k) {
            if (w[k] == 0)
                continue;
            const auto slot = static_cast<std::size_t>(first + k - firstRow);
            std::uint16_t* row = rows + slot * rowLen;
            if (!done[slot]) {
                done[slot] = 1;
                horizontal(source, sourceRow(first + k), fx, x0, x1, row);
            }
            const auto weight = static_cast<std::uint32_t>(w[k]);
            for (std::size_t i = 0; i < rowLen; ++i)
                acc[i] += row[i] * weight;
        }
        std::uint8_t* out = targetRow(y);
        auto channel = [&](std::size_t i) {
            return static_cast<std::uint8_t>(
                std::min<std::uint32_t>(acc[i] >> (kWeightBits + 8), 255));
        };
        if (bpp == 3 && channels == 3) {
            for (std::size_t i = 0; i < rowLen; ++i)
                out[i] = channel(i);
            continue;
        }
        for (std::size_t i = 0; i < rowLen; i += static_cast<std::size_t>(channels), out += bpp) {
            out[0] = channel(i);
            out[1] = channel(i + 1);
            out[2] = channel(i + 2);
            if (bpp == 4)
                out[3] = 0xff;
        }
    }
}

} // namespace orvel::draw
