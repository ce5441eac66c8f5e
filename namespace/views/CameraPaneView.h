#pragma once
// The shell view of a quad view or a camera switching: creates the view's window in the
// browser's pane, merges its menu (231 or 232: View items after the browser's own, Help
// items), hands its status texts to the browser's status bar, keeps the view-state stream and
// closes every stream when the browser destroys the view. On the user-interface thread.

#include "platform/com/ComPtr.h"
#include "platform/shell/ShellView.h"

#include <QPointer>
#include <functional>

class QWidget;

namespace foldra {

class CameraPaneWidget;

inline constexpr UINT IDR_QUAD_MENU = 231;
inline constexpr UINT IDR_SWITCH_MENU = 232;

using PaneWidgetFactory = std::function<CameraPaneWidget*(QWidget* parent)>;

class CameraPaneView final : public UnknownImpl<CameraPaneView, IShellView> {
public:
    // folder: kept alive while the view lives.
    CameraPaneView(ComPtr<IUnknown> folder, UINT menuId, PaneWidgetFactory factory);

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
    HRESULT SelectItem(LPCITEMIDLIST, UINT) override;
    HRESULT GetItemObject(UINT, REFIID, void** ppv) override;

    UINT menuId() const { return m_menuId; }

private:
    ~CameraPaneView() override;
    void mergeMenus(UINT state);

    ComPtr<IUnknown> m_folder;
    UINT m_menuId;
    PaneWidgetFactory m_factory;
    ComPtr<IShellBrowser> m_browser;
    QPointer<CameraPaneWidget> m_widget;
    UINT m_uiState = SVUIA_DEACTIVATE;
};

} // namespace foldra
