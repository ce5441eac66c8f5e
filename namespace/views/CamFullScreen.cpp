#include "namespace/views/CamFullScreen.h"

#include "namespace/views/ImagePlacement.h"
#include "namespace/views/LiveImageArea.h"
#include "platform/draw/QtSurface.h"
#include "platform/ui/PostedEvents.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTimer>

namespace foldra {

CamFullScreen::CamFullScreen(std::string url, std::function<void()> ended)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), m_url(std::move(url)),
      m_ended(std::move(ended)), m_stream(this, 0)
{
    setObjectName(kFullScreenClass);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(screen->availableGeometry());
}

CamFullScreen::~CamFullScreen()
{
    m_stream.close();
    // Events still queued are deleted with the window, after this.
    syncPostedEvents();
}

HRESULT CamFullScreen::start()
{
    const HRESULT hr = m_stream.open(m_url, reinterpret_cast<HWND>(this));
    show();
    raise();
    activateWindow();
    setFocus();
    return hr;
}

void CamFullScreen::end()
{
    if (m_ending)
        return;
    m_ending = true;
    m_stream.close();
    hide();
    // The view deletes this window; not from inside one of its own handlers.
    QTimer::singleShot(0, this, [this] {
        if (m_ended)
            m_ended();
    });
}

bool CamFullScreen::event(QEvent* event)
{
    syncPostedEvents();
    if (event->type() == StreamEvent::eventType()) {
        const auto* stream = static_cast<StreamEvent*>(event);
        if (stream->kind() == StreamEvent::Kind::Image) {
            m_stream.imageTaken();
            m_hasImage = true;
            update();
        }
        return true;
    }
    if (event->type() == QEvent::WindowDeactivate) {
        end();
        return true;
    }
    return QWidget::event(event);
}

void CamFullScreen::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    orvel::draw::QtSurface surface(painter);
    const RECT whole{0, 0, width(), height()};
    if (!m_hasImage || !drawImage(m_stream.image(), surface, whole))
        surface.fillRect(whole, kViewBackground);
}

void CamFullScreen::keyPressEvent(QKeyEvent*)
{
    end();
}

void CamFullScreen::mousePressEvent(QMouseEvent*)
{
    end();
}

void CamFullScreen::focusOutEvent(QFocusEvent*)
{
    end();
}

} // namespace foldra
