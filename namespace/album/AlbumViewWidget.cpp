#include "namespace/album/AlbumViewWidget.h"

#include "namespace/album/AlbumArtwork.h"
#include "namespace/album/AlbumCommands.h"
#include "namespace/album/AlbumFiles.h"
#include "namespace/album/AlbumListing.h"
#include "namespace/album/CamImageView.h"
#include "namespace/album/FrameRateDialog.h"
#include "namespace/album/Thumbnailer.h"
#include "namespace/album/ViewerLauncher.h"
#include "namespace/folder/CamFolder.h"
#include "namespace/folder/ItemViewModes.h"
#include "namespace/resources/FoldraStrings.h"
#include "platform/shell/ShellExecute.h"
#include "platform/shell/ShellMenu.h"
#include "platform/ui/MessageBox.h"
#include "recorder/sequence/AlbumSequence.h"

#include <QApplication>
#include <QListView>
#include <QResizeEvent>
#include <QStackedLayout>
#include <QStandardItemModel>
#include <QTreeView>
#include <algorithm>

namespace foldra {
namespace {

constexpr int kPathRole = Qt::UserRole + 1;
constexpr int kThumbnailRole = Qt::UserRole + 2;

QSize thumbnailSize(UINT mode)
{
    return mode == FVM_ICON ? kLargeThumbnail : kSmallThumbnail;
}

// The wait cursor for as long as a fill or a delete runs.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

AlbumViewWidget::AlbumViewWidget(CamImageView* view, QWidget* parent)
    : QWidget(parent), m_view(view), m_model(new QStandardItemModel(this)),
      m_selection(new QItemSelectionModel(m_model, this)), m_list(new QListView(this)),
      m_details(new QTreeView(this)), m_stack(new QStackedLayout(this)), m_mode(FVM_ICON)
{
    setObjectName(kAlbumViewClass);
    m_model->setHorizontalHeaderLabels({QString::fromStdString(loadString(IDS_COLUMN_IMAGES))});
    setupView(m_list);
    setupView(m_details);
    stackItemViews(m_stack, m_list, m_details);
    setViewMode(FVM_ICON);
}

void AlbumViewWidget::setupView(QAbstractItemView* view)
{
    view->setModel(m_model);
    view->setSelectionModel(m_selection);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view, &QAbstractItemView::activated, this, [this] { runCommand(IDM_ALBUM_VIEW); });
    connect(view, &QWidget::customContextMenuRequested, this, &AlbumViewWidget::showContextMenu);
}

void AlbumViewWidget::setViewMode(UINT mode)
{
    if (mode < FVM_ICON || mode > FVM_DETAILS)
        mode = FVM_ICON;
    const bool sizeChanged = thumbnailSize(mode) != thumbnailSize(m_mode);
    m_mode = mode;
    const QSize thumb = thumbnailSize(mode);
    if (mode == FVM_DETAILS) {
        showDetailsMode(m_stack, m_details, thumb, width());
    } else {
        const bool large = mode == FVM_ICON;
        showListMode(m_stack, m_list, mode,
                     {thumb, large ? QSize(thumb.width() + 40, thumb.height() + 44) : QSize(),
                      large ? 0 : 2});
    }
    // The thumbnails are made for one size: a change between sizes makes them anew.
    if (sizeChanged && m_filled)
        fill();
}

QAbstractItemView* AlbumViewWidget::currentView() const
{
    return m_mode == FVM_DETAILS ? static_cast<QAbstractItemView*>(m_details) : m_list;
}

void AlbumViewWidget::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_details->setColumnWidth(0, event->size().width() * 2 / 3);
}

void AlbumViewWidget::postFill()
{
    QMetaObject::invokeMethod(
        this, [this] { fill(); }, Qt::QueuedConnection);
}

void AlbumViewWidget::fill()
{
    m_model->removeRows(0, m_model->rowCount());
    m_filled = true;
    const std::string directory = m_view->albumDirectory();
    AlbumListing listing;
    {
        WaitCursor wait;
        listing = listAlbum(directory);
        const QSize size = thumbnailSize(m_mode);
        const QImage placeholder = placeholderBitmap(size);
        Thumbnailer thumbnails;
        for (const AlbumEntry& entry : listing.entries) {
            QImage image = thumbnails.thumbnail(entry, size);
            if (image.isNull())
                image = placeholder;
            auto* item = new QStandardItem(QIcon(QPixmap::fromImage(image)),
                                           QString::fromStdString(entry.name));
            item->setData(QString::fromStdString(entry.path), kPathRole);
            item->setData(image, kThumbnailRole);
            item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
            m_model->appendRow(item);
        }
    }
    updateStatus();
    const HWND owner = reinterpret_cast<HWND>(this);
    if (listing.state == AlbumState::Missing)
        showMessageBox(owner, formatMessage(loadString(IDS_DIRECTORY_MISSING), {directory}),
                       loadString(IDS_CAPTION_ERROR), MB_ICONWARNING | MB_OK);
    else if (listing.state == AlbumState::NotDirectory)
        showMessageBox(owner, formatMessage(loadString(IDS_NOT_A_DIRECTORY), {directory}),
                       loadString(IDS_CAPTION_ERROR), MB_ICONWARNING | MB_OK);
}

