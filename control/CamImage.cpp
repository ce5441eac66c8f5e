#include "control/CamImage.h"

#include "common/ICamMultipartRequest.h"
#include "common/IHTMLDocument2.h"
#include "common/LuminClasses.h"
#include "common/PictraClasses.h"
#include "control/AudioEvent.h"
#include "control/CamImageWindow.h"
#include "control/ControlAudio.h"
#include "control/DocumentEventSink.h"
#include "control/ImageSink.h"
#include "control/LiveImage.h"
#include "control/ModuleState.h"
#include "control/PtzRequests.h"
#include "control/PtzSender.h"
#include "control/Registration.h"
#include "control/UrlResolution.h"
#include "platform/base/Utf.h"
#include "platform/com/PropertyStream.h"
#include "platform/com/Runtime.h"
#include "platform/draw/MemorySurface.h"
#include "platform/window/WindowHandle.h"

#include <QImage>
#include <QPainter>
#include <algorithm>

namespace pictra {
namespace {

using Members = DispatchTable<IOrvelCamControl>;

std::u16string textOf(BSTR value)
{
    return value ? std::u16string(value, SysStringLen(value)) : std::u16string();
}

HRESULT copyOut(const std::u16string& value, BSTR* out)
{
    if (!out)
        return E_POINTER;
    return SysReAllocStringLen(out, value.data(), static_cast<UINT>(value.size())) ? S_OK
                                                                                   : E_OUTOFMEMORY;
}

Bstr bstrOf(const std::u16string& value)
{
    return Bstr::attach(SysAllocStringLen(value.data(), static_cast<UINT>(value.size())));
}

} // namespace

HRESULT CamImage::create(IUnknown* outer, REFIID riid, void** ppv)
{
    return createInstance(outer, riid, ppv);
}

CamImage::CamImage()
    : UnknownImpl(&moduleLiveCount()), m_image(std::make_shared<LiveImage>()),
      m_sink(ComPtr<ICamRequestSink>::attach(ImageSink::createRaw(m_image)))
{
    ControlAudio::Host host;
    host.window = [this]() -> QWidget* {
        return m_window;
    };
    host.runMode = [this] {
        return !designMode();
    };
    host.readyComplete = [this] {
        m_readyState = 4;
        notifyChanged(DISPID_READYSTATE);
    };
    host.repaintControl = [this] {
        if (m_window)
            m_window->update();
    };
    host.background = [this] {
        return ambientBackground();
    };
    m_audio = std::make_unique<ControlAudio>(std::move(host));
}

CamImage::~CamImage()
{
    destroyWindow();
    m_events.unadviseAll();
    m_propertyNotify.unadviseAll();
}

// ---- host queries ----

bool CamImage::designMode() const
{
    ComPtr<IDispatch> ambient = m_site.as<IDispatch>();
    if (!ambient)
        return false;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    Variant value;
    if (FAILED(ambient->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, LOCALE_USER_DEFAULT,
                               DISPATCH_PROPERTYGET, &none, value.out(), nullptr, nullptr)))
        return false;
    Variant asBool;
    if (FAILED(VariantChangeType(asBool.get(), value.get(), 0, VT_BOOL)))
        return false;
    return asBool.get()->boolVal == VARIANT_FALSE;
}

