#include "control/SoundPanel.h"

#include "control/ControlAudio.h"
#include "control/LevelMeter.h"

#include <QFontMetrics>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace pictra {
namespace {

constexpr int kListTop = 30;
constexpr int kListBottom = 80;
const QColor kInk(40, 44, 52);
const QColor kDim(150, 150, 150);
const QColor kTalk(200, 40, 40);

// Opaque shades of the background: translucent spans make Qt's raster engine blend on a
// thread pool of its own.
QColor shade(const QColor& background, int percent)
{
    auto mix = [percent](int c) {
        return c * (100 - percent) / 100;
    };
    return QColor(mix(background.red()), mix(background.green()), mix(background.blue()));
}

QRect span(int left, int top, int right, int bottom)
{
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

// One section: its symbol, the "Mute" toggle beside it and the meter under both.
void placeSection(int left, int right, int symbolLeft, QRect& icon, QRect& mute, QRect& meter)
{
    icon = span(symbolLeft, 5, symbolLeft + 22, 29);
    mute = span(symbolLeft + 24, 9, right - 2, 25);
    meter = span(left + 5, 42, right - 6, 58);
}

// The speed list's font: the panel's, made smaller while the widest item would not fit the
// list's fixed 75 pixels (fallback fonts are wider than Verdana).
QFont listFont(const QFont& panelFont)
{
    constexpr int kListWidth = 75;
    constexpr int kFrame = 1;      // the box frame, each side
    constexpr int kCellInset = 1;  // between the frame and an item's cell, each side
    constexpr int kTextMargin = 3; // an item view's text margin in its cell, each side
    constexpr int kSmallestPixels = 9;
    constexpr int room = kListWidth - 2 * (kFrame + kCellInset + kTextMargin);
    QFont font = panelFont;
    auto widest = [](const QFont& f) {
        const QFontMetrics metrics(f);
        int w = 0;
        for (const ConnectionSpeed& speed : kConnectionSpeeds)
            w = std::max(w, metrics.horizontalAdvance(QString::fromLatin1(speed.text)));
        return w;
    };
    while (font.pixelSize() > kSmallestPixels && widest(font) > room)
        font.setPixelSize(font.pixelSize() - 1);
    return font;
}

} // namespace

SoundPanel::Layout SoundPanel::layoutFor(DuplexMode mode)
{
    Layout l;
    int micRight = 0;
    int speakerLeft = 0;
    switch (mode) {
    case DuplexMode::Half:
        l.listLeft = 237, l.listRight = 312;
        l.microphone = l.speaker = true;
        micRight = 118, speakerLeft = 118;
        break;
    case DuplexMode::ListenOnly:
        l.listLeft = 104, l.listRight = 179;
        l.speaker = true;
        speakerLeft = 0;
        break;
    case DuplexMode::TalkOnly:
        l.listLeft = 137, l.listRight = 212;
        l.microphone = true;
        micRight = 135;
        break;
    case DuplexMode::Full:
    case DuplexMode::Disabled:
        l.listLeft = 203, l.listRight = 278;
        l.microphone = l.speaker = true;
        micRight = 100, speakerLeft = 100;
        break;
    }
    if (l.microphone) {
        l.talkButton = span(5, 5, 29, 29);
        placeSection(0, micRight, 31, l.microphoneIcon, l.microphoneMute, l.microphoneMeter);
    }
    if (l.speaker) {
        const int right = l.listLeft - 3;
        placeSection(speakerLeft, right, speakerLeft + 5, l.speakerIcon, l.speakerMute,
                     l.speakerMeter);
    }
    l.connectionLabel = span(l.listLeft, 2, l.listRight + 20, 16);
    l.speedText = span(l.listLeft, 16, l.listRight + 20, kListTop);
    return l;
}

SoundPanel::SoundPanel(ControlAudio& audio, QWidget* control)
    : QWidget(control), m_audio(audio), m_list(new QListWidget(this))
{
    setObjectName("soundPanel");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    // Verdana where it is installed; else the narrow sans of fonts-dejavu-extra.
    m_font.setFamilies({"Verdana", "DejaVu Sans Condensed", "Liberation Sans Narrow"});
    m_font.setStyleHint(QFont::SansSerif);
    m_font.setPixelSize(12);
    m_font.setWeight(QFont::Normal);
    setFont(m_font);

    m_list->setObjectName("speedList");
    m_list->setFont(listFont(m_font));
    m_list->setFrameShape(QFrame::Box);
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setSpacing(0);
    m_list->setTextElideMode(Qt::ElideNone);
    m_list->setStyleSheet("QListWidget::item { padding: 0px; margin: 0px; }");
    for (const ConnectionSpeed& speed : kConnectionSpeeds) {
        auto* item = new QListWidgetItem(QString::fromLatin1(speed.text), m_list);
        item->setSizeHint(QSize(0, 12));
    }
    m_list->hide();
    connect(m_list, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        const int index = m_list->row(item);
        m_list->hide();
        m_audio.speedChosen(index);
        refresh();
    });
    refresh();
}

