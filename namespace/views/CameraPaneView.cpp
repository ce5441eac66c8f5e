#include "namespace/views/CameraPaneView.h"

#include "namespace/folder/CamFolder.h"
#include "namespace/folder/FolderModule.h"
#include "namespace/views/CameraPaneWidget.h"
#include "platform/base/Utf.h"
#include "platform/shell/ShellExecute.h"
#include "platform/shell/ShellMenu.h"
#include "platform/ui/MessageBox.h"

#include <QMenuBar>

namespace foldra {

CameraPaneView::CameraPaneView(ComPtr<IUnknown> folder, UINT menuId, PaneWidgetFactory factory)
    : UnknownImpl(&moduleLiveCount()), m_folder(std::move(folder)), m_menuId(menuId),
      m_factory(std::move(factory))
{}

CameraPaneView::~CameraPaneView()
{
    DestroyViewWindow();
}

HRESULT CameraPaneView::GetWindow(HWND* phwnd)
{
    if (!phwnd)
        return E_POINTER;
    *phwnd = reinterpret_cast<HWND>(m_widget.data());
    return m_widget ? S_OK : E_FAIL;
}

HRESULT CameraPaneView::ContextSensitiveHelp(BOOL)
{
    return E_NOTIMPL;
}

HRESULT CameraPaneView::TranslateAccelerator(MSG*)
{
    return S_FALSE;
}

HRESULT CameraPaneView::EnableModeless(BOOL)
{
    return E_NOTIMPL;
}

HRESULT CameraPaneView::CreateViewWindow(IShellView*, LPCFOLDERSETTINGS, IShellBrowser* psb,
                                         RECT* prcView, HWND* phWnd)
{
    if (!phWnd || !psb)
        return E_POINTER;
    *phWnd = nullptr;
    if (m_widget)
        return E_UNEXPECTED;
    m_browser = ComPtr<IShellBrowser>(psb);
    HWND pane = nullptr;
    psb->GetWindow(&pane);
    m_widget = m_factory(reinterpret_cast<QWidget*>(pane));
    if (!m_widget)
        return E_OUTOFMEMORY;
    ComPtr<IShellBrowser> browser = m_browser;
    m_widget->setStatusHandler([browser](const std::string& text) {
        browser->SetStatusTextSB(utf8ToUtf16(text).c_str());
    });
    ComPtr<IStream> state;
    if (SUCCEEDED(psb->GetViewStateStream(STGM_READ, state.put())) && state)
        m_widget->loadState(state.get());
    if (prcView)
        m_widget->setGeometry(prcView->left, prcView->top, prcView->right - prcView->left,
                              prcView->bottom - prcView->top);
    m_widget->show();
    m_widget->start();
    *phWnd = reinterpret_cast<HWND>(m_widget.data());
    return S_OK;
}

HRESULT CameraPaneView::DestroyViewWindow()
{
    if (m_uiState != SVUIA_DEACTIVATE)
        UIActivate(SVUIA_DEACTIVATE);
    if (m_widget) {
        m_widget->stop();
        m_widget->setStatusHandler({});
    }
    if (m_browser)
        m_browser->SetStatusTextSB(u"");
    delete m_widget.data();
    m_browser.reset();
    return S_OK;
}

HRESULT CameraPaneView::UIActivate(UINT uState)
{
    if (uState == m_uiState)
        return S_OK;
    m_uiState = uState;
    mergeMenus(uState);
    return S_OK;
}

void CameraPaneView::mergeMenus(UINT state)
{
    if (!m_browser)
        return;
    if (state == SVUIA_DEACTIVATE) {
        m_browser->SetMenuSB(nullptr, nullptr, nullptr);
        return;
    }
    auto* bar = new QMenuBar;
    HMENU shared = menuHandle(bar);
    m_browser->InsertMenusSB(shared, nullptr);
    CameraPaneWidget* widget = m_widget.data();
    if (QMenu* view = findSubMenu(shared, FCIDM_MENU_VIEW); view && widget) {
        view->addSeparator();
        std::vector<QAction*> actions;
        for (const PaneCommand& command : widget->viewCommands()) {
            if (!command.text) {
                view->addSeparator();
                continue;
            }
            QAction* action =
                insertMenuItem(menuHandle(view), static_cast<UINT>(-1), command.id, command.text);
            const UINT id = command.id;
            QObject::connect(action, &QAction::triggered, widget,
                             [widget, id] { widget->runCommand(id); });
            actions.push_back(action);
        }
        // Checks and greying follow the view's state each time the menu opens.
        QObject::connect(view, &QMenu::aboutToShow, widget,
                         [widget, actions] { widget->updateActions(actions); });
        widget->updateActions(actions);
    }
    if (QMenu* help = findSubMenu(shared, FCIDM_MENU_HELP)) {
        QAction* contents = insertMenuItem(menuHandle(help), 0, IDM_HELP_CONTENTS, "Nuvo &Help");
        QObject::connect(contents, &QAction::triggered,
                         [] { openDocument(moduleFolder() + "/help.htm"); });
        QAction* about = insertMenuItem(menuHandle(help), 1, IDM_ABOUT, "&About Nuvo...");
        QObject::connect(about, &QAction::triggered, [widget] {
            showMessageBox(reinterpret_cast<HWND>(widget),
                           "Nuvo Network Cameras\nCamera namespace version 1.2.4", "About Nuvo",
                           MB_ICONINFORMATION | MB_OK);
        });
        insertMenuSeparator(menuHandle(help), 2);
    }
    m_browser->SetMenuSB(shared, nullptr, reinterpret_cast<HWND>(widget));
}

HRESULT CameraPaneView::Refresh()
{
    if (m_widget) {
        m_widget->stop();
        m_widget->start();
    }
    return S_OK;
}

HRESULT CameraPaneView::GetCurrentInfo(LPFOLDERSETTINGS pfs)
{
    if (!pfs)
        return E_POINTER;
    pfs->ViewMode = FVM_ICON;
    pfs->fFlags = 0;
    return S_OK;
}

HRESULT CameraPaneView::AddPropertySheetPages(DWORD, void*, LPARAM)
{
    return E_NOTIMPL;
}

HRESULT CameraPaneView::SaveViewState()
{
    if (!m_browser || !m_widget)
        return E_FAIL;
    ComPtr<IStream> state;
    if (HRESULT hr = m_browser->GetViewStateStream(STGM_WRITE, state.put()); FAILED(hr))
        return hr;
    return m_widget->saveState(state.get());
}

HRESULT CameraPaneView::SelectItem(LPCITEMIDLIST, UINT)
{
    return E_NOTIMPL;
}

HRESULT CameraPaneView::GetItemObject(UINT, REFIID, void** ppv)
{
    if (ppv)
        *ppv = nullptr;
    return E_NOTIMPL;
}

} // namespace foldra
