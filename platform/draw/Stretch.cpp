#include "platform/draw/Stretch.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace orvel::draw {

namespace {

constexpr int kWeightBits = 12;
constexpr int kWeightOne = 1 << kWeightBits;

// The source samples that make up one destination sample, with weights summing to 4096.
struct Taps {
    int first = 0;
    int count = 0;
    int weightIndex = 0;
};

struct AxisFilter {
    std::vector<Taps> taps;
    std::vector<std::int32_t> weights;
};

AxisFilter makeFilter(int srcLen, int dstLen)
{
    AxisFilter f;
    f.taps.resize(static_cast<std::size_t>(dstLen));
    const double scale = static_cast<double>(srcLen) / dstLen;
    for (int i = 0; i < dstLen; ++i) {
        Taps& t = f.taps[static_cast<std::size_t>(i)];
        t.weightIndex = static_cast<int>(f.weights.size());
        std::vector<double> w;
        if (scale <= 1.0) {
            // Bilinear between the two nearest source centres.
            double x = (i + 0.5) * scale - 0.5;
            x = std::clamp(x, 0.0, static_cast<double>(srcLen - 1));
            int x0 = static_cast<int>(x);
            int x1 = std::min(x0 + 1, srcLen - 1);
            double frac = x - x0;
            t.first = x0;
            if (x1 == x0 || frac == 0.0) {
                w = {1.0};
            } else {
                w = {1.0 - frac, frac};
            }
        } else {
            // Area average over the source span this sample covers.
            double lo = i * scale;
            double hi = (i + 1) * scale;
            int s0 = static_cast<int>(lo);
            int s1 = std::min(static_cast<int>(hi + 0.999999), srcLen);
            t.first = s0;
            for (int s = s0; s < s1; ++s) {
                double overlap = std::min<double>(hi, s + 1) - std::max<double>(lo, s);
                w.push_back(std::max(overlap, 0.0) / scale);
            }
        }
        // Fixed point, with the rounding remainder on the largest weight so they sum exactly.
        int sum = 0;
        std::size_t largest = 0;
        for (std::size_t k = 0; k < w.size(); ++k) {
            int q = static_cast<int>(w[k] * kWeightOne + 0.5);
            f.weights.push_back(q);
            sum += q;
            if (w[k] > w[largest])
                largest = k;
        }
        f.weights[static_cast<std::size_t>(t.weightIndex) + largest] += kWeightOne - sum;
        t.count = static_cast<int>(w.size());
    }
    return f;
}

} // namespace

void stretchBitmap(const BitmapView& source, TargetView target, const RECT& dst)
{
    const int dstW = dst.right - dst.left;
    const int dstH = dst.bottom - dst.top;
    if (!source.bits || source.width <= 0 || source.height <= 0 || dstW <= 0 || dstH <= 0)
        return;
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
               static_cast<std::ptrdiff_t>(dst.left) * 3;
    };

    // Same size: a copy with the rows turned top-down.
    if (dstW == source.width && dstH == source.height) {
        for (int y = y0; y < y1; ++y)
            std::memcpy(targetRow(y) + x0 * 3, sourceRow(y) + x0 * 3,
                        static_cast<std::size_t>(x1 - x0) * 3);
        return;
    }

    const AxisFilter fx = makeFilter(source.width, dstW);
    const AxisFilter fy = makeFilter(source.height, dstH);

    // Horizontal pass, into 8.8 fixed point, of each source row the visible rows need, once.
    const int visibleW = x1 - x0;
    const std::size_t rowLen = static_cast<std::size_t>(visibleW) * 3;
    const int firstRow = fy.taps[static_cast<std::size_t>(y0)].first;
    const Taps& lastTaps = fy.taps[static_cast<std::size_t>(y1 - 1)];
    const int rowCount = lastTaps.first + lastTaps.count - firstRow;
    std::vector<std::uint16_t> rows(rowLen * static_cast<std::size_t>(rowCount));
    std::vector<bool> done(static_cast<std::size_t>(rowCount), false);
    auto horizontal = [&](int srcRow) -> const std::uint16_t* {
        auto slot = static_cast<std::size_t>(srcRow - firstRow);
        std::uint16_t* out = rows.data() + slot * rowLen;
        if (!done[slot]) {
            done[slot] = true;
            const std::uint8_t* in = sourceRow(srcRow);
            for (int x = x0; x < x1; ++x) {
                const Taps& t = fx.taps[static_cast<std::size_t>(x)];
                const std::int32_t* w = fx.weights.data() + t.weightIndex;
                std::uint32_t acc[3] = {0, 0, 0};
                const std::uint8_t* p = in + t.first * 3;
                for (int k = 0; k < t.count; ++k, p += 3) {
                    acc[0] += p[0] * static_cast<std::uint32_t>(w[k]);
                    acc[1] += p[1] * static_cast<std::uint32_t>(w[k]);
                    acc[2] += p[2] * static_cast<std::uint32_t>(w[k]);
                }
                std::uint16_t* o = out + static_cast<std::size_t>(x - x0) * 3;
                for (int c = 0; c < 3; ++c)
                    o[c] = static_cast<std::uint16_t>((acc[c] + (1 << 3)) >> (kWeightBits - 8));
            }
        }
        return out;
    };

    // Vertical pass, one weighted source row at a time so the loops vectorise.
    std::vector<std::uint32_t> acc(rowLen);
    for (int y = y0; y < y1; ++y) {
        const Taps& t = fy.taps[static_cast<std::size_t>(y)];
        const std::int32_t* w = fy.weights.data() + t.weightIndex;
        std::fill(acc.begin(), acc.end(), 1u << (kWeightBits + 7)); // rounding
        for (int k = 0; k < t.count; ++k) {
            const std::uint16_t* row = horizontal(t.first + k);
            const auto weight = static_cast<std::uint32_t>(w[k]);
            for (std::size_t i = 0; i < rowLen; ++i)
                acc[i] += row[i] * weight;
        }
        std::uint8_t* out = targetRow(y) + x0 * 3;
        for (std::size_t i = 0; i < rowLen; ++i)
            out[i] = static_cast<std::uint8_t>(
                std::min<std::uint32_t>(acc[i] >> (kWeightBits + 8), 255));
    }
}

} // namespace orvel::draw
