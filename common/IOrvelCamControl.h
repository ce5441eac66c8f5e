#pragma once
// The live image control's automation interface and its event dispinterface. Called on the
// control's window thread; string properties follow common/Ownership.h (getters reallocate the
// caller's BSTR).

#include "platform/com/Bstr.h"
#include "platform/com/Dispatch.h"

inline constexpr IID IID_IOrvelCamControl = makeGuid("{917623CF-D8E5-11D2-BE8B-00104B06BDE3}");

struct IOrvelCamControl : IDispatch {
    // DISPID 1: the motion-JPEG stream address. Setting it in run mode resolves it against the
    // hosting page and (re)starts the download; in design mode it is only stored.
    virtual HRESULT get_URL(BSTR* pVal) = 0;
    virtual HRESULT put_URL(BSTR newVal) = 0;
    // DISPID 2: the PTZ request prefix; one stored string with PTZControlURL.
    virtual HRESULT get_image_pan_tilt(BSTR* pVal) = 0;
    virtual HRESULT put_image_pan_tilt(BSTR newVal) = 0;
    // DISPID 3: non-zero makes the window follow the image size.
    virtual HRESULT get_Stretch(LONG* pVal) = 0;
    virtual HRESULT put_Stretch(LONG newVal) = 0;
    // DISPID 7: ends the image download and the watchdog; the last image stays.
    virtual HRESULT StopDownload() = 0;
    // DISPID 9: the same string as image_pan_tilt.
    virtual HRESULT get_PTZControlURL(BSTR* pVal) = 0;
    virtual HRESULT put_PTZControlURL(BSTR newVal) = 0;
    // DISPID 13: restarts the download of URL; nothing (S_OK) when URL is empty.
    virtual HRESULT StartDownload() = 0;
    // DISPID 20, 21, 22: audio addresses; an empty value keeps the old one.
    virtual HRESULT get_SoundURL(BSTR* pVal) = 0;
    virtual HRESULT put_SoundURL(BSTR newVal) = 0;
    virtual HRESULT get_RecordSoundURL(BSTR* pVal) = 0;
    virtual HRESULT put_RecordSoundURL(BSTR newVal) = 0;
    virtual HRESULT get_AudioParameterURL(BSTR* pVal) = 0;
    virtual HRESULT put_AudioParameterURL(BSTR newVal) = 0;
    // DISPID 23: non-zero shows the sound panel.
    virtual HRESULT get_DisplaySoundPanel(LONG* pVal) = 0;
    virtual HRESULT put_DisplaySoundPanel(LONG newVal) = 0;

protected:
    ~IOrvelCamControl() = default;
};
template <> inline constexpr IID iidOf<IOrvelCamControl> = IID_IOrvelCamControl;
template <> struct InterfaceParent<IOrvelCamControl> {
    using type = IDispatch;
};

// The properties come first, in the order they are persisted; then the methods.
template <> struct DispatchTable<IOrvelCamControl> {
    using I = IOrvelCamControl;
    static constexpr DispatchMember members[] = {
        dispProperty<&I::get_URL, &I::put_URL>(1, u"URL"),
        dispProperty<&I::get_PTZControlURL, &I::put_PTZControlURL>(9, u"PTZControlURL"),
        dispProperty<&I::get_image_pan_tilt, &I::put_image_pan_tilt>(2, u"image_pan_tilt"),
        dispProperty<&I::get_Stretch, &I::put_Stretch>(3, u"Stretch"),
        dispProperty<&I::get_SoundURL, &I::put_SoundURL>(20, u"SoundURL"),
        dispProperty<&I::get_RecordSoundURL, &I::put_RecordSoundURL>(21, u"RecordSoundURL"),
        dispProperty<&I::get_AudioParameterURL, &I::put_AudioParameterURL>(22,
                                                                           u"AudioParameterURL"),
        dispProperty<&I::get_DisplaySoundPanel, &I::put_DisplaySoundPanel>(23,
                                                                           u"DisplaySoundPanel"),
        dispMethod<&I::StopDownload>(7, u"StopDownload"),
        dispMethod<&I::StartDownload>(13, u"StartDownload"),
    };
    // The persistent properties are the first eight members.
    static constexpr std::size_t persistentCount = 8;
};

// The control's events ("CamImage Event Interface"): a dispinterface, so sinks implement
// IDispatch and answer QueryInterface for DIID__DCamImageEvents. Fired on the control's window
// thread, without arguments; results are ignored.
inline constexpr IID DIID__DCamImageEvents = makeGuid("{2D9BB631-1C11-11D4-9A60-009027665B0F}");

struct _DCamImageEvents : IDispatch {
protected:
    ~_DCamImageEvents() = default;
};
template <> inline constexpr IID iidOf<_DCamImageEvents> = DIID__DCamImageEvents;
template <> struct InterfaceParent<_DCamImageEvents> {
    using type = IDispatch;
};

enum CamImageEventId : DISPID {
    DISPID_OnNewImage = 1,
    DISPID_OnConnectionBroken = 2,
    DISPID_OnConnectionFailed = 3,
    DISPID_OnNewSoundSample = 4,
};

template <> struct DispatchTable<_DCamImageEvents> {
    static constexpr DispatchMember members[] = {
        dispEvent(DISPID_OnNewImage, u"OnNewImage"),
        dispEvent(DISPID_OnConnectionBroken, u"OnConnectionBroken"),
        dispEvent(DISPID_OnConnectionFailed, u"OnConnectionFailed"),
        dispEvent(DISPID_OnNewSoundSample, u"OnNewSoundSample"),
    };
};
