#include "namespace/wizard/ItemWizard.h"

#include "namespace/resources/FoldraStrings.h"
#include "namespace/wizard/CameraSettingsPage.h"
#include "namespace/wizard/HostPage.h"
#include "namespace/wizard/IntroPage.h"
#include "namespace/wizard/NamePage.h"
#include "namespace/wizard/PathPage.h"
#include "namespace/wizard/QuadCamerasPage.h"
#include "namespace/wizard/SwitchCamerasPage.h"
#include "namespace/wizard/UrlPage.h"
#include "namespace/wizard/UserPage.h"

namespace foldra {

ItemWizard::ItemWizard(ItemKind addItem, QWidget* parent) : QWizard(parent)
{
    m_item.kind = kindCreatedBy(addItem);
    m_item.state = EditState::Wizard;
    setObjectName(QStringLiteral("addWizard"));
    setWindowTitle(QString::fromStdString(loadString(IDS_CAPTION_ADD)));
    setWizardStyle(QWizard::ClassicStyle);
    setOption(QWizard::NoDefaultButton, false);
    setMinimumSize(460, 320);

    switch (addItem) {
    case ItemKind::AddCamera:
        addItemPage(new HostPage(m_item));
        addItemPage(new CameraSettingsPage(m_item));
        break;
    case ItemKind::AddLiveSite:
        addItemPage(new IntroPage(m_item, QStringLiteral("Add Live Video Site"),
                                  QStringLiteral("A live video site is a web server that pushes "
                                                 "the images of its cameras as a stream. On "
                                                 "the next page, enter the address of the "
                                                 "stream.")));
        addItemPage(new UrlPage(m_item));
        break;
    case ItemKind::AddAlbum:
        addItemPage(new IntroPage(m_item, QStringLiteral("Add Album"),
                                  QStringLiteral("An album shows the images and sequences "
                                                 "saved in one folder. On the next page, name "
                                                 "the folder; a plain name is a folder in your "
                                                 "Documents folder.")));
        addItemPage(new PathPage(m_item));
        break;
    case ItemKind::AddQuadView:
        addItemPage(new QuadCamerasPage(m_item));
        addItemPage(new UserPage(m_item));
        break;
    case ItemKind::AddSwitchCam:
        addItemPage(new SwitchCamerasPage(m_item));
        addItemPage(new UserPage(m_item));
        break;
    default:
        break;
    }
    addItemPage(new NamePage(m_item));

    connect(this, &QWizard::currentIdChanged, this, [this](int id) {
        if (auto* current = qobject_cast<ItemPage*>(page(id)))
            current->activate();
    });
}

void ItemWizard::addItemPage(ItemPage* page)
{
    m_pages.push_back(page);
    addPage(page);
}

} // namespace foldra
