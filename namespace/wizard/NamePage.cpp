#include "namespace/wizard/NamePage.h"

#include <QFormLayout>
#include <QLineEdit>

namespace foldra {

NamePage::NamePage(EditedItem& item, QWidget* parent)
    : ItemPage(item, QStringLiteral("Name"), parent), m_name(new QLineEdit(this))
{
    m_name->setObjectName(QStringLiteral("nameEdit"));
    auto* layout = new QFormLayout(this);
    layout->addRow(QStringLiteral("Name in Explorer:"), m_name);
    connect(m_name, &QLineEdit::textChanged, this, [this] { updateButtons(); });
}

void NamePage::activate()
{
    m_name->setText(QString::fromStdString(m_item.record.name));
    m_name->setFocus();
}

bool NamePage::canGoOn() const
{
    return !m_name->text().isEmpty();
}

bool NamePage::leave()
{
    m_item.state = EditState::Confirmed;
    const std::string text = m_name->text().toStdString();
    m_item.record.name = text.empty() ? m_item.record.address : text;
    return true;
}

} // namespace foldra
