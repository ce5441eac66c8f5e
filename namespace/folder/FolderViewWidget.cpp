#include "namespace/folder/FolderViewWidget.h"

#include "namespace/folder/CamFolder.h"
#include "namespace/folder/CamFolderView.h"
#include "namespace/folder/CompareRule.h"
#include "namespace/folder/ItemContextMenu.h"
#include "namespace/folder/ItemDataObject.h"
#include "namespace/folder/ItemIcons.h"
#include "namespace/folder/ItemViewModes.h"
#include "namespace/resources/FoldraStrings.h"
#include "namespace/wizard/AddWizard.h"
#include "platform/base/Utf.h"
#include "platform/shell/CommandEvent.h"
#include "platform/shell/ShellMenu.h"
#include "platform/ui/MessageBox.h"

#include <QActionGroup>
#include <QListView>
#include <QMimeData>
#include <QResizeEvent>
#include <QStackedLayout>
#include <QStandardItemModel>
#include <QTreeView>
#include <algorithm>

namespace foldra {
namespace {

constexpr int kIdRole = Qt::UserRole + 1;
// The drag format carrying "Shell IDList Array" bytes between Qt windows.
constexpr const char* kIdListMime = "application/x-orvel-shell-idlist-array";

CamItemId idOf(const QStandardItem* item)
{
    CamItemId id{};
    QByteArray bytes = item->data(kIdRole).toByteArray();
    if (bytes.size() == static_cast<int>(sizeof id))
        std::memcpy(&id, bytes.constData(), sizeof id);
    return id;
}

// Items leave by drag only as links, and only content items (kind 10 or less).
class ItemModel final : public QStandardItemModel {
public:
    ItemModel(CamFolder* folder, QObject* parent) : QStandardItemModel(parent), m_folder(folder) {}
    QStringList mimeTypes() const override { return {kIdListMime}; }
    Qt::DropActions supportedDragActions() const override { return Qt::LinkAction; }
    QMimeData* mimeData(const QModelIndexList& indexes) const override
    {
        std::vector<CamItemId> items;
        for (const QModelIndex& index : indexes) {
            CamItemId id = idOf(itemFromIndex(index));
            if (kindValue(id.itemKind()) <= kindValue(ItemKind::Album))
                items.push_back(id);
        }
        if (items.empty())
            return nullptr;
        std::vector<BYTE> array = ItemDataObject::idListArray(m_folder->absoluteList(), items);
        auto* data = new QMimeData;
        data->setData(kIdListMime, QByteArray(reinterpret_cast<const char*>(array.data()),
                                              static_cast<qsizetype>(array.size())));
        return data;
    }

private:
    CamFolder* m_folder;
};

} // namespace

FolderViewWidget::FolderViewWidget(CamFolderView* view, QWidget* parent, bool showItems)
    : QWidget(parent), m_view(view), m_showItems(showItems),
      m_model(new ItemModel(view->folder(), this)),
      m_selection(new QItemSelectionModel(m_model, this)), m_list(new QListView(this)),
      m_details(new QTreeView(this)), m_stack(new QStackedLayout(this)), m_mode(FVM_ICON)
{
    setObjectName(kFolderViewClass);
    m_model->setHorizontalHeaderLabels({QString::fromStdString(loadString(IDS_COLUMN_ITEMS))});
    setupView(m_list);
    setupView(m_details);
    stackItemViews(m_stack, m_list, m_details);
    connect(m_model, &QStandardItemModel::itemChanged, this, &FolderViewWidget::onItemChanged);
    connect(m_selection, &QItemSelectionModel::selectionChanged, this,
            &FolderViewWidget::updateStatus);
    setViewMode(FVM_ICON);
}

void FolderViewWidget::setupView(QAbstractItemView* view)
{
    view->setModel(m_model);
    view->setSelectionModel(m_selection);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    view->setDragEnabled(true);
    view->setDragDropMode(QAbstractItemView::DragOnly);
    view->setDefaultDropAction(Qt::LinkAction);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view, &QAbstractItemView::activated, this, [this] { activate(); });
    connect(view, &QWidget::customContextMenuRequested, this, &FolderViewWidget::showContextMenu);
}

void FolderViewWidget::setViewMode(UINT mode)
{
    if (mode < FVM_ICON || mode > FVM_DETAILS)
        mode = FVM_ICON;
    m_mode = mode;
    if (mode == FVM_DETAILS) {
        showDetailsMode(m_stack, m_details, QSize(kIconSmallSize, kIconSmallSize), width());
    } else {
        const bool large = mode == FVM_ICON;
        const int icon = large ? kIconLargeSize : kIconSmallSize;
        showListMode(m_stack, m_list, mode,
                     {QSize(icon, icon),
                      large                   ? QSize(96, 72)
                      : mode == FVM_SMALLICON ? QSize(160, 22)
                                              : QSize(),
                      mode == FVM_LIST ? 2 : 0});
    }
    m_view->onViewModeChanged(mode);
}

