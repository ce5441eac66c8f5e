// quad_bench [--seconds S] [--width W --height H] [--size-to-fit 1] [--subnet 127.0.64]
//            [--screenshot FILE]:
// four simulated 640x480 cameras at 25 frames/s (a process of their own, serving pre-encoded
// frames) shown in a quad view of a W x H pane in the browser window (default 640 x 480: the
// canvas placed aspect-kept, quadrants of 293 x 240; with --size-to-fit 1 the canvas fills the
// pane, quadrants of 320 x 240). For S seconds (default 10) it counts the frames each quadrant
// painted and this process's CPU; then, for as long, four ffmpeg processes decode the same four
// streams to null (-f mpjpeg -i URL -f null -). Prints frames/s per stream and CPU per frame of
// both, and their ratio. The goal: every stream at 25 frames/s, at less CPU per frame than
// ffmpeg. --screenshot saves the window after the quad's run.
#include "FfmpegDecode.h"
#include "ViewHost.h"
#include "bench/support/BenchOptions.h"
#include "bench/support/ProcessUsage.h"
#include "namespace/views/QuadViewWidget.h"
#include "tools/camsim/CamSim.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kStreams = 4;
constexpr int kFps = 25;

} // namespace

int main(int argc, char** argv)
{
    const bench::BenchOptions options(argc, argv);
    const int seconds = options.number("seconds", 10, 2, 3600);
    const int width = options.number("width", 640, 64, 4096);
    const int height = options.number("height", 480, 64, 4096);
    const std::string subnet = options.text("subnet", "127.0.64");
    const std::string screenshot = options.text("screenshot", ""); // the window, as a PNG
    // 1: the canvas fills the pane (Size to fit), so a 640 x 480 pane has quadrants of exactly
    // half the frames' size, the decoder's own half scale.
    const bool sizeToFit = options.number("size-to-fit", 0, 0, 1) == 1;
    viewbench::CameraProcess cameraProcess;
    if (!cameraProcess.start(subnet, kStreams, kFps))
        return 1;
    auto stopCameras = [&] {
        cameraProcess.stop();
    };

    viewbench::ViewHost host;
    int qtArgc = 1;
    if (!host.start(qtArgc, argv)) {
        stopCameras();
        return 1;
    }
    std::vector<std::string> members;
    std::vector<std::string> urls;
    for (int i = 0; i < kStreams; ++i) {
        const std::string address = subnet + "." + std::to_string(i + 2);
        members.push_back("Bench " + std::to_string(i + 1));
        host.addCamera(members.back(), address);
        urls.push_back("http://" + address +
                       "/orvel-cgi/mjpg/video.cgi?resolution=640x480&camera=1");
    }
    host.addGroup("Bench quad", foldra::ItemKind::QuadView, members);
    if (!host.open("Bench quad")) {
        std::fprintf(stderr, "quad_bench: the quad view does not open\n");
        stopCameras();
        return 1;
    }
    auto* quad = qobject_cast<foldra::QuadViewWidget*>(host.view());
    // Limited frame rate is the view's default; the goal is the cameras' full rate.
    quad->runCommand(foldra::IDM_LIMITED_FRAME_RATE);
    if (sizeToFit)
        quad->runCommand(foldra::IDM_SIZE_TO_FIT);
    host.window().resize(1000, 700);
    for (int round = 0; round < 3; ++round) {
        viewbench::pump(std::chrono::milliseconds(100));
        host.window().resize(host.window().width() + width - quad->width(),
                             host.window().height() + height - quad->height());
    }
    viewbench::pump(std::chrono::seconds(2));

    std::uint64_t painted0[kStreams], arrived0[kStreams];
    for (int i = 0; i < kStreams; ++i) {
        painted0[i] = quad->framesPainted(i);
        arrived0[i] = quad->framesArrived(i);
    }
    const double cpu0 = bench::cpuSeconds();
    const auto start = Clock::now();
    viewbench::pump(std::chrono::seconds(seconds));
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    const double cpu = bench::cpuSeconds() - cpu0;
    std::uint64_t paintedAll = 0;
    const RECT q = quad->quadrant(0);
    std::printf("quad view %dx%d (quadrants %dx%d), %d s:\n", quad->width(), quad->height(),
                static_cast<int>(q.right - q.left), static_cast<int>(q.bottom - q.top), seconds);
    for (int i = 0; i < kStreams; ++i) {
        const std::uint64_t painted = quad->framesPainted(i) - painted0[i];
        paintedAll += painted;
        std::printf("  stream %d: %.1f frames/s painted (%.1f arrived)\n", i + 1,
                    static_cast<double>(painted) / elapsed,
                    static_cast<double>(quad->framesArrived(i) - arrived0[i]) / elapsed);
    }
    const double ourPerFrame = paintedAll ? cpu / static_cast<double>(paintedAll) * 1e6 : 0;
    std::printf("  CPU %.2f s = %.0f%% of one core, %.0f us per painted frame\n", cpu,
                cpu / elapsed * 100, ourPerFrame);
    if (!screenshot.empty() && !host.window().grab().save(QString::fromStdString(screenshot)))
        std::fprintf(stderr, "quad_bench: cannot save %s\n", screenshot.c_str());
    host.open("");

    // ffmpeg decoding the same four streams to null, all at once.
    const viewbench::FfmpegDecode ffmpeg =
        viewbench::measureFfmpegDecode(urls, seconds, "quad-bench");
    stopCameras();
    if (!ffmpeg.ran) {
        std::printf("ffmpeg: not run (not installed?)\n");
        return 0;
    }
    std::printf("ffmpeg decode-to-null, same streams, %d s:\n", seconds);
    for (std::size_t i = 0; i < ffmpeg.framesPerSecond.size(); ++i)
        std::printf("  stream %zu: %.1f frames/s decoded\n", i + 1, ffmpeg.framesPerSecond[i]);
    const double ffPerFrame = ffmpeg.cpuPerFrameUs();
    std::printf("  CPU %.2f s = %.0f%% of one core, %.0f us per decoded frame\n", ffmpeg.cpuSeconds,
                ffmpeg.cpuSeconds / ffmpeg.wallSeconds * 100, ffPerFrame);
    std::printf("ratio: %.2f (quad view CPU per painted frame / ffmpeg CPU per decoded frame)\n",
                ffPerFrame > 0 ? ourPerFrame / ffPerFrame : 0.0);
    return 0;
}
