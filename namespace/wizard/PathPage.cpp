#include "namespace/wizard/PathPage.h"

#include "namespace/resources/FoldraStrings.h"
#include "platform/ui/MessageBox.h"
#include "platform/window/WindowHandle.h"

#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace foldra {
namespace {

// Creates every missing level from the top down; true when the last attempt succeeded.
bool createLevels(const fs::path& path)
{
    fs::path level;
    bool created = false;
    for (const fs::path& part : path) {
        level /= part;
        std::error_code error;
        if (fs::is_directory(level, error))
            continue;
        created = fs::create_directory(level, error) && !error;
    }
    return created;
}

} // namespace

std::string documentsFolder()
{
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        documents = QDir::homePath();
    std::string folder = documents.toStdString();
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

std::string albumPathOf(const std::string& text, const std::string& documents)
{
    if (text.empty() || text.front() == '/')
        return text;
    if (text == "~" || text.starts_with("~/"))
        return QDir::homePath().toStdString() + text.substr(1);
    if (documents.size() + text.size() + 4 > kMaxPathLength)
        return text;
    return documents + "/" + text;
}

PathPage::PathPage(EditedItem& item, QWidget* parent)
    : ItemPage(item, QStringLiteral("Path"), parent), m_path(new QLineEdit(this)),
      m_browse(new QPushButton(QStringLiteral("..."), this))
{
    m_path->setObjectName(QStringLiteral("pathEdit"));
    m_browse->setObjectName(QStringLiteral("browseButton"));
    m_browse->setMaximumWidth(m_browse->fontMetrics().horizontalAdvance(QStringLiteral("...")) * 4);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Directory:"), this));
    auto* row = new QHBoxLayout;
    row->addWidget(m_path, 1);
    row->addWidget(m_browse);
    layout->addLayout(row);
    layout->addStretch();
    connect(m_path, &QLineEdit::textChanged, this, [this] { updateButtons(); });
    connect(m_browse, &QPushButton::clicked, this, &PathPage::browse);
}

void PathPage::activate()
{
    m_path->setText(QString::fromStdString(m_item.record.address));
    m_path->setFocus();
}

bool PathPage::canGoOn() const
{
    return !m_path->text().isEmpty();
}

void PathPage::browse()
{
    const QString start =
        QString::fromStdString(albumPathOf(m_path->text().toStdString(), documentsFolder()));
    const QString chosen = QFileDialog::getExistingDirectory(this, QString(), start);
    if (!chosen.isEmpty())
        m_path->setText(chosen);
}

bool PathPage::leave()
{
    std::string path = albumPathOf(m_path->text().toStdString(), documentsFolder());
    HWND owner = hwndOf(window());
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (!fs::exists(status)) {
        if (showMessageBox(owner, formatMessage(loadString(IDS_CONFIRM_CREATE_PATH), {path}),
                           loadString(IDS_CAPTION_CONFIRM_CREATE),
                           MB_ICONQUESTION | MB_YESNO) != IDYES)
            return false;
        if (!createLevels(path)) {
            showMessageBox(owner, formatMessage(loadString(IDS_CREATE_PATH_FAILED), {path}),
                           loadString(IDS_CAPTION_ERROR), MB_ICONINFORMATION | MB_OK);
            return false;
        }
    } else if (!fs::is_directory(status)) {
        showMessageBox(owner, formatMessage(loadString(IDS_NOT_A_DIRECTORY), {path}),
                       loadString(IDS_CAPTION_ERROR), MB_ICONINFORMATION | MB_OK);
        return false;
    }
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    m_item.record.address = path;
    if (m_item.proposesNames()) {
        const std::size_t slash = path.rfind('/');
        const std::string last =
            slash == std::string::npos ? std::string() : path.substr(slash + 1);
        const std::string unique = m_item.uniqueName(last);
        m_item.record.name = unique.empty() ? loadString(IDS_DEFAULT_ALBUM_NAME) : unique;
    }
    return true;
}

} // namespace foldra