void SoundPanel::setBackground(QColor colour)
{
    m_background = colour;
    update();
}

void SoundPanel::place()
{
    QWidget* control = parentWidget();
    setGeometry(0, std::max(control->height() - kHeight, 0), control->width(), kHeight);
    raise();
}

void SoundPanel::resizeEvent(QResizeEvent*)
{
    m_buffer = QImage();
}

void SoundPanel::refresh()
{
    const PanelState& s = m_audio.panel();
    const Layout l = layoutFor(m_audio.parameters().duplexMode);
    m_list->setGeometry(span(l.listLeft, kListTop, l.listRight, kListBottom));
    setProperty("duplexMode", static_cast<int>(m_audio.parameters().duplexMode));
    setProperty("playbackBlocks", m_audio.playbackBlocks());
    setProperty("receiving", m_audio.receiving());
    setProperty("readerThread", m_audio.readerThreadRunning());
    setProperty("capturing", m_audio.capturing());
    setProperty("talking", s.talking);
    setProperty("speakerMuted", s.speakerMuted);
    setProperty("microphoneMuted", s.microphoneMuted);
    setProperty("speedIndex", s.speedIndex);
    setProperty("outputLevel", s.outputLevel);
    setProperty("inputLevel", s.inputLevel);
    setProperty("outputVolume", s.outputVolume);
    setProperty("inputVolume", s.inputVolume);
    setProperty("speakerSlider", m_speakerSlider);
    setProperty("microphoneSlider", m_microphoneSlider);
    setProperty("modeChanged", m_audio.modeChanged());
    setProperty("talkButton", l.talkButton);
    setProperty("speakerMute", l.speakerMute);
    setProperty("microphoneMute", l.microphoneMute);
    setProperty("speakerIcon", l.speakerIcon);
    setProperty("microphoneIcon", l.microphoneIcon);
    setProperty("speedText", l.speedText);
    setProperty("speakerMeter", l.speakerMeter);
    setProperty("microphoneMeter", l.microphoneMeter);
    update();
}

// ---- painting ----

void SoundPanel::paintEvent(QPaintEvent*)
{
    // Drawn whole into the buffer first, so meters that move many times a second never
    // flicker. The buffer is in the window's own format: copying it needs no conversion (which
    // Qt would fan out to a thread pool of its own).
    if (m_buffer.size() != size())
        m_buffer = QImage(size(), QImage::Format_RGB32);
    {
        QPainter p(&m_buffer);
        render(p);
    }
    QPainter(this).drawImage(0, 0, m_buffer);
}

void SoundPanel::render(QPainter& p)
{
    const PanelState& s = m_audio.panel();
    const Layout l = layoutFor(m_audio.parameters().duplexMode);
    p.fillRect(rect(), m_background);
    p.setRenderHint(QPainter::Antialiasing);
    p.setFont(m_font);
    p.setPen(shade(m_background, 16));
    p.drawLine(0, 0, width(), 0);

    if (l.microphone) {
        drawTalkButton(p, l.talkButton);
        drawMicrophone(p, l.microphoneIcon, s.microphoneMuted);
        drawMute(p, l.microphoneMute, s.microphoneMuted, s.microphoneForced);
        if (m_microphoneSlider)
            drawSlider(p, l.microphoneMeter, s.inputVolume);
        else
            drawMeter(p, l.microphoneMeter, s.inputLevel);
    }
    if (l.speaker) {
        drawSpeaker(p, l.speakerIcon, s.speakerMuted);
        drawMute(p, l.speakerMute, s.speakerMuted, s.speakerForced);
        if (m_speakerSlider)
            drawSlider(p, l.speakerMeter, s.outputVolume);
        else
            drawMeter(p, l.speakerMeter, s.outputLevel);
    }
    p.setPen(kInk);
    p.drawText(l.connectionLabel, Qt::AlignLeft | Qt::AlignVCenter, "Connection :");
    p.setPen(s.speedForced ? kDim : kInk);
    const QString speed =
        QString::fromLatin1(kConnectionSpeeds[static_cast<std::size_t>(s.speedIndex)].text);
    QRect drawn;
    p.drawText(l.speedText, Qt::AlignLeft | Qt::AlignVCenter, speed, &drawn);
    if (!s.speedForced) {
        // The list opens from here: a small arrow says so.
        const int x = std::min(drawn.right() + 8, l.speedText.right() - 4);
        const int y = l.speedText.center().y();
        QPainterPath arrow;
        arrow.moveTo(x - 4, y - 2);
        arrow.lineTo(x + 4, y - 2);
        arrow.lineTo(x, y + 3);
        arrow.closeSubpath();
        p.fillPath(arrow, kInk);
    }
}

