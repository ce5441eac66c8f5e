// quad_soak [--minutes M] [--sample-seconds S] [--reopen-seconds R] [--subnet 127.0.61]:
// a quad view in the browser window against four simulated cameras that misbehave for M
// minutes (default 60): one live, one that stalls after 60 parts on each connection, one that
// resets after 40, and one that answers only garbage. Every R seconds (default 120) the view is
// closed and opened again. Every S seconds (default 30) it prints the resident memory, the
// frames painted per quadrant and the open streams; at the end the growth of resident memory
// after the first sample. A crash ends the program with its signal (the last line printed
// tells how far it got).
#include "GarbageCamera.h"
#include "ViewHost.h"
#include "namespace/views/QuadViewWidget.h"
#include "tools/camsim/CamSim.h"

#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <malloc.h>
#include <memory>
#include <string>
#include <vector>

using Clock = std::chrono::steady_clock;

int main(int argc, char** argv)
{
    int minutes = 60;
    int sampleSeconds = 30;
    int reopenSeconds = 120;
    std::string subnet = "127.0.61";
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        if (arg == "--minutes")
            minutes = std::max(1, std::atoi(argv[i + 1]));
        else if (arg == "--sample-seconds")
            sampleSeconds = std::max(1, std::atoi(argv[i + 1]));
        else if (arg == "--reopen-seconds")
            reopenSeconds = std::max(5, std::atoi(argv[i + 1]));
        else if (arg == "--subnet")
            subnet = argv[i + 1];
    }
    viewbench::ViewHost host;
    int qtArgc = 1;
    if (!host.start(qtArgc, argv))
        return 1;

    std::vector<std::unique_ptr<camsim::CamSim>> cameras;
    const char* faultNames[] = {"live", "stalls after 60 parts", "resets after 40 parts"};
    for (int i = 0; i < 3; ++i) {
        camsim::CamSimConfig config;
        config.address = subnet + "." + std::to_string(i + 2);
        config.model = "OC30";
        config.firmware = "3.00";
        config.fps = 10;
        config.frameMode = camsim::FrameMode::PreEncoded;
        if (i == 1)
            config.faults.stopAfterParts = 60;
        if (i == 2)
            config.faults.resetAfterParts = 40;
        camsim::StartError error;
        auto cam = camsim::CamSim::start(config, &error);
        if (!cam) {
            std::fprintf(stderr, "quad_soak: camera at %s: %s\n", config.address.c_str(),
                         error.message.c_str());
            return 1;
        }
        cameras.push_back(std::move(cam));
    }
    viewbench::GarbageCamera garbage;
    std::string error;
    const std::string garbageAddress = subnet + ".5";
    if (!garbage.start(garbageAddress, 80, 7, &error)) {
        std::fprintf(stderr, "quad_soak: garbage camera: %s\n", error.c_str());
        return 1;
    }
    std::vector<std::string> members;
    for (int i = 0; i < 4; ++i) {
        const std::string name = "Soak " + std::to_string(i + 1);
        host.addCamera(name, i < 3 ? cameras[static_cast<std::size_t>(i)]->host() : garbageAddress);
        members.push_back(name);
    }
    host.addGroup("Soak quad", foldra::ItemKind::QuadView, members);
    host.window().resize(800, 600);
    if (!host.open("Soak quad")) {
        std::fprintf(stderr, "quad_soak: the quad view does not open\n");
        return 1;
    }
    std::printf("quad_soak: %d min; cameras: %s live, %s %s, %s %s, %s garbage\n", minutes,
                cameras[0]->host().c_str(), cameras[1]->host().c_str(), faultNames[1],
                cameras[2]->host().c_str(), faultNames[2], garbageAddress.c_str());
    std::fflush(stdout);

    const auto start = Clock::now();
    long firstKiB = 0;
    long lowKiB = 0;
    long highKiB = 0;
    int reopenings = 0;
    std::uint64_t painted[4] = {};
    auto quad = [&] {
        return qobject_cast<foldra::QuadViewWidget*>(host.view());
    };
    auto collect = [&](foldra::QuadViewWidget* view) {
        if (!view)
            return;
        for (int i = 0; i < 4; ++i)
            painted[i] += view->framesPainted(i);
    };

    QTimer sampler;
    sampler.setInterval(sampleSeconds * 1000);
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        const long kib = viewbench::residentKiB();
        const double minutesRun = std::chrono::duration<double>(Clock::now() - start).count() / 60;
        foldra::QuadViewWidget* view = quad();
        // Bytes the heap has handed out, against what the process holds: growth in one but
        // not the other tells a leak from a fragmented heap.
        // The free pages the heap keeps are given back first, so what stays is what is held.
        const struct mallinfo2 heap = ::mallinfo2();
        ::malloc_trim(0);
        const long trimmedKiB = viewbench::residentKiB();
        std::printf("t=%6.1f min rss=%ld KiB (after trim %ld KiB) heap-in-use=%zu KiB painted=",
                    minutesRun, kib, trimmedKiB, (heap.uordblks + heap.hblkhd) / 1024);
        if (firstKiB == 0)
            firstKiB = lowKiB = highKiB = trimmedKiB;
        lowKiB = std::min(lowKiB, trimmedKiB);
        highKiB = std::max(highKiB, trimmedKiB);
        for (int i = 0; i < 4; ++i)
            std::printf(
                "%s%llu", i ? "/" : "",
                static_cast<unsigned long long>(painted[i] + (view ? view->framesPainted(i) : 0)));
        std::printf(" open=%d reopened=%d garbage-connections=%llu\n",
                    view ? view->openStreams() : -1, reopenings,
                    static_cast<unsigned long long>(garbage.connections()));
        std::fflush(stdout);
    });
    sampler.start();

    QTimer reopen;
    reopen.setInterval(reopenSeconds * 1000);
    QObject::connect(&reopen, &QTimer::timeout, [&] {
        collect(quad());
        host.open("");
        if (!host.open("Soak quad"))
            std::printf("quad_soak: reopening the quad view failed\n");
        ++reopenings;
    });
    reopen.start();

    QTimer::singleShot(std::chrono::minutes(minutes), [&] {
        collect(quad());
        QApplication::quit();
    });
    QApplication::exec();

    host.open("");
    garbage.stop();
    cameras.clear();
    const double ran = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("quad_soak: ran %.1f min without a crash; resident after trim %ld KiB at the first "
                "sample, %ld..%ld KiB in all (growth %ld KiB); painted %llu/%llu/%llu/%llu; "
                "reopened %d times\n",
                ran / 60, firstKiB, lowKiB, highKiB, highKiB - firstKiB,
                static_cast<unsigned long long>(painted[0]),
                static_cast<unsigned long long>(painted[1]),
                static_cast<unsigned long long>(painted[2]),
                static_cast<unsigned long long>(painted[3]), reopenings);
    return 0;
}
