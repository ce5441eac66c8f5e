#include "viewer/app/CompressorDialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QSlider>
#include <QVBoxLayout>

namespace vistel {

namespace {
constexpr int kQualitySteps = 100; // the slider's 0 to 100 are quality 0 to 10000
}

CompressorDialog::CompressorDialog(const std::vector<VideoCompressor>& compressors, QWidget* parent)
    : QDialog(parent), m_compressors(compressors)
{
    setWindowTitle(tr("Video Compression"));
    m_list = new QListWidget(this);
    int preselected = 0;
    for (std::size_t i = 0; i < m_compressors.size(); ++i) {
        const VideoCompressor& c = m_compressors[i];
        m_list->addItem(QStringLiteral("%1  [%2]")
                            .arg(QString::fromStdString(c.name), QString::fromStdString(c.fourcc)));
        if (c.fourcc == kPreselectedFourcc && c.kind == CompressorKind::Encoder)
            preselected = static_cast<int>(i);
    }
    m_quality = new QSlider(Qt::Horizontal, this);
    m_quality->setRange(0, kQualitySteps);
    m_quality->setValue(75);
    m_qualityLabel = new QLabel(this);
    m_keyFrames = new QLabel(tr("Key frame every 1 frame (every frame is a key frame)"), this);
    connect(m_quality, &QSlider::valueChanged, this,
            [this](int v) { m_qualityLabel->setText(tr("Compression quality: %1").arg(v)); });
    m_qualityLabel->setText(tr("Compression quality: %1").arg(m_quality->value()));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Compressor:"), this));
    layout->addWidget(m_list);
    layout->addWidget(m_qualityLabel);
    layout->addWidget(m_quality);
    layout->addWidget(m_keyFrames);
    layout->addWidget(buttons);
    connect(m_list, &QListWidget::currentRowChanged, this, &CompressorDialog::onSelection);
    m_list->setCurrentRow(preselected);
    onSelection();
}

void CompressorDialog::onSelection()
{
    const int row = m_list->currentRow();
    const bool valid = row >= 0 && row < static_cast<int>(m_compressors.size());
    const VideoCompressor* c = valid ? &m_compressors[static_cast<std::size_t>(row)] : nullptr;
    m_quality->setEnabled(c && c->hasQuality);
    m_qualityLabel->setEnabled(c && c->hasQuality);
    m_keyFrames->setEnabled(c && c->hasKeyFrames);
}

CompressorChoice CompressorDialog::choice() const
{
    CompressorChoice choice;
    const int row = std::max(0, m_list->currentRow());
    choice.compressor = m_compressors.at(static_cast<std::size_t>(row));
    if (choice.compressor.hasQuality)
        choice.settings.quality = m_quality->value() * 10000 / kQualitySteps;
    return choice;
}

} // namespace vistel
