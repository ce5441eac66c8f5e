#include "hosts/browser/BrowserWindow.h"

#include "hosts/browser/JunctionId.h"
#include "hosts/browser/ShellBrowser.h"
#include "hosts/browser/ViewModeIcons.h"
#include "platform/base/Utf.h"
#include "platform/com/Runtime.h"
#include "platform/registry/RegistryKey.h"
#include "platform/shell/ChangeNotify.h"
#include "platform/shell/CommandEvent.h"
#include "platform/shell/ExtractIcon.h"
#include "platform/shell/ShellExecute.h"
#include "platform/shell/ShellMenu.h"
#include "platform/ui/MessageBox.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QListWidget>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace browser {
namespace {

constexpr int kListRole = Qt::UserRole + 1;
constexpr int kPopulatedRole = Qt::UserRole + 2;
// Namespaces under My Computer that the tree lists at most.
constexpr DWORD kMaxNamespaces = 256;
constexpr const char* kCommandIdProperty = "orvelCommandId";

QByteArray bytesOf(LPCITEMIDLIST list)
{
    return QByteArray(reinterpret_cast<const char*>(list), static_cast<qsizetype>(ILGetSize(list)));
}

IdList listOf(const QByteArray& bytes)
{
    return IdList(ILClone(reinterpret_cast<LPCITEMIDLIST>(bytes.constData())));
}

struct Namespace {
    CLSID clsid;
    QString name;
};

std::vector<Namespace> registeredNamespaces()
{
    std::vector<Namespace> found;
    RegistryKey key;
    if (!key.open(HKEY_LOCAL_MACHINE, kMyComputerNameSpaceKey))
        return found;
    for (DWORD i = 0; i < kMaxNamespaces; ++i) {
        char name[256];
        DWORD size = sizeof name;
        if (RegEnumKeyExA(key.get(), i, name, &size, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        Namespace entry{};
        if (!guidFromString(name, &entry.clsid))
            continue;
        RegistryKey sub;
        std::string shown = sub.open(key.get(), name) ? sub.text(nullptr) : std::string();
        if (shown.empty()) {
            RegistryKey cls;
            if (cls.open(HKEY_CLASSES_ROOT, std::string("CLSID\\") + name))
                shown = cls.text(nullptr);
        }
        entry.name = QString::fromStdString(shown.empty() ? name : shown);
        found.push_back(entry);
    }
    return found;
}

QString displayName(IShellFolder* parent, LPCITEMIDLIST child)
{
    STRRET strret{};
    if (FAILED(parent->GetDisplayNameOf(child, SHGDN_INFOLDER, &strret)))
        return QStringLiteral("???");
    return QString::fromStdString(strRetToUtf8(&strret, child));
}

QIcon itemIcon(IShellFolder* parent, LPCITEMIDLIST child, bool open)
{
    ComPtr<IExtractIconA> extract;
    LPCITEMIDLIST one[] = {child};
    if (FAILED(
            parent->GetUIObjectOf(nullptr, 1, one, IID_IExtractIconA, nullptr, extract.putVoid())))
        return {};
    char file[260] = {};
    int index = 0;
    UINT flags = 0;
    if (extract->GetIconLocation(open ? GIL_OPENICON : 0, file, sizeof file, &index, &flags) !=
        S_OK)
        return {};
    HICON large = nullptr;
    HICON small = nullptr;
    if (FAILED(extract->Extract(file, static_cast<UINT>(index), &large, &small, 32 | (16 << 16))))
        return {};
    QIcon icon = *iconOf(small);
    DestroyIcon(large);
    DestroyIcon(small);
    return icon;
}

} // namespace

HRESULT bindFolder(LPCITEMIDLIST absolute, ComPtr<IShellFolder>* folder)
{
    folder->reset();
    LPCITEMIDLIST junction = ILNext(absolute);
    if (ILIsEmpty(junction))
        return S_FALSE;
    CLSID clsid{};
    if (!junctionClass(junction, &clsid))
        return E_INVALIDARG;
    ComPtr<IPersistFolder> persist;
    // A class object this process registered comes first, so a test can serve its own build.
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                  IID_IPersistFolder, persist.putVoid());
    if (FAILED(hr))
        return hr;
    // The list up to and with the junction.
    IdList top = myComputerList();
    IdList junctionOnly(ILCloneFirst(junction));
    IdList start(ILCombine(top.get(), junctionOnly.get()));
    if (FAILED(hr = persist->Initialize(start.get())))
        return hr;
    ComPtr<IShellFolder> current;
    if (FAILED(hr = persist->QueryInterface(IID_IShellFolder, current.putVoid())))
        return hr;
    for (LPCITEMIDLIST item = ILNext(junction); !ILIsEmpty(item); item = ILNext(item)) {
        IdList one(ILCloneFirst(item));
        ComPtr<IShellFolder> next;
        if (FAILED(hr =
                       current->BindToObject(one.get(), nullptr, IID_IShellFolder, next.putVoid())))
            return hr;
        current = std::move(next);
    }
    *folder = std::move(current);
    return S_OK;
}

BrowserWindow::BrowserWindow()
    : m_browser(ComPtr<ShellBrowser>::attach(ShellBrowser::createRaw(this))),
      m_splitter(new QSplitter(this)), m_tree(new QTreeWidget(m_splitter)),
      m_pane(new QWidget(m_splitter)), m_toolBar(addToolBar(QStringLiteral("Standard")))
{
    setWindowTitle(kBrowserTitle);
    setObjectName("NetworkCamerasBrowser");
    resize(820, 540);
    m_tree->setHeaderHidden(true);
    m_tree->setObjectName("folderTree");
    m_tree->setMinimumWidth(180);
    m_pane->setObjectName("viewPane");
    auto* paneLayout = new QVBoxLayout(m_pane);
    paneLayout->setContentsMargins(0, 0, 0, 0);
    m_splitter->addWidget(m_tree);
    m_splitter->addWidget(m_pane);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({210, 610});
    setCentralWidget(m_splitter);
    m_toolBar->setMovable(false);
    m_toolBar->setIconSize(QSize(24, 24));
    setToolbarItems(nullptr, 0);
    adoptMenuBar(nullptr);
    statusBar()->showMessage(QString());
    connect(m_tree, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* node) { populate(node); });
    connect(m_tree, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* node) {
        IdList list = listOf(node->data(0, kListRole).toByteArray());
        browseTo(list.get());
    });
    m_changeCookie = registerChangeListener(
        [this](LONG event, LPCITEMIDLIST a, LPCITEMIDLIST b) { onChange(event, a, b); });
    setIdListOpener(
        [this](HWND, LPCITEMIDLIST absolute, const std::string&) { return browseTo(absolute); });
    buildTree();
    IdList computer = myComputerList();
    browseTo(computer.get());
}

