#pragma once
// The questions AVI creation asks the user: where to write the movie, which compressor to
// use, and the failure message. Called on the window thread; the AVI thread reaches them
// through blocking calls to it. Tests put scripted answers in place of the dialogs.

#include "recorder/sequence/avi/VideoCompressor.h"

#include <QString>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace vistel {

struct CompressorChoice {
    VideoCompressor compressor;
    CompressorSettings settings;
};

class AviDialogs {
public:
    virtual ~AviDialogs() = default;
    // The save dialog: the proposed name, filter "AVI file (*.avi)", extension "avi" added,
    // asking before replacing a file. Empty when cancelled.
    virtual std::optional<std::string> chooseOutputFile(QWidget* owner,
                                                        const std::string& proposedName) = 0;
    // The compressor chooser over the compressors available here. Empty when cancelled.
    virtual std::optional<CompressorChoice>
    chooseCompressor(QWidget* owner, const std::vector<VideoCompressor>& compressors) = 0;
    // A message box with the exclamation icon, captioned with the application's name.
    virtual void showFailure(QWidget* owner, const QString& text) = 0;
};

// The real dialogs.
class QtAviDialogs final : public AviDialogs {
public:
    std::optional<std::string> chooseOutputFile(QWidget* owner,
                                                const std::string& proposedName) override;
    std::optional<CompressorChoice>
    chooseCompressor(QWidget* owner, const std::vector<VideoCompressor>& compressors) override;
    void showFailure(QWidget* owner, const QString& text) override;
};

} // namespace vistel
