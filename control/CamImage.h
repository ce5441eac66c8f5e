#pragma once
// CamImage, the live image control: shows one camera's motion-JPEG stream in a window of the
// page that hosts it, tells the page when images come and when the connection fails or
// breaks, restarts a stalled stream, and turns clicks and wheel turns into PTZ requests.
//
// Threads: every interface method and every window message runs on the host's window thread.
// The camera client calls the image sink on its callback thread; that side only touches the
// shared LiveImage and posts events to the window (LiveImage.h).

#include "common/IObjectSafety.h"
#include "common/IOrvelCamControl.h"
#include "common/OleControl.h"
#include "platform/com/ConnectionPoint.h"
#include "platform/com/Persist.h"

#include <QColor>
#include <QImage>
#include <memory>
#include <optional>
#include <string>

class QPainter;
class QWidget;
struct ICamMultipartRequest;
struct ICamRequestSink;

namespace orvel::draw {
class DrawSurface;
class MemorySurface;
} // namespace orvel::draw

namespace pictra {

class AudioEvent;
class CamImageWindow;
class ControlAudio;
class DocumentEventSink;
class LiveImage;
class PtzSender;

// The sound panel's strip at the bottom of the control; the picture is drawn above it.
inline constexpr int kSoundPanelHeight = 80;

class CamImage final
    : public UnknownImpl<CamImage, DualImpl<IOrvelCamControl>, IConnectionPointContainer,
                         IOleObject, IOleInPlaceObject, IViewObject, IPersistStreamInit,
                         IPersistPropertyBag, IPersistStorage, IObjectSafety> {
public:
    static HRESULT create(IUnknown* outer, REFIID riid, void** ppv);

    // IOrvelCamControl
    HRESULT get_URL(BSTR* pVal) override;
    HRESULT put_URL(BSTR newVal) override;
    HRESULT get_image_pan_tilt(BSTR* pVal) override;
    HRESULT put_image_pan_tilt(BSTR newVal) override;
    HRESULT get_Stretch(LONG* pVal) override;
    HRESULT put_Stretch(LONG newVal) override;
    HRESULT StopDownload() override;
    HRESULT get_PTZControlURL(BSTR* pVal) override;
    HRESULT put_PTZControlURL(BSTR newVal) override;
    HRESULT StartDownload() override;
    HRESULT get_SoundURL(BSTR* pVal) override;
    HRESULT put_SoundURL(BSTR newVal) override;
    HRESULT get_RecordSoundURL(BSTR* pVal) override;
    HRESULT put_RecordSoundURL(BSTR newVal) override;
    HRESULT get_AudioParameterURL(BSTR* pVal) override;
    HRESULT put_AudioParameterURL(BSTR newVal) override;
    HRESULT get_DisplaySoundPanel(LONG* pVal) override;
    HRESULT put_DisplaySoundPanel(LONG newVal) override;

    // IConnectionPointContainer: _DCamImageEvents and IPropertyNotifySink.
    HRESULT EnumConnectionPoints(IEnumConnectionPoints** ppEnum) override;
    HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) override;

    // IOleObject
    HRESULT SetClientSite(IOleClientSite* pClientSite) override;
    HRESULT GetClientSite(IOleClientSite** ppClientSite) override;
    HRESULT Close(DWORD dwSaveOption) override;
    HRESULT DoVerb(LONG iVerb, void* lpmsg, IOleClientSite* pActiveSite, LONG lindex,
                   HWND hwndParent, const RECT* lprcPosRect) override;
    HRESULT GetUserClassID(CLSID* pClsid) override;
    HRESULT GetMiscStatus(DWORD dwAspect, DWORD* pdwStatus) override;

    // IOleInPlaceObject
    HRESULT GetWindow(HWND* phwnd) override;
    HRESULT InPlaceDeactivate() override;
    HRESULT SetObjectRects(const RECT* lprcPosRect, const RECT* lprcClipRect) override;

    // IViewObject
    HRESULT Draw(DWORD dwDrawAspect, LONG lindex, void* pvAspect, void* ptd, HDC hdcTargetDev,
                 HDC hdcDraw, const RECT* lprcBounds, const RECT* lprcWBounds, void* pfnContinue,
                 std::uintptr_t dwContinue) override;