BrowserWindow::~BrowserWindow()
{
    unregisterChangeListener(m_changeCookie);
    setIdListOpener({});
    destroyView();
    m_browser->detach();
}

void BrowserWindow::closeEvent(QCloseEvent* event)
{
    destroyView();
    event->accept();
}

void BrowserWindow::buildTree()
{
    m_tree->clear();
    IdList computer = myComputerList();
    auto* root = new QTreeWidgetItem(m_tree, {QStringLiteral("My Computer")});
    root->setIcon(0, style()->standardIcon(QStyle::SP_ComputerIcon));
    root->setData(0, kListRole, bytesOf(computer.get()));
    for (const Namespace& ns : registeredNamespaces()) {
        IdList junction = junctionList(ns.clsid);
        auto* node = new QTreeWidgetItem(root, {ns.name});
        node->setData(0, kListRole, bytesOf(junction.get()));
        node->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
        // The folder's own icon: the root item of a namespace is its Add folder's sibling.
        node->setIcon(0, style()->standardIcon(QStyle::SP_DriveNetIcon));
    }
    root->setData(0, kPopulatedRole, true);
    root->setExpanded(true);
}

void BrowserWindow::populate(QTreeWidgetItem* node)
{
    if (node->data(0, kPopulatedRole).toBool())
        return;
    node->setData(0, kPopulatedRole, true);
    qDeleteAll(node->takeChildren());
    IdList list = listOf(node->data(0, kListRole).toByteArray());
    ComPtr<IShellFolder> folder;
    ComPtr<IEnumIDList> items;
    if (bindFolder(list.get(), &folder) != S_OK ||
        FAILED(folder->EnumObjects(reinterpret_cast<HWND>(this), SHCONTF_FOLDERS, items.put()))) {
        node->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
        return;
    }
    std::vector<IdList> children;
    LPITEMIDLIST child = nullptr;
    ULONG fetched = 0;
    while (items->Next(1, &child, &fetched) == S_OK) {
        IdList owned(child);
        ULONG attributes = SFGAO_FOLDER;
        LPCITEMIDLIST one[] = {owned.get()};
        if (SUCCEEDED(folder->GetAttributesOf(1, one, &attributes)) && (attributes & SFGAO_FOLDER))
            children.push_back(std::move(owned));
    }
    std::stable_sort(children.begin(), children.end(), [&](const IdList& a, const IdList& b) {
        return compareOrder(folder->CompareIDs(0, a.get(), b.get())) < 0;
    });
    for (const IdList& c : children) {
        IdList absolute(ILCombine(list.get(), c.get()));
        auto* item = new QTreeWidgetItem(node, {displayName(folder.get(), c.get())});
        item->setIcon(0, itemIcon(folder.get(), c.get(), false));
        item->setData(0, kListRole, bytesOf(absolute.get()));
        item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    }
    node->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

QTreeWidgetItem* BrowserWindow::nodeFor(LPCITEMIDLIST absolute, bool expand)
{
    QByteArray wanted = bytesOf(absolute);
    QTreeWidgetItem* node = m_tree->topLevelItem(0);
    while (node) {
        QByteArray here = node->data(0, kListRole).toByteArray();
        if (here == wanted)
            return node;
        // here without its terminator must start the wanted list
        QByteArray prefix = here.left(here.size() - 2);
        if (!wanted.startsWith(prefix))
            return nullptr;
        if (expand) {
            populate(node);
            node->setExpanded(true);
        }
        QTreeWidgetItem* next = nullptr;
        for (int i = 0; i < node->childCount() && !next; ++i) {
            QByteArray c = node->child(i)->data(0, kListRole).toByteArray();
            if (wanted.startsWith(c.left(c.size() - 2)))
                next = node->child(i);
        }
        node = next;
    }
    return nullptr;
}

void BrowserWindow::destroyView()
{
    if (m_view) {
        m_view->UIActivate(SVUIA_DEACTIVATE);
        FOLDERSETTINGS settings{};
        if (SUCCEEDED(m_view->GetCurrentInfo(&settings)))
            m_settings = settings;
        m_view->SaveViewState();
        m_view->DestroyViewWindow();
        m_view.reset();
    }
    m_viewWindow = nullptr;
    m_folder.reset();
    delete m_computerView;
    m_computerView = nullptr;
    setToolbarItems(nullptr, 0);
    adoptMenuBar(nullptr);
}

void BrowserWindow::showMyComputer()
{
    m_computerView = new QListWidget(m_pane);
    m_computerView->setObjectName("myComputerView");
    m_computerView->setViewMode(QListView::IconMode);
    m_computerView->setIconSize(QSize(32, 32));
    m_computerView->setGridSize(QSize(130, 76));
    m_computerView->setWordWrap(true);
    for (const Namespace& ns : registeredNamespaces()) {
        auto* item = new QListWidgetItem(style()->standardIcon(QStyle::SP_DriveNetIcon), ns.name,
                                         m_computerView);
        IdList junction = junctionList(ns.clsid);
        item->setData(kListRole, bytesOf(junction.get()));
    }
    connect(m_computerView, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        IdList list = listOf(item->data(kListRole).toByteArray());
        QMetaObject::invokeMethod(
            this,
            [this, bytes = bytesOf(list.get())] {
                IdList again = listOf(bytes);
                browseTo(again.get());
            },
            Qt::QueuedConnection);
    });
    m_pane->layout()->addWidget(m_computerView);
    setStatusText(tr("%1 object(s)").arg(m_computerView->count()));
}

