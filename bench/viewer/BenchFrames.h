#pragma once
// Camera-like 640 x 480 frames for the viewer's benchmarks: shading, texture, noise and a bar
// that moves from frame to frame, encoded at quality 85, written as a sequence.

#include "tools/camsim/JpegEncoder.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace bench {

inline constexpr int kWidth = 640;
inline constexpr int kHeight = 480;

inline std::string makeFrame(camsim::JpegEncoder& encoder, int index)
{
    std::mt19937 random(static_cast<unsigned>(index));
    std::uniform_int_distribution<int> noise(-10, 10);
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(kWidth) * kHeight * 3);
    const int bar = (index * 7) % kWidth;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * kWidth + x) * 3];
            int base = x * 200 / kWidth + y * 55 / kHeight + ((x / 16 + y / 16) % 2) * 20;
            if (std::abs(x - bar) < 12)
                base = 250;
            p[0] = static_cast<std::uint8_t>(std::clamp(base + noise(random), 0, 255));
            p[1] = static_cast<std::uint8_t>(std::clamp(255 - base + noise(random), 0, 255));
            p[2] = static_cast<std::uint8_t>(std::clamp((x ^ y) % 256 + noise(random), 0, 255));
        }
    std::string jpeg;
    encoder.encode(rgb, kWidth, kHeight, 85, jpeg);
    return jpeg;
}

inline void writeLe32(std::ofstream& out, std::uint32_t v)
{
    const char b[4] = {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                       static_cast<char>(v >> 24)};
    out.write(b, 4);
}

// frames files f0.jpg ... in folder (50 distinct pictures in turn) and seq.sqj naming them;
// returns the sequence's path. The pictures are returned in *jpegs when asked for.
inline std::string writeSequence(const std::filesystem::path& folder, int frames, unsigned interval,
                                 std::vector<std::string>* jpegs = nullptr)
{
    auto encoder = camsim::JpegEncoder::create();
    std::vector<std::string> pictures;
    for (int i = 0; i < 50; ++i)
        pictures.push_back(makeFrame(*encoder, i));
    const std::string sequence = (folder / "seq.sqj").string();
    std::ofstream seq(sequence, std::ios::binary);
    seq.write("sq11", 4);
    writeLe32(seq, static_cast<std::uint32_t>(frames));
    writeLe32(seq, interval);
    for (int i = 0; i < frames; ++i) {
        const std::string name = "f" + std::to_string(i) + ".jpg";
        std::ofstream(folder / name, std::ios::binary)
            << pictures[static_cast<std::size_t>(i) % pictures.size()];
        writeLe32(seq, static_cast<std::uint32_t>(name.size() + 1));
        seq.write(name.c_str(), static_cast<std::streamsize>(name.size() + 1));
    }
    if (jpegs)
        *jpegs = std::move(pictures);
    return sequence;
}

} // namespace bench
