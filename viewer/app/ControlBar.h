#pragma once
// The control bar: a band beside the tool bar holding the frame slider (track bar 1003). Once
// the document is handed to it, page steps, channel clicks and thumb drags seek to a frame;
// arrow keys and Home/End only move the slider.

#include <QToolBar>

class QSlider;

namespace vistel {

class CVistelDoc;

inline constexpr int kSliderId = 1003;

// Track bar notification codes, by which the slider's moves are told apart.
enum class TrackCode {
    LineUp = 0,
    LineDown = 1,
    PageUp = 2,
    PageDown = 3,
    ThumbPosition = 4,
    ThumbTrack = 5,
    Top = 6,
    Bottom = 7,
    EndTrack = 8,
};

class ControlBar : public QToolBar {
    Q_OBJECT
public:
    explicit ControlBar(QWidget* parent = nullptr);

    QSlider* slider() const { return m_slider; }
    // Slider moves reach this document from now on.
    void setDocument(CVistelDoc* document) { m_document = document; }

    void setRange(int maximum);
    void setPosition(int position);

    // What a horizontal scroll notification does: codes 2 and 3 seek to the slider's
    // position, code 5 to the dragged position, the others nothing.
    void OnHScroll(TrackCode code, int position);

private:
    QSlider* m_slider;
    CVistelDoc* m_document = nullptr;
};

} // namespace vistel