QColor CamImage::ambientBackground() const
{
    const QColor fallback(Qt::white);
    ComPtr<IDispatch> ambient = m_site.as<IDispatch>();
    if (!ambient)
        return fallback;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    Variant value;
    if (FAILED(ambient->Invoke(DISPID_AMBIENT_BACKCOLOR, IID_NULL, LOCALE_USER_DEFAULT,
                               DISPATCH_PROPERTYGET, &none, value.out(), nullptr, nullptr)))
        return fallback;
    Variant colour;
    if (FAILED(VariantChangeType(colour.get(), value.get(), 0, VT_I4)))
        return fallback;
    // OLE_COLOR: 0x00BBGGRR; system colour indexes (high bit set) are not resolved here.
    const auto bgr = static_cast<std::uint32_t>(colour.get()->lVal);
    if (bgr & 0x80000000u)
        return fallback;
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

std::optional<std::u16string> CamImage::documentAddress() const
{
    if (!m_site)
        return std::nullopt;
    ComPtr<IOleContainer> container;
    if (FAILED(m_site->GetContainer(container.put())) || !container)
        return std::nullopt;
    ComPtr<IHTMLDocument2> document = container.as<IHTMLDocument2>();
    if (!document)
        return std::nullopt;
    Bstr address;
    if (FAILED(document->get_URL(address.out())))
        return std::nullopt;
    return std::u16string(address.view());
}

std::optional<std::u16string> CamImage::resolve(BSTR value) const
{
    return resolveAgainstDocument(textOf(value), documentAddress());
}

// ---- IOrvelCamControl ----

HRESULT CamImage::get_URL(BSTR* pVal)
{
    return copyOut(m_url, pVal);
}

HRESULT CamImage::put_URL(BSTR newVal)
{
    if (!m_window || designMode()) {
        m_url = textOf(newVal);
        return S_OK;
    }
    std::optional<std::u16string> resolved = resolve(newVal);
    m_url = resolved.value_or(std::u16string());
    notifyChanged(1);
    m_dirty = true;
    // Nothing to show without an address: what was shown stops.
    if (m_url.empty())
        return StopDownload();
    startDownload();
    return S_OK;
}

HRESULT CamImage::get_image_pan_tilt(BSTR* pVal)
{
    return copyOut(m_panTilt, pVal);
}

HRESULT CamImage::put_image_pan_tilt(BSTR newVal)
{
    m_panTilt = resolve(newVal).value_or(std::u16string());
    return S_OK;
}

HRESULT CamImage::get_Stretch(LONG* pVal)
{
    if (!pVal)
        return E_POINTER;
    *pVal = m_stretch;
    return S_OK;
}

HRESULT CamImage::put_Stretch(LONG newVal)
{
    m_stretch = newVal;
    return S_OK;
}

HRESULT CamImage::StopDownload()
{
    stopRequest();
    if (m_window)
        m_window->stopWatchdog();
    return S_OK;
}

HRESULT CamImage::get_PTZControlURL(BSTR* pVal)
{
    return get_image_pan_tilt(pVal);
}

HRESULT CamImage::put_PTZControlURL(BSTR newVal)
{
    return put_image_pan_tilt(newVal);
}

HRESULT CamImage::StartDownload()
{
    if (m_url.empty())
        return S_OK;
    Bstr url = bstrOf(m_url);
    return put_URL(url.get());
}

HRESULT CamImage::get_SoundURL(BSTR* pVal)
{
    return copyOut(m_soundUrl, pVal);
}

bool CamImage::storeResolved(BSTR value, std::u16string& property) const
{
    std::optional<std::u16string> resolved = resolve(value);
    if (!resolved)
        return false;
    property = std::move(*resolved);
    return true;
}

HRESULT CamImage::put_SoundURL(BSTR newVal)
{
    if (!storeResolved(newVal, m_soundUrl))
        return S_OK;
    m_dirty = true;
    if (!m_window || !designMode())
        m_audio->soundUrlSet(utf16ToUtf8(m_soundUrl));
    return S_OK;
}

HRESULT CamImage::get_RecordSoundURL(BSTR* pVal)
{
    return copyOut(m_recordSoundUrl, pVal);
}

HRESULT CamImage::put_RecordSoundURL(BSTR newVal)
{
    if (storeResolved(newVal, m_recordSoundUrl))
        m_audio->recordSoundUrlSet(utf16ToUtf8(m_recordSoundUrl));
    return S_OK;
}

HRESULT CamImage::get_AudioParameterURL(BSTR* pVal)
{
    return copyOut(m_audioParameterUrl, pVal);
}

HRESULT CamImage::put_AudioParameterURL(BSTR newVal)
{
    if (storeResolved(newVal, m_audioParameterUrl) && !(m_window && designMode()))
        m_audio->parameterUrlSet(utf16ToUtf8(m_audioParameterUrl));
    return S_OK;
}

HRESULT CamImage::get_DisplaySoundPanel(LONG* pVal)
{
    if (!pVal)
        return E_POINTER;
    *pVal = m_displaySoundPanel;
    return S_OK;
}

HRESULT CamImage::put_DisplaySoundPanel(LONG newVal)
{
    m_displaySoundPanel = newVal;
    m_audio->displayPanelSet(newVal != 0);
    if (m_window)
        m_window->update();
    return S_OK;
}

// ---- connection points ----

HRESULT CamImage::EnumConnectionPoints(IEnumConnectionPoints** ppEnum)
{
    return m_points.enumerate(ppEnum);
}

HRESULT CamImage::FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP)
{
    return m_points.find(riid, ppCP);
}

