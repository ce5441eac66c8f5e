#include "media/tests/MediaObjects.h"
#include "media/tests/TestJpeg.h"
#include "platform/com/TaskMemory.h"
#include "platform/draw/MemorySurface.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

using namespace medrix::test;
using orvel::draw::Color;
using orvel::draw::MemorySurface;

namespace {

class ImageObject : public testing::Test {
protected:
    void SetUp() override
    {
        image = createImageObject();
        ASSERT_TRUE(image);
    }

    void TearDown() override { std::filesystem::remove_all(folder); }

    std::filesystem::path file(const char* name) const { return folder / name; }

    // GetDIB without a file, returning the pixels; fails the test on error.
    std::vector<std::uint8_t> dib(int nType, _CAM_BIH* bih)
    {
        DWORD size = 0;
        BYTE* bits = nullptr;
        EXPECT_EQ(image->GetDIB(nullptr, nType, bih, &size, &bits), S_OK);
        std::vector<std::uint8_t> copy(bits, bits + size);
        CoTaskMemFree(bits);
        return copy;
    }

    std::pair<LONG, LONG> dimension()
    {
        LONG w = -1, h = -1;
        EXPECT_EQ(image->GetDimension(&w, &h), S_OK);
        return {w, h};
    }

    // Files of this test; the state root stays the one the library is registered in.
    const std::filesystem::path folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "medrix-XXXXXX").string();
        return std::filesystem::path(::mkdtemp(pattern.data()));
    }();
    ComPtr<ICamImageObject> image;
};

TEST_F(ImageObject, EmptyObjectHasNoSizeAndNothingToDrawOrSave)
{
    EXPECT_EQ(dimension(), std::make_pair(LONG{0}, LONG{0}));
    MemorySurface surface(16, 16);
    RECT rect{0, 0, 16, 16};
    EXPECT_EQ(image->Draw(surface.hdc(), &rect), E_FAIL);
    _CAM_BIH bih{};
    EXPECT_EQ(image->GetDIB(nullptr, 1, &bih, nullptr, nullptr), E_FAIL);

    DWORD written = 99;
    auto path = file("empty.jpg");
    EXPECT_EQ(image->Save(Bstr(path.string()).get(), &written), E_FAIL);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(ImageObject, QuarterScaleRoundsUpAndPadsRows)
{
    refill(image.get(), makeGradientJpeg(641, 481));
    _CAM_BIH bih{};
    auto bits = dib(4, &bih);
    EXPECT_EQ(bih.biWidth, 161);
    EXPECT_EQ(bih.biHeight, 121);
    EXPECT_EQ(camBihStride(bih.biWidth), 484u);
    EXPECT_EQ(bih.biSizeImage, 58564u);
    EXPECT_EQ(bits.size(), 58564u);
    EXPECT_EQ(bih.biSize, 40u);
    EXPECT_EQ(bih.biPlanes, 1);
    EXPECT_EQ(bih.biBitCount, 24);
    EXPECT_EQ(bih.biCompression, 0u);
    // The one padding byte of each row is zero.
    for (int y = 0; y < 121; ++y)
        ASSERT_EQ(bits[static_cast<std::size_t>(y) * 484 + 483], 0) << "row " << y;
}

TEST_F(ImageObject, DecodedPixelsAreTheDecodersOwnAtEveryScale)
{
    for (bool grey : {false, true}) {
        auto jpeg = makeGradientJpeg(321, 243, grey);
        refill(image.get(), jpeg);
        for (int nType : {1, 2, 4}) {
            int w = 0, h = 0;
            auto expected = referenceDecode(jpeg, nType, &w, &h);
            _CAM_BIH bih{};
            auto bits = dib(nType, &bih);
            EXPECT_EQ(bih.biWidth, w);
            EXPECT_EQ(bih.biHeight, h);
            EXPECT_TRUE(bits == expected) << "grey " << grey << " nType " << nType;
        }
    }
}

TEST_F(ImageObject, FourChannelSourcesPassTheirChannelsThrough)
{
    // A CMYK frame: the first three channels land unconverted in the three bytes per pixel.
    const int w = 24, h = 16;
    std::vector<std::uint8_t> cmyk(static_cast<std::size_t>(w) * h * 4);
    for (std::size_t i = 0; i < cmyk.size(); ++i)
        cmyk[i] = static_cast<std::uint8_t>((i % 4) * 60 + 20);
    tjhandle encoder = tjInitCompress();
    unsigned char* out = nullptr;
    unsigned long size = 0;
    ASSERT_EQ(
        tjCompress2(encoder, cmyk.data(), w, w * 4, h, TJPF_CMYK, &out, &size, TJSAMP_444, 100, 0),
        0);
    std::vector<std::uint8_t> jpeg(out, out + size);
    tjFree(out);
    tjDestroy(encoder);

    tjhandle decoder = tjInitDecompress();
    std::vector<std::uint8_t> channels(static_cast<std::size_t>(w) * h * 4);
    ASSERT_EQ(tjDecompress2(decoder, jpeg.data(), jpeg.size(), channels.data(), w, w * 4, h,
                            TJPF_CMYK, TJFLAG_BOTTOMUP),
              0);
    tjDestroy(decoder);

    refill(image.get(), jpeg);
    _CAM_BIH bih{};
    auto bits = dib(1, &bih);
    ASSERT_EQ(bih.biWidth, w);
    const UI4 stride = camBihStride(w);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c)
                ASSERT_EQ(bits[y * stride + x * 3 + c], channels[(y * w + x) * 4 + c]);
}

