#pragma once
// The Record dialog (resource 106): where to store a recording, the file prefix, the frame
// rate, how long to record and the largest sequence size. OK checks the values in order
// against the disk (messages 1011, 1014, 1016, 1017, 1018) and stays open on the first that
// fails, with the field concerned focused and selected. Each control's object name is its id.

#include "namespace/record/RecordSettings.h"

#include <QDialog>
#include <functional>
#include <optional>
#include <string>

class QLineEdit;
class QRadioButton;
class QToolButton;

namespace foldra {

class FrameRateControls;

inline constexpr int IDD_RECORD = 106;
inline constexpr int IDC_SAVE_IN = 228;
inline constexpr int IDC_BROWSE_FOLDER = 230;
inline constexpr int IDC_PICK_ALBUM = 239;
inline constexpr int IDC_PREFIX = 231;
inline constexpr int IDC_RECORD_FOR = 235;
inline constexpr int IDC_FOR_SECONDS = 227;
inline constexpr int IDC_FOR_MINUTES = 234;
inline constexpr int IDC_FOR_HOURS = 238;
inline constexpr int IDC_MAX_SIZE = 237;

// The folder browser of button 230: a chosen folder's path, or nothing when cancelled. The
// built-in one is the platform's directory chooser; tests replace it.
using FolderBrowser = std::function<std::optional<std::string>(QWidget* owner)>;
void setFolderBrowser(FolderBrowser browser);

// Megabytes the user may still write on the file system holding path (0 when unknown).
std::uint64_t freeSpaceMb(const std::string& path);

class RecordDialog final : public QDialog {
    Q_OBJECT
public:
    RecordDialog(QWidget* parent, const RecordSettings& settings);

    // The accepted values, with the interval and the recording time in seconds worked out.
    const RecordSettings& settings() const { return m_settings; }

    void accept() override;
    // Button 230 and 239.
    void browseForFolder();
    void pickAlbum();

private:
    void refuse(QLineEdit* field, const std::string& text, const std::string& caption, UINT type);

    RecordSettings m_settings;
    QLineEdit* m_directory;
    QLineEdit* m_prefix;
    FrameRateControls* m_rate;
    QLineEdit* m_duration;
    QRadioButton* m_durationUnits[3];
    QLineEdit* m_maxSize;
};

} // namespace foldra
