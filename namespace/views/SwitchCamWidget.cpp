#include "namespace/views/SwitchCamWidget.h"

#include "namespace/views/ImagePlacement.h"
#include "namespace/views/QuadCanvas.h"
#include "platform/ui/PostedEvents.h"
#include "platform/window/WindowHandle.h"

#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

namespace foldra {

namespace {

constexpr std::uint32_t kSwitchStateVersion = 4;
// A stored text field of the view state (save directory, prefix) is at most this long,
// terminator included; a longer count means the stream is not ours, and reading stops.
constexpr std::uint32_t kMaxStateTextBytes = 261;
constexpr int kRecordingValues = 5;

bool readU32(IStream* stream, std::uint32_t* value)
{
    unsigned char bytes[4] = {};
    ULONG read = 0;
    if (FAILED(stream->Read(bytes, sizeof bytes, &read)) || read != sizeof bytes)
        return false;
    *value = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
    return true;
}

bool skipText(IStream* stream)
{
    std::uint32_t count = 0;
    if (!readU32(stream, &count) || count > kMaxStateTextBytes)
        return false;
    char bytes[kMaxStateTextBytes];
    ULONG read = 0;
    return count == 0 || (SUCCEEDED(stream->Read(bytes, count, &read)) && read == count);
}

HRESULT writeU32(IStream* stream, std::uint32_t value)
{
    const unsigned char bytes[4] = {
        static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
        static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
    ULONG written = 0;
    const HRESULT hr = stream->Write(bytes, sizeof bytes, &written);
    return FAILED(hr) ? hr : written == sizeof bytes ? S_OK : STG_E_MEDIUMFULL;
}

} // namespace

SwitchCamWidget::SwitchCamWidget(ItemRecord own, ItemKind kind, ItemStore store, QWidget* parent)
    : CameraPaneWidget(parent), m_own(std::move(own)), m_kind(kind), m_store(std::move(store))
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

std::vector<PaneCommand> SwitchCamWidget::viewCommands() const
{
    return {{IDM_DISPLAY_NAMES, "Display camera &names"},
            {0, nullptr},
            {IDM_RETAIN_IMAGE_SIZE, "&Retain image size"},
            {IDM_SIZE_TO_FIT, "Size To &Fit"}};
}

void SwitchCamWidget::runCommand(UINT id)
{
    switch (id) {
    case IDM_DISPLAY_NAMES:
        m_showNames = !m_showNames;
        break;
    case IDM_RETAIN_IMAGE_SIZE:
        m_retainSize = !m_retainSize;
        break;
    case IDM_SIZE_TO_FIT:
        if (m_retainSize)
            return;
        m_sizeToFit = !m_sizeToFit;
        break;
    default:
        return;
    }
    update();
}

bool SwitchCamWidget::commandChecked(UINT id) const
{
    switch (id) {
    case IDM_DISPLAY_NAMES:
        return m_showNames;
    case IDM_RETAIN_IMAGE_SIZE:
        return m_retainSize;
    case IDM_SIZE_TO_FIT:
        return m_sizeToFit;
    default:
        return false;
    }
}

bool SwitchCamWidget::commandEnabled(UINT id) const
{
    return id != IDM_SIZE_TO_FIT || !m_retainSize;
}

void SwitchCamWidget::loadState(IStream* stream)
{
    std::uint32_t version = 0;
    if (!stream || !readU32(stream, &version) || version < 1)
        return;
    std::uint32_t retain = 0, fit = 0;
    if (!readU32(stream, &retain) || !readU32(stream, &fit))
        return;
    m_retainSize = retain != 0;
    m_sizeToFit = fit != 0;
    // The single view's fields come next; this view keeps none of them.
    if (version > 1 && !skipText(stream))
        return;
    if (version > 2) {
        if (!skipText(stream))
            return;
        std::uint32_t ignored = 0;
        for (int i = 0; i < kRecordingValues; ++i)
            if (!readU32(stream, &ignored))
                return;
    }
    std::uint32_t names = 0;
    if (version >= kSwitchStateVersion && readU32(stream, &names))
        m_showNames = names != 0;
}

HRESULT SwitchCamWidget::saveState(IStream* stream) const
{
    if (!stream)
        return E_POINTER;
    const std::uint32_t fields[] = {kSwitchStateVersion,
                                    m_retainSize ? 1u : 0u,
                                    m_sizeToFit ? 1u : 0u,
                                    0,
                                    0,
                                    0,
                                    0,
                                    0,
                                    0,
                                    0,
                                    m_showNames ? 1u : 0u,
                                    0};
    for (std::uint32_t value : fields)
        if (HRESULT hr = writeU32(stream, value); FAILED(hr))
            return hr;
    return S_OK;
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
