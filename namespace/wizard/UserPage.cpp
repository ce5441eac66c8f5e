#include "namespace/wizard/UserPage.h"

#include <QFormLayout>
#include <QLineEdit>

namespace foldra {

UserPage::UserPage(EditedItem& item, QWidget* parent)
    : ItemPage(item, QStringLiteral("User and password"), parent), m_user(new QLineEdit(this)),
      m_password(new QLineEdit(this))
{
    m_user->setObjectName(QStringLiteral("userEdit"));
    m_password->setObjectName(QStringLiteral("passwordEdit"));
    m_password->setEchoMode(QLineEdit::Password);
    auto* layout = new QFormLayout(this);
    layout->addRow(QStringLiteral("User name:"), m_user);
    layout->addRow(QStringLiteral("Password:"), m_password);
}

void UserPage::activate()
{
    m_user->setText(QString::fromStdString(m_item.record.user));
    m_password->setText(QString::fromStdString(m_item.record.password));
}

bool UserPage::leave()
{
    m_item.record.user = m_user->text().toStdString();
    m_item.record.password = m_password->text().toStdString();
    m_item.state = EditState::Confirmed;
    return true;
}

} // namespace foldra
