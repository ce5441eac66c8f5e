// The camera client refills an object on its request thread while a consumer draws or plays
// on its own: every read sees one whole part.

#include "media/tests/MediaObjects.h"
#include "media/tests/TestJpeg.h"
#include "platform/com/TaskMemory.h"
#include "platform/draw/MemorySurface.h"
#include "testsupport/WaitUntil.h"

#include <atomic>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <thread>

using namespace std::chrono_literals;

using namespace medrix::test;

namespace {

// Repeats one refill on a thread of its own until stopped; stops and joins on every way out of
// a test.
class Writer {
public:
    explicit Writer(std::function<void(int)> refillOnce)
        : m_thread([this, refillOnce = std::move(refillOnce)] {
              for (int n = 0; !m_stop; ++n) {
                  refillOnce(n);
                  ++m_refills;
              }
          })
    {}
    ~Writer() { stop(); }
    // The refills made so far.
    int refills() const { return m_refills; }
    void stop()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    std::atomic_bool m_stop{false};
    std::atomic<int> m_refills{0};
    std::thread m_thread; // last: it uses the members above
};

// The writer refills until the reader has made its reads, so every read overlaps a refill; the
// reader only counts what it saw and the asserts run after the writer is joined.
TEST(MediaConcurrency, RefillWhileDrawingAndReadingDib)
{
    auto image = createImageObject();
    ASSERT_TRUE(image);
    const std::vector<std::vector<std::uint8_t>> frames = {makeGradientJpeg(64, 48),
                                                           makeGradientJpeg(160, 120)};
    refill(image.get(), frames[0]);
    Writer writer([&](int n) { refill(image.get(), frames[static_cast<std::size_t>(n % 2)]); });
    ASSERT_TRUE(waitUntil([&] { return writer.refills() > 0; }, 10s)) << "the writer never ran";

    constexpr int kReads = 200;
    orvel::draw::MemorySurface surface(80, 60);
    RECT rect{0, 0, 80, 60};
    int failedDraws = 0, failedReads = 0, mixed = 0, wrongSize = 0;
    for (int reads = 0; reads < kReads; ++reads) {
        if (image->Draw(surface.hdc(), &rect) != S_OK)
            ++failedDraws;
        _CAM_BIH bih{};
        DWORD size = 0;
        BYTE* bits = nullptr;
        if (image->GetDIB(nullptr, 2, &bih, &size, &bits) != S_OK) {
            ++failedReads;
            continue;
        }
        // One frame's header and pixels, never a mix.
        bool small = bih.biWidth == 32 && bih.biHeight == 24;
        bool large = bih.biWidth == 80 && bih.biHeight == 60;
        if (!small && !large)
            ++mixed;
        else if (size != camBihStride(bih.biWidth) * static_cast<UI4>(bih.biHeight))
            ++wrongSize;
        CoTaskMemFree(bits);
    }
    const int refillsDuringReads = writer.refills();
    writer.stop();
    EXPECT_EQ(failedDraws, 0);
    EXPECT_EQ(failedReads, 0);
    EXPECT_EQ(mixed, 0);
    EXPECT_EQ(wrongSize, 0);
    EXPECT_GT(refillsDuringReads, 1);
}

TEST(MediaConcurrency, RefillWhilePlaying)
{
    auto sound = createSoundObject();
    ASSERT_TRUE(sound);
    std::vector<std::uint8_t> partA(12 + 40, 0x11), partB(12 + 80, 0x77);
    Writer writer([&](int n) { refill(sound.get(), n % 2 ? partA : partB, "audio/32KADPCM"); });
    ASSERT_TRUE(waitUntil([&] { return writer.refills() > 0; }, 10s)) << "the writer never ran";

    constexpr int kPlays = 300;
    int failedPlays = 0;
    for (int plays = 0; plays < kPlays; ++plays)
        if (sound->Play() != S_OK)
            ++failedPlays;
    writer.stop();
    EXPECT_EQ(failedPlays, 0);
}

} // namespace