HRESULT BrowserWindow::browseTo(LPCITEMIDLIST absolute, bool remember)
{
    if (ILIsEmpty(absolute))
        return E_INVALIDARG;
    ComPtr<IShellFolder> folder;
    HRESULT hr = bindFolder(absolute, &folder);
    if (FAILED(hr)) {
        showMessageBox(reinterpret_cast<HWND>(this), "The folder cannot be opened.", kBrowserTitle,
                       MB_ICONWARNING | MB_OK);
        return hr;
    }
    IdList copy(ILClone(absolute));
    if (remember && m_current && !ILIsEqual(m_current.get(), absolute))
        m_history.push_back(std::move(m_current));
    destroyView();
    m_current = std::move(copy);
    m_folder = folder;
    if (!m_folder) {
        showMyComputer();
    } else {
        ComPtr<IShellView> view;
        if (FAILED(hr = m_folder->CreateViewObject(reinterpret_cast<HWND>(this), IID_IShellView,
                                                   view.putVoid())))
            return hr;
        QRect area = m_pane->rect();
        RECT rect{0, 0, area.width(), area.height()};
        HWND window = nullptr;
        if (FAILED(
                hr = view->CreateViewWindow(nullptr, &m_settings, m_browser.get(), &rect, &window)))
            return hr;
        m_view = std::move(view);
        m_viewWindow = window;
        if (auto* widget = reinterpret_cast<QWidget*>(window))
            m_pane->layout()->addWidget(widget);
        m_view->UIActivate(SVUIA_ACTIVATE_FOCUS);
    }
    if (QTreeWidgetItem* node = nodeFor(m_current.get(), true))
        m_tree->setCurrentItem(node);
    return S_OK;
}