void CamImage::fire(DISPID event)
{
    m_events.fireDispatch(event);
}

void CamImage::notifyChanged(DISPID property)
{
    m_propertyNotify.forEach<IPropertyNotifySink>(
        [property](IPropertyNotifySink* sink) { sink->OnChanged(property); });
}

// ---- IOleObject, IOleInPlaceObject ----

HRESULT CamImage::SetClientSite(IOleClientSite* pClientSite)
{
    m_site = ComPtr<IOleClientSite>(pClientSite);
    return S_OK;
}

HRESULT CamImage::GetClientSite(IOleClientSite** ppClientSite)
{
    return m_site.copyTo(ppClientSite);
}

HRESULT CamImage::Close(DWORD)
{
    destroyWindow();
    return S_OK;
}

HRESULT CamImage::DoVerb(LONG iVerb, void*, IOleClientSite*, LONG, HWND hwndParent,
                         const RECT* lprcPosRect)
{
    if (iVerb != OLEIVERB_INPLACEACTIVATE && iVerb != OLEIVERB_SHOW && iVerb != OLEIVERB_PRIMARY)
        return E_NOTIMPL;
    if (m_window) {
        if (lprcPosRect)
            SetObjectRects(lprcPosRect, lprcPosRect);
        return S_OK;
    }
    if (!hwndParent)
        return E_INVALIDARG;
    createWindow(widgetOf(hwndParent), lprcPosRect);
    return S_OK;
}

HRESULT CamImage::GetUserClassID(CLSID* pClsid)
{
    return GetClassID(pClsid);
}

HRESULT CamImage::GetMiscStatus(DWORD dwAspect, DWORD* pdwStatus)
{
    if (!pdwStatus)
        return E_POINTER;
    *pdwStatus = dwAspect == DVASPECT_CONTENT ? kCamImageMiscStatus : 0;
    return S_OK;
}

HRESULT CamImage::GetWindow(HWND* phwnd)
{
    if (!phwnd)
        return E_POINTER;
    *phwnd = m_window ? hwndOf(m_window) : nullptr;
    return m_window ? S_OK : E_FAIL;
}

HRESULT CamImage::InPlaceDeactivate()
{
    destroyWindow();
    return S_OK;
}

HRESULT CamImage::SetObjectRects(const RECT* lprcPosRect, const RECT*)
{
    if (!lprcPosRect)
        return E_INVALIDARG;
    if (!m_window)
        return OLE_E_NOT_INPLACEACTIVE;
    m_window->setGeometry(lprcPosRect->left, lprcPosRect->top,
                          lprcPosRect->right - lprcPosRect->left,
                          lprcPosRect->bottom - lprcPosRect->top);
    return S_OK;
}

// ---- the window ----

void CamImage::createWindow(QWidget* parent, const RECT* position)
{
    m_window = new CamImageWindow(this, parent);
    if (position)
        m_window->setGeometry(position->left, position->top, position->right - position->left,
                              position->bottom - position->top);
    m_image->setWindow(m_window);
    m_window->show();

    // The page's stop ends the download.
    ComPtr<IOleContainer> container;
    if (m_site && SUCCEEDED(m_site->GetContainer(container.put())) && container) {
        m_documentEvents = ComPtr<DocumentEventSink>::attach(
            DocumentEventSink::createRaw([this] { StopDownload(); }));
        if (m_documentEvents && !m_documentEvents->subscribe(container.get()))
            m_documentEvents.reset();
    }
    if (!m_url.empty()) {
        Bstr url = bstrOf(m_url);
        put_URL(url.get());
    }
    if (!designMode())
        m_audio->windowCreated();
}

