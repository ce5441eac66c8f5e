#include "namespace/album/CamImageView.h"

#include "namespace/album/AlbumCommands.h"
#include "namespace/album/AlbumViewWidget.h"
#include "namespace/folder/CamFolder.h"
#include "namespace/views/ContentView.h"
#include "namespace/views/ContentViews.h"

namespace foldra {
namespace {

// Menu 209: File and View, and the same entries in the context submenu.
const std::vector<ViewMenuItem>& albumMenu()
{
    static const std::vector<ViewMenuItem> items = [] {
        const ViewMenuItem file[] = {
            {MenuGroup::File, IDM_ALBUM_VIEW, "&View"},
            {MenuGroup::File, IDM_ALBUM_OPEN, "&Open"},
            {MenuGroup::File, IDM_CREATE_SEQUENCE, "&Create Sequence"},
            {MenuGroup::File, IDM_SPLIT_SEQUENCE, "&Split Sequence"},
            {MenuGroup::File, IDM_CHANGE_FRAME_RATE, "Change &Frame Rate..."},
            {MenuGroup::File, IDM_CREATE_AVI, "Create &AVI..."},
            {MenuGroup::File, 0, nullptr},
            {MenuGroup::File, IDM_DELETE, "&Delete"},
        };
        const ViewMenuItem modes[] = {
            {MenuGroup::View, IDM_VIEW_LARGEICONS, "Lar&ge Icons", true},
            {MenuGroup::View, IDM_VIEW_SMALLICONS, "S&mall Icons", true},
            {MenuGroup::View, IDM_VIEW_LIST, "&List", true},
            {MenuGroup::View, IDM_VIEW_DETAILS, "&Details", true},
        };
        std::vector<ViewMenuItem> all(std::begin(file), std::end(file));
        all.insert(all.end(), std::begin(modes), std::end(modes));
        for (ViewMenuItem item : file)
            all.push_back({MenuGroup::Context, item.id, item.text, item.checkable});
        all.push_back({MenuGroup::Context, 0, nullptr});
        for (ViewMenuItem item : modes)
            all.push_back({MenuGroup::Context, item.id, item.text, item.checkable});
        return all;
    }();
    return items;
}

} // namespace

HRESULT createImageView(const ViewContext& context, REFIID riid, void** ppv)
{
    return createContentViewOf(
        context,
        [](const ViewContext& c, ViewHost& host, QWidget* pane) {
            return std::make_unique<CamImageView>(c, host, pane);
        },
        riid, ppv);
}

CamImageView::CamImageView(const ViewContext& context, ViewHost& host, QWidget* pane)
    : m_store(context.store), m_itemPath(context.itemPath), m_host(host),
      m_widget(new AlbumViewWidget(this, pane))
{}

CamImageView::~CamImageView()
{
    delete m_widget.data();
}

QWidget* CamImageView::widget()
{
    return m_widget.data();
}

void CamImageView::start()
{
    // Filled from the event loop, so the browser shows the window before the thumbnails.
    if (m_widget)
        m_widget->postFill();
}

const std::vector<ViewMenuItem>& CamImageView::menuItems() const
{
    return albumMenu();
}

CommandState CamImageView::commandState(UINT id) const
{
    if (!m_widget)
        return {false, false};
    return m_widget->commandState(id);
}

bool CamImageView::runCommand(UINT id)
{
    return m_widget && m_widget->runCommand(id);
}

std::string CamImageView::albumDirectory() const
{
    ItemRecord record;
    if (FAILED(m_store.Read(m_itemPath, &record)))
        return {};
    return record.address;
}

void CamImageView::setStatusText(const std::string& text)
{
    m_host.setStatusText(text);
}

} // namespace foldra
