#include "namespace/wizard/CameraChecklist.h"

#include "namespace/folder/CompareRule.h"
#include "namespace/folder/ItemIcons.h"

#include <algorithm>

namespace foldra {

CameraChecklist::CameraChecklist(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setIconSize(QSize(kIconSmallSize, kIconSmallSize));
    connect(this, &QListWidget::itemChanged, this, [this](QListWidgetItem* changed) {
        if (m_limit > 0 && changed->checkState() == Qt::Checked && checkedCount() > m_limit) {
            const QSignalBlocker quiet(this);
            changed->setCheckState(Qt::Unchecked); // one check too many is refused
            return;
        }
        emit checksChanged();
    });
}

void CameraChecklist::fill(const ItemStore& store, const std::vector<std::string>& checked)
{
    fillQuietly(store, checked);
    emit checksChanged();
}

void CameraChecklist::fillQuietly(const ItemStore& store, const std::vector<std::string>& checked)
{
    const QSignalBlocker quiet(this);
    clear();
    std::vector<CamItemId> items;
    if (FAILED(store.Enumerate("", &items)))
        items.clear(); // the store said why
    // In the order the folder shows them.
    std::stable_sort(items.begin(), items.end(),
                     [](const CamItemId& a, const CamItemId& b) { return compareItems(a, b) < 0; });
    const QIcon icon = iconAt(iconPosition(ItemKind::Camera, false));
    for (const CamItemId& id : items) {
        if (id.itemKind() != ItemKind::Camera)
            continue;
        std::string name = id.nameUtf8();
        ItemRecord record;
        if (SUCCEEDED(store.Read(name, &record)) && !record.name.empty())
            name = record.name;
        auto* entry = new QListWidgetItem(icon, QString::fromStdString(name), this);
        entry->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        const bool on = std::find(checked.begin(), checked.end(), name) != checked.end() &&
                        (m_limit <= 0 || checkedCount() < m_limit);
        entry->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
}

std::vector<std::string> CameraChecklist::checkedNames() const
{
    std::vector<std::string> names;
    for (int row = 0; row < count(); ++row)
        if (item(row)->checkState() == Qt::Checked)
            names.push_back(item(row)->text().toStdString());
    return names;
}

int CameraChecklist::checkedCount() const
{
    int n = 0;
    for (int row = 0; row < count(); ++row)
        n += item(row)->checkState() == Qt::Checked;
    return n;
}

void CameraChecklist::setAllChecked(bool checked)
{
    {
        const QSignalBlocker quiet(this);
        for (int row = 0; row < count(); ++row)
            item(row)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    }
    emit checksChanged();
}

} // namespace foldra
