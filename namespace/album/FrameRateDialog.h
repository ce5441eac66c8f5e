#pragma once
// Dialog 115 "Frame rate": a sequence's rate per second, minute or hour; OK refuses anything
// but a decimal number above 0 (message 1014) and stays open.

#include "namespace/record/FrameRateControls.h"

#include <QDialog>
#include <optional>
#include <string>

namespace foldra {

class FrameRateDialog final : public QDialog {
    Q_OBJECT
public:
    // Shows the rate of intervalMs as shownFrameRate gives it; an interval of 0 shows nothing.
    FrameRateDialog(QWidget* parent, DWORD intervalMs);

    // The interval the accepted value gives.
    DWORD frameInterval() const { return m_interval; }
    FrameRateControls* rate() const { return m_rate; }

    void accept() override;

private:
    FrameRateControls* m_rate;
    DWORD m_interval = 0;
};

// Change frame rate of one sequence file: reads its interval, asks, and writes the new one at
// offset 8. False when the file is no sequence, the user cancelled, or the write failed.
bool changeSequenceFrameRate(QWidget* owner, const std::string& sequencePath);

} // namespace foldra
