#include "namespace/views/CamCameraView.h"

#include "namespace/resources/FoldraStrings.h"
#include "namespace/views/ContentView.h"
#include "namespace/views/ContentViews.h"
#include "namespace/views/RecordCommand.h"
#include "namespace/views/Snapshot.h"
#include "platform/base/Utf.h"
#include "platform/com/Bstr.h"
#include "platform/shell/ShellMenu.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/PostedEvents.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMouseEvent>
#include <QWheelEvent>

namespace foldra {
namespace {

constexpr int kWatchdogTickMs = 1000;
constexpr const char* kStalledText = "The camera has sent no image for 10 seconds; reconnecting.";
constexpr const char* kReconnectingText = "The stream ended; reconnecting.";

const std::vector<ViewMenuItem>& cameraMenu()
{
    static const std::vector<ViewMenuItem> items = {
        {MenuGroup::File, IDM_SAVE_SNAPSHOT, "&Save Snapshot..."},
        {MenuGroup::File, IDM_RECORD, "&Record..."},
        {MenuGroup::View, IDM_RETAIN_IMAGE_SIZE, "&Retain image size", true},
        {MenuGroup::View, IDM_SIZE_TO_FIT, "Size To &Fit", true},
        {MenuGroup::View, 0, ""},
        {MenuGroup::View, IDM_PTZ_HOME, "PTZ &Home"},
        {MenuGroup::View, IDM_FULL_SCREEN, "F&ull Screen\tF11"},
        {MenuGroup::Context, IDM_SAVE_SNAPSHOT, "&Save Snapshot..."},
        {MenuGroup::Context, IDM_RECORD, "&Record..."},
        {MenuGroup::Context, 0, ""},
        {MenuGroup::Context, IDM_RETAIN_IMAGE_SIZE, "&Retain image size", true},
        {MenuGroup::Context, IDM_SIZE_TO_FIT, "Size To &Fit", true},
        {MenuGroup::Context, 0, ""},
        {MenuGroup::Context, IDM_PTZ_HOME, "PTZ &Home"},
    };
    return items;
}

} // namespace

CamCameraView::CamCameraView(const ViewContext& context, ViewHost& host, QWidget* parent)
    : LiveImageArea(parent), m_context(context), m_host(host), m_stream(this, 0)
{
    setObjectName(kCameraViewClass);
}

CamCameraView::~CamCameraView()
{
    stop();
    // Events still queued are deleted with the window, after this.
    syncPostedEvents();
}

void CamCameraView::start()
{
    if (ComPtr<IStream> stream = m_host.viewStateForReading())
        readViewState(stream.get(), m_state);
    setRetainImageSize(m_state.retainImageSize);
    setSizeToFit(m_state.sizeToFit);
    if (FAILED(m_stream.create()))
        return;
    // Identification or a URL that cannot be made leaves the view dark, without a message.
    if (FAILED(resolveStream(m_stream.identifier().get(), m_context.record, m_context.kind,
                             kSingleViewIdentifyMs, &m_target, &m_url)))
        return;
    if (m_target) {
        INT size = 0;
        BSTR* caps = nullptr;
        INT chosen = 0;
        // The camera's own parameter list first; a camera that cannot be asked leaves it to
        // what its generation offers.
        HRESULT ptz = m_context.record.caps->GetCaps(m_context.record.address, CamCapsPtz, &size,
                                                     &caps, &chosen);
        if (ptz == E_FAIL)
            ptz = m_target->GetCaps(CamCapsPtz, &size, &caps, &chosen);
        m_hasPtz = ptz == S_OK;
    }
    openStream();
}

void CamCameraView::openStream()
{
    if (m_url.empty())
        return;
    m_needSize = true;
    m_ended = false;
    m_lastActivity = std::chrono::steady_clock::now();
    // Reset at each image: still set, it is older than anything the closing stream holds.
    if (m_stream.image() && !m_lastImage)
        m_lastImage = ComPtr<ICamImageObject>(m_stream.image());
    m_stream.open(m_url, reinterpret_cast<HWND>(this));
    if (!m_watchdog.isActive())
        m_watchdog.start(kWatchdogTickMs, this);
}

void CamCameraView::showStatus(const std::string& text)
{
    m_status = text;
    m_host.setStatusText(m_status);
}

void CamCameraView::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_watchdog.timerId())
        return LiveImageArea::timerEvent(event);
    if (m_fullScreen || m_url.empty())
        return;
    const auto quiet = std::chrono::steady_clock::now() - m_lastActivity;
    if (m_ended && quiet >= kReconnectAfterEnd) {
        showStatus(kReconnectingText);
        openStream();
        m_reconnecting = true;
    } else if (!m_ended && quiet >= kStallReconnect) {
        showStatus(kStalledText);
        openStream();
        m_reconnecting = true;
    }
}

