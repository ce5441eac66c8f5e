#pragma once
// The list of the root's cameras with a check box each, on the quad view and camera switching
// pages: the checked cameras become the item's members.

#include "namespace/store/ItemStore.h"

#include <QListWidget>
#include <string>
#include <vector>

namespace foldra {

class CameraChecklist final : public QListWidget {
    Q_OBJECT
public:
    explicit CameraChecklist(QWidget* parent = nullptr);

    // Lists every Camera item of the root in the folder's order, by its record's name (the
    // item's name when the record has none), then checks the names given.
    void fill(const ItemStore& store, const std::vector<std::string>& checked);
    std::vector<std::string> checkedNames() const;
    int checkedCount() const;
    void setAllChecked(bool checked);
    // At most this many checks; a check beyond it is taken back at once (0: no limit).
    void setCheckLimit(int limit) { m_limit = limit; }

signals:
    void checksChanged();

private:
    void fillQuietly(const ItemStore& store, const std::vector<std::string>& checked);

    int m_limit = 0;
};

} // namespace foldra
