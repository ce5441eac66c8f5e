#include "namespace/album/FrameRateDialog.h"

#include "namespace/resources/FoldraStrings.h"
#include "platform/ui/MessageBox.h"
#include "recorder/sequence/SequenceIntervalEditor.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

namespace foldra {

FrameRateDialog::FrameRateDialog(QWidget* parent, DWORD intervalMs)
    : QDialog(parent), m_rate(new FrameRateControls(this))
{
    setWindowTitle(QStringLiteral("Frame rate"));
    setObjectName(QStringLiteral("115"));
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("Frame rate:"), m_rate);
    if (std::optional<ShownFrameRate> shown = shownFrameRate(intervalMs))
        m_rate->setRate(shown->value, static_cast<DWORD>(shown->unit));
    else
        m_rate->setRate(0, static_cast<DWORD>(RateUnit::PerSecond));
    if (intervalMs == 0)
        m_rate->edit()->clear();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &FrameRateDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &FrameRateDialog::reject);
    form->addRow(buttons);
    m_rate->focusRate();
}

void FrameRateDialog::accept()
{
    const QString text = m_rate->text();
    std::optional<DWORD> value = parsePositiveDecimal(text.toStdString());
    if (!value) {
        showMessageBox(reinterpret_cast<HWND>(this),
                       formatMessage(loadString(IDS_INVALID_FRAME_RATE), {text.toStdString()}),
                       loadString(IDS_CAPTION_ERROR), MB_ICONWARNING | MB_OK);
        m_rate->focusRate();
        return;
    }
    m_interval = frameIntervalMs(m_rate->unit(), *value);
    QDialog::accept();
}

bool changeSequenceFrameRate(QWidget* owner, const std::string& sequencePath)
{
    DWORD interval = 0;
    {
        std::optional<SequenceIntervalEditor> editor;
        if (FAILED(SequenceIntervalEditor::open(sequencePath, &editor)))
            return false;
        interval = editor->frameInterval();
    }
    // The file is not held while the user decides.
    FrameRateDialog dialog(owner, interval);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    std::optional<SequenceIntervalEditor> editor;
    return SUCCEEDED(SequenceIntervalEditor::open(sequencePath, &editor)) &&
           SUCCEEDED(editor->setFrameInterval(dialog.frameInterval()));
}

} // namespace foldra
