#pragma once
// The window of the album view ("CamImageView"): the album's sequences and stand-alone images
// with thumbnails, in four modes, and the commands of menu 209.

#include "namespace/views/ViewMenu.h"

#include <QWidget>
#include <string>
#include <vector>

class QAbstractItemView;
class QItemSelectionModel;
class QListView;
class QStackedLayout;
class QStandardItemModel;
class QTreeView;

namespace foldra {

class CamImageView;

class AlbumViewWidget final : public QWidget {
    Q_OBJECT
public:
    AlbumViewWidget(CamImageView* view, QWidget* parent);

    // Rebuilds the list from the directory (messages 1011 / 1008 when it cannot be listed).
    void fill();
    // Fills from the event loop, as after creation.
    void postFill();
    bool filled() const { return m_filled; }
    void setViewMode(UINT mode);
    UINT viewMode() const { return m_mode; }
    // Runs a command of menu 209 or a view mode; false for one it does not know. A greyed
    // command does nothing.
    bool runCommand(UINT id);
    // Greyed by the first selected item; the active mode ticked.
    CommandState commandState(UINT id) const;

    int itemCount() const;
    QString rowText(int row) const;
    std::string rowPath(int row) const;
    QImage rowThumbnail(int row) const;
    // The selected items' full paths in list order.
    std::vector<std::string> selectedPaths() const;
    void selectByName(const QString& name, bool add);
    QAbstractItemView* currentView() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void setupView(QAbstractItemView* view);
    void showContextMenu(const QPoint& position);
    void createSequence();
    void splitSequence();
    void changeFrameRate();
    void deleteSelected();
    void selectAll();
    void updateStatus();

    CamImageView* m_view;
    QStandardItemModel* m_model;
    QItemSelectionModel* m_selection;
    QListView* m_list;
    QTreeView* m_details;
    QStackedLayout* m_stack;
    UINT m_mode;
    bool m_filled = false;
};

} // namespace foldra
