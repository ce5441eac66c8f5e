#include "namespace/record/FrameRateControls.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>

namespace foldra {

void setControlId(QWidget* control, int id)
{
    control->setObjectName(QString::number(id));
}

FrameRateControls::FrameRateControls(QWidget* parent) : QWidget(parent), m_edit(new QLineEdit(this))
{
    setControlId(m_edit, IDC_FRAME_RATE);
    m_edit->setMaximumWidth(80);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_edit);
    m_group = new QButtonGroup(this);
    QButtonGroup* group = m_group;
    const char* labels[] = {"/sec", "/min", "/hour"};
    const int ids[] = {IDC_RATE_PER_SECOND, IDC_RATE_PER_MINUTE, IDC_RATE_PER_HOUR};
    for (int i = 0; i < 3; ++i) {
        m_units[i] = new QRadioButton(QString::fromLatin1(labels[i]), this);
        setControlId(m_units[i], ids[i]);
        group->addButton(m_units[i], i);
        layout->addWidget(m_units[i]);
    }
    layout->addStretch();
}

void FrameRateControls::setRate(DWORD rate, DWORD unit)
{
    m_edit->setText(QString::number(rate));
    // Not exclusive while setting, so that no button at all can be left checked.
    m_group->setExclusive(false);
    for (int i = 0; i < 3; ++i)
        m_units[i]->setChecked(static_cast<DWORD>(i) == unit);
    m_group->setExclusive(true);
}

QString FrameRateControls::text() const
{
    return m_edit->text();
}

RateUnit FrameRateControls::unit() const
{
    if (m_units[2]->isChecked())
        return RateUnit::PerHour;
    if (m_units[1]->isChecked())
        return RateUnit::PerMinute;
    return RateUnit::PerSecond;
}

void FrameRateControls::focusRate()
{
    m_edit->setFocus();
    m_edit->selectAll();
}

} // namespace foldra