TEST_F(ImageObject, DimensionsFollowTheLastDecode)
{
    refill(image.get(), makeGradientJpeg(200, 100));
    _CAM_BIH bih{};
    ASSERT_EQ(image->GetDIB(nullptr, 2, &bih, nullptr, nullptr), S_OK);
    EXPECT_EQ(dimension(), std::make_pair(LONG{100}, LONG{50}));

    MemorySurface surface(50, 50);
    RECT rect{0, 0, 50, 50};
    ASSERT_EQ(image->Draw(surface.hdc(), &rect), S_OK);
    EXPECT_EQ(dimension(), std::make_pair(LONG{200}, LONG{100}));

    // A new part does not decode by itself; a failed decode keeps the last size.
    std::string text = "not a picture";
    refill(image.get(), {text.begin(), text.end()}, "text/plain");
    EXPECT_EQ(dimension(), std::make_pair(LONG{200}, LONG{100}));
    EXPECT_EQ(image->Draw(surface.hdc(), &rect), E_FAIL);
    EXPECT_EQ(image->GetDIB(nullptr, 1, &bih, nullptr, nullptr), E_FAIL);
    EXPECT_EQ(dimension(), std::make_pair(LONG{200}, LONG{100}));
}

TEST_F(ImageObject, FreshObjectMeasuresItsFirstPartOnDemand)
{
    refill(image.get(), makeGradientJpeg(33, 17));
    EXPECT_EQ(dimension(), std::make_pair(LONG{33}, LONG{17}));
}

TEST_F(ImageObject, DrawStretchesTheWholeImageIntoTheRectangle)
{
    refill(image.get(), makeQuadrantJpeg(64, 48));
    MemorySurface surface(640, 480, {10, 20, 30});
    RECT rect{100, 50, 420, 290}; // 320 x 240, five times the image
    ASSERT_EQ(image->Draw(surface.hdc(), &rect), S_OK);
    auto near = [](Color got, Color want) {
        return std::abs(got.r - want.r) < 12 && std::abs(got.g - want.g) < 12 &&
               std::abs(got.b - want.b) < 12;
    };
    EXPECT_TRUE(near(surface.pixel(180, 110), {255, 0, 0}));     // top left
    EXPECT_TRUE(near(surface.pixel(340, 110), {0, 255, 0}));     // top right
    EXPECT_TRUE(near(surface.pixel(180, 230), {0, 0, 255}));     // bottom left
    EXPECT_TRUE(near(surface.pixel(340, 230), {255, 255, 255})); // bottom right
    EXPECT_TRUE(near(surface.pixel(101, 51), {255, 0, 0}));      // corners reach the edges
    EXPECT_TRUE(near(surface.pixel(418, 288), {255, 255, 255}));
    EXPECT_EQ(surface.pixel(99, 50), (Color{10, 20, 30})); // outside untouched
    EXPECT_EQ(surface.pixel(420, 289), (Color{10, 20, 30}));

    EXPECT_EQ(image->Draw(nullptr, &rect), E_INVALIDARG);
    EXPECT_EQ(image->Draw(surface.hdc(), nullptr), E_INVALIDARG);
}

