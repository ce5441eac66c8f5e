// singles_bench [--seconds S] [--views N] [--subnet 127.0.66] [--screenshot FILE]: N (default 16)
// simulated 640x480 cameras at 25 frames/s (a process of their own), each in the single live view
// of a browser window of its own (pane about 346 x 250), all at once. Counts the paints of each
// view during S seconds (default 10) and this process's CPU, and prints paints/s per view and CPU
// per paint; then ffmpeg decoding the same streams to null for as long, and the ratio.
#include "FfmpegDecode.h"
#include "ViewHost.h"
#include "bench/support/BenchOptions.h"
#include "bench/support/ProcessUsage.h"

#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

// Counts the paints of a view's window and everything in it (the image area's viewport).
class PaintCounter final : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
    unsigned long paints = 0;
};

} // namespace

int main(int argc, char** argv)
{
    const bench::BenchOptions options(argc, argv);
    const int seconds = options.number("seconds", 10, 2, 3600);
    const int views = options.number("views", 16, 1, 60);
    const std::string subnet = options.text("subnet", "127.0.66");
    const std::string screenshot = options.text("screenshot", ""); // the first window, as a PNG
    viewbench::CameraProcess cameras;
    if (!cameras.start(subnet, views, 25))
        return 1;
    viewbench::ViewHost host;
    int qtArgc = 1;
    if (!host.start(qtArgc, argv))
        return 1;
    for (int i = 0; i < views; ++i)
        host.addCamera("Single " + std::to_string(i + 1), subnet + "." + std::to_string(i + 2));
    std::vector<std::unique_ptr<browser::BrowserWindow>> windows;
    std::vector<std::unique_ptr<PaintCounter>> counters;
    for (int i = 0; i < views; ++i) {
        auto window = std::make_unique<browser::BrowserWindow>();
        window->resize(560, 330);
        window->show();
        if (FAILED(window->browseToPath(
                "Network Cameras", QString::fromStdString("Single " + std::to_string(i + 1))))) {
            std::fprintf(stderr, "singles_bench: view %d does not open\n", i + 1);
            return 1;
        }
        auto counter = std::make_unique<PaintCounter>();
        auto* view = reinterpret_cast<QWidget*>(window->viewWindow());
        view->installEventFilter(counter.get());
        for (QWidget* child : view->findChildren<QWidget*>())
            child->installEventFilter(counter.get());
        counters.push_back(std::move(counter));
        windows.push_back(std::move(window));
    }
    viewbench::pump(std::chrono::seconds(3));
    std::vector<unsigned long> paints0;
    for (const auto& c : counters)
        paints0.push_back(c->paints);
    const double cpu0 = bench::cpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    viewbench::pump(std::chrono::seconds(seconds));
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu = bench::cpuSeconds() - cpu0;
    const QSize pane = reinterpret_cast<QWidget*>(windows[0]->viewWindow())->size();
    std::printf("%d single views (pane %dx%d), %d s:\n", views, pane.width(), pane.height(),
                seconds);
    unsigned long all = 0;
    double slowest = 1e9;
    for (std::size_t i = 0; i < counters.size(); ++i) {
        const unsigned long n = counters[i]->paints - paints0[i];
        all += n;
        slowest = std::min(slowest, n / elapsed);
    }
    std::printf("  paints/s per view: mean %.1f, slowest %.1f\n", all / elapsed / views, slowest);
    std::printf("  CPU %.2f s = %.0f%% of one core, %.0f us per paint\n", cpu, cpu / elapsed * 100,
                all ? cpu / static_cast<double>(all) * 1e6 : 0.0);
    const double ourPerPaint = all ? cpu / static_cast<double>(all) * 1e6 : 0.0;
    if (!screenshot.empty() && !windows[0]->grab().save(QString::fromStdString(screenshot)))
        std::fprintf(stderr, "singles_bench: cannot save %s\n", screenshot.c_str());
    windows.clear();

    // The anchor in the same run: ffmpeg decoding the same streams to null, all at once.
    std::vector<std::string> urls;
    for (int i = 0; i < views; ++i)
        urls.push_back("http://" + subnet + "." + std::to_string(i + 2) +
                       "/orvel-cgi/mjpg/video.cgi?resolution=640x480&camera=1");
    const viewbench::FfmpegDecode ffmpeg = viewbench::measureFfmpegDecode(urls, seconds, "singles");
    if (!ffmpeg.ran) {
        std::printf("ffmpeg: not run (not installed?)\n");
        return 0;
    }
    double slowestFf = 1e9;
    for (double fps : ffmpeg.framesPerSecond)
        slowestFf = std::min(slowestFf, fps);
    const double ffPerFrame = ffmpeg.cpuPerFrameUs();
    std::printf("ffmpeg decode-to-null, same %d streams, %d s: slowest %.1f frames/s, CPU %.2f s "
                "= %.0f%% of one core, %.0f us per decoded frame\n",
                views, seconds, slowestFf, ffmpeg.cpuSeconds,
                ffmpeg.cpuSeconds / ffmpeg.wallSeconds * 100, ffPerFrame);
    std::printf("ratio: %.2f (single views CPU per paint / ffmpeg CPU per decoded frame)\n",
                ffPerFrame > 0 ? ourPerPaint / ffPerFrame : 0.0);
    return 0;
}
