// Playback of a 640 x 480 sequence at 40 ms in the viewer's real window (offscreen platform):
// frames put on screen per second against the 25 the interval asks for, process CPU per
// frame, and the cost of one frame's decode plus paint through the document against raw
// TurboJPEG decoding the same frame, measured in the same run. Prints one line per figure.
//
//   vistel_playback_bench [frames]      (default 1000; the run takes frames x 40 ms)

#include "bench/viewer/BenchFrames.h"
#include "platform/com/ClassRegistration.h"
#include "platform/com/Runtime.h"
#include "viewer/app/MainFrame.h"
#include "viewer/app/VistelApp.h"
#include "viewer/app/VistelDoc.h"
#include "viewer/app/VistelView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>
#include <sys/resource.h>
#include <turbojpeg.h>
#include <unistd.h>

namespace {

constexpr int kWidth = bench::kWidth;
constexpr int kHeight = bench::kHeight;
constexpr unsigned kInterval = 40;

double processCpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double threadCpuSeconds()
{
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// Counts the view's paints and the thread CPU they take.
class PaintMeter : public QObject {
public:
    int paints = 0;
    double paintSeconds = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Paint)
            return false;
        // Paint the widget here, timed, and tell Qt it was handled.
        const double before = threadCpuSeconds();
        static_cast<QWidget*>(watched)->removeEventFilter(this);
        QApplication::sendEvent(watched, event);
        static_cast<QWidget*>(watched)->installEventFilter(this);
        paintSeconds += threadCpuSeconds() - before;
        ++paints;
        return true;
    }
};

} // namespace

int main(int argc, char** argv)
{
    const int frames = argc > 1 ? std::max(10, std::atoi(argv[1])) : 1000;
    const auto folder =
        std::filesystem::temp_directory_path() / ("vistel-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder / "state");
    ::setenv("ORVEL_STATE_ROOT", (folder / "state").c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);

    const auto bin = std::filesystem::canonical("/proc/self/exe").parent_path();
    if (FAILED(registerServerLibrary((bin / "Medrix.so").string(), false))) {
        std::fprintf(stderr, "cannot register %s\n", (bin / "Medrix.so").c_str());
        return 1;
    }

    // The sequence: one JPEG file per frame, as a recording leaves them.
    std::vector<std::string> jpegs;
    const std::string sequence = bench::writeSequence(folder, frames, kInterval, &jpegs);

    QApplication application(argc, argv);
    CoInitialize(nullptr);
    int result = 0;
    {
        vistel::CVistelApp app;
        vistel::CVistelDoc* doc = app.document();

        // One frame's decode plus paint through the document, against raw TurboJPEG decoding
        // the same bytes into the same bitmap layout. Fastest of several rounds each.
        {
            QImage target(kWidth, kHeight, QImage::Format_RGB32);
            doc->LoadSequence(sequence, false);
            double drawBest = 1e9, rawBest = 1e9;
            tjhandle tj = tjInitDecompress();
            std::vector<unsigned char> bits(static_cast<std::size_t>((kWidth * 3 + 3) & ~3) *
                                            kHeight);
            for (int round = 0; round < 5; ++round) {
                double t = threadCpuSeconds();
                for (int i = 0; i < 50; ++i) {
                    doc->SeekFrame(i);
                    QPainter painter(&target);
                    app.frame()->view()->render(&painter);
                }
                drawBest = std::min(drawBest, (threadCpuSeconds() - t) / 50);
                t = threadCpuSeconds();
                for (int i = 0; i < 50; ++i) {
                    const std::string& jpeg = jpegs[static_cast<std::size_t>(i)];
                    tjDecompress2(tj, reinterpret_cast<const unsigned char*>(jpeg.data()),
                                  jpeg.size(), bits.data(), kWidth, (kWidth * 3 + 3) & ~3, kHeight,
                                  TJPF_BGR, TJFLAG_BOTTOMUP);
                }
                rawBest = std::min(rawBest, (threadCpuSeconds() - t) / 50);
            }
            tjDestroy(tj);
            std::printf("load+decode+paint per frame  %.3f ms  (raw TurboJPEG decode %.3f ms, "
                        "ratio %.2f; goal under 2 ms)\n",
                        drawBest * 1e3, rawBest * 1e3, drawBest / rawBest);
        }

        // Real playback: the viewer's own timer, its window, the offscreen platform's painting.
        PaintMeter meter;
        app.frame()->view()->installEventFilter(&meter);
        int ticks = 0;
        QObject::connect(doc, &vistel::CVistelDoc::statusText, [&] { ++ticks; });
        // The program's own kind of loop: it sleeps between ticks.
        QEventLoop loop;
        QObject::connect(doc, &vistel::CVistelDoc::commandsChanged, &loop, [&] {
            if (ticks > 0 && !doc->isTimerRunning())
                loop.quit();
        });
        QTimer::singleShot(static_cast<int>(frames * kInterval * 3), &loop, &QEventLoop::quit);
        doc->SetSequence(sequence);
        app.SetUserCtrl();
        QElapsedTimer wall;
        wall.start();
        const double cpu0 = processCpuSeconds();
        loop.exec();
        const double seconds = wall.elapsed() / 1000.0;
        const double cpu = processCpuSeconds() - cpu0;
        // The end is noticed one interval after the last frame.
        const double fps = ticks / (seconds - kInterval / 1000.0);
        std::printf("playback %d frames at %u ms: %.2f frames/s shown (goal 25 held), %d paints, "
                    "process CPU %.3f ms per frame, paint (decode+draw) %.3f ms per paint\n",
                    ticks, kInterval, fps, meter.paints, cpu * 1e3 / std::max(1, ticks),
                    meter.paints ? meter.paintSeconds * 1e3 / meter.paints : 0.0);
        result = ticks == frames ? 0 : 1;
    }
    CoUninitialize();
    std::filesystem::remove_all(folder);
    return result;
}
