// Decoding through the image object against raw TurboJPEG on the same frames in the same
// run, at full, half and quarter scale, and Draw into a 640 x 480 memory surface against the
// raw decode at the scale that covers it. The two
// sides alternate round by round so drift in the machine's speed hits both; each figure is
// the fastest round in thread CPU time, the one least disturbed by other work on a shared
// machine. Prints one line per case with the ratio object / raw.
//
//   media_bench [rounds]

#include "media/CamImageObject.h"
#include "platform/com/ComPtr.h"
#include "platform/draw/MemorySurface.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <random>
#include <string>
#include <turbojpeg.h>
#include <vector>

namespace {

// A camera-like frame: smooth shading with some texture and noise, 4:2:0 at quality 85.
std::vector<std::uint8_t> makeFrame(int width, int height, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> noise(-12, 12);
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = rgb.data() + (static_cast<std::size_t>(y) * width + x) * 3;
            int base = (x * 200 / width + y * 55 / height) + ((x / 16 + y / 16) % 2) * 20;
            p[0] = static_cast<std::uint8_t>(std::clamp(base + noise(random), 0, 255));
            p[1] = static_cast<std::uint8_t>(std::clamp(255 - base + noise(random), 0, 255));
            p[2] = static_cast<std::uint8_t>(std::clamp((x ^ y) % 256 + noise(random), 0, 255));
        }
    tjhandle handle = tjInitCompress();
    unsigned char* out = nullptr;
    unsigned long size = 0;
    tjCompress2(handle, rgb.data(), width, width * 3, height, TJPF_RGB, &out, &size, TJSAMP_420, 85,
                0);
    std::vector<std::uint8_t> jpeg(out, out + size);
    tjFree(out);
    tjDestroy(handle);
    return jpeg;
}

// Raw TurboJPEG as an application would call it for the same bitmap: one instance, BGR,
// bottom-up, rows padded to 4, the scaled size asked of the decoder.
class RawDecoder {
public:
    RawDecoder() : m_handle(tjInitDecompress()) {}
    ~RawDecoder() { tjDestroy(m_handle); }

    void decode(const std::vector<std::uint8_t>& jpeg, int divisor)
    {
        int w = 0, h = 0, sub = 0, cs = 0;
        tjDecompressHeader3(m_handle, jpeg.data(), jpeg.size(), &w, &h, &sub, &cs);
        int sw = (w + divisor - 1) / divisor, sh = (h + divisor - 1) / divisor;
        int stride = (sw * 3 + 3) & ~3;
        if (m_pixels.size() < static_cast<std::size_t>(stride) * sh)
            m_pixels.resize(static_cast<std::size_t>(stride) * sh);
        tjDecompress2(m_handle, jpeg.data(), jpeg.size(), m_pixels.data(), sw, stride, sh, TJPF_BGR,
                      TJFLAG_BOTTOMUP);
    }

private:
    tjhandle m_handle;
    std::vector<std::uint8_t> m_pixels;
};

// CPU time of this thread: on a shared machine wall time mostly measures the other work.
double threadSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

double seconds(const std::function<void()>& work, int repeats)
{
    double start = threadSeconds();
    for (int i = 0; i < repeats; ++i)
        work();
    return (threadSeconds() - start) / repeats;
}

double fastest(const std::vector<double>& values)
{
    return *std::min_element(values.begin(), values.end());
}

struct Result {
    double raw = 0;
    double object = 0;
};

Result compare(const std::function<void()>& raw, const std::function<void()>& object, int rounds,
               int repeats)
{
    std::vector<double> rawTimes, objectTimes;
    raw();
    object();
    for (int r = 0; r < rounds; ++r) {
        if (r % 2) {
            rawTimes.push_back(seconds(raw, repeats));
            objectTimes.push_back(seconds(object, repeats));
        } else {
            objectTimes.push_back(seconds(object, repeats));
            rawTimes.push_back(seconds(raw, repeats));
        }
    }
    return {fastest(rawTimes), fastest(objectTimes)};
}

void print(const std::string& name, const Result& r)
{
    std::printf("%-34s raw %8.3f ms  object %8.3f ms  ratio %.3f\n", name.c_str(), r.raw * 1e3,
                r.object * 1e3, r.object / r.raw);
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(3, std::atoi(argv[1])) : 41;
    struct Size {
        int width, height;
    };
    const Size sizes[] = {{640, 480}, {1280, 960}};

    ComPtr<ICamImageObject> image;
    if (FAILED(medrix::CamImageObject::create(nullptr, IID_PPV_ARGS(image.put())))) {
        std::fprintf(stderr, "cannot create the image object\n");
        return 1;
    }
    ComPtr<ICamDataObject> data = image.as<ICamDataObject>();
    RawDecoder raw;
    orvel::draw::MemorySurface surface(640, 480);
    RECT rect{0, 0, 640, 480};

    for (const Size& size : sizes) {
        // Three different frames in turn, as a stream would bring them.
        std::vector<std::vector<std::uint8_t>> frames;
        for (unsigned seed = 1; seed <= 3; ++seed)
            frames.push_back(makeFrame(size.width, size.height, seed));
        const int repeats = std::max(3, 12 * 640 * 480 / (size.width * size.height));
        std::size_t rawNext = 0, objectNext = 0;
        auto refill = [&] {
            auto& frame = frames[objectNext++ % frames.size()];
            data->SetData(static_cast<DWORD>(frame.size()), frame.data());
        };
        const std::string label = std::to_string(size.width) + "x" + std::to_string(size.height);

        for (int divisor : {1, 2, 4}) {
            Result r = compare([&] { raw.decode(frames[rawNext++ % frames.size()], divisor); },
                               [&] {
                                   refill();
                                   _CAM_BIH bih{};
                                   image->GetDIB(nullptr, divisor, &bih, nullptr, nullptr);
                               },
                               rounds, repeats);
            print(label + " decode 1/" + std::to_string(divisor), r);
        }
        // Against the raw decode at the scale that still covers the target (goal: <= 1.1),
        // and against a raw full decode, as before drawing decoded at that scale.
        int divisor = 1;
        while (divisor < 8 && (size.width + 2 * divisor - 1) / (2 * divisor) >= 640 &&
               (size.height + 2 * divisor - 1) / (2 * divisor) >= 480)
            divisor *= 2;
        auto draw = [&] {
            refill();
            image->Draw(surface.hdc(), &rect);
        };
        Result r = compare([&] { raw.decode(frames[rawNext++ % frames.size()], divisor); }, draw,
                           rounds, repeats);
        print(label + " Draw into 640x480 vs decode 1/" + std::to_string(divisor), r);
        if (divisor != 1) {
            r = compare([&] { raw.decode(frames[rawNext++ % frames.size()], 1); }, draw, rounds,
                        repeats);
            print(label + " Draw into 640x480 vs decode 1/1", r);
        }
    }
    return 0;
}