void CamImage::destroyWindow()
{
    CamImageWindow* window = std::exchange(m_window, nullptr);
    if (!window)
        return;
    window->detachControl();
    window->stopWatchdog();
    windowGoing();
    // Deleted later: this may run inside one of the window's own event handlers (an event
    // sink that closes the control).
    window->hide();
    window->deleteLater();
}

void CamImage::windowDestroyed()
{
    m_window = nullptr;
    windowGoing();
}

void CamImage::windowGoing()
{
    m_audio->windowGoing();
    m_image->setWindow(nullptr);
    if (m_documentEvents) {
        m_documentEvents->unsubscribe();
        m_documentEvents.reset();
    }
    stopRequest();
    m_image->releasePicture();
    m_ptz.reset();
    m_canvas.reset();
    m_screen = QImage();
}

void CamImage::startDownload()
{
    m_image->downloadStarted();
    m_window->startWatchdog();
    stopRequest();

    ComPtr<ICamMultipartRequest> request;
    if (FAILED(CoCreateInstance(CLSID_Luminent, nullptr, CLSCTX_INPROC_SERVER,
                                IID_ICamMultipartRequest, request.putVoid())))
        return; // the watchdog reports it
    Bstr url = bstrOf(m_url);
    if (SUCCEEDED(request->OpenUrl(url.get(), 0, hwndOf(m_window)))) {
        UI4 cookie = 0;
        if (SUCCEEDED(request->DataAdvise(m_sink.get(), nullptr, &cookie))) {
            GUID iid = IID_ICamDataObject;
            ComPtr<ICamDataObject> dataObject;
            if (SUCCEEDED(request->QueryDataObject(&iid, dataObject.putVoid())))
                m_image->setStream(std::move(dataObject), cookie);
        }
    }
    m_request = std::move(request);
}

void CamImage::stopRequest()
{
    ComPtr<ICamMultipartRequest> request = std::move(m_request);
    m_image->clearStream();
    if (request) {
        request->DataUnadvise();
        request->Close();
    }
}

// ---- painting and input ----

void CamImage::windowPaint(QPainter& painter)
{
    // The picture is stretched by the platform's halftone into a canvas and copied 1:1 in the
    // window's own pixel format, so the window shows what IViewObject::Draw gives a host, and
    // Qt's smooth scaling and format conversion (which fan out to a thread pool of their
    // own) stay out of the way.
    const int width = m_window->width();
    const int height = m_window->height();
    if (width <= 0 || height <= 0)
        return;
    if (!m_canvas || m_canvas->width() != width || m_canvas->height() != height)
        m_canvas = std::make_unique<orvel::draw::MemorySurface>(width, height);
    RECT drawn{};
    if (!drawPicture(*m_canvas, RECT{0, 0, width, height}, &drawn))
        return;
    const int w = std::min<int>(drawn.right, width);
    const int h = std::min<int>(drawn.bottom, height);
    if (w <= 0 || h <= 0)
        return;
    if (m_screen.width() != w || m_screen.height() != h)
        m_screen = QImage(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* from = m_canvas->bits() + std::size_t(y) * m_canvas->stride();
        auto* to = reinterpret_cast<QRgb*>(m_screen.scanLine(y));
        for (int x = 0; x < w; ++x, from += 3)
            to[x] = qRgb(from[2], from[1], from[0]);
    }
    painter.drawImage(QPoint(0, 0), m_screen);
}

