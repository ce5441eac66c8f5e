#include "namespace/views/ContentView.h"

#include "namespace/folder/CamFolder.h"
#include "namespace/folder/FolderModule.h"
#include "platform/base/Utf.h"
#include "platform/shell/ShellExecute.h"

#include <QWidget>

namespace foldra {

ContentView::ContentView(ViewContext context, ContentFactory factory)
    : UnknownImpl(&moduleLiveCount()), m_context(std::move(context)), m_factory(std::move(factory))
{}

ContentView::~ContentView()
{
    if (m_content)
        m_content->stop();
}

HRESULT ContentView::GetWindow(HWND* phwnd)
{
    if (!phwnd)
        return E_POINTER;
    *phwnd = m_content ? reinterpret_cast<HWND>(m_content->widget()) : nullptr;
    return *phwnd ? S_OK : E_FAIL;
}

HRESULT ContentView::ContextSensitiveHelp(BOOL)
{
    return E_NOTIMPL;
}

HRESULT ContentView::TranslateAccelerator(MSG*)
{
    // Table 102 is installed as the window's shortcuts; nothing arrives here.
    return S_FALSE;
}

HRESULT ContentView::EnableModeless(BOOL)
{
    return E_NOTIMPL;
}

HRESULT ContentView::CreateViewWindow(IShellView*, LPCFOLDERSETTINGS pfs, IShellBrowser* psb,
                                      RECT* prcView, HWND* phWnd)
{
    if (!phWnd || !psb)
        return E_POINTER;
    *phWnd = nullptr;
    if (m_content)
        return E_UNEXPECTED;
    if (pfs)
        m_settings = *pfs;
    m_browser = ComPtr<IShellBrowser>(psb);
    HWND pane = nullptr;
    psb->GetWindow(&pane);
    m_content = m_factory(m_context, *this, reinterpret_cast<QWidget*>(pane));
    if (!m_content || !m_content->widget()) {
        m_content.reset();
        m_browser.reset();
        return E_FAIL;
    }
    QWidget* window = m_content->widget();
    if (prcView)
        window->setGeometry(prcView->left, prcView->top, prcView->right - prcView->left,
                            prcView->bottom - prcView->top);
    // A live view has no item buttons: the browser keeps only its own.
    psb->SetToolbarItems(nullptr, 0, FCT_MERGE);
    installViewAccelerators(window, [this](UINT id) { runCommand(id); });
    installCommandEvents(window, [this](UINT id) { return runCommand(id); });
    window->show();
    m_content->start();
    *phWnd = reinterpret_cast<HWND>(window);
    return S_OK;
}

HRESULT ContentView::DestroyViewWindow()
{
    if (m_uiState != SVUIA_DEACTIVATE)
        UIActivate(SVUIA_DEACTIVATE);
    if (m_content)
        m_content->stop();
    if (m_browser)
        m_browser->SetStatusTextSB(u"");
    m_content.reset();
    m_browser.reset();
    return S_OK;
}

HRESULT ContentView::UIActivate(UINT uState)
{
    if (uState == m_uiState)
        return S_OK;
    m_uiState = uState;
    if (!m_content)
        return S_OK;
    mergeViewMenus(
        m_browser.get(), m_content->widget(), uState, m_content->menuItems(),
        [this](UINT id) { runCommand(id); }, [this](UINT id) { return commandState(id); });
    if (uState == SVUIA_ACTIVATE_FOCUS)
        m_content->widget()->setFocus();
    return S_OK;
}

bool ContentView::runCommand(UINT id)
{
    if (m_content && m_content->runCommand(id))
        return true;
    if (id != IDM_HELP_CONTENTS)
        return false;
    openDocument(moduleFolder() + "/help.htm");
    return true;
}

CommandState ContentView::commandState(UINT id) const
{
    return m_content ? m_content->commandState(id) : CommandState{false, false};
}

HRESULT ContentView::Refresh()
{
    // Streams and contents are opened afresh, as when the view was created.
    if (m_content) {
        m_content->stop();
        m_content->start();
    }
    return S_OK;
}

HRESULT ContentView::GetCurrentInfo(LPFOLDERSETTINGS pfs)
{
    if (!pfs)
        return E_POINTER;
    *pfs = m_settings;
    return S_OK;
}

HRESULT ContentView::AddPropertySheetPages(DWORD, void*, LPARAM)
{
    return E_NOTIMPL;
}

HRESULT ContentView::SaveViewState()
{
    if (!m_browser || !m_content)
        return E_FAIL;
    ComPtr<IStream> stream;
    if (HRESULT hr = m_browser->GetViewStateStream(STGM_WRITE, stream.put()); FAILED(hr))
        return hr;
    return m_content->saveState(stream.get());
}

HRESULT ContentView::SelectItem(LPCITEMIDLIST, UINT)
{
    return E_NOTIMPL;
}

HRESULT ContentView::GetItemObject(UINT, REFIID, void** ppv)
{
    if (ppv)
        *ppv = nullptr;
    return E_NOTIMPL;
}

void ContentView::setStatusText(const std::string& text)
{
    if (m_browser)
        m_browser->SetStatusTextSB(utf8ToUtf16(text).c_str());
}

ComPtr<IStream> ContentView::viewStateForReading()
{
    ComPtr<IStream> stream;
    if (!m_browser || FAILED(m_browser->GetViewStateStream(STGM_READ, stream.put())))
        return {};
    return stream;
}

HRESULT createContentViewOf(const ViewContext& context, ContentFactory factory, REFIID riid,
                            void** ppv)
{
    return ContentView::createInstance(nullptr, riid, ppv, context, std::move(factory));
}

} // namespace foldra