    // IPersist, IPersistStreamInit, IPersistPropertyBag, IPersistStorage: the properties by
    // name; in a stream as a property bag (platform/com/PropertyStream.h), in a storage in the
    // stream "Contents".
    HRESULT GetClassID(CLSID* pClassID) override;
    HRESULT IsDirty() override;
    HRESULT Load(IStream* pStm) override;
    HRESULT Save(IStream* pStm, BOOL fClearDirty) override;
    HRESULT GetSizeMax(ULONGLONG* pCbSize) override;
    HRESULT InitNew() override;
    HRESULT Load(IPropertyBag* pPropBag, IErrorLog* pErrorLog) override;
    HRESULT Save(IPropertyBag* pPropBag, BOOL fClearDirty, BOOL fSaveAllProperties) override;
    HRESULT InitNew(IStorage* pStg) override;
    HRESULT Load(IStorage* pStg) override;
    HRESULT Save(IStorage* pStgSave, BOOL fSameAsLoad) override;
    HRESULT SaveCompleted(IStorage* pStgNew) override;
    HRESULT HandsOffStorage() override;

    // IObjectSafety: safe for untrusted callers and data, on every interface.
    HRESULT GetInterfaceSafetyOptions(REFIID riid, DWORD* pdwSupportedOptions,
                                      DWORD* pdwEnabledOptions) override;
    HRESULT SetInterfaceSafetyOptions(REFIID riid, DWORD dwOptionSetMask,
                                      DWORD dwEnabledOptions) override;

    // The window's messages (CamImageWindow), on the window thread.
    void windowPaint(QPainter& painter);
    void windowNewImage();
    void windowWatchdog();
    void windowLeftButtonUp(unsigned x, unsigned y);
    void windowWheel(int delta);
    void windowResized();
    // Posted by the audio threads.
    void windowAudioEvent(const AudioEvent& event);
    // The window was deleted under the control (its parent went first).
    void windowDestroyed();

    CamImage();

private:
    ~CamImage() override;

    // Design mode only when the host answers that user mode is off.
    bool designMode() const;
    std::optional<std::u16string> documentAddress() const;
    std::optional<std::u16string> resolve(BSTR value) const;
    // An empty value resolves to nothing and leaves the property as it was: false.
    bool storeResolved(BSTR value, std::u16string& property) const;

    void createWindow(QWidget* parent, const RECT* position);
    void destroyWindow();
    // What destroying the window ends (WM_DESTROY).
    void windowGoing();
    void startDownload();
    // Unadvises, closes and releases the image request; the last picture stays.
    void stopRequest();
    // drawn, when given, receives the rectangle the picture took.
    bool drawPicture(orvel::draw::DrawSurface& surface, const RECT& bounds, RECT* drawn = nullptr);
    void resizeToImage(int width, int height);
    void fire(DISPID event);
    void notifyChanged(DISPID property);
    PtzSender& ptz();
    QColor ambientBackground() const;

    HRESULT saveProperties(IPropertyBag* bag);
    HRESULT loadProperties(IPropertyBag* bag, IErrorLog* log);

    // Properties.
    std::u16string m_url;
    std::u16string m_panTilt; // image_pan_tilt and PTZControlURL
    LONG m_stretch = 0;
    std::u16string m_soundUrl;
    std::u16string m_recordSoundUrl;
    std::u16string m_audioParameterUrl;
    LONG m_displaySoundPanel = 0;
    bool m_dirty = false;

    ComPtr<IOleClientSite> m_site;
    CamImageWindow* m_window = nullptr; // owned: destroyed in destroyWindow
    std::shared_ptr<LiveImage> m_image;
    ComPtr<ICamRequestSink> m_sink;
    ComPtr<ICamMultipartRequest> m_request;
    ComPtr<DocumentEventSink> m_documentEvents;
    std::unique_ptr<PtzSender> m_ptz;
    std::unique_ptr<orvel::draw::MemorySurface> m_canvas; // the window's picture, reused
    QImage m_screen;                                      // the same in the window's format

    LONG m_readyState = 4;
    std::unique_ptr<ControlAudio> m_audio; // after m_window: its panel is a child of the window

    ConnectionPointImpl m_events{this, DIID__DCamImageEvents};
    ConnectionPointImpl m_propertyNotify{this, IID_IPropertyNotifySink};
    ConnectionPointList m_points{&m_events, &m_propertyNotify};
};

} // namespace pictra
