#include "recorder/engine/FrameView.h"

#include "platform/draw/QtSurface.h"
#include "recorder/sequence/RecordingContext.h"

#include <QPainter>

namespace {
const QColor kBlank(192, 192, 192);
// The area the blank view fills; the view itself is one pixel smaller each way.
constexpr int kBlankWidth = 160;
constexpr int kBlankHeight = 120;
} // namespace

FrameView::FrameView(QWidget* parent, RecordingContext& context)
    : QWidget(parent), m_context(context)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    ensureStream();
}

FrameView::~FrameView()
{
    closeStream();
}

bool FrameView::ensureStream()
{
    if (m_stream)
        return true;
    if (FAILED(RecordingStream::create(*this, &m_stream)))
        return false;
    m_context.setImage(m_stream->imageRef());
    return true;
}

HRESULT FrameView::open(const std::string& url)
{
    if (!m_stream)
        return E_FAIL;
    return m_stream->open(url, reinterpret_cast<HWND>(static_cast<QWidget*>(this)));
}

void FrameView::closeStream()
{
    if (m_stream) {
        m_stream->close();
        m_stream.reset();
    }
    m_context.setImage(nullptr);
    m_blank = true;
    update();
}

void FrameView::onImage()
{
    m_blank = false;
    m_context.startOnFirstImage();
}

void FrameView::onStatus(UI4 status)
{
    m_context.statusChanged(status);
}

void FrameView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (m_blank.load() || !m_stream) {
        painter.fillRect(0, 0, kBlankWidth, kBlankHeight, kBlank);
        return;
    }
    m_painted = false;
    painter.fillRect(rect(), palette().color(QPalette::Base));
    orvel::draw::QtSurface surface(painter);
    RECT area{0, 0, width(), height()};
    m_stream->image()->Draw(surface.hdc(), &area);
    m_painted = true;
}
