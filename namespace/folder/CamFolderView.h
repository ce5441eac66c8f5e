#pragma once
// The item list view ("CamFolderView") of the root and the Add folder: the folder's items with
// their icons, sorted by the compare rule, in four view modes, with label editing, context
// menus, menus merged into the browser, and activation that opens a folder or runs an add
// wizard. Lives on the browser's user-interface thread.

#include "platform/com/ComPtr.h"
#include "platform/shell/ShellFolder.h"
#include "platform/shell/ShellView.h"

#include <QPointer>

namespace foldra {

class CamFolder;
class FolderViewWidget;

enum class FolderViewContent {
    Items, // the folder's items
    Empty, // a content item whose own view is not part of the module
};

inline constexpr const char* kFolderViewClass = "CamFolderView";

class CamFolderView final : public UnknownImpl<CamFolderView, IShellView> {
public:
    CamFolderView(CamFolder* folder, HWND owner, FolderViewContent content);

    // IOleWindow
    HRESULT GetWindow(HWND* phwnd) override;
    HRESULT ContextSensitiveHelp(BOOL) override;
    // IShellView
    HRESULT TranslateAccelerator(MSG*) override;
    HRESULT EnableModeless(BOOL) override;
    HRESULT UIActivate(UINT uState) override;
    HRESULT Refresh() override;
    HRESULT CreateViewWindow(IShellView* psvPrevious, LPCFOLDERSETTINGS pfs, IShellBrowser* psb,
                             RECT* prcView, HWND* phWnd) override;
    HRESULT DestroyViewWindow() override;
    HRESULT GetCurrentInfo(LPFOLDERSETTINGS pfs) override;
    HRESULT AddPropertySheetPages(DWORD, void*, LPARAM) override;
    HRESULT SaveViewState() override;
    HRESULT SelectItem(LPCITEMIDLIST pidlItem, UINT uFlags) override;
    HRESULT GetItemObject(UINT uItem, REFIID riid, void** ppv) override;

    // For the view's window.
    CamFolder* folder() const { return m_folder; }
    IShellBrowser* browser() const { return m_browser.get(); }
    void setStatusText(const std::string& text);
    void onViewModeChanged(UINT mode);

private:
    ~CamFolderView() override;
    void mergeMenus(UINT state);
    void updateViewButtons();

    ComPtr<IUnknown> m_folderRef; // keeps m_folder alive
    CamFolder* m_folder;
    HWND m_owner;
    FolderViewContent m_content;
    ComPtr<IShellBrowser> m_browser;
    QPointer<FolderViewWidget> m_widget;
    UINT m_viewMode = FVM_ICON;
    UINT m_uiState = SVUIA_DEACTIVATE;
};

} // namespace foldra
