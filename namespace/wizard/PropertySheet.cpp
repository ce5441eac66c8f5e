#include "namespace/wizard/PropertySheet.h"

#include "namespace/wizard/CameraSettingsPage.h"
#include "namespace/wizard/PathPage.h"
#include "namespace/wizard/QuadCamerasPage.h"
#include "namespace/wizard/SwitchCamerasPage.h"
#include "namespace/wizard/UrlPage.h"
#include "namespace/wizard/UserPage.h"

#include <QDialogButtonBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace foldra {

PropertySheet::PropertySheet(ItemRecord record, ItemKind kind, QWidget* parent)
    : QDialog(parent), m_tabs(new QTabWidget(this))
{
    m_item.record = std::move(record);
    m_item.kind = kind;
    m_item.state = EditState::Properties;
    m_item.inSheet = true;
    setObjectName(QStringLiteral("propertySheet"));
    setWindowTitle(QString::fromStdString(m_item.record.name) + QStringLiteral(" Properties"));
    setMinimumSize(440, 320);

    switch (kind) {
    case ItemKind::Camera:
        m_pages.push_back(new CameraSettingsPage(m_item));
        break;
    case ItemKind::LiveSite:
        m_pages.push_back(new UrlPage(m_item));
        break;
    case ItemKind::Album:
        m_pages.push_back(new PathPage(m_item));
        break;
    case ItemKind::QuadView:
        m_pages.push_back(new QuadCamerasPage(m_item));
        m_pages.push_back(new UserPage(m_item));
        break;
    case ItemKind::SwitchCam:
        m_pages.push_back(new SwitchCamerasPage(m_item));
        m_pages.push_back(new UserPage(m_item));
        break;
    default:
        break;
    }
    for (ItemPage* page : m_pages)
        m_tabs->addTab(page, page->title());

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &PropertySheet::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);

    for (ItemPage* page : m_pages)
        page->activate();
}

void PropertySheet::accept()
{
    for (ItemPage* page : m_pages) {
        if (!page->leave()) {
            m_tabs->setCurrentWidget(page);
            return;
        }
    }
    m_item.state = EditState::Confirmed;
    QDialog::accept();
}

} // namespace foldra