void CamCameraView::stop()
{
    m_watchdog.stop();
    m_fullScreen.reset();
    m_lastImage.reset();
    m_target.reset();
    m_stream.close();
}

HRESULT CamCameraView::saveState(IStream* stream)
{
    m_state.retainImageSize = retainImageSize();
    m_state.sizeToFit = sizeToFit();
    return writeViewState(stream, m_state, kSingleViewStateVersion);
}

const std::vector<ViewMenuItem>& CamCameraView::menuItems() const
{
    return cameraMenu();
}

CommandState CamCameraView::commandState(UINT id) const
{
    switch (id) {
    case IDM_SIZE_TO_FIT:
        return {!retainImageSize(), sizeToFit()};
    case IDM_RETAIN_IMAGE_SIZE:
        return {true, retainImageSize()};
    case IDM_PTZ_HOME:
        return {m_hasPtz && m_target && m_stream.isOpen(), false};
    case IDM_RECORD:
        return {recordCommandAvailable() && !m_url.empty(), false};
    default:
        return {};
    }
}

bool CamCameraView::runCommand(UINT id)
{
    switch (id) {
    case IDM_SAVE_SNAPSHOT:
        saveSnapshot();
        return true;
    case IDM_RECORD:
        record();
        return true;
    case IDM_RETAIN_IMAGE_SIZE:
        setRetainImageSize(!retainImageSize());
        m_state.retainImageSize = retainImageSize();
        return true;
    case IDM_SIZE_TO_FIT:
        // Greyed while the image keeps its own size.
        if (!retainImageSize()) {
            setSizeToFit(!sizeToFit());
            m_state.sizeToFit = sizeToFit();
        }
        return true;
    case IDM_PTZ_HOME:
        if (m_hasPtz)
            sendPtz([this](ICamTarget* target, BSTR host, BSTR camera, BSTR* url) {
                return target->FormatHomeUrl(host, camera, url);
            });
        return true;
    case IDM_FULL_SCREEN:
        enterFullScreen();
        return true;
    default:
        return false;
    }
}

bool CamCameraView::drawContent(orvel::draw::DrawSurface& surface, const RECT& target)
{
    return drawImage(m_stream.image(), surface, target) ||
           drawImage(m_lastImage.get(), surface, target);
}

bool CamCameraView::event(QEvent* event)
{
    syncPostedEvents();
    if (event->type() == StreamEvent::eventType()) {
        onStreamEvent(*static_cast<StreamEvent*>(event));
        return true;
    }
    return LiveImageArea::event(event);
}

void CamCameraView::onStreamEvent(const StreamEvent& event)
{
    if (event.kind() == StreamEvent::Kind::Image) {
        m_stream.imageTaken();
        m_reconnecting = false;
        m_lastActivity = std::chrono::steady_clock::now();
        m_lastImage.reset();
        if (m_needSize && m_stream.image()) {
            LONG width = 0;
            LONG height = 0;
            m_stream.image()->GetDimension(&width, &height);
            if (width > 0 && height > 0) {
                setContentSize(width, height);
                m_needSize = false;
            }
        }
        viewport()->update();
        return;
    }
    switch (event.code()) {
    case CamStatusFrameRate:
        m_status = loadString(IDS_FPS) + event.text();
        break;
    case CamStatusStreamEnded:
        m_ended = true;
        m_lastActivity = std::chrono::steady_clock::now();
        return;
    case CamStatusConnecting:
    case CamStatusConnected:
        m_needSize = true;
        // While the picture is still frozen the reason stays up; the next text after an image
        // replaces it.
        if (m_reconnecting)
            return;
        m_status = event.text();
        break;
    default:
        m_reconnecting = false;
        m_status = event.text();
        break;
    }
    showStatus(m_status);
}

template <typename Format> void CamCameraView::sendPtz(Format format)
{
    if (!m_target || !m_stream.isOpen())
        return;
    ComPtr<ICamSimpleRequest> simple = m_stream.simpleRequest();
    if (!simple)
        return;
    Bstr host(m_context.record.address);
    Bstr camera(m_context.record.camera);
    BSTR url = nullptr;
    const HRESULT hr = format(m_target.get(), host.get(), camera.get(), &url);
    if (hr == S_OK && url)
        simple->SendGETRequest(0, url, nullptr, nullptr);
    SysFreeString(url);
}

