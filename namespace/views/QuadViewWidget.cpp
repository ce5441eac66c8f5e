#include "namespace/views/QuadViewWidget.h"

#include "platform/ui/PostedEvents.h"
#include "platform/window/WindowHandle.h"

#include <QContextMenuEvent>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>

namespace foldra {

namespace {

constexpr orvel::draw::Color kBlack{0, 0, 0};
constexpr std::chrono::milliseconds kWatchInterval{1000};

QRect qrectOf(const RECT& r)
{
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

} // namespace

QuadViewWidget::QuadViewWidget(const ViewContext& context, ViewHost& host, QWidget* parent)
    : QWidget(parent), m_own(context.record), m_kind(context.kind), m_store(context.store),
      m_host(host)
{
    setObjectName(kQuadViewClass);
    // Every pixel is painted from the off-screen bitmap: no background erase before.
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_watch.setInterval(kWatchInterval);
    connect(&m_watch, &QTimer::timeout, this, &QuadViewWidget::watchStreams);
}

QuadViewWidget::~QuadViewWidget()
{
    for (Slot& slot : m_slots)
        slot.stream.close();
    // Notices still queued are deleted with the window, after this.
    syncPostedEvents();
}

void QuadViewWidget::start()
{
    stop();
    // Only a quad view of exactly four entries shows anything; an empty entry leaves its
    // quadrant black.
    if (m_kind != ItemKind::QuadView || m_own.members.size() != kQuadSlots)
        return;
    for (int i = 0; i < kQuadSlots; ++i) {
        Slot& slot = m_slots[i];
        const std::string& entry = m_own.members[static_cast<std::size_t>(i)];
        if (entry.empty())
            continue;
        ItemRecord member;
        if (FAILED(m_store.Read(entry, &member)))
            continue;
        slot.name = QString::fromStdString(member.name.empty() ? entry : member.name);
        if (FAILED(slot.stream.create()))
            continue;
        slot.stream.setUser(m_own.user, m_own.password);
        // A camera that cannot be identified shows no stream, and no message.
        if (FAILED(slot.stream.formatUrl(member, kQuadIdentifyTimeoutMs, &slot.url)))
            slot.url.clear();
        openSlot(i);
    }
    m_watch.start();
    markAllDirty();
}

void QuadViewWidget::stop()
{
    m_watch.stop();
    for (Slot& slot : m_slots) {
        slot.stream.close();
        slot.name.clear();
        slot.url.clear();
        slot.problem.clear();
        slot.newFrame = false;
        slot.arrived = slot.painted = 0;
    }
    markAllDirty();
}

void QuadViewWidget::openSlot(int index)
{
    Slot& slot = m_slots[index];
    if (slot.url.empty() || !slot.stream.created())
        return;
    slot.lastActivity = Clock::now();
    slot.endedSeen = {};
    slot.stallShown = false;
    slot.newFrame = false;
    const UINT delay = m_limitedRate ? kLimitedRateDelayMs : 0;
    if (FAILED(slot.stream.open(slot.url, delay, this, hwndOf(this),
                                [this, index](StreamNotice notice) { onNotice(index, notice); })))
        slot.problem = "cannot open the stream";
}

void QuadViewWidget::onNotice(int index, StreamNotice notice)
{
    Slot& slot = m_slots[index];
    if (notice == StreamNotice::Image) {
        ++slot.arrived;
        slot.newFrame = true;
        slot.lastActivity = Clock::now();
        slot.stallShown = false;
        if (!slot.problem.empty()) {
            slot.problem.clear();
            slot.dirty = true;
        }
        invalidateSlot(index);
        return;
    }
    showStatus(slot.stream.statusText());
}

void QuadViewWidget::watchStreams()
{
    const auto now = Clock::now();
    for (int i = 0; i < kQuadSlots; ++i) {
        Slot& slot = m_slots[i];
        if (slot.url.empty())
            continue;
        if (!slot.stream.isOpen() || slot.stream.ended()) {
            if (slot.endedSeen == Clock::time_point{}) {
                slot.endedSeen = now;
                const std::string status = slot.stream.statusText();
                slot.problem = status.empty() ? "stream ended" : status;
                invalidateSlot(i);
            } else if (now - slot.endedSeen >= kMemberReconnectDelay) {
                openSlot(i);
            }
        } else if (now - slot.lastActivity >= kMemberStallTime && !slot.stallShown) {
            slot.problem = "no image for " + std::to_string(kMemberStallTime.count() / 1000) +
                           " s, connecting again";
            showStatus(slot.name.toStdString() + ": " + slot.problem);
            invalidateSlot(i);
            slot.stallShown = true;
        } else if (slot.stallShown) {
            // A tick after the reason went up, so it is on screen before the new stream's
            // first picture takes it away.
            slot.stallShown = false;
            openSlot(i);
        }
    }
}

int QuadViewWidget::openStreams() const
{
    int count = 0;
    for (const Slot& slot : m_slots)
        count += slot.stream.isOpen() ? 1 : 0;
    return count;
}

std::string QuadViewWidget::slotStatus(int slot) const
{
    const Slot& s = m_slots.at(slot);
    return s.problem.empty() ? s.stream.statusText() : s.problem;
}

const std::vector<ViewMenuItem>& QuadViewWidget::menuItems() const
{
    // Menu 231: the view's entries after the browser's own, the same in the context menu.
    static const std::vector<ViewMenuItem> items = withContextCopy({
        {MenuGroup::View, IDM_DISPLAY_NAMES, "Display camera &names", true},
        {MenuGroup::View, IDM_LIMITED_FRAME_RATE, "&Limited frame rate", true},
        {MenuGroup::View, 0, ""},
        {MenuGroup::View, IDM_RETAIN_IMAGE_SIZE, "&Retain image size", true},
        {MenuGroup::View, IDM_SIZE_TO_FIT, "Size To &Fit", true},
    });
    return items;
}

bool QuadViewWidget::runCommand(UINT id)
{
    switch (id) {
    case IDM_DISPLAY_NAMES:
        m_showNames = !m_showNames;
        markAllDirty();
        return true;
    case IDM_LIMITED_FRAME_RATE:
        m_limitedRate = !m_limitedRate;
        for (Slot& slot : m_slots)
            slot.stream.setDelay(m_limitedRate ? kLimitedRateDelayMs : 0);
        return true;
    case IDM_RETAIN_IMAGE_SIZE:
        m_retainSize = !m_retainSize;
        m_layoutDirty = true;
        update();
        return true;
    case IDM_SIZE_TO_FIT:
        // Greyed while the canvas keeps its own size.
        if (!m_retainSize) {
            m_sizeToFit = !m_sizeToFit;
            m_layoutDirty = true;
            update();
        }
        return true;
    default:
        return false;
    }
}

CommandState QuadViewWidget::commandState(UINT id) const
{
    switch (id) {
    case IDM_DISPLAY_NAMES:
        return {true, m_showNames};
    case IDM_LIMITED_FRAME_RATE:
        return {true, m_limitedRate};
    case IDM_RETAIN_IMAGE_SIZE:
        return {true, m_retainSize};
    case IDM_SIZE_TO_FIT:
        return {!m_retainSize, m_sizeToFit};
    default:
        return {};
    }
}

void QuadViewWidget::showStatus(const std::string& text)
{
    m_status = text;
    m_host.setStatusText(text);
}

void QuadViewWidget::contextMenuEvent(QContextMenuEvent* event)
{
    showContextMenu(
        this, menuItems(), [this](UINT id) { return commandState(id); },
        [this](UINT id) { runCommand(id); }, event->globalPos());
}

bool QuadViewWidget::event(QEvent* event)
{
    // The member streams' notices are posted from the client's threads.
    syncPostedEvents();
    return QWidget::event(event);
}

void QuadViewWidget::resizeEvent(QResizeEvent* event)
{
    m_layoutDirty = true;
    QWidget::resizeEvent(event);
}

void QuadViewWidget::markAllDirty()
{
    for (Slot& slot : m_slots)
        slot.dirty = true;
    update();
}

void QuadViewWidget::invalidateSlot(int index)
{
    m_slots[index].dirty = true;
    update(qrectOf(m_quadrants[index]));
}

void QuadViewWidget::layOut()
{
    const int w = std::max(width(), 1);
    const int h = std::max(height(), 1);
    if (!m_canvas || m_canvas->width() != w || m_canvas->height() != h)
        m_canvas = std::make_unique<orvel::draw::MemorySurface>(w, h, kViewBackground,
                                                                orvel::draw::PixelFormat::Bgrx32);
    else
        m_canvas->fillRect({0, 0, w, h}, kViewBackground);
    const Placement placement = m_retainSize  ? Placement::RetainSize
                                : m_sizeToFit ? Placement::SizeToFit
                                              : Placement::KeepAspect;
    m_canvasRect = placeImage(placement, w, h, kQuadCanvasWidth, kQuadCanvasHeight);
    m_quadrants = quadrantsOf(m_canvasRect);
    for (Slot& slot : m_slots)
        slot.dirty = true;
    m_layoutDirty = false;
}

void QuadViewWidget::drawSlot(int index)
{
    Slot& slot = m_slots[index];
    RECT area = m_quadrants[index];
    ICamImageObject* image = slot.stream.image();
    const bool drawn = image && image->Draw(m_canvas->hdc(), &area) == S_OK;
    if (!drawn)
        m_canvas->fillRect(area, kBlack);
    if (drawn && slot.newFrame)
        ++slot.painted;
    slot.newFrame = false;
    slot.dirty = false;
    if ((!m_showNames || slot.name.isEmpty()) && slot.problem.empty())
        return;
    QPainter painter(&m_canvas->image());
    if (m_showNames)
        drawCameraName(painter, area, slot.name);
    if (!slot.problem.empty())
        drawStatusText(painter, area, QString::fromStdString(slot.problem));
}

void QuadViewWidget::paintEvent(QPaintEvent* event)
{
    if (m_layoutDirty || !m_canvas || m_canvas->width() != width() ||
        m_canvas->height() != height())
        layOut();
    for (int i = 0; i < kQuadSlots; ++i)
        if (m_slots[i].dirty)
            drawSlot(i);
    const QImage& bitmap = m_canvas->image();
    QPainter painter(this);
    for (const QRect& rect : event->region())
        painter.drawImage(rect.topLeft(), bitmap, rect);
}

} // namespace foldra
