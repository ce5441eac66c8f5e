#include "viewer/app/ControlBar.h"

#include "viewer/app/VistelDoc.h"

#include <QSlider>
#include <algorithm>

namespace vistel {

namespace {
// Dialog template 128 is 330 x 18 dialog units and its track bar 200 x 17, at the dialog
// font's base units (a dialog unit is 1.5 pixels across and 1.625 down).
constexpr QSize kBarSize{495, 29};
constexpr QSize kSliderSize{300, 28};

// Narrower than this the slider is no use.
constexpr int kMinimumSliderWidth = 60;

// The dialog bar's body: its template size when there is room, narrower when the frame is
// (a small image), so the bar never holds the frame wider than the view needs.
class ControlBarBody : public QWidget {
public:
    explicit ControlBarBody(QWidget* parent) : QWidget(parent) {}
    void setSlider(QSlider* slider) { m_slider = slider; }
    QSize sizeHint() const override { return kBarSize; }
    QSize minimumSizeHint() const override { return {kMinimumSliderWidth, kBarSize.height()}; }

protected:
    void resizeEvent(QResizeEvent*) override
    {
        if (m_slider)
            m_slider->setGeometry(0, 0, std::min(kSliderSize.width(), width()),
                                  kSliderSize.height());
    }

private:
    QSlider* m_slider = nullptr;
};

TrackCode trackCodeOf(int action)
{
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
        return TrackCode::LineUp;
    case QAbstractSlider::SliderSingleStepAdd:
        return TrackCode::LineDown;
    case QAbstractSlider::SliderPageStepSub:
        return TrackCode::PageUp;
    case QAbstractSlider::SliderPageStepAdd:
        return TrackCode::PageDown;
    case QAbstractSlider::SliderMove:
        return TrackCode::ThumbTrack;
    case QAbstractSlider::SliderToMinimum:
        return TrackCode::Top;
    case QAbstractSlider::SliderToMaximum:
        return TrackCode::Bottom;
    default:
        return TrackCode::EndTrack;
    }
}
} // namespace

ControlBar::ControlBar(QWidget* parent) : QToolBar(QStringLiteral("ControlBar"), parent)
{
    setObjectName(QStringLiteral("ControlBar"));
    auto* body = new ControlBarBody(this);
    body->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    m_slider = new QSlider(Qt::Horizontal, body);
    body->setSlider(m_slider);
    m_slider->setObjectName(QString::number(kSliderId));
    m_slider->setGeometry(QRect(QPoint(0, 0), kSliderSize));
    m_slider->setRange(0, 0);
    m_slider->setSingleStep(1);
    m_slider->setPageStep(1);
    m_slider->setTickPosition(QSlider::TicksBelow);
    addWidget(body);
    // actionTriggered comes before the value is applied, with sliderPosition() already moved.
    connect(m_slider, &QSlider::actionTriggered, this,
            [this](int action) { OnHScroll(trackCodeOf(action), m_slider->sliderPosition()); });
}

void ControlBar::setRange(int maximum)
{
    m_slider->setRange(0, maximum);
    m_slider->setPageStep(1);
}

void ControlBar::setPosition(int position)
{
    m_slider->setValue(position);
}

void ControlBar::OnHScroll(TrackCode code, int position)
{
    if (!m_document)
        return;
    switch (code) {
    case TrackCode::PageUp:
    case TrackCode::PageDown:
    case TrackCode::ThumbTrack:
        m_document->SeekFrame(position);
        break;
    default:
        break;
    }
}

} // namespace vistel
