#pragma once
// The browser as the views see it: the IShellBrowser of one BrowserWindow. Called on the
// window's thread; the window outlives every view it hosts and detaches itself on close.

#include "platform/shell/ShellView.h"

namespace browser {

class BrowserWindow;

class ShellBrowser final : public UnknownImpl<ShellBrowser, IShellBrowser> {
public:
    explicit ShellBrowser(BrowserWindow* window) : m_window(window) {}
    void detach() { m_window = nullptr; }

    HRESULT GetWindow(HWND* phwnd) override;
    HRESULT ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT InsertMenusSB(HMENU hmenuShared, void* lpMenuWidths) override;
    HRESULT SetMenuSB(HMENU hmenuShared, HOLEMENU holemenuRes, HWND hwndActiveObject) override;
    HRESULT RemoveMenusSB(HMENU hmenuShared) override;
    HRESULT SetStatusTextSB(LPCOLESTR pszStatusText) override;
    HRESULT EnableModelessSB(BOOL) override { return S_OK; }
    HRESULT TranslateAcceleratorSB(MSG*, WORD) override { return S_FALSE; }
    HRESULT BrowseObject(LPCITEMIDLIST pidl, UINT wFlags) override;
    HRESULT GetViewStateStream(DWORD grfMode, IStream** ppStrm) override;
    HRESULT GetControlWindow(UINT id, HWND* phwnd) override;
    HRESULT SendControlMsg(UINT id, UINT uMsg, WPARAM wParam, LPARAM lParam,
                           LRESULT* pret) override;
    HRESULT QueryActiveShellView(IShellView** ppshv) override;
    HRESULT OnViewWindowActive(IShellView*) override { return S_OK; }
    HRESULT SetToolbarItems(const TBBUTTON* lpButtons, UINT nButtons, UINT uFlags) override;

private:
    ~ShellBrowser() override = default;
    BrowserWindow* m_window;
};

} // namespace browser
