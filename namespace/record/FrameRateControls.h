#pragma once
// The frame-rate row shared by the Record dialog and the Frame rate dialog: edit 256 and the
// radio buttons 222 "/sec", 223 "/min", 224 "/hour". Each control's object name is its id.

#include "namespace/record/FrameRate.h"

#include <QWidget>

class QButtonGroup;
class QLineEdit;
class QRadioButton;

namespace foldra {

inline constexpr int IDC_FRAME_RATE = 256;
inline constexpr int IDC_RATE_PER_SECOND = 222;
inline constexpr int IDC_RATE_PER_MINUTE = 223;
inline constexpr int IDC_RATE_PER_HOUR = 224;

class FrameRateControls final : public QWidget {
    Q_OBJECT
public:
    explicit FrameRateControls(QWidget* parent);

    // A unit other than the three checks no button.
    void setRate(DWORD rate, DWORD unit);
    QString text() const;
    RateUnit unit() const;
    // Focus into the edit with its text selected (a refused value).
    void focusRate();
    QLineEdit* edit() const { return m_edit; }

private:
    QLineEdit* m_edit;
    QRadioButton* m_units[3];
    QButtonGroup* m_group;
};

// Sets the object name a dialog's control is found by: its resource id.
void setControlId(QWidget* control, int id);

} // namespace foldra
