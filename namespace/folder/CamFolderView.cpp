#include "namespace/folder/CamFolderView.h"

#include "namespace/folder/CamFolder.h"
#include "namespace/folder/FolderModule.h"
#include "namespace/folder/FolderViewWidget.h"
#include "namespace/views/ViewMenu.h"
#include "platform/base/Utf.h"
#include "platform/shell/ShellMenu.h"

#include <QMenuBar>

namespace foldra {
namespace {

struct MenuEntry {
    UINT id;
    const char* text;
};
constexpr MenuEntry kFileEntries[] = {
    {IDM_DELETE, "&Delete"},
    {IDM_RENAME, "Rena&me"},
    {IDM_PROPERTIES, "P&roperties"},
};
constexpr UINT kViewModeIds[] = {IDM_VIEW_LARGEICONS, IDM_VIEW_SMALLICONS, IDM_VIEW_LIST,
                                 IDM_VIEW_DETAILS};

} // namespace

CamFolderView::CamFolderView(CamFolder* folder, HWND owner, FolderViewContent content)
    : UnknownImpl(&moduleLiveCount()), m_folderRef(static_cast<IShellFolder*>(folder)),
      m_folder(folder), m_owner(owner), m_content(content)
{}

CamFolderView::~CamFolderView()
{
    delete m_widget.data();
}

HRESULT CamFolderView::GetWindow(HWND* phwnd)
{
    if (!phwnd)
        return E_POINTER;
    *phwnd = reinterpret_cast<HWND>(m_widget.data());
    return m_widget ? S_OK : E_FAIL;
}

HRESULT CamFolderView::ContextSensitiveHelp(BOOL)
{
    return E_NOTIMPL;
}

HRESULT CamFolderView::TranslateAccelerator(MSG*)
{
    return S_FALSE;
}

HRESULT CamFolderView::EnableModeless(BOOL)
{
    return E_NOTIMPL;
}

HRESULT CamFolderView::CreateViewWindow(IShellView*, LPCFOLDERSETTINGS pfs, IShellBrowser* psb,
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
    m_widget = new FolderViewWidget(this, reinterpret_cast<QWidget*>(pane),
                                    m_content == FolderViewContent::Items);
    if (prcView)
        m_widget->setGeometry(prcView->left, prcView->top, prcView->right - prcView->left,
                              prcView->bottom - prcView->top);
    m_widget->setViewMode(pfs ? pfs->ViewMode : FVM_ICON);
    TBBUTTON buttons[5] = {};
    const int bitmaps[] = {VIEW_LARGEICONS, VIEW_SMALLICONS, VIEW_LIST, VIEW_DETAILS};
    for (int i = 0; i < 4; ++i)
        buttons[i] = {
            bitmaps[i], static_cast<int>(kViewModeIds[i]), TBSTATE_ENABLED, TBSTYLE_CHECK, {}, 0,
            nullptr};
    buttons[4] = {
        VIEW_VIEWMENU, static_cast<int>(IDM_VIEW_BUTTON), TBSTATE_ENABLED, BTNS_DROPDOWN, {}, 0,
        "Views"};
    psb->SetToolbarItems(buttons, 5, FCT_MERGE);
    m_widget->fill();
    updateViewButtons();
    m_widget->show();
    *phWnd = reinterpret_cast<HWND>(m_widget.data());
    return S_OK;
}

HRESULT CamFolderView::DestroyViewWindow()
{
    if (m_uiState != SVUIA_DEACTIVATE)
        UIActivate(SVUIA_DEACTIVATE);
    if (m_browser)
        m_browser->SetStatusTextSB(u"");
    delete m_widget.data();
    m_browser.reset();
    return S_OK;
}

HRESULT CamFolderView::UIActivate(UINT uState)
{
    if (uState == m_uiState)
        return S_OK;
    m_uiState = uState;
    mergeMenus(uState);
    return S_OK;
}

void CamFolderView::mergeMenus(UINT state)
{
    if (!m_browser)
        return;
    if (state == SVUIA_DEACTIVATE) {
        m_browser->SetMenuSB(nullptr, nullptr, nullptr);
        return;
    }
    // A new shared menu each time, as the browser hands its own menus out afresh.
    auto* bar = new QMenuBar;
    HMENU shared = menuHandle(bar);
    m_browser->InsertMenusSB(shared, nullptr);
    FolderViewWidget* widget = m_widget.data();
    auto connectTo = [widget](QAction* action) {
        UINT id = menuItemId(action);
        QObject::connect(action, &QAction::triggered, widget,
                         [widget, id] { widget->runCommand(id); });
    };
    if (QMenu* view = findSubMenu(shared, FCIDM_MENU_VIEW); view && widget) {
        view->addSeparator();
        widget->addViewModeItems(view);
        for (QAction* action : view->actions())
            for (UINT id : kViewModeIds)
                if (menuItemId(action) == id)
                    connectTo(action);
    }
    if (QMenu* help = findSubMenu(shared, FCIDM_MENU_HELP))
        insertHelpItems(help, widget);
    if (state == SVUIA_ACTIVATE_FOCUS && widget) {
        if (QMenu* file = findSubMenu(shared, FCIDM_MENU_FILE)) {
            UINT at = 0;
            for (const MenuEntry& entry : kFileEntries)
                connectTo(insertMenuItem(menuHandle(file), at++, entry.id, entry.text));
            insertMenuSeparator(menuHandle(file), at);
        }
    }
    m_browser->SetMenuSB(shared, nullptr, reinterpret_cast<HWND>(widget));
}

HRESULT CamFolderView::Refresh()
{
    if (m_widget)
        m_widget->refresh();
    return S_OK;
}

HRESULT CamFolderView::GetCurrentInfo(LPFOLDERSETTINGS pfs)
{
    if (!pfs)
        return E_POINTER;
    pfs->ViewMode = m_viewMode;
    pfs->fFlags = 0;
    return S_OK;
}

HRESULT CamFolderView::AddPropertySheetPages(DWORD, void*, LPARAM)
{
    return E_NOTIMPL;
}

HRESULT CamFolderView::SaveViewState()
{
    // The list keeps no state beyond the view mode, which the browser's settings carry.
    return S_OK;
}

HRESULT CamFolderView::SelectItem(LPCITEMIDLIST pidlItem, UINT uFlags)
{
    const CamItemId* id = ownItemId(pidlItem);
    if (!id || !m_widget)
        return E_INVALIDARG;
    m_widget->selectByName(id->nameUtf8(), (uFlags & SVSI_DESELECTOTHERS) == 0);
    if ((uFlags & SVSI_EDIT) == SVSI_EDIT)
        m_widget->runCommand(IDM_RENAME);
    return S_OK;
}

HRESULT CamFolderView::GetItemObject(UINT, REFIID, void** ppv)
{
    if (ppv)
        *ppv = nullptr;
    return E_NOTIMPL;
}

void CamFolderView::setStatusText(const std::string& text)
{
    if (m_browser)
        m_browser->SetStatusTextSB(utf8ToUtf16(text).c_str());
}

void CamFolderView::onViewModeChanged(UINT mode)
{
    m_viewMode = mode;
    updateViewButtons();
    if (m_uiState != SVUIA_DEACTIVATE)
        mergeMenus(m_uiState);
}

void CamFolderView::updateViewButtons()
{
    if (!m_browser)
        return;
    for (UINT i = 0; i < 4; ++i) {
        LRESULT result = 0;
        m_browser->SendControlMsg(FCW_TOOLBAR, TB_CHECKBUTTON, kViewModeIds[i], m_viewMode == i + 1,
                                  &result);
    }
}

} // namespace foldra
