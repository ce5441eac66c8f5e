#pragma once
// The IShellView of a content item (camera, live site, quad view, switching, album): it creates
// the content's window in the browser's pane, merges the content's menus into the browser,
// installs the accelerators, passes status texts to the browser and the view state both ways.
// Each kind of view is a ViewContent made by a ContentFactory. On the user-interface thread.

#include "namespace/views/ViewContent.h"
#include "namespace/views/ViewContext.h"
#include "platform/com/UnknownImpl.h"
#include "platform/shell/ShellView.h"

#include <functional>
#include <memory>

namespace foldra {

using ContentFactory =
    std::function<std::unique_ptr<ViewContent>(const ViewContext&, ViewHost&, QWidget* parent)>;

class ContentView final : public UnknownImpl<ContentView, IShellView>, private ViewHost {
public:
    ContentView(ViewContext context, ContentFactory factory);

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

    // The content, while the window exists (tests, the folder's own commands).
    ViewContent* content() const { return m_content.get(); }

private:
    ~ContentView() override;
    bool runCommand(UINT id);
    CommandState commandState(UINT id) const;

    // ViewHost
    void setStatusText(const std::string& text) override;
    ComPtr<IStream> viewStateForReading() override;

    ViewContext m_context;
    ContentFactory m_factory;
    ComPtr<IShellBrowser> m_browser;
    std::unique_ptr<ViewContent> m_content;
    FOLDERSETTINGS m_settings{FVM_ICON, 0};
    UINT m_uiState = SVUIA_DEACTIVATE;
};

// Makes the view of a content factory (the factory functions of the views use it).
HRESULT createContentViewOf(const ViewContext& context, ContentFactory factory, REFIID riid,
                            void** ppv);

} // namespace foldra