TEST_F(ImageObject, DrawingSmallDecodesAtTheScaleThatCoversTheRectangle)
{
    refill(image.get(), makeQuadrantJpeg(256, 192));
    // Exactly half: the picture is the decoder's own half-scale one, copied.
    _CAM_BIH bih{};
    std::vector<std::uint8_t> half = dib(2, &bih);
    ASSERT_EQ(bih.biWidth, 128);
    MemorySurface surface(128, 96);
    RECT rect{0, 0, 128, 96};
    ASSERT_EQ(image->Draw(surface.hdc(), &rect), S_OK);
    const UI4 stride = camBihStride(128);
    int differing = 0;
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 128; ++x) {
            const std::uint8_t* p = half.data() + static_cast<std::size_t>(95 - y) * stride + x * 3;
            differing += surface.pixel(x, y) != Color{p[2], p[1], p[0]};
        }
    EXPECT_EQ(differing, 0);
    EXPECT_EQ(dimension(), std::make_pair(LONG{256}, LONG{192}));

    // One pixel wider than half: never stretched up from a smaller decode, still the whole
    // picture; a quarter-size target from the quarter decode.
    auto near = [](Color got, Color want) {
        return std::abs(got.r - want.r) < 12 && std::abs(got.g - want.g) < 12 &&
               std::abs(got.b - want.b) < 12;
    };
    for (RECT r : {RECT{0, 0, 129, 96}, RECT{0, 0, 64, 48}, RECT{0, 0, 20, 10}}) {
        MemorySurface s(r.right, r.bottom);
        ASSERT_EQ(image->Draw(s.hdc(), &r), S_OK);
        EXPECT_TRUE(near(s.pixel(r.right / 4, r.bottom / 4), {255, 0, 0})) << r.right;
        EXPECT_TRUE(near(s.pixel(3 * r.right / 4, r.bottom / 4), {0, 255, 0})) << r.right;
        EXPECT_TRUE(near(s.pixel(r.right / 4, 3 * r.bottom / 4), {0, 0, 255})) << r.right;
        EXPECT_TRUE(near(s.pixel(3 * r.right / 4, 3 * r.bottom / 4), {255, 255, 255})) << r.right;
        EXPECT_EQ(dimension(), std::make_pair(LONG{256}, LONG{192}));
    }
}

TEST_F(ImageObject, AFrameOfANewSizeDrawsLikeTheFirstFrameOfThatSize)
{
    // A stream that changes resolution: each frame drawn into the same window rectangle gives
    // the pixels it gave the first time, whatever sizes came between.
    RECT rect{5, 5, 145, 105};
    auto drawn = [&](ICamImageObject* object) {
        MemorySurface s(150, 110);
        RECT r = rect;
        EXPECT_EQ(object->Draw(s.hdc(), &r), S_OK);
        std::vector<Color> out;
        for (int y = 0; y < 110; ++y)
            for (int x = 0; x < 150; ++x)
                out.push_back(s.pixel(x, y));
        return out;
    };
    std::vector<std::vector<Color>> first;
    for (int round = 0; round < 2; ++round) {
        int index = 0;
        for (auto [w, h] :
             {std::pair{320, 240}, std::pair{64, 48}, std::pair{704, 576}, std::pair{140, 100}}) {
            refill(image.get(), makeQuadrantJpeg(w, h));
            const std::vector<Color> got = drawn(image.get());
            EXPECT_EQ(dimension(), std::make_pair(LONG{w}, LONG{h}));
            if (round == 0)
                first.push_back(got);
            else
                EXPECT_EQ(got, first[static_cast<std::size_t>(index)]) << w << "x" << h;
            // The quadrants' colours, whatever scale the decode took.
            auto at = [&](int x, int y) {
                return got[static_cast<std::size_t>(y * 150 + x)];
            };
            EXPECT_GT(at(40, 30).r, 230) << w;
            EXPECT_GT(at(110, 30).g, 230) << w;
            EXPECT_GT(at(40, 80).b, 230) << w;
            EXPECT_GT(at(110, 80).r + at(110, 80).g + at(110, 80).b, 700) << w;
            ++index;
        }
    }
}

