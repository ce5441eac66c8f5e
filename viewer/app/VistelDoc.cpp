#include "viewer/app/VistelDoc.h"

#include "common/MedrixClasses.h"
#include "platform/com/Bstr.h"
#include "platform/com/Runtime.h"
#include "platform/draw/DrawSurface.h"
#include "recorder/sequence/SequenceReader.h"

#include <algorithm>

namespace vistel {

namespace {

QString afterLastSlash(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return QString::fromStdString(slash == std::string::npos ? path : path.substr(slash + 1));
}

UI4 boundedInterval(UI4 stored)
{
    return std::clamp(stored, kMinFrameInterval, kMaxFrameInterval);
}

} // namespace

CVistelDoc::CVistelDoc(QObject* parent) : QObject(parent)
{
    // A thread timer of the window thread: ticks arrive through its event loop.
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &CVistelDoc::PlaybackStep);
}

CVistelDoc::~CVistelDoc()
{
    // Closing the document: playback stops, the pixel block and the image object go.
    ClearSequence();
    CriticalSectionLocker hold(m_lock);
    m_pixels.reset();
    m_image.reset();
}

HRESULT CVistelDoc::ensureImageObject()
{
    if (m_image)
        return S_OK;
    return CoCreateInstance(CLSID_CamImageObject, nullptr, CLSCTX_INPROC_SERVER,
                            IID_ICamImageObject, m_image.putVoid());
}

void CVistelDoc::setTitle(const QString& title)
{
    m_title = title;
    emit titleChanged(m_title);
}

HRESULT CVistelDoc::SetImage(const std::string& path)
{
    emit barsHidden();
    if (HRESULT hr = ensureImageObject(); FAILED(hr))
        return hr;
    _CAM_BIH bih{};
    HRESULT hr = m_image->GetDIB(Bstr(path).get(), CamDibFull, &bih, nullptr, nullptr);
    if (hr == S_OK) {
        {
            CriticalSectionLocker hold(m_lock);
            m_bih = bih;
        }
        emit viewUpdate(ViewHint::StopErasing);
        emit viewUpdate(ViewHint::Repaint);
        setTitle(afterLastSlash(path));
    }
    return hr;
}

HRESULT CVistelDoc::SetSequence(const std::string& path)
{
    return LoadSequence(path, true);
}

HRESULT CVistelDoc::SetSequenceCreateAVI(const std::string& path)
{
    ClearSequence();
    m_aviMode = true;
    return LoadSequence(path, false);
}

void CVistelDoc::ClearSequence()
{
    m_timer.stop();
    m_frameCount = 0;
    m_interval = 0;
    m_current = 0;
    m_frames.clear();
    emit commandsChanged();
}

HRESULT CVistelDoc::LoadSequence(const std::string& path, bool play)
{
    ClearSequence();
    SequenceContents contents = readSequence(path);
    // A damaged file is refused whole rather than played up to its damage: what it names past
    // that point cannot be trusted, and the album lists it by its header.
    if (contents.status == SequenceStatus::OpenFailed ||
        contents.status == SequenceStatus::Truncated ||
        contents.status == SequenceStatus::OutOfLimits) {
        ClearSequence();
        return E_FAIL;
    }
    m_frames = std::move(contents.framePaths);
    m_frameCount = static_cast<UI4>(m_frames.size());
    m_interval = boundedInterval(contents.header.frameInterval);

    if (HRESULT hr = ensureImageObject(); FAILED(hr))
        return hr;

    HRESULT hr = S_OK;
    if (m_frames.empty()) {
        // Nothing to decode: an empty dark grey view named after the sequence file.
        {
            CriticalSectionLocker hold(m_lock);
            m_bih = {};
        }
        emit viewUpdate(ViewHint::Blank);
        setTitle(afterLastSlash(path));
    } else {
        _CAM_BIH bih{};
        hr = m_image->GetDIB(Bstr(m_frames.front()).get(), CamDibFull, &bih, nullptr, nullptr);
        if (hr == S_OK) {
            {
                CriticalSectionLocker hold(m_lock);
                m_bih = bih;
            }
            emit viewUpdate(ViewHint::StopErasing);
            emit viewUpdate(ViewHint::Repaint);
            // The title names the last frame of the sequence.
            setTitle(afterLastSlash(m_frames.back()));
        }
    }
    emit sliderRange(std::max(0, static_cast<int>(m_frames.size()) - 1));
    emit commandsChanged();
    if (play && !m_frames.empty())
        Play();
    return hr;
}

