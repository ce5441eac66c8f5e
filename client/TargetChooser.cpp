#include "client/TargetChooser.h"

#include "client/Log.h"
#include "client/ModelLookup.h"
#include "client/ModuleState.h"
#include "client/Resources.h"
#include "client/TargetIdentification.h"
#include "platform/com/Bstr.h"
#include "platform/com/ComPtr.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QThread>
#include <algorithm>

namespace lumin {
namespace {

// Dialog units of the original template: a quarter of the average character width across,
// an eighth of the character height down.
QSize dialogUnits(const QWidget& widget, int x, int y)
{
    const QFontMetrics metrics(widget.font());
    return {x * metrics.averageCharWidth() / 4, y * metrics.height() / 8};
}

std::string cutChoice(const QString& text)
{
    return text.left(static_cast<int>(kMaxChoiceText)).toStdString();
}

} // namespace

TargetChooserDialog::TargetChooserDialog(QWidget* parent)
    : QDialog(parent), m_names(new QComboBox(this)), m_versions(new QComboBox(this)),
      m_other(QString::fromStdString(resourceString(kStringOther).value_or("Other")))
{
    setWindowTitle(QStringLiteral("Choose"));
    setWindowIcon(style()->standardIcon(QStyle::SP_ComputerIcon));
    m_names->setObjectName(QStringLiteral("nameList"));
    m_versions->setObjectName(QStringLiteral("versionList"));
    m_names->setEditable(true);
    m_versions->setEditable(true);
    m_names->setInsertPolicy(QComboBox::NoInsert);
    m_versions->setInsertPolicy(QComboBox::NoInsert);

    auto* icon = new QLabel(this);
    icon->setPixmap(windowIcon().pixmap(32, 32));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QGridLayout(this);
    layout->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    layout->addWidget(new QLabel(QStringLiteral("Name:"), this), 0, 1);
    layout->addWidget(m_names, 0, 2);
    layout->addWidget(new QLabel(QStringLiteral("Version:"), this), 1, 1);
    layout->addWidget(m_versions, 1, 2);
    layout->addWidget(buttons, 2, 0, 1, 3);
    resize(dialogUnits(*this, 186, 95).expandedTo(sizeHint()));

    for (const std::string& name : chooserModelNames())
        m_names->addItem(QString::fromStdString(name));
    m_names->addItem(m_other);
    m_names->setCurrentIndex(m_names->count() - 1);
    // Only a confirmed choice from the list refills the versions, not typing.
    connect(m_names, &QComboBox::activated, this, &TargetChooserDialog::nameChosen);
}

void TargetChooserDialog::nameChosen(int index)
{
    m_versions->clear();
    const QString name = m_names->itemText(index);
    if (name.size() > static_cast<int>(kMaxChoiceText))
        return;
    // A name without a model key ("Other" among them) lists nothing, not even "Other": the
    // empty version then falls back to the default target.
    const auto values = modelVersionNames(name.toStdString());
    if (!values)
        return;
    QStringList versions;
    for (const std::string& version : *values)
        versions << QString::fromStdString(version);
    versions << m_other;
    // The list is a sorted one, so "Other" takes its place among the versions.
    std::sort(versions.begin(), versions.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    m_versions->addItems(versions);
    m_versions->setCurrentIndex(static_cast<int>(versions.indexOf(m_other)));
}

std::string TargetChooserDialog::chosenName() const
{
    return cutChoice(m_names->currentText());
}

std::string TargetChooserDialog::chosenVersion() const
{
    return cutChoice(m_versions->currentText());
}

HRESULT chooseTarget(ICamTarget** ppTarget, BSTR* pbstrName, BSTR* pbstrVersion)
{
    logLine(LogCall, "ChooseTarget");
    if (!ppTarget)
        return E_INVALIDARG;
    *ppTarget = nullptr;
    // A dialog needs the application's GUI thread; anywhere else there is nobody to ask.
    if (!qApp || QThread::currentThread() != qApp->thread())
        return E_FAIL;

    TargetChooserDialog dialog(QApplication::activeWindow());
    dialog.setWindowModality(Qt::ApplicationModal);
    if (dialog.exec() != QDialog::Accepted)
        return E_FAIL;
    const std::string name = dialog.chosenName();
    const std::string version = dialog.chosenVersion();

    CLSID clsid{};
    HRESULT hr = lookupTarget(name, version, &clsid);
    if (FAILED(hr))
        return hr;
    Bstr bstrName(name);
    ComPtr<ICamTarget> target;
    hr = createTarget(clsid, bstrName.get(), target.put());
    if (FAILED(hr))
        return hr;
    hr = returnNameAndVersion(name, version, pbstrName, pbstrVersion);
    if (FAILED(hr))
        return hr;
    *ppTarget = target.detach();
    return S_OK;
}

} // namespace lumin