TEST_F(ImageObject, MissingFileEmptiesTheObject)
{
    refill(image.get(), makeGradientJpeg(40, 30));
    _CAM_BIH bih{};
    DWORD size = 5;
    BYTE* bits = reinterpret_cast<BYTE*>(&size);
    EXPECT_EQ(image->GetDIB(Bstr(file("missing.jpg").string()).get(), 1, &bih, &size, &bits),
              E_HANDLE);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(bits, nullptr);

    ComPtr<ICamDataObject> data = image.as<ICamDataObject>();
    DWORD count = 0;
    BYTE* block = nullptr;
    EXPECT_EQ(data->GetData(FALSE, &count, &block), E_FAIL);
    MemorySurface surface(8, 8);
    RECT rect{0, 0, 8, 8};
    EXPECT_EQ(image->Draw(surface.hdc(), &rect), E_FAIL);
}

// A named pipe in a frame's place is not a file to load: the load fails at once instead of
// waiting for a writer that never comes.
TEST_F(ImageObject, NamedPipeIsNotLoadedAndNeverBlocks)
{
    const std::string pipe = file("pipe.jpg").string();
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    _CAM_BIH bih{};
    DWORD size = 5;
    BYTE* bits = nullptr;
    EXPECT_EQ(image->GetDIB(Bstr(pipe).get(), 1, &bih, &size, &bits), E_HANDLE);
    EXPECT_EQ(bits, nullptr);
}

TEST_F(ImageObject, FilesLoadAndSaveByteForByte)
{
    auto jpeg = makeGradientJpeg(120, 90);
    auto in = file("in.jpg");
    std::ofstream(in, std::ios::binary)
        .write(reinterpret_cast<const char*>(jpeg.data()),
               static_cast<std::streamsize>(jpeg.size()));

    // Only loading: no header asked for.
    ASSERT_EQ(image->GetDIB(Bstr(in.string()).get(), 1, nullptr, nullptr, nullptr), S_OK);
    _CAM_BIH bih{};
    auto bits = dib(2, &bih);
    EXPECT_EQ(bih.biWidth, 60);
    EXPECT_EQ(bih.biHeight, 45);

    auto out = file("out.jpg");
    DWORD written = 0;
    ASSERT_EQ(image->Save(Bstr(out.string()).get(), &written), S_OK);
    EXPECT_EQ(written, jpeg.size());
    std::ifstream saved(out, std::ios::binary);
    std::vector<std::uint8_t> back((std::istreambuf_iterator<char>(saved)), {});
    EXPECT_TRUE(back == jpeg);

    EXPECT_EQ(image->Save(Bstr((file("no-such-dir") / "x.jpg").string()).get(), &written),
              E_HANDLE);
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(image->Save(nullptr, &written), E_INVALIDARG);
    EXPECT_EQ(image->Save(Bstr(out.string()).get(), nullptr), E_INVALIDARG);

    // An empty file loads nothing.
    auto empty = file("empty.jpg");
    std::ofstream(empty).close();
    EXPECT_EQ(image->GetDIB(Bstr(empty.string()).get(), 1, &bih, nullptr, nullptr), E_FAIL);
}

} // namespace