QAbstractItemView* FolderViewWidget::currentView() const
{
    return m_mode == FVM_DETAILS ? static_cast<QAbstractItemView*>(m_details) : m_list;
}

void FolderViewWidget::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_details->setColumnWidth(0, event->size().width() * 2 / 3);
}

void FolderViewWidget::fill()
{
    m_filling = true;
    m_model->removeRows(0, m_model->rowCount());
    std::vector<CamItemId> items;
    ComPtr<IEnumIDList> enumerator;
    if (m_showItems && SUCCEEDED(m_view->folder()->EnumObjects(
                           nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, enumerator.put()))) {
        LPITEMIDLIST pidl = nullptr;
        ULONG fetched = 0;
        while (enumerator->Next(1, &pidl, &fetched) == S_OK) {
            IdList owned(pidl);
            if (const CamItemId* id = ownItemId(owned.get()))
                items.push_back(*id);
        }
    }
    std::stable_sort(items.begin(), items.end(),
                     [](const CamItemId& a, const CamItemId& b) { return compareItems(a, b) < 0; });
    for (const CamItemId& id : items) {
        auto* item = new QStandardItem(
            QString::fromStdString(m_view->folder()->displayName(id, SHGDN_INFOLDER)));
        item->setIcon(iconAt(iconPosition(id.itemKind(), false)));
        item->setData(QByteArray(reinterpret_cast<const char*>(&id), sizeof id), kIdRole);
        Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
        if (kindValue(id.itemKind()) < kindValue(ItemKind::AddFolder))
            flags |= Qt::ItemIsEditable;
        if (kindValue(id.itemKind()) <= kindValue(ItemKind::Album))
            flags |= Qt::ItemIsDragEnabled;
        item->setFlags(flags);
        m_model->appendRow(item);
    }
    m_filling = false;
    updateStatus();
}

int FolderViewWidget::itemCount() const
{
    return m_model->rowCount();
}

QString FolderViewWidget::rowText(int row) const
{
    QStandardItem* item = m_model->item(row);
    return item ? item->text() : QString();
}

std::vector<CamItemId> FolderViewWidget::selectedItems() const
{
    QModelIndexList rows = m_selection->selectedIndexes();
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    std::vector<CamItemId> items;
    for (const QModelIndex& index : rows)
        items.push_back(idOf(m_model->itemFromIndex(index)));
    return items;
}

void FolderViewWidget::selectByName(const std::string& name, bool add)
{
    if (!add)
        m_selection->clearSelection();
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (idOf(m_model->item(row)).nameUtf8() == name) {
            QModelIndex index = m_model->index(row, 0);
            m_selection->select(index, QItemSelectionModel::Select);
            m_selection->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
        }
    }
}

void FolderViewWidget::updateStatus()
{
    qsizetype selected = m_selection->selectedIndexes().size();
    std::string text =
        selected > 0 ? formatMessage(loadString(IDS_N_ITEMS_SELECTED), {std::to_string(selected)})
                     : formatMessage(loadString(IDS_N_ITEMS), {std::to_string(itemCount())});
    m_view->setStatusText(text);
}

void FolderViewWidget::activate()
{
    std::vector<CamItemId> selected = selectedItems();
    if (selected.empty())
        return;
    const CamItemId& first = selected.front();
    if (isAddItem(first.itemKind())) {
        RunAddWizard(first.itemKind(), reinterpret_cast<HWND>(this));
        return;
    }
    if (IShellBrowser* browser = m_view->browser()) {
        IdList child(first.toIdList());
        browser->BrowseObject(child.get(), SBSP_SAMEBROWSER | SBSP_RELATIVE);
    }
}

void FolderViewWidget::invokeOnSelection(UINT offset)
{
    std::vector<CamItemId> selected = selectedItems();
    if (selected.empty())
        return;
    std::vector<IdList> lists;
    std::vector<LPCITEMIDLIST> pointers;
    for (const CamItemId& id : selected) {
        lists.emplace_back(id.toIdList());
        pointers.push_back(lists.back().get());
    }
    ComPtr<IContextMenu> menu;
    if (FAILED(m_view->folder()->GetUIObjectOf(reinterpret_cast<HWND>(this),
                                               static_cast<UINT>(pointers.size()), pointers.data(),
                                               IID_IContextMenu, nullptr, menu.putVoid())))
        return;
    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof info;
    info.hwnd = reinterpret_cast<HWND>(this);
    info.lpVerb = MAKEINTRESOURCEA(offset);
    info.nShow = SW_SHOWNORMAL;
    menu->InvokeCommand(&info);
}

