// The camera client refills an object on its request thread while a consumer draws or plays
// on its own: every read sees one whole part.

#include "media/tests/MediaObjects.h"
#include "media/tests/TestJpeg.h"
#include "platform/com/TaskMemory.h"
#include "platform/draw/MemorySurface.h"

#include <atomic>
#include <cstdlib>
#include <gtest/gtest.h>
#include <thread>

using namespace medrix::test;

namespace {

TEST(MediaConcurrency, RefillWhileDrawingAndReadingDib)
{
    auto image = createImageObject();
    ASSERT_TRUE(image);
    const std::vector<std::vector<std::uint8_t>> frames = {makeGradientJpeg(64, 48),
                                                           makeGradientJpeg(160, 120)};
    refill(image.get(), frames[0]);
    std::atomic_bool stop{false};
    std::thread writer([&] {
        for (int n = 0; n < 200; ++n)
            refill(image.get(), frames[static_cast<std::size_t>(n % 2)]);
        stop = true;
    });

    orvel::draw::MemorySurface surface(80, 60);
    RECT rect{0, 0, 80, 60};
    int reads = 0;
    while (!stop || reads < 20) {
        ASSERT_EQ(image->Draw(surface.hdc(), &rect), S_OK);
        _CAM_BIH bih{};
        DWORD size = 0;
        BYTE* bits = nullptr;
        ASSERT_EQ(image->GetDIB(nullptr, 2, &bih, &size, &bits), S_OK);
        // One frame's header and pixels, never a mix.
        bool small = bih.biWidth == 32 && bih.biHeight == 24;
        bool large = bih.biWidth == 80 && bih.biHeight == 60;
        ASSERT_TRUE(small || large) << bih.biWidth << "x" << bih.biHeight;
        ASSERT_EQ(size, camBihStride(bih.biWidth) * static_cast<UI4>(bih.biHeight));
        CoTaskMemFree(bits);
        ++reads;
    }
    writer.join();
}

TEST(MediaConcurrency, RefillWhilePlaying)
{
    auto sound = createSoundObject();
    ASSERT_TRUE(sound);
    std::vector<std::uint8_t> partA(12 + 40, 0x11), partB(12 + 80, 0x77);
    std::atomic_bool stop{false};
    std::thread writer([&] {
        for (int n = 0; n < 300; ++n)
            refill(sound.get(), n % 2 ? partA : partB, "audio/32KADPCM");
        stop = true;
    });
    while (!stop)
        ASSERT_EQ(sound->Play(), S_OK);
    writer.join();
}

} // namespace
