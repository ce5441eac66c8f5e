#include "hosts/browser/ShellBrowser.h"

#include "hosts/browser/BrowserWindow.h"
#include "platform/base/Utf.h"
#include "platform/shell/ShellMenu.h"

#include <QMenuBar>
#include <QTreeWidget>

namespace browser {

HRESULT ShellBrowser::GetWindow(HWND* phwnd)
{
    if (!phwnd)
        return E_POINTER;
    *phwnd = m_window ? reinterpret_cast<HWND>(m_window->pane()) : nullptr;
    return m_window ? S_OK : E_FAIL;
}

HRESULT ShellBrowser::InsertMenusSB(HMENU hmenuShared, void*)
{
    auto* bar = qobject_cast<QMenuBar*>(menuWidget(hmenuShared));
    if (!m_window || !bar)
        return E_INVALIDARG;
    m_window->fillBrowserMenus(bar);
    return S_OK;
}

HRESULT ShellBrowser::SetMenuSB(HMENU hmenuShared, HOLEMENU, HWND)
{
    if (!m_window)
        return E_FAIL;
    auto* bar = qobject_cast<QMenuBar*>(menuWidget(hmenuShared));
    if (hmenuShared && !bar)
        return E_INVALIDARG;
    m_window->adoptMenuBar(bar);
    return S_OK;
}

HRESULT ShellBrowser::RemoveMenusSB(HMENU)
{
    // The shared menu goes with the view's next SetMenuSB; nothing of ours stays in it.
    return S_OK;
}

HRESULT ShellBrowser::SetStatusTextSB(LPCOLESTR pszStatusText)
{
    if (!m_window)
        return E_FAIL;
    m_window->setStatusText(QString::fromStdString(utf16ToUtf8(pszStatusText)));
    return S_OK;
}

HRESULT ShellBrowser::BrowseObject(LPCITEMIDLIST pidl, UINT wFlags)
{
    return m_window ? m_window->browseFromView(pidl, wFlags) : E_FAIL;
}

HRESULT ShellBrowser::GetViewStateStream(DWORD grfMode, IStream** ppStrm)
{
    return m_window ? m_window->viewStateStream(grfMode, ppStrm) : E_FAIL;
}

HRESULT ShellBrowser::GetControlWindow(UINT id, HWND* phwnd)
{
    if (!phwnd)
        return E_POINTER;
    *phwnd = nullptr;
    if (!m_window)
        return E_FAIL;
    if (id == FCW_TREE && m_window->tree()->isVisible())
        *phwnd = reinterpret_cast<HWND>(m_window->tree());
    else if (id == FCW_TOOLBAR)
        *phwnd = reinterpret_cast<HWND>(m_window->toolBar());
    return *phwnd ? S_OK : E_FAIL;
}

HRESULT ShellBrowser::SendControlMsg(UINT id, UINT uMsg, WPARAM wParam, LPARAM lParam,
                                     LRESULT* pret)
{
    if (pret)
        *pret = 0;
    if (!m_window || id != FCW_TOOLBAR)
        return E_INVALIDARG;
    switch (uMsg) {
    case TB_CHECKBUTTON:
        if (pret)
            *pret = m_window->checkToolbarButton(static_cast<UINT>(wParam), lParam != 0);
        return S_OK;
    case TB_ISBUTTONCHECKED:
        if (pret)
            *pret = m_window->isToolbarButtonChecked(static_cast<UINT>(wParam));
        return S_OK;
    default:
        return E_INVALIDARG;
    }
}

HRESULT ShellBrowser::QueryActiveShellView(IShellView** ppshv)
{
    if (!ppshv)
        return E_POINTER;
    *ppshv = m_window ? m_window->currentView() : nullptr;
    if (!*ppshv)
        return E_FAIL;
    (*ppshv)->AddRef();
    return S_OK;
}

HRESULT ShellBrowser::SetToolbarItems(const TBBUTTON* lpButtons, UINT nButtons, UINT)
{
    if (!m_window || (nButtons && !lpButtons))
        return E_INVALIDARG;
    m_window->setToolbarItems(lpButtons, nButtons);
    return S_OK;
}

} // namespace browser
