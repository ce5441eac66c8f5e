// How fast the simulator serves a 640x480 stream from pre-encoded frames, on one core (the
// process is pinned, reader included), against the anchor of rendering and encoding each frame
// live in the same run. The goal: at least 200 frames/s, so the simulator never limits a
// benchmark of the client.

#include "tools/camsim/CamSim.h"
#include "tools/camsim/FrameFactory.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <netinet/in.h>
#include <sched.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

using namespace camsim;
using Clock = std::chrono::steady_clock;

namespace {

std::unique_ptr<CamSim> startOnFreeAddress(CamSimConfig config)
{
    StartError error;
    for (int host = 200; host < 255; ++host) {
        config.address = "127.0.0." + std::to_string(host);
        if (auto sim = CamSim::start(config, &error))
            return sim;
        if (error.code != EADDRINUSE)
            break;
    }
    std::fprintf(stderr, "cannot start the simulator: %s\n", error.message.c_str());
    return nullptr;
}

// Reads the stream for the given time and counts part markers, also across read boundaries.
double servedFramesPerSecond(const CamSim& sim, std::chrono::milliseconds duration)
{
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(80);
    inet_pton(AF_INET, sim.config().address.c_str(), &addr.sin_addr);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return 0;
    }
    std::string request = "GET " + sim.videoPath(1, "640x480") + " HTTP/1.0\r\n\r\n";
    ::send(fd, request.data(), request.size(), 0);

    const std::string marker = "\r\n--myboundary\r\n";
    std::string window;
    std::vector<char> buffer(256 * 1024);
    long parts = -1; // counting starts at the first marker after the first frame
    Clock::time_point start;
    for (;;) {
        ssize_t n = ::recv(fd, buffer.data(), buffer.size(), 0);
        if (n <= 0)
            break;
        window.append(buffer.data(), static_cast<std::size_t>(n));
        for (std::size_t at = window.find(marker); at != std::string::npos;
             at = window.find(marker, at + marker.size())) {
            if (++parts == 0)
                start = Clock::now();
        }
        window.erase(0, window.size() > marker.size() ? window.size() - marker.size() : 0);
        if (parts > 0 && Clock::now() - start >= duration)
            break;
    }
    ::close(fd);
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return parts > 0 ? parts / seconds : 0;
}

double liveEncodeFramesPerSecond(int frames)
{
    TestPicture picture(1);
    FrameFactory factory(picture, 80, {});
    auto start = Clock::now();
    std::size_t bytes = 0;
    for (int i = 0; i < frames; ++i)
        bytes += factory.make({1, 640, 480, static_cast<std::uint64_t>(i), 0, {}}).size();
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return bytes > 0 ? frames / seconds : 0;
}

} // namespace

int main()
{
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(sched_getcpu(), &one);
    if (sched_setaffinity(0, sizeof one, &one) != 0)
        std::perror("sched_setaffinity");

    CamSimConfig config;
    config.model = "OS34";
    config.fps = 0;
    config.frameMode = FrameMode::PreEncoded;
    auto sim = startOnFreeAddress(config);
    if (!sim)
        return 1;

    servedFramesPerSecond(*sim, std::chrono::milliseconds(300)); // builds the loop
    double served = servedFramesPerSecond(*sim, std::chrono::milliseconds(3000));
    double live = liveEncodeFramesPerSecond(60);
    std::printf("camsim 640x480 pre-encoded, one core: %.0f frames/s\n", served);
    std::printf("anchor, render + encode live:          %.0f frames/s\n", live);
    std::printf("ratio to the 200 frames/s goal:        %.2f\n", served / 200.0);
    std::printf("ratio to live encoding:                %.2f\n", live > 0 ? served / live : 0);
    return served >= 200.0 ? 0 : 1;
}