void SoundPanel::drawTalkButton(QPainter& p, const QRect& r) const
{
    const bool talking = m_audio.panel().talking;
    QLinearGradient face(r.topLeft(), r.bottomLeft());
    face.setColorAt(0, talking ? QColor(235, 90, 80) : QColor(250, 250, 250));
    face.setColorAt(1, talking ? kTalk : QColor(205, 208, 214));
    p.setPen(QPen(talking ? QColor(120, 20, 20) : QColor(120, 124, 132), 1));
    p.setBrush(face);
    p.drawRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
    // A mouth with sound waves: "speak now".
    const QColor glyph = talking ? Qt::white : kInk;
    p.setPen(QPen(glyph, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    const QPointF c = QRectF(r).center() + QPointF(-3, 0);
    p.drawEllipse(c, 3.0, 3.0);
    p.drawArc(QRectF(c.x() - 2, c.y() - 6, 12, 12), -45 * 16, 90 * 16);
    p.drawArc(QRectF(c.x() - 3, c.y() - 9, 18, 18), -45 * 16, 90 * 16);
}

void SoundPanel::drawSpeaker(QPainter& p, const QRect& r, bool muted) const
{
    const QRectF f(r);
    QPainterPath cone;
    cone.moveTo(f.left() + 2, f.center().y() - 4);
    cone.lineTo(f.left() + 7, f.center().y() - 4);
    cone.lineTo(f.left() + 13, f.top() + 4);
    cone.lineTo(f.left() + 13, f.bottom() - 4);
    cone.lineTo(f.left() + 7, f.center().y() + 4);
    cone.lineTo(f.left() + 2, f.center().y() + 4);
    cone.closeSubpath();
    p.fillPath(cone, muted ? kDim : kInk);
    p.setBrush(Qt::NoBrush);
    if (muted) {
        p.setPen(QPen(kTalk, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(f.left() + 15, f.center().y() - 4),
                   QPointF(f.left() + 22, f.center().y() + 4));
        p.drawLine(QPointF(f.left() + 15, f.center().y() + 4),
                   QPointF(f.left() + 22, f.center().y() - 4));
        return;
    }
    p.setPen(QPen(kInk, 1.5, Qt::SolidLine, Qt::RoundCap));
    const QPointF c(f.left() + 11, f.center().y());
    p.drawArc(QRectF(c.x() - 5, c.y() - 5, 10, 10).translated(0, 0), -50 * 16, 100 * 16);
    p.drawArc(QRectF(c.x() - 9, c.y() - 9, 18, 18), -50 * 16, 100 * 16);
}

void SoundPanel::drawMicrophone(QPainter& p, const QRect& r, bool muted) const
{
    const QRectF f(r);
    const QColor ink = muted ? kDim : kInk;
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawRoundedRect(QRectF(f.center().x() - 4, f.top() + 2, 8, 13), 4, 4);
    p.setPen(QPen(ink, 1.5, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(f.center().x() - 7, f.top() + 4, 14, 14), 180 * 16, 180 * 16);
    p.drawLine(QPointF(f.center().x(), f.top() + 18), QPointF(f.center().x(), f.bottom() - 2));
    p.drawLine(QPointF(f.center().x() - 5, f.bottom() - 2),
               QPointF(f.center().x() + 5, f.bottom() - 2));
    if (muted) {
        p.setPen(QPen(kTalk, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(f.left() + 3, f.bottom() - 3), QPointF(f.right() - 3, f.top() + 3));
    }
}

void SoundPanel::drawMute(QPainter& p, const QRect& r, bool muted, bool forced) const
{
    const QRect box(r.left(), r.center().y() - 5, 11, 11);
    p.setPen(forced ? kDim : kInk);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5));
    if (muted) {
        p.setPen(QPen(forced ? kDim : kInk, 1.8, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(box.left() + 2.5, box.center().y() + 0.5),
                   QPointF(box.left() + 4.5, box.bottom() - 2.0));
        p.drawLine(QPointF(box.left() + 4.5, box.bottom() - 2.0),
                   QPointF(box.right() - 2.0, box.top() + 2.5));
    }
    p.setPen(forced ? kDim : kInk);
    p.drawText(QRect(box.right() + 5, r.top(), r.width() - box.width() - 5, r.height()),
               Qt::AlignLeft | Qt::AlignVCenter, "Mute");
}

void SoundPanel::drawMeter(QPainter& p, const QRect& r, int level) const
{
    // Eight bars rising left to right, green then amber then red.
    const int bars = LevelMeter::kMaxLevel;
    const double gap = 2;
    const double w = (r.width() - gap * (bars - 1)) / bars;
    p.setPen(Qt::NoPen);
    for (int i = 0; i < bars; ++i) {
        const double h = r.height() * (0.35 + 0.65 * (i + 1) / bars);
        const QRectF bar(r.left() + i * (w + gap), r.bottom() + 1 - h, w, h);
        QColor on = i < 5 ? QColor(60, 170, 80) : i < 7 ? QColor(230, 170, 30) : kTalk;
        p.setBrush(i < level ? on : shade(m_background, 11));
        p.drawRoundedRect(bar, 1.5, 1.5);
    }
}

void SoundPanel::drawSlider(QPainter& p, const QRect& r, int percent) const
{
    const double y = r.center().y();
    p.setPen(Qt::NoPen);
    p.setBrush(shade(m_background, 16));
    p.drawRoundedRect(QRectF(r.left(), y - 2, r.width(), 4), 2, 2);
    const double x = r.left() + r.width() * std::clamp(percent, 0, 100) / 100.0;
    p.setBrush(QColor(60, 120, 200));
    p.drawRoundedRect(QRectF(r.left(), y - 2, x - r.left(), 4), 2, 2);
    p.setPen(QPen(QColor(40, 70, 130), 1));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(x, y), 6, 6);
}

int SoundPanel::sliderPercent(const QRect& r, int x) const
{
    return std::clamp((x - r.left()) * 100 / std::max(r.width(), 1), 0, 100);
}

// ---- input ----

void SoundPanel::openList()
{
    const PanelState& s = m_audio.panel();
    if (s.speedForced)
        return;
    m_list->setCurrentRow(s.speedIndex);
    m_list->show();
    m_list->raise();
    m_list->setFocus();
}

void SoundPanel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint at = event->position().toPoint();
    const Layout l = layoutFor(m_audio.parameters().duplexMode);
    if (m_list->isVisible() && !m_list->geometry().contains(at))
        m_list->hide();
    if (l.microphone && l.talkButton.contains(at)) {
        m_talkHeld = true;
        m_audio.talkPressed();
    } else if (l.microphone && l.microphoneMute.contains(at)) {
        m_audio.toggleMicrophoneMute();
    } else if (l.speaker && l.speakerMute.contains(at)) {
        m_audio.toggleSpeakerMute();
    } else if (l.microphone && l.microphoneIcon.contains(at)) {
        m_microphoneSlider = !m_microphoneSlider;
        if (!m_microphoneSlider)
            m_audio.message(kMsgVolumeChanged, 0, 1);
    } else if (l.speaker && l.speakerIcon.contains(at)) {
        m_speakerSlider = !m_speakerSlider;
        if (!m_speakerSlider)
            m_audio.message(kMsgVolumeChanged, 0, 0);
    } else if (m_speakerSlider && l.speakerMeter.adjusted(-6, -6, 6, 6).contains(at)) {
        m_drag = Drag::Speaker;
        m_audio.message(kMsgSetOutputVolume, sliderPercent(l.speakerMeter, at.x()));
    } else if (m_microphoneSlider && l.microphoneMeter.adjusted(-6, -6, 6, 6).contains(at)) {
        m_drag = Drag::Microphone;
        m_audio.message(kMsgSetInputVolume, sliderPercent(l.microphoneMeter, at.x()));
    } else if (l.speedText.contains(at)) {
        openList();
    }
    refresh();
}

void SoundPanel::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    const Layout l = layoutFor(m_audio.parameters().duplexMode);
    if (m_talkHeld && !l.talkButton.contains(at)) {
        // Instant talk ends when the pointer leaves the button.
        m_talkHeld = false;
        m_audio.talkReleased();
        refresh();
    }
    if (m_drag == Drag::Speaker)
        m_audio.message(kMsgSetOutputVolume, sliderPercent(l.speakerMeter, at.x()));
    else if (m_drag == Drag::Microphone)
        m_audio.message(kMsgSetInputVolume, sliderPercent(l.microphoneMeter, at.x()));
    if (m_drag != Drag::None)
        update();
}

void SoundPanel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_drag = Drag::None;
    if (m_talkHeld) {
        m_talkHeld = false;
        m_audio.talkReleased();
    }
    refresh();
}

} // namespace pictra