void AlbumViewWidget::updateStatus()
{
    m_view->setStatusText(formatMessage(loadString(IDS_N_ITEMS), {std::to_string(itemCount())}));
}

int AlbumViewWidget::itemCount() const
{
    return m_model->rowCount();
}

QString AlbumViewWidget::rowText(int row) const
{
    QStandardItem* item = m_model->item(row);
    return item ? item->text() : QString();
}

std::string AlbumViewWidget::rowPath(int row) const
{
    QStandardItem* item = m_model->item(row);
    return item ? item->data(kPathRole).toString().toStdString() : std::string();
}

QImage AlbumViewWidget::rowThumbnail(int row) const
{
    QStandardItem* item = m_model->item(row);
    return item ? item->data(kThumbnailRole).value<QImage>() : QImage();
}

std::vector<std::string> AlbumViewWidget::selectedPaths() const
{
    QModelIndexList rows = m_selection->selectedRows();
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    std::vector<std::string> paths;
    for (const QModelIndex& index : rows)
        paths.push_back(index.data(kPathRole).toString().toStdString());
    return paths;
}

void AlbumViewWidget::selectByName(const QString& name, bool add)
{
    if (!add)
        m_selection->clearSelection();
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (m_model->item(row)->text() == name) {
            const QModelIndex index = m_model->index(row, 0);
            m_selection->select(index, QItemSelectionModel::Select);
            m_selection->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
        }
    }
}

CommandState AlbumViewWidget::commandState(UINT id) const
{
    if (const UINT mode = viewModeOfCommand(id))
        return {true, mode == m_mode};
    return {albumCommandEnabled(id, selectedPaths()), false};
}

void AlbumViewWidget::showContextMenu(const QPoint& position)
{
    foldra::showContextMenu(
        this, m_view->menuItems(), [this](UINT id) { return commandState(id); },
        [this](UINT id) { runCommand(id); }, currentView()->viewport()->mapToGlobal(position));
}

bool AlbumViewWidget::runCommand(UINT id)
{
    if (const UINT mode = viewModeOfCommand(id)) {
        setViewMode(mode);
        return true;
    }
    if (id == IDM_VIEW_BUTTON) {
        setViewMode(m_mode == FVM_DETAILS ? FVM_ICON : m_mode + 1);
        return true;
    }
    switch (id) {
    case IDM_ALBUM_VIEW:
    case IDM_ALBUM_OPEN:
    case IDM_CREATE_SEQUENCE:
    case IDM_SPLIT_SEQUENCE:
    case IDM_CHANGE_FRAME_RATE:
    case IDM_CREATE_AVI:
    case IDM_DELETE:
    case IDM_SELECT_ALL:
        break;
    default:
        return false;
    }
    if (!commandState(id).enabled)
        return true;
    const std::vector<std::string> selected = selectedPaths();
    switch (id) {
    case IDM_ALBUM_VIEW:
        startViewer(selected.front(), ViewerAction::View);
        break;
    case IDM_CREATE_AVI:
        startViewer(selected.front(), ViewerAction::CreateAvi);
        break;
    case IDM_ALBUM_OPEN:
        openDocument(selected.front());
        break;
    case IDM_CREATE_SEQUENCE:
        createSequence();
        break;
    case IDM_SPLIT_SEQUENCE:
        splitSequence();
        break;
    case IDM_CHANGE_FRAME_RATE:
        changeFrameRate();
        break;
    case IDM_DELETE:
        deleteSelected();
        break;
    case IDM_SELECT_ALL:
        selectAll();
        break;
    default:
        break;
    }
    return true;
}

void AlbumViewWidget::createSequence()
{
    std::string sequence;
    createAlbumSequence(selectedPaths(), &sequence);
    fill();
}

void AlbumViewWidget::splitSequence()
{
    foldra::splitSequence(selectedPaths().front());
    fill();
}

void AlbumViewWidget::changeFrameRate()
{
    changeSequenceFrameRate(this, selectedPaths().front());
}

void AlbumViewWidget::deleteSelected()
{
    const std::vector<std::string> selected = selectedPaths();
    if (selected.empty())
        return;
    if (showMessageBox(reinterpret_cast<HWND>(this), loadString(IDS_CONFIRM_DELETE_FILES),
                       loadString(IDS_CAPTION_CONFIRM_DELETE), MB_ICONQUESTION | MB_YESNO) != IDYES)
        return;
    {
        WaitCursor wait;
        deleteAlbumFiles(selected);
    }
    fill();
}

void AlbumViewWidget::selectAll()
{
    if (m_model->rowCount() == 0)
        return;
    m_selection->select(
        QItemSelection(m_model->index(0, 0), m_model->index(m_model->rowCount() - 1, 0)),
        QItemSelectionModel::Select);
    m_selection->setCurrentIndex(m_model->index(0, 0), QItemSelectionModel::NoUpdate);
    currentView()->setFocus();
}

} // namespace foldra
