#include "namespace/wizard/HostPage.h"

#include <QFormLayout>
#include <QLineEdit>

namespace foldra {

HostPage::HostPage(EditedItem& item, QWidget* parent)
    : ItemPage(item, QStringLiteral("Host name"), parent), m_address(new QLineEdit(this))
{
    m_address->setObjectName(QStringLiteral("hostEdit"));
    auto* layout = new QFormLayout(this);
    layout->addRow(QStringLiteral("Address or name:"), m_address);
    connect(m_address, &QLineEdit::textChanged, this, [this] { updateButtons(); });
}

void HostPage::activate()
{
    m_address->setText(QString::fromStdString(m_item.record.address));
    m_address->setFocus();
}

bool HostPage::canGoOn() const
{
    return !m_address->text().isEmpty();
}

bool HostPage::leave()
{
    const std::string text = m_address->text().toStdString();
    m_item.record.address = text;
    if (m_item.proposesNames())
        m_item.proposeName(text.substr(0, text.find(':')));
    return true;
}

} // namespace foldra