void CVistelDoc::Play()
{
    if (m_paused) {
        m_paused = false;
        emit commandsChanged();
        return;
    }
    StopPlayback();
    m_timer.start(static_cast<int>(m_interval));
    emit commandsChanged();
}

void CVistelDoc::StopPlayback()
{
    m_paused = false;
    m_timer.stop();
    m_current = 0;
    emit commandsChanged();
}

void CVistelDoc::TogglePause()
{
    m_paused = !m_paused;
    emit commandsChanged();
}

void CVistelDoc::PlaybackStep()
{
    if (m_paused || !m_image)
        return;
    // The end is noticed one tick after the last frame was shown.
    if (m_current >= static_cast<int>(m_frames.size())) {
        StopPlayback();
        return;
    }
    const std::string& path = m_frames[static_cast<std::size_t>(m_current)];
    if (FAILED(m_image->GetDIB(Bstr(path).get(), CamDibFull, nullptr, nullptr, nullptr))) {
        StopPlayback();
        emit viewUpdate(ViewHint::Blank);
        return;
    }
    emit sliderPosition(m_current);
    emit statusText(QString::fromStdString(path));
    emit viewUpdate(ViewHint::Repaint);
    ++m_current;
}

void CVistelDoc::SeekFrame(int position)
{
    if (m_aviMode || !m_image)
        return;
    if (position < 0 || position >= static_cast<int>(m_frames.size()))
        return;
    if (m_timer.isActive() && !m_paused) {
        m_paused = true;
        emit commandsChanged();
    }
    // The index is not advanced: Play shows this frame once more at its next tick.
    m_current = position;
    const std::string& path = m_frames[static_cast<std::size_t>(position)];
    emit statusText(QString::fromStdString(path));
    m_image->GetDIB(Bstr(path).get(), CamDibFull, nullptr, nullptr, nullptr);
    emit viewUpdate(ViewHint::Repaint);
}

HRESULT CVistelDoc::loadPixelBlock(ICamImageObject* image, const std::string& path,
                                   _CAM_BIH* header, const std::uint8_t** bits)
{
    CriticalSectionLocker hold(m_lock);
    m_pixels.reset();
    DWORD size = 0;
    BYTE* raw = nullptr;
    HRESULT hr = image->GetDIB(Bstr(path).get(), CamDibFull, &m_bih, &size, &raw);
    m_pixels.reset(raw);
    if (FAILED(hr) || !raw) {
        m_pixels.reset();
        return FAILED(hr) ? hr : E_FAIL;
    }
    *header = m_bih;
    *bits = m_pixels.get();
    return S_OK;
}

void CVistelDoc::freePixelBlock()
{
    CriticalSectionLocker hold(m_lock);
    m_pixels.reset();
}

QSize CVistelDoc::imageSize() const
{
    if (!m_image)
        return kNoImageSize;
    LONG width = 0, height = 0;
    if (FAILED(m_image->GetDimension(&width, &height)) || width <= 0 || height <= 0)
        return kNoImageSize;
    return {static_cast<int>(width), static_cast<int>(height)};
}

QSize CVistelDoc::headerSize() const
{
    CriticalSectionLocker hold(m_lock);
    if (m_bih.biWidth <= 0 || m_bih.biHeight <= 0)
        return kNoImageSize;
    return {m_bih.biWidth, m_bih.biHeight};
}

bool CVistelDoc::draw(HDC hdc, const RECT& rect)
{
    {
        CriticalSectionLocker hold(m_lock);
        if (m_pixels) {
            orvel::draw::DrawSurface* surface = orvel::draw::DrawSurface::fromHdc(hdc);
            if (!surface)
                return false;
            surface->stretchBitmap({m_pixels.get(), m_bih.biWidth, m_bih.biHeight}, rect);
            return true;
        }
    }
    if (!m_image)
        return false;
    RECT target = rect;
    return SUCCEEDED(m_image->Draw(hdc, &target));
}

} // namespace vistel
