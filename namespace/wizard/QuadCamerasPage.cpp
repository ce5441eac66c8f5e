#include "namespace/wizard/QuadCamerasPage.h"

#include "namespace/resources/FoldraStrings.h"
#include "namespace/wizard/CameraChecklist.h"

#include <QLabel>
#include <QVBoxLayout>

namespace foldra {

QuadCamerasPage::QuadCamerasPage(EditedItem& item, QWidget* parent)
    : ItemPage(item, QStringLiteral("Quad view cameras"), parent),
      m_cameras(new CameraChecklist(this))
{
    m_cameras->setObjectName(QStringLiteral("cameraList"));
    m_cameras->setCheckLimit(kQuadMembers);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Cameras (at most four):"), this));
    layout->addWidget(m_cameras);
    connect(m_cameras, &CameraChecklist::checksChanged, this, [this] { updateButtons(); });
}

void QuadCamerasPage::activate()
{
    m_cameras->fill(m_item.store, m_item.record.members);
}

bool QuadCamerasPage::canGoOn() const
{
    return m_cameras->checkedCount() > 0;
}

bool QuadCamerasPage::leave()
{
    std::vector<std::string> members = m_cameras->checkedNames();
    members.resize(kQuadMembers);
    m_item.record.members = std::move(members);
    if (m_item.proposesNames())
        m_item.proposeName(loadString(IDS_DEFAULT_QUAD_NAME));
    return true;
}

} // namespace foldra
