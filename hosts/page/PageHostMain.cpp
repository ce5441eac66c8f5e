// The page host: opens an HTML page (a file or an http:// address) and hosts the controls it
// embeds.
//
//   pagehost [--design] [--screenshot FILE [--screenshot-after MS]] [PAGE]
//
// --screenshot saves the window as a PNG after MS milliseconds (default 3000) and quits: a
// way to look at a page without a display.

#include "hosts/page/PageHostWindow.h"
#include "platform/base/MallocArenas.h"
#include "platform/com/Runtime.h"

#include <QApplication>
#include <QPixmap>
#include <QTimer>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kDefaultScreenshotDelayMs = 3000;

void usage()
{
    std::fprintf(stderr, "usage: pagehost [--design] [--screenshot FILE [--screenshot-after MS]] "
                         "[PAGE]\n");
}

} // namespace

int main(int argc, char** argv)
{
    orvel::boundMallocArenas();
    QApplication app(argc, argv);
    CoInitialize(nullptr);
    pagehost::UserMode mode = pagehost::UserMode::Run;
    QString page;
    QString screenshot;
    int delayMs = kDefaultScreenshotDelayMs;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("--design")) {
            mode = pagehost::UserMode::Design;
        } else if (arg == QLatin1String("--screenshot") && i + 1 < args.size()) {
            screenshot = args[++i];
        } else if (arg == QLatin1String("--screenshot-after") && i + 1 < args.size()) {
            bool ok = false;
            delayMs = args[++i].toInt(&ok);
            if (!ok || delayMs < 0 || delayMs > 600000) {
                std::fprintf(stderr, "pagehost: --screenshot-after wants 0 to 600000 ms\n");
                return 2;
            }
        } else if (arg.startsWith(QLatin1String("--")) || !page.isEmpty()) {
            usage();
            return 2;
        } else {
            page = arg;
        }
    }
    int result = 0;
    {
        pagehost::PageHostWindow window(mode);
        window.show();
        if (!page.isEmpty() && !window.openLocation(page) && !screenshot.isEmpty())
            result = 1;
        if (!screenshot.isEmpty()) {
            QTimer::singleShot(delayMs, &window, [&] {
                if (!window.grab().save(screenshot, "PNG")) {
                    std::fprintf(stderr, "pagehost: cannot write %s\n",
                                 screenshot.toLocal8Bit().constData());
                    result = 1;
                }
                app.quit();
            });
        }
        const int code = app.exec();
        if (result == 0)
            result = code;
    }
    CoUninitialize();
    return result;
}