HRESULT BrowserWindow::browseFromView(LPCITEMIDLIST pidl, UINT flags)
{
    if (flags & SBSP_PARENT) {
        goUp();
        return S_OK;
    }
    if (flags & SBSP_RELATIVE) {
        IdList absolute(ILCombine(m_current.get(), pidl));
        // Out of the view's own handler: browsing destroys the view that asked.
        QByteArray bytes = bytesOf(absolute.get());
        QMetaObject::invokeMethod(
            this,
            [this, bytes] {
                IdList list = listOf(bytes);
                browseTo(list.get());
            },
            Qt::QueuedConnection);
        return S_OK;
    }
    QByteArray bytes = bytesOf(pidl);
    QMetaObject::invokeMethod(
        this,
        [this, bytes] {
            IdList list = listOf(bytes);
            browseTo(list.get());
        },
        Qt::QueuedConnection);
    return S_OK;
}

HRESULT BrowserWindow::browseToPath(const QString& namespaceName, const QString& itemPath)
{
    for (const Namespace& ns : registeredNamespaces()) {
        if (ns.name.compare(namespaceName, Qt::CaseInsensitive) != 0)
            continue;
        IdList list = junctionList(ns.clsid);
        if (HRESULT hr = browseTo(list.get()); FAILED(hr))
            return hr;
        for (const QString& part : itemPath.split('\\', Qt::SkipEmptyParts)) {
            ComPtr<IEnumIDList> items;
            if (!m_folder || FAILED(m_folder->EnumObjects(nullptr, SHCONTF_FOLDERS, items.put())))
                return E_FAIL;
            LPITEMIDLIST child = nullptr;
            ULONG fetched = 0;
            IdList found;
            while (!found && items->Next(1, &child, &fetched) == S_OK) {
                IdList owned(child);
                STRRET strret{};
                // Item paths name elements, which the parsing name gives.
                if (SUCCEEDED(m_folder->GetDisplayNameOf(owned.get(), SHGDN_INFOLDER, &strret)) &&
                    QString::fromStdString(strRetToUtf8(&strret, owned.get())) == part)
                    found = std::move(owned);
                else if (part == "B70B3711" && displayName(m_folder.get(), owned.get()) == "Add")
                    found = std::move(owned);
            }
            if (!found)
                return E_INVALIDARG;
            IdList next(ILCombine(m_current.get(), found.get()));
            if (HRESULT hr = browseTo(next.get()); FAILED(hr))
                return hr;
        }
        return S_OK;
    }
    return REGDB_E_CLASSNOTREG;
}