bool CamImage::drawPicture(orvel::draw::DrawSurface& surface, const RECT& bounds, RECT* drawn)
{
    if (!m_window)
        return false;
    return m_image->paint([&](const DecodedImage& picture) {
        if (m_stretch != 0)
            resizeToImage(picture.width(), picture.height());
        const LONG width = bounds.right - bounds.left;
        LONG height = bounds.bottom - bounds.top;
        if (m_displaySoundPanel != 0)
            height -= kSoundPanelHeight;
        const orvel::draw::BitmapView view{picture.pixels(), picture.width(), picture.height()};
        const RECT target{0, 0, width, std::max<LONG>(height, 0)};
        surface.stretchBitmap(view, target);
        if (drawn)
            *drawn = target;
    });
}

void CamImage::resizeToImage(int width, int height)
{
    if (m_window->width() == width && m_window->height() == height)
        return;
    m_window->resize(width, height);
    if (ComPtr<IOleInPlaceSite> site = m_site.as<IOleInPlaceSite>()) {
        const QRect at = m_window->geometry();
        RECT position{at.left(), at.top(), at.left() + width, at.top() + height};
        site->OnPosRectChange(&position);
    }
}

void CamImage::windowNewImage()
{
    fire(DISPID_OnNewImage);
}

void CamImage::windowResized()
{
    m_audio->windowResized();
}

void CamImage::windowAudioEvent(const AudioEvent& event)
{
    if (event.notice() == AudioNotice::NewSoundSample)
        fire(DISPID_OnNewSoundSample);
    else
        m_audio->onEvent(event);
}

void CamImage::windowWatchdog()
{
    switch (m_image->watchdog().tick()) {
    case WatchdogAction::None:
        break;
    case WatchdogAction::ConnectionFailed:
        fire(DISPID_OnConnectionFailed);
        break;
    case WatchdogAction::ConnectionBroken: {
        fire(DISPID_OnConnectionBroken);
        Bstr url = bstrOf(m_url);
        put_URL(url.get());
        break;
    }
    }
}

PtzSender& CamImage::ptz()
{
    if (!m_ptz)
        m_ptz = std::make_unique<PtzSender>();
    return *m_ptz;
}

void CamImage::windowLeftButtonUp(unsigned x, unsigned y)
{
    if (m_panTilt.empty())
        return;
    ptz().send(centerRequest(utf16ToUtf8(m_panTilt), x, y));
}

void CamImage::windowWheel(int delta)
{
    if (m_panTilt.empty())
        return;
    ptz().send(zoomRequest(utf16ToUtf8(m_panTilt), delta));
}

// ---- IViewObject ----

HRESULT CamImage::Draw(DWORD, LONG, void*, void*, HDC, HDC hdcDraw, const RECT* lprcBounds,
                       const RECT*, void*, std::uintptr_t)
{
    orvel::draw::DrawSurface* surface = orvel::draw::DrawSurface::fromHdc(hdcDraw);
    if (!surface || !lprcBounds)
        return E_INVALIDARG;
    return drawPicture(*surface, *lprcBounds) ? S_OK : OLE_E_BLANK;
}

// ---- persistence ----

HRESULT CamImage::saveProperties(IPropertyBag* bag)
{
    IOrvelCamControl* self = this;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    for (std::size_t i = 0; i < Members::persistentCount; ++i) {
        const DispatchMember& member = Members::members[i];
        Variant value;
        if (HRESULT hr = member.get(self, &none, value.get(), nullptr); FAILED(hr))
            return hr;
        if (HRESULT hr = bag->Write(member.name, value.get()); FAILED(hr))
            return hr;
    }
    return S_OK;
}

HRESULT CamImage::loadProperties(IPropertyBag* bag, IErrorLog* log)
{
    IOrvelCamControl* self = this;
    for (std::size_t i = 0; i < Members::persistentCount; ++i) {
        const DispatchMember& member = Members::members[i];
        Variant value;
        // A property the bag does not hold keeps its value.
        if (FAILED(bag->Read(member.name, value.out(), log)))
            continue;
        DISPPARAMS one{value.get(), nullptr, 1, 0};
        if (HRESULT hr = member.put(self, &one, nullptr, nullptr); FAILED(hr))
            return hr;
    }
    return S_OK;
}

HRESULT CamImage::GetClassID(CLSID* pClassID)
{
    if (!pClassID)
        return E_POINTER;
    *pClassID = CLSID_CamImage;
    return S_OK;
}

