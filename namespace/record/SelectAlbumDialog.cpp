#include "namespace/record/SelectAlbumDialog.h"

#include "namespace/folder/ItemIcons.h"
#include "namespace/record/FrameRateControls.h"
#include "namespace/store/ItemStore.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QVBoxLayout>

namespace foldra {
namespace {

constexpr int kDirectoryRole = Qt::UserRole + 1;

} // namespace

SelectAlbumDialog::SelectAlbumDialog(QWidget* parent)
    : QDialog(parent), m_list(new QListWidget(this))
{
    setWindowTitle(QStringLiteral("Select Album"));
    setControlId(this, IDD_SELECT_ALBUM);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &SelectAlbumDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &SelectAlbumDialog::reject);
    connect(m_list, &QListWidget::itemActivated, this, &SelectAlbumDialog::accept);
    layout->addWidget(buttons);

    const ItemStore store;
    std::vector<CamItemId> items;
    if (FAILED(store.Enumerate("", &items)))
        return;
    const QIcon icon = iconAt(iconPosition(ItemKind::Album, false));
    for (const CamItemId& id : items) {
        if (id.itemKind() != ItemKind::Album)
            continue;
        ItemRecord record;
        if (FAILED(store.Read(id.nameUtf8(), &record)))
            continue;
        const std::string& name = record.name.empty() ? id.nameUtf8() : record.name;
        auto* item = new QListWidgetItem(icon, QString::fromStdString(name), m_list);
        item->setData(kDirectoryRole, QString::fromStdString(record.address));
    }
    // By name, as the user looks for one; the file holds them in no particular order.
    m_list->sortItems();
    if (m_list->count())
        m_list->setCurrentRow(0);
}

void SelectAlbumDialog::accept()
{
    if (QListWidgetItem* item = m_list->currentItem())
        m_directory = item->data(kDirectoryRole).toString().toStdString();
    QDialog::accept();
}

} // namespace foldra