void BrowserWindow::goBack()
{
    if (m_history.empty())
        return;
    IdList previous = std::move(m_history.back());
    m_history.pop_back();
    browseTo(previous.get(), false);
}

void BrowserWindow::goUp()
{
    if (!m_current || ILIsEmpty(ILNext(m_current.get())))
        return;
    IdList parent(ILClone(m_current.get()));
    ILRemoveLastID(parent.get());
    browseTo(parent.get());
}

void BrowserWindow::refresh()
{
    if (m_view)
        m_view->Refresh();
    QTreeWidgetItem* current = m_tree->currentItem();
    buildTree();
    if (current && m_current)
        if (QTreeWidgetItem* node = nodeFor(m_current.get(), true))
            m_tree->setCurrentItem(node);
}

void BrowserWindow::fillBrowserMenus(QMenuBar* bar)
{
    bar->clear();
    QMenu* file = insertSubMenu(menuHandle(bar), static_cast<UINT>(-1), FCIDM_MENU_FILE, "&File");
    QAction* close = file->addAction(tr("&Close"), this, &QWidget::close);
    close->setShortcut(QKeySequence::Close);
    QMenu* view = insertSubMenu(menuHandle(bar), static_cast<UINT>(-1), FCIDM_MENU_VIEW, "&View");
    QAction* toolBar = view->addAction(tr("&Toolbar"));
    toolBar->setCheckable(true);
    toolBar->setChecked(m_toolBar->isVisible());
    connect(toolBar, &QAction::toggled, m_toolBar, &QWidget::setVisible);
    QAction* status = view->addAction(tr("Status &Bar"));
    status->setCheckable(true);
    status->setChecked(statusBar()->isVisible());
    connect(status, &QAction::toggled, statusBar(), &QWidget::setVisible);
    QAction* tree = view->addAction(tr("&Folders"));
    tree->setCheckable(true);
    tree->setChecked(m_tree->isVisible());
    connect(tree, &QAction::toggled, m_tree, &QWidget::setVisible);
    view->addSeparator();
    view->addAction(tr("&Refresh"), QKeySequence::Refresh, this, &BrowserWindow::refresh);
    QMenu* help = insertSubMenu(menuHandle(bar), static_cast<UINT>(-1), FCIDM_MENU_HELP, "&Help");
    help->addAction(tr("About the &browser"), this, [this] {
        showMessageBox(reinterpret_cast<HWND>(this),
                       "Network Cameras browser\nShows the folders registered under My Computer.",
                       kBrowserTitle, MB_ICONINFORMATION | MB_OK);
    });
}

void BrowserWindow::adoptMenuBar(QMenuBar* bar)
{
    if (!bar) {
        bar = new QMenuBar;
        fillBrowserMenus(bar);
    }
    // The window owns it now and drops the one it had (later, as it may be mid-signal).
    setMenuBar(bar);
}

void BrowserWindow::setStatusText(const QString& text)
{
    statusBar()->showMessage(text);
}

QString BrowserWindow::statusText() const
{
    return statusBar()->currentMessage();
}

