#include "namespace/views/SwitchCamWidget.h"

#include "namespace/views/ImagePlacement.h"
#include "namespace/views/QuadCanvas.h"
#include "namespace/views/ViewState.h"
#include "platform/ui/PostedEvents.h"
#include "platform/window/WindowHandle.h"

#include <QContextMenuEvent>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

namespace foldra {

SwitchCamWidget::SwitchCamWidget(const ViewContext& context, ViewHost& host, QWidget* parent)
    : QWidget(parent), m_own(context.record), m_kind(context.kind), m_store(context.store),
      m_host(host)
{
    setObjectName(kSwitchCamViewClass);
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(&m_timer, &QTimer::timeout, this, &SwitchCamWidget::onTick);
}

SwitchCamWidget::~SwitchCamWidget()
{
    closeStream();
    // Notices still queued are deleted with the window, after this.
    syncPostedEvents();
}

std::uint32_t SwitchCamWidget::displayTimeMs() const
{
    return std::clamp(m_own.displayTimeMs, kMinDisplayTimeMs, kMaxDisplayTimeMs);
}

void SwitchCamWidget::start()
{
    stop();
    ViewState state;
    if (ComPtr<IStream> stream = m_host.viewStateForReading())
        readViewState(stream.get(), state);
    m_retainSize = state.retainImageSize;
    m_sizeToFit = state.sizeToFit;
    m_showNames = state.displayNames;
    if (m_kind != ItemKind::SwitchCam || m_own.members.empty())
        return;
    m_members.assign(m_own.members.size(), ItemRecord{});
    for (std::size_t i = 0; i < m_members.size(); ++i)
        // A member that cannot be read stays an empty record and shows nothing.
        if (FAILED(m_store.Read(m_own.members[i], &m_members[i])))
            m_members[i] = ItemRecord{};
    m_urls.assign(m_members.size(), std::string());
    m_schedule.restart(m_members.size());
    switchTo(0);
}

void SwitchCamWidget::stop()
{
    m_timer.stop();
    closeStream();
    m_members.clear();
    m_urls.clear();
    m_name.clear();
    update();
}

void SwitchCamWidget::closeStream()
{
    if (m_stream)
        m_stream->close();
    m_stream.reset();
}

void SwitchCamWidget::switchTo(std::size_t index)
{
    closeStream();
    m_name.clear();
    m_firstImage = true;
    m_newFrame = false;
    m_painted = 0;
    update();
    ++m_switches;
    auto stream = std::make_unique<MemberStream>();
    if (SUCCEEDED(stream->create())) {
        std::string& url = m_urls[index];
        if (url.empty() && m_schedule.firstPass()) {
            stream->setUser(m_own.user, m_own.password);
            if (FAILED(stream->formatUrl(m_members[index], kSwitchIdentifyTimeoutMs, &url)))
                url.clear();
        }
        if (!url.empty()) {
            m_name = QString::fromStdString(m_members[index].name);
            if (FAILED(stream->open(url, 0, this, hwndOf(this),
                                    [this](StreamNotice notice) { onNotice(notice); })))
                showStatus("cannot open the stream of " + m_members[index].name);
            m_stream = std::move(stream);
        }
    }
    if (!m_timer.isActive())
        m_timer.start(static_cast<int>(displayTimeMs()));
}

void SwitchCamWidget::onTick()
{
    ++m_ticks;
    const bool connected = m_stream && m_stream->connected();
    const bool imageOrEnded = m_stream && m_stream->imageOrEnded();
    if (m_schedule.tick(connected, imageOrEnded) == SwitchSchedule::Tick::Switch)
        switchTo(m_schedule.current());
}

void SwitchCamWidget::onNotice(StreamNotice notice)
{
    if (notice == StreamNotice::Status) {
        showStatus(m_stream ? m_stream->statusText() : std::string());
        return;
    }
    ICamImageObject* image = m_stream ? m_stream->image() : nullptr;
    if (m_firstImage && image) {
        LONG w = 0, h = 0;
        if (SUCCEEDED(image->GetDimension(&w, &h)) && w > 0 && h > 0) {
            m_imageWidth = w;
            m_imageHeight = h;
        }
        m_firstImage = false;
    }
    m_newFrame = true;
    update();
}

const std::vector<ViewMenuItem>& SwitchCamWidget::menuItems() const
{
    // Menu 232: the view's entries after the browser's own, the same in the context menu.
    static const std::vector<ViewMenuItem> items = withContextCopy({
        {MenuGroup::View, IDM_DISPLAY_NAMES, "Display camera &names", true},
        {MenuGroup::View, 0, ""},
        {MenuGroup::View, IDM_RETAIN_IMAGE_SIZE, "&Retain image size", true},
        {MenuGroup::View, IDM_SIZE_TO_FIT, "Size To &Fit", true},
    });
    return items;
}

bool SwitchCamWidget::runCommand(UINT id)
{
    switch (id) {
    case IDM_DISPLAY_NAMES:
        m_showNames = !m_showNames;
        break;
    case IDM_RETAIN_IMAGE_SIZE:
        m_retainSize = !m_retainSize;
        break;
    case IDM_SIZE_TO_FIT:
        // Greyed while the image keeps its own size.
        if (!m_retainSize)
            m_sizeToFit = !m_sizeToFit;
        break;
    default:
        return false;
    }
    update();
    return true;
}

CommandState SwitchCamWidget::commandState(UINT id) const
{
    switch (id) {
    case IDM_DISPLAY_NAMES:
        return {true, m_showNames};
    case IDM_RETAIN_IMAGE_SIZE:
        return {true, m_retainSize};
    case IDM_SIZE_TO_FIT:
        return {!m_retainSize, m_sizeToFit};
    default:
        return {};
    }
}

HRESULT SwitchCamWidget::saveState(IStream* stream)
{
    ViewState state;
    state.retainImageSize = m_retainSize;
    state.sizeToFit = m_sizeToFit;
    state.displayNames = m_showNames;
    return writeViewState(stream, state, kSwitchViewStateVersion);
}

void SwitchCamWidget::showStatus(const std::string& text)
{
    m_status = text;
    m_host.setStatusText(text);
}

void SwitchCamWidget::contextMenuEvent(QContextMenuEvent* event)
{
    showContextMenu(
        this, menuItems(), [this](UINT id) { return commandState(id); },
        [this](UINT id) { runCommand(id); }, event->globalPos());
}

bool SwitchCamWidget::event(QEvent* event)
{
    // The member stream's notices are posted from the client's threads.
    syncPostedEvents();
    return QWidget::event(event);
}

void SwitchCamWidget::paintEvent(QPaintEvent*)
{
    const int w = std::max(width(), 1);
    const int h = std::max(height(), 1);
    if (!m_canvas || m_canvas->width() != w || m_canvas->height() != h)
        m_canvas = std::make_unique<orvel::draw::MemorySurface>(w, h, kViewBackground,
                                                                orvel::draw::PixelFormat::Bgrx32);
    const Placement placement = m_retainSize  ? Placement::RetainSize
                                : m_sizeToFit ? Placement::SizeToFit
                                              : Placement::KeepAspect;
    m_imageRect = placeImage(placement, w, h, m_imageWidth, m_imageHeight);
    m_canvas->fillRect({0, 0, w, h}, kViewBackground);
    ICamImageObject* image = m_stream ? m_stream->image() : nullptr;
    RECT area = m_imageRect;
    const bool drawn = image && image->Draw(m_canvas->hdc(), &area) == S_OK;
    if (drawn && m_newFrame)
        ++m_painted;
    m_newFrame = false;
    if (drawn && m_showNames && !m_name.isEmpty()) {
        QPainter painter(&m_canvas->image());
        drawCameraName(painter, m_imageRect, m_name);
    }
    const QImage& bitmap = m_canvas->image();
    QPainter painter(this);
    painter.drawImage(0, 0, bitmap);
}

} // namespace foldra
