// stream_bench [--seconds S] [--compare-seconds C] [--address 127.0.0.N] [--read-size BYTES]
//              [--progress]:
// starts the camera simulator
// (its own process, serving pre-encoded 640x480 frames as fast as they are read), then measures for
// S seconds (default 10)
//   - Luminent delivering parts to a sink that copies each part out of the data object,
// and for C seconds each (default S)
//   - ffmpeg -f mpjpeg -i URL -c copy -f null - on the same stream, and
//   - a bare socket reading the same stream in 1 MiB pieces and parsing nothing: what the
//     simulator and the loopback can deliver to any reader on this machine,
// and prints parts/s and MB/s of each, the ratios, the CPU time and context switches per part of
// the client and of ffmpeg (each its own process only, the simulator in neither, over its
// measured window only), and the client's resident memory early in the run, at its peak and at the
// end (flat memory: buffers reused). A long S with a short C measures memory over a long stream.
// --progress prints the client's parts so far each second on stderr, so that a tracer attached
// for part of the run can count per part.
#include "bench/support/ProcessUsage.h"
#include "common/ICamDataObject.h"
#include "common/ICamMultipartRequest.h"
#include "common/ICamRequestSink.h"
#include "common/LuminClasses.h"
#include "platform/com/ClassRegistration.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Runtime.h"
#include "platform/com/TaskMemory.h"
#include "platform/com/UnknownImpl.h"

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <signal.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using bench::Clock;

class CountingSink final : public UnknownImpl<CountingSink, ICamRequestSink> {
public:
    void watch(ICamMultipartRequest* request) { m_request = request; }
    HRESULT OnDataAvailable(UI4, UI4) override
    {
        ComPtr<ICamDataObject> object;
        GUID iid = IID_ICamDataObject;
        if (m_request->QueryDataObject(&iid, object.putVoid()) == S_OK) {
            DWORD size = 0;
            BYTE* bytes = nullptr;
            if (object->GetData(FALSE, &size, &bytes) == S_OK) {
                bytesSeen += size;
                CoTaskMemFree(bytes);
            }
        }
        ++parts;
        return S_OK;
    }
    HRESULT OnStatusChanged(UI4, UI4, BSTR) override { return S_OK; }

    std::atomic<unsigned long> parts{0};
    std::atomic<unsigned long long> bytesSeen{0};

private:
    ~CountingSink() override = default;
    ICamMultipartRequest* m_request = nullptr;
};

std::string binaryFolder()
{
    return std::filesystem::canonical("/proc/self/exe").parent_path().string();
}

// The last "frame=" and "total_size=" that ffmpeg's -progress output gave.
void lastProgress(const std::string& file, unsigned long& frames, unsigned long long& bytes)
{
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("frame=", 0) == 0)
            frames = std::stoul(line.substr(6));
        else if (line.rfind("total_size=", 0) == 0 && line.size() > 11 &&
                 std::isdigit(static_cast<unsigned char>(line[11])))
            bytes = std::stoull(line.substr(11));
    }
}

// Bytes a bare socket reads from the stream in the given time, after one second of warm-up;
// 0 when it cannot connect.
unsigned long long rawBytes(const std::string& address, const std::string& path, int seconds)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return 0;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(8090);
    ::inet_pton(AF_INET, address.c_str(), &to.sin_addr);
    const std::string request = "GET " + path + " HTTP/1.0\r\n\r\n";
    if (::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0 ||
        ::send(fd, request.data(), request.size(), MSG_NOSIGNAL) !=
            static_cast<ssize_t>(request.size())) {
        ::close(fd);
        return 0;
    }
    std::vector<char> buffer(1 << 20);
    auto readFor = [&](std::chrono::seconds span) {
        unsigned long long total = 0;
        const auto until = Clock::now() + span;
        while (Clock::now() < until) {
            const ssize_t n = ::recv(fd, buffer.data(), buffer.size(), 0);
            if (n <= 0)
                break;
            total += static_cast<unsigned long long>(n);
        }
        return total;
    };
    readFor(std::chrono::seconds(1));
    const unsigned long long total = readFor(std::chrono::seconds(seconds));
    ::close(fd);
    return total;
}

} // namespace

