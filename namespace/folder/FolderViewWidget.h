#pragma once
// The window of the item list view: a list in one of four modes over the folder's items.

#include "namespace/store/CamItemId.h"
#include "platform/base/WinTypes.h"

#include <QWidget>
#include <vector>

class QAbstractItemView;
class QListView;
class QMenu;
class QStackedLayout;
class QStandardItem;
class QStandardItemModel;
class QTreeView;
class QItemSelectionModel;

namespace foldra {

class CamFolderView;

class FolderViewWidget final : public QWidget {
    Q_OBJECT
public:
    FolderViewWidget(CamFolderView* view, QWidget* parent, bool showItems);

    void fill();
    void refresh() { fill(); }
    void setViewMode(UINT mode);
    UINT viewMode() const { return m_mode; }
    // Runs a command of the view's menus (IDM_*); false for one it does not know.
    bool runCommand(UINT id, bool dropDown = false);
    // The View submenu (four modes, the active one ticked).
    void addViewModeItems(QMenu* menu);
    int itemCount() const;
    // The selected items in list order.
    std::vector<CamItemId> selectedItems() const;
    QAbstractItemView* currentView() const;
    // Selects items by name (tests and SelectItem).
    void selectByName(const std::string& name, bool add);
    // The name shown for the item at row (tests).
    QString rowText(int row) const;

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void activate();
    void showContextMenu(const QPoint& position);
    void deleteSelected();
    void startRename();
    void invokeOnSelection(UINT offset);
    void onItemChanged(QStandardItem* item);
    void updateStatus();
    void setupView(QAbstractItemView* view);

    CamFolderView* m_view;
    bool m_showItems;
    QStandardItemModel* m_model;
    QItemSelectionModel* m_selection;
    QListView* m_list;
    QTreeView* m_details;
    QStackedLayout* m_stack;
    UINT m_mode;
    bool m_filling = false;
};

} // namespace foldra
