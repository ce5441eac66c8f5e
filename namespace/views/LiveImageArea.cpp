#include "namespace/views/LiveImageArea.h"

#include "common/ICamImageObject.h"
#include "platform/draw/QtSurface.h"

#include <QPainter>
#include <QScrollBar>

namespace foldra {

LiveImageArea::LiveImageArea(QWidget* parent) : QAbstractScrollArea(parent)
{
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    setRetainImageSize(true);
}

void LiveImageArea::setContentSize(int width, int height)
{
    m_width = width > 0 ? width : kDefaultImageSide;
    m_height = height > 0 ? height : kDefaultImageSide;
    updateScrollRanges();
    viewport()->update();
}

void LiveImageArea::setRetainImageSize(bool on)
{
    m_retain = on;
    const Qt::ScrollBarPolicy policy = on ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff;
    setHorizontalScrollBarPolicy(policy);
    setVerticalScrollBarPolicy(policy);
    updateScrollRanges();
    viewport()->update();
}

void LiveImageArea::setSizeToFit(bool on)
{
    m_fit = on;
    viewport()->update();
}

Placement LiveImageArea::placement() const
{
    if (m_retain)
        return Placement::RetainSize;
    return m_fit ? Placement::SizeToFit : Placement::KeepAspect;
}

RECT LiveImageArea::clientRect() const
{
    return {0, 0, viewport()->width(), viewport()->height()};
}

RECT LiveImageArea::contentRect() const
{
    const ScrollPosition scroll{horizontalScrollBar()->value(), verticalScrollBar()->value()};
    return placeImage(placement(), viewport()->width(), viewport()->height(), m_width, m_height,
                      scroll);
}

void LiveImageArea::updateScrollRanges()
{
    // Ranges 0..W and 0..H with the client as the page: Qt counts the last position, W - page.
    const int pageX = viewport()->width();
    const int pageY = viewport()->height();
    horizontalScrollBar()->setRange(0, m_retain ? std::max(0, m_width - pageX) : 0);
    horizontalScrollBar()->setPageStep(pageX);
    horizontalScrollBar()->setSingleStep(1);
    verticalScrollBar()->setRange(0, m_retain ? std::max(0, m_height - pageY) : 0);
    verticalScrollBar()->setPageStep(pageY);
    verticalScrollBar()->setSingleStep(1);
}

void LiveImageArea::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    orvel::draw::QtSurface surface(painter);
    const RECT client = clientRect();
    const RECT target = contentRect();
    if (!drawContent(surface, target)) {
        surface.fillRect(client, kViewBackground);
        return;
    }
    if (placement() != Placement::SizeToFit)
        fillAround(surface, client, target);
}

void LiveImageArea::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRanges();
}

void LiveImageArea::scrollContentsBy(int, int)
{
    viewport()->update();
}

bool drawImage(ICamImageObject* image, orvel::draw::DrawSurface& surface, const RECT& target)
{
    if (!image)
        return false;
    RECT rect = target;
    return SUCCEEDED(image->Draw(surface.hdc(), &rect));
}

} // namespace foldra
