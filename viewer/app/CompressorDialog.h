#pragma once
// The compressor chooser: every compressor available here by name and four-character code,
// with quality where the compressor has it. "IV50" is pre-selected when present, else full
// frames.

#include "viewer/app/AviDialogs.h"

#include <QDialog>

class QListWidget;
class QSlider;
class QLabel;

namespace vistel {

class CompressorDialog : public QDialog {
    Q_OBJECT
public:
    CompressorDialog(const std::vector<VideoCompressor>& compressors, QWidget* parent = nullptr);

    CompressorChoice choice() const;
    QListWidget* list() const { return m_list; }

private:
    void onSelection();

    std::vector<VideoCompressor> m_compressors;
    QListWidget* m_list;
    QSlider* m_quality;
    QLabel* m_qualityLabel;
    QLabel* m_keyFrames;
};

} // namespace vistel
