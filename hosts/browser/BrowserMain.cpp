// The file browser host: the "Network Cameras" window over My Computer's namespaces.
//
//   netcams [--open "Network Cameras\PATH"] [--mode 1-4] [--select NAME]... [--context-menu]
//           [--screenshot FILE [--screenshot-after MS]]
//
// --screenshot saves the window (with an open context menu) as a PNG and quits: a way to look
// at the browser without a display.

#include "hosts/browser/BrowserWindow.h"
#include "platform/base/MallocArenas.h"
#include "platform/base/ModulePath.h"
#include "platform/com/ClassRegistration.h"
#include "platform/com/Runtime.h"
#include "platform/registry/RegistryKey.h"
#include "platform/shell/CommandEvent.h"
#include "platform/shell/ShellFolder.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <cstdio>
#include <unistd.h>

namespace {

constexpr int kDefaultScreenshotDelayMs = 800;
constexpr int kMaxScreenshotDelayMs = 600000;

void usage()
{
    std::fprintf(stderr, "usage: netcams [--open \"Network Cameras\\PATH\"] [--mode 1-4] "
                         "[--select NAME]... [--context-menu] [--screenshot FILE "
                         "[--screenshot-after MS]]\n");
}

QAbstractItemView* visibleItemView(QWidget* root)
{
    for (QAbstractItemView* view : root->findChildren<QAbstractItemView*>())
        if (view->isVisible())
            return view;
    return nullptr;
}

// Selects items of the current folder by their shown names, through the view's interface.
void selectByNames(browser::BrowserWindow& window, const QStringList& names)
{
    ComPtr<IShellFolder> folder;
    if (browser::bindFolder(window.currentList(), &folder) != S_OK || !window.currentView())
        return;
    ComPtr<IEnumIDList> items;
    if (FAILED(folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, items.put())))
        return;
    bool first = true;
    LPITEMIDLIST child = nullptr;
    ULONG fetched = 0;
    while (items->Next(1, &child, &fetched) == S_OK) {
        IdList owned(child);
        STRRET strret{};
        if (FAILED(folder->GetDisplayNameOf(owned.get(), SHGDN_INFOLDER, &strret)))
            continue;
        if (names.contains(QString::fromStdString(strRetToUtf8(&strret, owned.get())))) {
            window.currentView()->SelectItem(owned.get(), first ? SVSI_SELECT | SVSI_DESELECTOTHERS
                                                                : SVSI_SELECT);
            first = false;
        }
    }
}

// The window and, when one is open, the popup menu over it where it stands.
QPixmap windowWithPopup(QWidget& window)
{
    QPixmap shot = window.grab();
    if (QWidget* popup = QApplication::activePopupWidget()) {
        QPainter painter(&shot);
        painter.drawPixmap(window.mapFromGlobal(popup->mapToGlobal(QPoint(0, 0))), popup->grab());
    }
    return shot;
}

// On a first start nothing is registered under My Computer yet: the namespace this program
// ships with, beside it, registers itself as its setup would.
void registerShippedNamespace()
{
    RegistryKey nameSpace;
    char name[64];
    if (nameSpace.open(HKEY_LOCAL_MACHINE, browser::kMyComputerNameSpaceKey) &&
        RegEnumKeyA(nameSpace.get(), 0, name, sizeof name) == ERROR_SUCCESS)
        return;
    std::string beside =
        moduleFolderOf(reinterpret_cast<const void*>(&registerShippedNamespace)) + "/Foldra.so";
    if (::access(beside.c_str(), R_OK) != 0)
        return;
    std::string detail;
    if (FAILED(registerServerLibrary(beside, false, &detail)))
        std::fprintf(stderr, "netcams: could not register %s: %s\n", beside.c_str(),
                     detail.c_str());
}

} // namespace

int main(int argc, char** argv)
{
    orvel::boundMallocArenas();
    QApplication app(argc, argv);
    CoInitialize(nullptr);
    QString open;
    QString screenshot;
    QStringList select;
    bool contextMenu = false;
    int mode = 0;
    int delayMs = kDefaultScreenshotDelayMs;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        bool ok = true;
        if (arg == "--open" && i + 1 < args.size())
            open = args[++i];
        else if (arg == "--mode" && i + 1 < args.size())
            mode = args[++i].toInt(&ok);
        else if (arg == "--select" && i + 1 < args.size())
            select << args[++i];
        else if (arg == "--context-menu")
            contextMenu = true;
        else if (arg == "--screenshot" && i + 1 < args.size())
            screenshot = args[++i];
        else if (arg == "--screenshot-after" && i + 1 < args.size())
            delayMs = args[++i].toInt(&ok);
        else
            ok = false;
        if (!ok || mode < 0 || mode > 4 || delayMs < 0 || delayMs > kMaxScreenshotDelayMs) {
            usage();
            return 2;
        }
    }
    registerShippedNamespace();
    int result = 0;
    {
        browser::BrowserWindow window;
        window.show();
        if (!open.isEmpty()) {
            QString ns = open.section('\\', 0, 0);
            QString path = open.section('\\', 1);
            if (FAILED(window.browseToPath(ns, path))) {
                std::fprintf(stderr, "netcams: cannot open %s\n", qPrintable(open));
                return 1;
            }
        }
        if (mode > 0 && window.viewWindow()) {
            constexpr UINT kFirstModeCommand = 28713; // Large Icons … Details follow
            if (window.currentView()) {
                // The view's own command, as its View menu sends it.
                sendCommand(window.viewWindow(), kFirstModeCommand + static_cast<UINT>(mode) - 1,
                            false);
            }
        }
        if (!select.isEmpty())
            selectByNames(window, select);
        if (contextMenu) {
            QTimer::singleShot(delayMs / 2, &window, [&window] {
                if (QAbstractItemView* view = visibleItemView(&window)) {
                    QModelIndexList selected = view->selectionModel()->selectedIndexes();
                    QPoint at = selected.isEmpty() ? QPoint(view->width() - 40, view->height() - 40)
                                                   : view->visualRect(selected.first()).center();
                    QContextMenuEvent event(QContextMenuEvent::Mouse, at,
                                            view->viewport()->mapToGlobal(at));
                    QApplication::sendEvent(view->viewport(), &event);
                }
            });
        }
        if (!screenshot.isEmpty()) {
            QTimer::singleShot(delayMs, &window, [&window, screenshot] {
                if (!windowWithPopup(window).save(screenshot))
                    std::fprintf(stderr, "netcams: cannot write %s\n", qPrintable(screenshot));
                if (QWidget* popup = QApplication::activePopupWidget())
                    popup->close();
                QTimer::singleShot(0, qApp, [] { QApplication::exit(0); });
            });
        }
        result = app.exec();
    }
    CoUninitialize();
    return result;
}
