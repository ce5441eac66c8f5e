#include "namespace/record/RecordDialog.h"

#include "namespace/folder/ItemIcons.h"
#include "namespace/record/FrameRateControls.h"
#include "namespace/record/SelectAlbumDialog.h"
#include "namespace/resources/FoldraStrings.h"
#include "platform/ui/MessageBox.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStandardPaths>
#include <QStyle>
#include <QToolButton>
#include <sys/stat.h>
#include <sys/statvfs.h>

namespace foldra {
namespace {

FolderBrowser& folderBrowser()
{
    static FolderBrowser browser;
    return browser;
}

std::optional<std::string> chooseFolder(QWidget* owner)
{
    if (const FolderBrowser& hook = folderBrowser())
        return hook(owner);
    const QString chosen = QFileDialog::getExistingDirectory(
        owner, QStringLiteral("Browse for Folder"), QString(),
        QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen.toStdString();
}

// The desktop's own folder, which the shell's Desktop stands for here.
bool isDesktop(const std::string& path)
{
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (desktop.isEmpty())
        return false;
    const QString chosen = QString::fromStdString(path);
    const QString a = QFileInfo(chosen).canonicalFilePath();
    const QString b = QFileInfo(desktop).canonicalFilePath();
    if (!a.isEmpty() && !b.isEmpty())
        return a == b;
    return QDir::cleanPath(chosen) == QDir::cleanPath(desktop);
}

bool isDirectory(const std::string& path)
{
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// A whole number as typed; nothing for anything else. Negative numbers are numbers here, so
// that "-5" is refused as a size rather than as text.
std::optional<long long> parseInteger(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    if (i >= text.size())
        return std::nullopt;
    long long value = 0;
    for (; i < text.size() && text[i] != ' '; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        if (value > (1LL << 40)) // far beyond any disk; stops the overflow
            return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    while (i < text.size() && text[i] == ' ')
        ++i;
    if (i != text.size())
        return std::nullopt;
    return negative ? -value : value;
}

QRadioButton* radio(const char* text, int id, QWidget* parent)
{
    auto* button = new QRadioButton(QString::fromLatin1(text), parent);
    setControlId(button, id);
    return button;
}

} // namespace

void setFolderBrowser(FolderBrowser browser)
{
    folderBrowser() = std::move(browser);
}

std::uint64_t freeSpaceMb(const std::string& path)
{
    struct statvfs fs {};
    if (::statvfs(path.c_str(), &fs) != 0)
        return 0;
    // Blocks the user may still write; without that figure, all free blocks.
    const std::uint64_t blockSize = fs.f_frsize ? fs.f_frsize : fs.f_bsize;
    const std::uint64_t blocks = fs.f_bavail ? fs.f_bavail : fs.f_bfree;
    return (blocks * blockSize) >> 20;
}

RecordDialog::RecordDialog(QWidget* parent, const RecordSettings& settings)
    : QDialog(parent), m_settings(settings), m_directory(new QLineEdit(this)),
      m_prefix(new QLineEdit(this)), m_rate(new FrameRateControls(this)),
      m_duration(new QLineEdit(this)), m_maxSize(new QLineEdit(this))
{
    setWindowTitle(QStringLiteral("Record"));
    setControlId(this, IDD_RECORD);
    setControlId(m_directory, IDC_SAVE_IN);
    setControlId(m_prefix, IDC_PREFIX);
    setControlId(m_duration, IDC_RECORD_FOR);
    setControlId(m_maxSize, IDC_MAX_SIZE);
    m_directory->setMinimumWidth(280);
    m_duration->setMaximumWidth(80);
    m_maxSize->setMaximumWidth(80);

    auto* browse = new QToolButton(this);
    setControlId(browse, IDC_BROWSE_FOLDER);
    browse->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    browse->setToolTip(QStringLiteral("Browse for a folder"));
    connect(browse, &QToolButton::clicked, this, &RecordDialog::browseForFolder);
    auto* album = new QToolButton(this);
    setControlId(album, IDC_PICK_ALBUM);
    album->setIcon(iconAt(iconPosition(ItemKind::Album, false)));
    album->setToolTip(QStringLiteral("Select Album"));
    connect(album, &QToolButton::clicked, this, &RecordDialog::pickAlbum);

    auto* grid = new QGridLayout(this);
    int row = 0;
    grid->addWidget(new QLabel(QStringLiteral("Save in:"), this), row, 0);
    auto* where = new QHBoxLayout;
    where->addWidget(m_directory, 1);
    where->addWidget(browse);
    where->addWidget(album);
    grid->addLayout(where, row++, 1);
    grid->addWidget(new QLabel(QStringLiteral("File prefix:"), this), row, 0);
    grid->addWidget(m_prefix, row++, 1);
    grid->addWidget(new QLabel(QStringLiteral("Frame rate:"), this), row, 0);
    grid->addWidget(m_rate, row++, 1);
    grid->addWidget(new QLabel(QStringLiteral("Record for:"), this), row, 0);
    auto* duration = new QHBoxLayout;
    duration->addWidget(m_duration);
    auto* durationGroup = new QButtonGroup(this);
    const char* labels[] = {"secs", "mins", "hours"};
    const int ids[] = {IDC_FOR_SECONDS, IDC_FOR_MINUTES, IDC_FOR_HOURS};
    for (int i = 0; i < 3; ++i) {
        m_durationUnits[i] = radio(labels[i], ids[i], this);
        durationGroup->addButton(m_durationUnits[i], i);
        duration->addWidget(m_durationUnits[i]);
    }
    duration->addStretch();
    grid->addLayout(duration, row++, 1);
    grid->addWidget(new QLabel(QStringLiteral("Max size of sequence (Mb):"), this), row, 0);
    auto* size = new QHBoxLayout;
    size->addWidget(m_maxSize);
    size->addStretch();
    grid->addLayout(size, row++, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &RecordDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &RecordDialog::reject);
    grid->addWidget(buttons, row, 0, 1, 2);

    m_directory->setText(QString::fromStdString(settings.directory));
    m_prefix->setText(QString::fromStdString(settings.prefix));
    m_rate->setRate(settings.rate, settings.rateUnit);
    // Shown in its unit (integer division); an unknown unit shows seconds and checks nothing.
    m_duration->setText(
        QString::number(settings.durationSeconds / durationUnitSeconds(settings.durationUnit)));
    durationGroup->setExclusive(false);
    for (int i = 0; i < 3; ++i)
        m_durationUnits[i]->setChecked(static_cast<DWORD>(i) == settings.durationUnit);
    durationGroup->setExclusive(true);
    m_maxSize->setText(QString::number(settings.maxSizeMb));
}

void RecordDialog::browseForFolder()
{
    std::optional<std::string> chosen = chooseFolder(this);
    if (!chosen)
        return;
    if (chosen->empty() || isDesktop(*chosen)) {
        showMessageBox(reinterpret_cast<HWND>(this), loadString(IDS_DESKTOP_NOT_RECORDING_FOLDER),
                       loadString(IDS_CAPTION_ERROR), MB_ICONERROR | MB_OK);
        return;
    }
    m_directory->setText(QString::fromStdString(*chosen));
}

void RecordDialog::pickAlbum()
{
    SelectAlbumDialog albums(this);
    if (albums.exec() == QDialog::Accepted && albums.chosenDirectory())
        m_directory->setText(QString::fromStdString(*albums.chosenDirectory()));
}

void RecordDialog::refuse(QLineEdit* field, const std::string& text, const std::string& caption,
                          UINT type)
{
    showMessageBox(reinterpret_cast<HWND>(this), text, caption, type);
    field->setFocus();
    field->selectAll();
}

void RecordDialog::accept()
{
    const std::string error = loadString(IDS_CAPTION_ERROR);
    const std::string directory = m_directory->text().toStdString();
    if (!isDirectory(directory)) {
        refuse(m_directory, formatMessage(loadString(IDS_DIRECTORY_MISSING), {directory}), error,
               MB_ICONWARNING | MB_OK);
        return;
    }
    const std::string prefix = m_prefix->text().toStdString();
    const std::string rateText = m_rate->text().toStdString();
    const std::optional<DWORD> rate = parsePositiveDecimal(rateText);
    if (!rate) {
        showMessageBox(reinterpret_cast<HWND>(this),
                       formatMessage(loadString(IDS_INVALID_FRAME_RATE), {rateText}), error,
                       MB_ICONWARNING | MB_OK);
        m_rate->focusRate();
        return;
    }
    const std::string sizeText = m_maxSize->text().toStdString();
    const long long size = parseInteger(sizeText).value_or(0);
    const std::uint64_t free = freeSpaceMb(directory);
    const std::string freeText = std::to_string(free);
    if (size <= 0 || static_cast<std::uint64_t>(size) >= free) {
        refuse(m_maxSize, formatMessage(loadString(IDS_INVALID_MAX_SIZE), {sizeText, freeText}),
               error, MB_ICONWARNING | MB_OK);
        return;
    }
    if (static_cast<std::uint64_t>(size) > free / 2 &&
        showMessageBox(reinterpret_cast<HWND>(this),
                       formatMessage(loadString(IDS_CONFIRM_MAX_SIZE), {sizeText, freeText}),
                       loadString(IDS_CAPTION_CONFIRM_MAX_SIZE),
                       MB_ICONWARNING | MB_YESNO) != IDYES) {
        m_maxSize->setFocus();
        m_maxSize->selectAll();
        return;
    }
    DWORD durationUnit = 0;
    for (DWORD i = 0; i < 3; ++i)
        if (m_durationUnits[i]->isChecked())
            durationUnit = i;
    const std::string durationText = m_duration->text().toStdString();
    const std::optional<DWORD> duration = parsePositiveDecimal(durationText);
    const DWORD unitSeconds = durationUnitSeconds(durationUnit);
    // A time whose seconds do not fit the recorder's 32 bits is no valid time either.
    if (!duration || *duration > 0xFFFFFFFFu / unitSeconds) {
        refuse(m_duration, formatMessage(loadString(IDS_INVALID_RECORD_TIME), {durationText}),
               error, MB_ICONWARNING | MB_OK);
        return;
    }
    m_settings.directory = directory;
    m_settings.prefix = prefix;
    m_settings.rateUnit = static_cast<DWORD>(m_rate->unit());
    m_settings.rate = *rate;
    m_settings.intervalMs = frameIntervalMs(m_rate->unit(), *rate);
    m_settings.durationSeconds = *duration * unitSeconds;
    m_settings.durationUnit = durationUnit;
    m_settings.maxSizeMb = static_cast<DWORD>(size);
    QDialog::accept();
}

} // namespace foldra