void BrowserWindow::setToolbarItems(const TBBUTTON* buttons, UINT count)
{
    m_toolBar->clear();
    m_viewButtons.clear();
    m_toolBar->addAction(backIcon(), tr("Back"), this, &BrowserWindow::goBack);
    m_toolBar->addAction(upIcon(), tr("Up"), this, &BrowserWindow::goUp);
    if (count)
        m_toolBar->addSeparator();
    for (UINT i = 0; i < count; ++i) {
        const TBBUTTON& b = buttons[i];
        if (b.fsStyle & TBSTYLE_SEP) {
            m_toolBar->addSeparator();
            continue;
        }
        auto id = static_cast<UINT>(b.idCommand);
        auto* action = new QAction(viewButtonIcon(b.iBitmap),
                                   b.iString ? QString::fromUtf8(b.iString) : QString(), m_toolBar);
        action->setProperty(kCommandIdProperty, id);
        action->setCheckable((b.fsStyle & TBSTYLE_CHECK) != 0);
        action->setChecked((b.fsState & TBSTATE_CHECKED) != 0);
        action->setEnabled((b.fsState & TBSTATE_ENABLED) != 0);
        connect(action, &QAction::triggered, this, [this, id] {
            if (m_viewWindow)
                sendCommand(m_viewWindow, id);
        });
        m_toolBar->addAction(action);
        m_viewButtons.push_back(action);
        if (b.fsStyle & BTNS_DROPDOWN) {
            // The drop-down half of the button asks the view for its menu.
            auto* arrow = new QToolButton(m_toolBar);
            arrow->setArrowType(Qt::DownArrow);
            arrow->setAutoRaise(true);
            arrow->setFixedWidth(14);
            connect(arrow, &QToolButton::clicked, this, [this, id] {
                if (m_viewWindow)
                    sendCommand(m_viewWindow, id, true);
            });
            m_toolBar->addWidget(arrow);
        }
    }
}

bool BrowserWindow::checkToolbarButton(UINT id, bool checked)
{
    for (QAction* action : m_viewButtons) {
        if (action->property(kCommandIdProperty).toUInt() == id) {
            action->setChecked(checked);
            return true;
        }
    }
    return false;
}

bool BrowserWindow::isToolbarButtonChecked(UINT id) const
{
    for (QAction* action : m_viewButtons)
        if (action->property(kCommandIdProperty).toUInt() == id)
            return action->isChecked();
    return false;
}

HRESULT BrowserWindow::viewStateStream(DWORD mode, IStream** stream)
{
    if (!stream)
        return E_POINTER;
    *stream = nullptr;
    if (!m_current)
        return E_FAIL;
    bool writing = (mode & (STGM_WRITE | STGM_READWRITE)) != 0;
    ComPtr<IStream>& kept = m_viewStates[bytesOf(m_current.get())];
    if (!kept) {
        // Nothing saved for this folder yet: there is nothing to read.
        if (!writing)
            return E_FAIL;
        if (HRESULT hr = CreateStreamOnHGlobal(nullptr, TRUE, kept.put()); FAILED(hr))
            return hr;
    }
    if (writing)
        kept->SetSize(0);
    kept->Seek(0, STREAM_SEEK_SET, nullptr);
    *stream = kept.get();
    (*stream)->AddRef();
    return S_OK;
}

void BrowserWindow::refreshParentOf(LPCITEMIDLIST item)
{
    if (ILIsEmpty(item))
        return;
    IdList parent(ILClone(item));
    ILRemoveLastID(parent.get());
    if (QTreeWidgetItem* node = nodeFor(parent.get(), false)) {
        if (node->data(0, kPopulatedRole).toBool()) {
            bool expanded = node->isExpanded();
            node->setData(0, kPopulatedRole, false);
            populate(node);
            node->setExpanded(expanded);
        }
    }
    if (m_view && m_current && ILIsEqual(parent.get(), m_current.get()))
        m_view->Refresh();
}

void BrowserWindow::onChange(LONG, LPCITEMIDLIST item1, LPCITEMIDLIST item2)
{
    refreshParentOf(item1);
    if (item2 && (!item1 || !ILIsEqual(item1, item2)))
        refreshParentOf(item2);
}

} // namespace browser
