#pragma once
// The file browser host, window title "Network Cameras": a tree of My Computer with every
// namespace registered under its NameSpace key, a pane hosting the current folder's view, a
// menu bar the views merge into, a tool bar and a status bar.

#include "platform/com/ComPtr.h"
#include "platform/shell/ShellFolder.h"
#include "platform/shell/ShellView.h"

#include <QMainWindow>
#include <map>
#include <memory>
#include <vector>

class QListWidget;
class QSplitter;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;

namespace browser {

class ShellBrowser;

inline constexpr const char* kBrowserTitle = "Network Cameras";
inline constexpr const char* kMyComputerNameSpaceKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MyComputer\\NameSpace";

class BrowserWindow final : public QMainWindow {
    Q_OBJECT
public:
    BrowserWindow();
    ~BrowserWindow() override;

    // Shows the folder of an absolute list in the pane. S_OK, or the binding's failure.
    HRESULT browseTo(LPCITEMIDLIST absolute, bool remember = true);
    // A folder below the namespace named (for example "Network Cameras") by item path.
    HRESULT browseToPath(const QString& namespaceName, const QString& itemPath);
    void goBack();
    void goUp();
    void refresh();

    LPCITEMIDLIST currentList() const { return m_current.get(); }
    IShellView* currentView() const { return m_view.get(); }
    HWND viewWindow() const { return m_viewWindow; }
    QTreeWidget* tree() const { return m_tree; }
    QToolBar* toolBar() const { return m_toolBar; }
    QString statusText() const;

    // For ShellBrowser.
    QWidget* pane() const { return m_pane; }
    void fillBrowserMenus(QMenuBar* bar);
    void adoptMenuBar(QMenuBar* bar);
    void setStatusText(const QString& text);
    void setToolbarItems(const TBBUTTON* buttons, UINT count);
    bool checkToolbarButton(UINT id, bool checked);
    bool isToolbarButtonChecked(UINT id) const;
    HRESULT viewStateStream(DWORD mode, IStream** stream);
    HRESULT browseFromView(LPCITEMIDLIST pidl, UINT flags);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildTree();
    void populate(QTreeWidgetItem* node);
    QTreeWidgetItem* nodeFor(LPCITEMIDLIST absolute, bool expand);
    void onChange(LONG event, LPCITEMIDLIST item1, LPCITEMIDLIST item2);
    void refreshParentOf(LPCITEMIDLIST item);
    void destroyView();
    void showMyComputer();

    ComPtr<ShellBrowser> m_browser;
    IdList m_current;
    std::vector<IdList> m_history;
    ComPtr<IShellFolder> m_folder;
    ComPtr<IShellView> m_view;
    HWND m_viewWindow = nullptr;
    FOLDERSETTINGS m_settings{FVM_ICON, 0};
    // One stream per folder for the life of the window, handed to each view of that folder.
    std::map<QByteArray, ComPtr<IStream>> m_viewStates;
    QSplitter* m_splitter;
    QTreeWidget* m_tree;
    QWidget* m_pane;
    QListWidget* m_computerView = nullptr;
    QToolBar* m_toolBar;
    std::vector<QAction*> m_viewButtons;
    ULONG m_changeCookie = 0;
};

// The folder of an absolute list: a namespace junction created by class id and initialised,
// then bound down item by item. Null folder (S_FALSE) for My Computer itself.
HRESULT bindFolder(LPCITEMIDLIST absolute, ComPtr<IShellFolder>* folder);

} // namespace browser
