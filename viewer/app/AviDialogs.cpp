#include "viewer/app/AviDialogs.h"

#include "viewer/app/CompressorDialog.h"
#include "viewer/app/VistelStrings.h"

#include <QFileDialog>
#include <QMessageBox>

namespace vistel {

std::optional<std::string> QtAviDialogs::chooseOutputFile(QWidget* owner,
                                                          const std::string& proposedName)
{
    QFileDialog dialog(owner);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(loadString(kStringAviFile) + QStringLiteral(" (*.avi)"));
    dialog.setDefaultSuffix(QStringLiteral("avi"));
    dialog.selectFile(QString::fromStdString(proposedName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

std::optional<CompressorChoice>
QtAviDialogs::chooseCompressor(QWidget* owner, const std::vector<VideoCompressor>& compressors)
{
    CompressorDialog dialog(compressors, owner);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.choice();
}

void QtAviDialogs::showFailure(QWidget* owner, const QString& text)
{
    QMessageBox::warning(owner, loadString(kStringAppName), text);
}

} // namespace vistel