int main(int argc, char** argv)
{
    int seconds = 10;
    int compareSeconds = 0; // as long as the client's run
    UI4 readSize = 0;       // the client's default, 2920 bytes per read
    bool progress = false;  // the parts so far, each second on stderr, for tracing tools
    std::string address = "127.0.9.2";
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--progress") {
            progress = true;
            continue;
        }
        if (i + 1 == argc)
            break;
        const char* value = argv[++i];
        if (option == "--seconds")
            seconds = std::max(1, std::atoi(value));
        else if (option == "--compare-seconds")
            compareSeconds = std::max(1, std::atoi(value));
        else if (option == "--address")
            address = value;
        else if (option == "--read-size")
            readSize = static_cast<UI4>(std::atoi(value));
    }
    if (compareSeconds == 0)
        compareSeconds = seconds;
    const std::string path = "/orvel-cgi/mjpg/video.cgi?resolution=640x480&camera=1";
    const std::string url = "http://" + address + ":8090" + path;

    // A state root of our own, so the registration never touches the user's.
    char rootTemplate[] = "/tmp/stream-bench-XXXXXX";
    const std::string root = ::mkdtemp(rootTemplate);
    ::setenv("ORVEL_STATE_ROOT", root.c_str(), 1);
    std::string detail;
    if (FAILED(registerServerLibrary(binaryFolder() + "/Lumin.so", false, &detail))) {
        std::fprintf(stderr, "stream_bench: cannot register Lumin.so: %s\n", detail.c_str());
        return 1;
    }

    const pid_t camera =
        bench::spawnProgram({binaryFolder() + "/camsim", "--address", address, "--model", "OC35",
                             "--fps", "0", "--http-port", "8090", "--banner-port", "2190"},
                            "/dev/null", false);
    if (camera <= 0) {
        std::fprintf(stderr, "stream_bench: cannot start camsim\n");
        return 1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1500)); // pre-encoding the loop

    CoInitialize(nullptr);
    ComPtr<ICamMultipartRequest> client;
    if (FAILED(CoCreateInstance(CLSID_Luminent, nullptr, CLSCTX_INPROC_SERVER,
                                IID_ICamMultipartRequest, client.putVoid()))) {
        std::fprintf(stderr, "stream_bench: cannot create Luminent\n");
        ::kill(camera, SIGTERM);
        return 1;
    }
    auto* sink = new CountingSink();
    ComPtr<ICamRequestSink> sinkRef = ComPtr<ICamRequestSink>::attach(sink);
    sink->watch(client.get());
    UI4 cookie = 0;
    client->DataAdvise(sinkRef.get(), nullptr, &cookie);
    Bstr bstrUrl(url);

    // Warm up, then measure.
    client->OpenUrl(bstrUrl.get(), readSize, nullptr);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const unsigned long parts0 = sink->parts;
    const unsigned long long bytes0 = sink->bytesSeen;
    const bench::ProcessFigures use0 = bench::processFigures(::getpid());
    const auto start = Clock::now();
    long earlyKiB = 0;
    long peakKiB = 0;
    auto nextProgress = start + std::chrono::seconds(1);
    while (Clock::now() - start < std::chrono::seconds(seconds)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        peakKiB = std::max(peakKiB, bench::residentKiB());
        if (earlyKiB == 0 && Clock::now() - start >= std::chrono::seconds(seconds) / 10)
            earlyKiB = bench::residentKiB();
        if (progress && Clock::now() >= nextProgress) {
            std::fprintf(stderr, "progress: %.3f s %lu parts\n",
                         std::chrono::duration<double>(Clock::now() - start).count(),
                         sink->parts - parts0);
            nextProgress += std::chrono::seconds(1);
        }
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    const unsigned long parts = sink->parts - parts0;
    const unsigned long long bytes = sink->bytesSeen - bytes0;
    const bench::ProcessFigures use1 = bench::processFigures(::getpid());
    const long endKiB = bench::residentKiB();
    client->Close();
    client->DataUnadvise();

    const std::string progressFile = root + "/ffmpeg-progress.txt";
    // Progress every 0.1 s, so the frame counts read at the window's edges are fresh.
    const pid_t ffmpeg = bench::spawnProgram(
        {"ffmpeg", "-hide_banner", "-nostats", "-loglevel", "error", "-stats_period", "0.1",
         "-progress", "pipe:1", "-f", "mpjpeg", "-i", url, "-c", "copy", "-f", "null", "-"},
        progressFile, true);
    unsigned long ffFrames = 0;
    unsigned long long ffBytes = 0;
    double ffElapsed = 0;
    bench::ProcessFigures ffUse0;
    bench::ProcessFigures ffUse1;
    if (ffmpeg > 0) {
        // Its first second is start-up and probing; rate and CPU count from there on, over the
        // same kind of window as the client's.
        std::this_thread::sleep_for(std::chrono::seconds(1));
        unsigned long frames0 = 0;
        unsigned long long ffBytes0 = 0;
        lastProgress(progressFile, frames0, ffBytes0);
        ffUse0 = bench::processFigures(ffmpeg);
        const auto ffStart = Clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(compareSeconds));
        lastProgress(progressFile, ffFrames, ffBytes);
        ffUse1 = bench::processFigures(ffmpeg);
        ffElapsed = std::chrono::duration<double>(Clock::now() - ffStart).count();
        ffFrames -= frames0;
        ffBytes -= ffBytes0;
        ::kill(ffmpeg, SIGTERM);
        ::waitpid(ffmpeg, nullptr, 0);
    }
    const unsigned long long raw = rawBytes(address, path, compareSeconds);
    ::kill(camera, SIGTERM);
    ::waitpid(camera, nullptr, 0);
    std::filesystem::remove_all(root);

    const double rate = parts / elapsed;
    const double mbps = static_cast<double>(bytes) / elapsed / 1e6;
    auto perPart = [](double total, unsigned long count) {
        return count ? total / static_cast<double>(count) : 0.0;
    };
    const double cpuPerPart = perPart(use1.cpuSeconds - use0.cpuSeconds, parts) * 1e6;
    std::printf(
        "Luminent: %lu parts in %.1f s = %.1f parts/s, %.1f MB/s, %.1f us CPU per part "
        "(%.1f in the kernel), %.2f voluntary + %.2f involuntary context switches per part, "
        "resident %ld KiB at 10%%, %ld KiB at the peak, %ld KiB at the end\n",
        parts, elapsed, rate, mbps, cpuPerPart,
        perPart(use1.kernelSeconds - use0.kernelSeconds, parts) * 1e6,
        perPart(static_cast<double>(use1.voluntarySwitches - use0.voluntarySwitches), parts),
        perPart(static_cast<double>(use1.involuntarySwitches - use0.involuntarySwitches), parts),
        earlyKiB, peakKiB, endKiB);
    if (ffmpeg <= 0 || ffElapsed <= 0) {
        std::printf("ffmpeg: not run (not installed?)\n");
        return 0;
    }
    const double ffRate = ffFrames / ffElapsed;
    // The null muxer counts no bytes; the parts are the same loop of frames, so their mean size
    // is the client's.
    const double meanPart = parts ? static_cast<double>(bytes) / parts : 0.0;
    const double ffMbps =
        ffBytes > 0 ? static_cast<double>(ffBytes) / ffElapsed / 1e6 : ffRate * meanPart / 1e6;
    const double ffCpuPerPart = perPart(ffUse1.cpuSeconds - ffUse0.cpuSeconds, ffFrames) * 1e6;
    std::printf(
        "ffmpeg:   %lu parts in %.1f s = %.1f parts/s, %.1f MB/s, %.1f us CPU per part "
        "(%.1f in the kernel), %.2f voluntary + %.2f involuntary context switches per part\n",
        ffFrames, ffElapsed, ffRate, ffMbps, ffCpuPerPart,
        perPart(ffUse1.kernelSeconds - ffUse0.kernelSeconds, ffFrames) * 1e6,
        perPart(static_cast<double>(ffUse1.voluntarySwitches - ffUse0.voluntarySwitches), ffFrames),
        perPart(static_cast<double>(ffUse1.involuntarySwitches - ffUse0.involuntarySwitches),
                ffFrames));
    std::printf("ratio:    %.2f parts/s, %.2f CPU per part (Luminent / ffmpeg)\n",
                ffRate > 0 ? rate / ffRate : 0.0,
                ffCpuPerPart > 0 ? cpuPerPart / ffCpuPerPart : 0.0);
    if (raw > 0 && meanPart > 0) {
        const double rawRate = static_cast<double>(raw) / compareSeconds / meanPart;
        std::printf("ceiling:  a bare socket reads %.1f MB/s = %.1f parts/s, %.2f x ffmpeg "
                    "(no reader of this stream can go faster here)\n",
                    static_cast<double>(raw) / compareSeconds / 1e6, rawRate,
                    ffRate > 0 ? rawRate / ffRate : 0.0);
    }
    return 0;
}