HRESULT CamImage::IsDirty()
{
    return m_dirty ? S_OK : S_FALSE;
}

HRESULT CamImage::Load(IStream* pStm)
{
    if (!pStm)
        return E_POINTER;
    ComPtr<MemoryPropertyBag> bag =
        ComPtr<MemoryPropertyBag>::attach(MemoryPropertyBag::createRaw());
    if (!bag)
        return E_OUTOFMEMORY;
    if (FAILED(readPropertyBag(pStm, *bag)))
        return E_FAIL;
    return loadProperties(bag.get(), nullptr);
}

HRESULT CamImage::Save(IStream* pStm, BOOL fClearDirty)
{
    if (!pStm)
        return E_POINTER;
    ComPtr<MemoryPropertyBag> bag =
        ComPtr<MemoryPropertyBag>::attach(MemoryPropertyBag::createRaw());
    if (!bag)
        return E_OUTOFMEMORY;
    if (HRESULT hr = saveProperties(bag.get()); FAILED(hr))
        return hr;
    if (HRESULT hr = writePropertyBag(pStm, *bag); FAILED(hr))
        return hr;
    if (fClearDirty)
        m_dirty = false;
    return S_OK;
}

HRESULT CamImage::GetSizeMax(ULONGLONG* pCbSize)
{
    if (!pCbSize)
        return E_POINTER;
    ComPtr<IStream> stream;
    if (HRESULT hr = CreateStreamOnHGlobal(nullptr, TRUE, stream.put()); FAILED(hr))
        return hr;
    if (HRESULT hr = Save(stream.get(), FALSE); FAILED(hr))
        return hr;
    STATSTG stat{};
    stream->Stat(&stat, STATFLAG_NONAME);
    *pCbSize = stat.cbSize;
    return S_OK;
}

HRESULT CamImage::InitNew()
{
    return S_OK;
}

HRESULT CamImage::Load(IPropertyBag* pPropBag, IErrorLog* pErrorLog)
{
    if (!pPropBag)
        return E_POINTER;
    return loadProperties(pPropBag, pErrorLog);
}

HRESULT CamImage::Save(IPropertyBag* pPropBag, BOOL fClearDirty, BOOL)
{
    if (!pPropBag)
        return E_POINTER;
    if (HRESULT hr = saveProperties(pPropBag); FAILED(hr))
        return hr;
    if (fClearDirty)
        m_dirty = false;
    return S_OK;
}

HRESULT CamImage::InitNew(IStorage* pStg)
{
    return pStg ? S_OK : E_POINTER;
}

HRESULT CamImage::Load(IStorage* pStg)
{
    if (!pStg)
        return E_POINTER;
    ComPtr<IStream> stream;
    if (HRESULT hr = pStg->OpenStream(u"Contents", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0,
                                      stream.put());
        FAILED(hr))
        return hr;
    return Load(stream.get());
}

HRESULT CamImage::Save(IStorage* pStgSave, BOOL)
{
    if (!pStgSave)
        return E_POINTER;
    ComPtr<IStream> stream;
    if (HRESULT hr = pStgSave->CreateStream(
            u"Contents", STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0, stream.put());
        FAILED(hr))
        return hr;
    return Save(stream.get(), TRUE);
}

HRESULT CamImage::SaveCompleted(IStorage*)
{
    return S_OK;
}

HRESULT CamImage::HandsOffStorage()
{
    return S_OK;
}

// ---- IObjectSafety ----

HRESULT CamImage::GetInterfaceSafetyOptions(REFIID, DWORD* pdwSupportedOptions,
                                            DWORD* pdwEnabledOptions)
{
    if (!pdwSupportedOptions || !pdwEnabledOptions)
        return E_POINTER;
    constexpr DWORD kSafe = INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;
    *pdwSupportedOptions = kSafe;
    *pdwEnabledOptions = kSafe;
    return S_OK;
}

HRESULT CamImage::SetInterfaceSafetyOptions(REFIID, DWORD, DWORD)
{
    return S_OK;
}

} // namespace pictra
