// quad_soak [--minutes M] [--warmup-minutes W] [--sample-seconds S] [--reopen-seconds R]
//           [--subnet 127.0.61]:
// a quad view in the browser window against four simulated cameras that misbehave for M
// minutes (default 60): one live, one that stalls after 60 parts on each connection, one that
// resets after 40, and one that answers only garbage. Every R seconds (default 120) the view is
// closed and opened again. Every S seconds (default 60) it prints the resident memory, the
// allocator's heap in use and kept free, its arenas, the threads, the frames painted per
// quadrant and the connections each camera saw. The last line is the verdict: memory is flat
// when no sample after the warm-up (default 10 minutes, at most half the run) stands more than
// kFlatMarginKiB above the first sample after it. A crash ends the program with its signal (the
// last line printed tells how far it got).
#include "GarbageCamera.h"
#include "ViewHost.h"
#include "bench/support/BenchOptions.h"
#include "bench/support/ProcessUsage.h"
#include "namespace/views/QuadViewWidget.h"
#include "tools/camsim/CamSim.h"

#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

// Growth after the warm-up that still counts as flat: the heap's high-water mark moves by a few
// megabytes with the order frames arrive in.
constexpr long kFlatMarginKiB = 8 * 1024;

} // namespace

int main(int argc, char** argv)
{
    const bench::BenchOptions options(argc, argv);
    const int minutes = options.number("minutes", 60, 1, 24 * 60);
    const int warmupMinutes =
        std::min(options.number("warmup-minutes", 10, 0, 24 * 60), minutes / 2);
    const int sampleSeconds = options.number("sample-seconds", 60, 1, 3600);
    const int reopenSeconds = options.number("reopen-seconds", 120, 5, 24 * 3600);
    const std::string subnet = options.text("subnet", "127.0.61");

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
    std::printf("quad_soak: %d min (warm-up %d min); cameras: %s live, %s %s, %s %s, %s garbage\n",
                minutes, warmupMinutes, cameras[0]->host().c_str(), cameras[1]->host().c_str(),
                faultNames[1], cameras[2]->host().c_str(), faultNames[2], garbageAddress.c_str());
    std::fflush(stdout);

    const auto start = bench::Clock::now();
    long firstKiB = 0;
    long warmKiB = 0; // the first sample after the warm-up
    long highAfterWarmKiB = 0;
    long lastKiB = 0;
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
    // Requests each simulated camera answered: its first connection and every reconnection.
    auto connections = [&](std::size_t camera) {
        return cameras[camera]->requests().size();
    };

    QTimer sampler;
    sampler.setInterval(sampleSeconds * 1000);
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        const long kib = bench::residentKiB();
        const double minutesRun =
            std::chrono::duration<double>(bench::Clock::now() - start).count() / 60;
        foldra::QuadViewWidget* view = quad();
        const bench::HeapFigures heap = bench::heapFigures();
        if (firstKiB == 0)
            firstKiB = kib;
        if (minutesRun >= warmupMinutes) {
            if (warmKiB == 0)
                warmKiB = kib;
            highAfterWarmKiB = std::max(highAfterWarmKiB, kib);
        }
        lastKiB = kib;
        std::printf("t=%6.1f min rss=%ld KiB heap-in-use=%zu KiB heap-free=%zu KiB arenas=%d "
                    "threads=%d painted=",
                    minutesRun, kib, heap.inUseKiB, heap.freeKiB, heap.arenas,
                    bench::threadCount());
        for (int i = 0; i < 4; ++i)
            std::printf(
                "%s%llu", i ? "/" : "",
                static_cast<unsigned long long>(painted[i] + (view ? view->framesPainted(i) : 0)));
        std::printf(" connections=%zu/%zu/%zu/%llu open=%d reopened=%d\n", connections(0),
                    connections(1), connections(2),
                    static_cast<unsigned long long>(garbage.connections()),
                    view ? view->openStreams() : -1, reopenings);
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
    const std::size_t seen[3] = {connections(0), connections(1), connections(2)};
    garbage.stop();
    cameras.clear();
    const double ran = std::chrono::duration<double>(bench::Clock::now() - start).count();
    std::printf("quad_soak: ran %.1f min without a crash; painted %llu/%llu/%llu/%llu; "
                "connections %zu/%zu/%zu/%llu (live/stalling/resetting/garbage); reopened %d "
                "times\n",
                ran / 60, static_cast<unsigned long long>(painted[0]),
                static_cast<unsigned long long>(painted[1]),
                static_cast<unsigned long long>(painted[2]),
                static_cast<unsigned long long>(painted[3]), seen[0], seen[1], seen[2],
                static_cast<unsigned long long>(garbage.connections()), reopenings);
    if (warmKiB == 0) {
        std::printf("verdict: no sample after the warm-up; resident %ld KiB at the first sample, "
                    "%ld KiB at the last\n",
                    firstKiB, lastKiB);
    } else {
        const long growth = highAfterWarmKiB - warmKiB;
        std::printf("verdict: memory %s: resident %ld KiB at the first sample, %ld KiB after the "
                    "%d min warm-up, %ld KiB at the end; at most %ld KiB above the warm-up "
                    "figure (flat within %ld KiB)\n",
                    growth <= kFlatMarginKiB ? "FLAT" : "GROWS", firstKiB, warmKiB, warmupMinutes,
                    lastKiB, growth, kFlatMarginKiB);
    }
    return 0;
}