void CamCameraView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return LiveImageArea::mouseReleaseEvent(event);
    const QPoint at = event->position().toPoint();
    const int width = contentWidth();
    const int height = contentHeight();
    int x = 0;
    int y = 0;
    if (!imagePoint(contentRect(), width, height, at.x(), at.y(), &x, &y))
        return;
    sendPtz([&](ICamTarget* target, BSTR host, BSTR camera, BSTR* url) {
        return target->FormatCenterUrl(host, camera, width, height, x, y, url);
    });
}

void CamCameraView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::MiddleButton)
        return LiveImageArea::mouseDoubleClickEvent(event);
    const Qt::KeyboardModifiers keys = event->modifiers();
    sendPtz([keys](ICamTarget* target, BSTR host, BSTR camera, BSTR* url) {
        if (keys & Qt::ControlModifier)
            return target->FormatDiscreteZoomUrl(host, camera, CamZoomTeleEnd, url);
        if (keys & Qt::ShiftModifier)
            return target->FormatDiscreteZoomUrl(host, camera, CamZoomWideEnd, url);
        return target->FormatHomeUrl(host, camera, url);
    });
}

void CamCameraView::wheelEvent(QWheelEvent* event)
{
    const QPoint delta = event->angleDelta();
    const int steps = delta.y() != 0 ? delta.y() : delta.x();
    const INT zoom = steps > 0 ? CamZoomTeleStep : CamZoomWideStep;
    sendPtz([zoom](ICamTarget* target, BSTR host, BSTR camera, BSTR* url) {
        return target->FormatDiscreteZoomUrl(host, camera, zoom, url);
    });
    event->accept();
}

void CamCameraView::contextMenuEvent(QContextMenuEvent* event)
{
    showContextMenu(
        this, cameraMenu(), [this](UINT id) { return commandState(id); },
        [this](UINT id) { runCommand(id); }, event->globalPos());
}

void CamCameraView::saveSnapshot()
{
    std::string bytes;
    // No image yet: nothing to save.
    if (FAILED(snapshotBytes(m_stream.image(), &bytes)) &&
        FAILED(snapshotBytes(m_lastImage.get(), &bytes)))
        return;
    const std::string proposed =
        proposedSnapshotFolder(m_state.saveDirectory) + proposedSnapshotName(localNow());
    QFileDialog dialog(this);
    dialog.setObjectName("SaveSnapshotDialog");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QString::fromStdString(loadString(IDS_JPEG_FILTER)) + " (*.jpg)");
    dialog.setDefaultSuffix("jpg");
    dialog.selectFile(QString::fromStdString(proposed));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString chosen = dialog.selectedFiles().front();
    const QString folder = QFileInfo(chosen).absolutePath();
    std::string error;
    bool written = false;
    if (!QFileInfo(folder).isDir())
        error = "the folder " + folder.toStdString() + " does not exist";
    else
        written = writeSnapshot(chosen.toStdString(), bytes, &error);
    if (!written) {
        showMessageBox(reinterpret_cast<HWND>(this), "Save snapshot failed: " + error,
                       loadString(IDS_CAPTION_ERROR), MB_ICONWARNING | MB_OK);
        return;
    }
    m_state.saveDirectory = folder.toStdString().substr(0, kMaxViewStateStringBytes - 1);
    rememberSnapshotFolder(folder.toStdString());
}

void CamCameraView::record()
{
    if (!recordCommandAvailable() || m_url.empty())
        return;
    RecordRequest request;
    request.owner = reinterpret_cast<HWND>(this);
    request.streamUrl = m_url;
    request.itemName = m_context.record.name;
    request.saveDirectory = &m_state.saveDirectory;
    request.sequencePrefix = &m_state.sequencePrefix;
    request.values = &m_state.record;
    runRecordCommand(request);
}

void CamCameraView::enterFullScreen()
{
    if (m_fullScreen || m_url.empty())
        return;
    m_stream.close();
    m_fullScreen = std::make_unique<CamFullScreen>(m_url, [this] { leaveFullScreen(); });
    m_fullScreen->start();
}

void CamCameraView::leaveFullScreen()
{
    m_fullScreen.reset();
    openStream();
    viewport()->update();
}

HRESULT createCameraView(const ViewContext& context, REFIID riid, void** ppv)
{
    return createContentViewOf(
        context,
        [](const ViewContext& ctx, ViewHost& host, QWidget* parent) {
            return std::make_unique<CamCameraView>(ctx, host, parent);
        },
        riid, ppv);
}

} // namespace foldra