void FolderViewWidget::showContextMenu(const QPoint& position)
{
    QPoint global = currentView()->viewport()->mapToGlobal(position);
    std::vector<CamItemId> selected = selectedItems();
    QMenu popup(this);
    if (selected.empty()) {
        addViewModeItems(&popup);
        if (QAction* chosen = popup.exec(global))
            runCommand(menuItemId(chosen));
        return;
    }
    std::vector<IdList> lists;
    std::vector<LPCITEMIDLIST> pointers;
    for (const CamItemId& id : selected) {
        lists.emplace_back(id.toIdList());
        pointers.push_back(lists.back().get());
    }
    ComPtr<IContextMenu> menu;
    HWND self = reinterpret_cast<HWND>(this);
    if (FAILED(m_view->folder()->GetUIObjectOf(self, static_cast<UINT>(pointers.size()),
                                               pointers.data(), IID_IContextMenu, nullptr,
                                               menu.putVoid())))
        return;
    HWND tree = nullptr;
    bool explore = m_view->browser() &&
                   SUCCEEDED(m_view->browser()->GetControlWindow(FCW_TREE, &tree)) && tree;
    constexpr UINT kFirst = 0;
    constexpr UINT kLast = 100;
    menu->QueryContextMenu(menuHandle(&popup), 0, kFirst, kLast,
                           explore ? CMF_EXPLORE : CMF_NORMAL);
    UINT chosen = trackPopupMenu(menuHandle(&popup), global);
    if (chosen == 0)
        return;
    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof info;
    info.hwnd = self;
    info.lpVerb = MAKEINTRESOURCEA(chosen - kFirst);
    info.nShow = SW_SHOWNORMAL;
    menu->InvokeCommand(&info);
    if (chosen - kFirst == kMenuDelete)
        fill();
}

void FolderViewWidget::deleteSelected()
{
    std::vector<CamItemId> selected = selectedItems();
    // Add-items and the Add folder are never deleted from here.
    std::erase_if(selected, [](const CamItemId& id) {
        return kindValue(id.itemKind()) >= kindValue(ItemKind::AddFolder);
    });
    if (selected.empty())
        return;
    m_selection->clearSelection();
    for (const CamItemId& id : selected)
        selectByName(id.nameUtf8(), true);
    invokeOnSelection(kMenuDelete);
    fill();
}

void FolderViewWidget::startRename()
{
    std::vector<CamItemId> selected = selectedItems();
    if (selected.empty() ||
        kindValue(selected.front().itemKind()) >= kindValue(ItemKind::AddFolder))
        return;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (idOf(m_model->item(row)).nameUtf8() == selected.front().nameUtf8()) {
            currentView()->edit(m_model->index(row, 0));
            return;
        }
    }
}

void FolderViewWidget::onItemChanged(QStandardItem* item)
{
    if (m_filling)
        return;
    CamItemId id = idOf(item);
    std::string text = item->text().toStdString();
    std::string shown = m_view->folder()->displayName(id, SHGDN_INFOLDER);
    if (text == shown)
        return;
    IdList child(id.toIdList());
    LPITEMIDLIST renamed = nullptr;
    std::u16string wide = utf8ToUtf16(text);
    // A refused name was reported by the store; the refill shows the name that stands.
    m_view->folder()->SetNameOf(reinterpret_cast<HWND>(this), child.get(), wide.c_str(),
                                SHGDN_INFOLDER, &renamed);
    IdList owned(renamed);
    // Refilled from the event loop: the edit that changed the item is still finishing.
    QMetaObject::invokeMethod(
        this, [this] { fill(); }, Qt::QueuedConnection);
}

void FolderViewWidget::addViewModeItems(QMenu* menu)
{
    auto* group = new QActionGroup(menu);
    for (const ViewModeCommand& m : viewModeCommands()) {
        QAction* action = insertMenuItem(menuHandle(menu), static_cast<UINT>(-1), m.id, m.text);
        action->setCheckable(true);
        action->setChecked(m.mode == m_mode);
        group->addAction(action);
    }
}

bool FolderViewWidget::runCommand(UINT id, bool dropDown)
{
    switch (id) {
    case IDM_DELETE:
        deleteSelected();
        return true;
    case IDM_RENAME:
        startRename();
        return true;
    case IDM_PROPERTIES:
        invokeOnSelection(kMenuProperties);
        return true;
    case IDM_VIEW_BUTTON:
        if (dropDown) {
            QMenu popup(this);
            addViewModeItems(&popup);
            if (QAction* chosen = popup.exec(QCursor::pos()))
                runCommand(menuItemId(chosen));
        } else {
            setViewMode(m_mode == FVM_DETAILS ? FVM_ICON : m_mode + 1);
        }
        return true;
    default:
        if (const UINT mode = viewModeOfCommand(id)) {
            setViewMode(mode);
            return true;
        }
        return false;
    }
}

bool FolderViewWidget::event(QEvent* event)
{
    if (event->type() == CommandEvent::eventType()) {
        auto* command = static_cast<CommandEvent*>(event);
        event->setAccepted(runCommand(command->id(), command->dropDown()));
        return true;
    }
    return QWidget::event(event);
}

} // namespace foldra
