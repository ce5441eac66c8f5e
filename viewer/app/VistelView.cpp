#include "viewer/app/VistelView.h"

#include "platform/draw/QtSurface.h"

#include <QPainter>

namespace vistel {

CVistelView::CVistelView(CVistelDoc* document, QWidget* parent)
    : QWidget(parent), m_document(document)
{
    // Every pixel is painted by paintEvent, so Qt need not clear it first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
    setFocusPolicy(Qt::NoFocus);
    connect(document, &CVistelDoc::viewUpdate, this, &CVistelView::OnUpdate);
}

QSize CVistelView::sizeHint() const
{
    return kNoImageSize;
}

void CVistelView::OnUpdate(ViewHint hint)
{
    switch (hint) {
    case ViewHint::Repaint:
        update();
        break;
    case ViewHint::FitToImage:
        emit fitRequested(m_document->imageSize());
        break;
    case ViewHint::StopErasing:
        m_erase = false;
        break;
    case ViewHint::Blank:
        m_erase = true;
        update();
        break;
    }
}

void CVistelView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const RECT client{0, 0, width(), height()};
    if (m_erase)
        painter.fillRect(rect(), kBackground);
    orvel::draw::QtSurface surface(painter);
    m_blank = !m_document->draw(surface.hdc(), client);
    // A frame that cannot be decoded shows the dark grey view rather than stale pixels.
    if (m_blank && !m_erase)
        painter.fillRect(rect(), kBackground);
}

} // namespace vistel
