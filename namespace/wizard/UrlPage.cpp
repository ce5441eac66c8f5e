#include "namespace/wizard/UrlPage.h"

#include "namespace/resources/FoldraStrings.h"

#include <QFormLayout>
#include <QLineEdit>

namespace foldra {

UrlPage::UrlPage(EditedItem& item, QWidget* parent)
    : ItemPage(item, QStringLiteral("URL"), parent), m_url(new QLineEdit(this))
{
    m_url->setObjectName(QStringLiteral("urlEdit"));
    auto* layout = new QFormLayout(this);
    layout->addRow(QStringLiteral("URL:"), m_url);
    connect(m_url, &QLineEdit::textEdited, this, [this] {
        m_edited = true;
        updateButtons();
    });
}

void UrlPage::activate()
{
    m_edited = false;
    const std::string& address = m_item.record.address;
    m_url->setText(QString::fromStdString(address.empty() ? loadString(IDS_URL_PREFIX) : address));
    m_url->setFocus();
    updateButtons();
}

bool UrlPage::canGoOn() const
{
    return m_edited ? !m_url->text().isEmpty() : !m_item.record.address.empty();
}

bool UrlPage::leave()
{
    std::string url = m_url->text().toStdString();
    if (!url.empty() && url.back() == '\\')
        url.pop_back();
    m_item.record.address = url;
    if (m_item.proposesNames())
        m_item.proposeName(loadString(IDS_DEFAULT_LIVE_NAME));
    return true;
}

} // namespace foldra
