#pragma once
// One control of the page and the client site the host gives it: creates the control by its
// class id, hands it the site (before anything else, as controls ask), loads its <param>
// values as a property bag, activates it in place in the page's window, and hears its events
// and property changes. Answers the control's questions: ambient user mode (run mode unless
// the page was opened in design mode), the document and its address, the window it lives in.
// On the host's window thread.

#include "common/OleControl.h"
#include "hosts/page/PageDocument.h"
#include "platform/com/PropertyBag.h"

#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace pagehost {

enum class UserMode { Run, Design };

// One event from a control: its outgoing interface's member name ("OnNewImage") or, for an
// interface the host does not know, "event N"; property changes read "changed URL".
struct ControlEvent {
    std::string objectId;
    std::string name;
};
using EventHandler = std::function<void(const ControlEvent&)>;
// The control changed its own size (it follows its picture): width and height in pixels.
using ResizeHandler = std::function<void(int width, int height)>;

class ControlSite final
    : public UnknownImpl<ControlSite, IOleClientSite, IOleInPlaceSite, DispatchSinkImpl> {
public:
    ControlSite(ComPtr<PageDocument> document, std::string objectId, UserMode mode,
                EventHandler onEvent);

    // Creates the control of clsid, loads bag (may be null: InitNew) and activates it as a
    // child of parent at rect. False with a one-line reason in *error.
    bool create(const CLSID& clsid, IPropertyBag* bag, QWidget* parent, const RECT& rect,
                std::string* error);
    // Deactivates and closes the control, drops its events and the site.
    void close();
    void setResizeHandler(ResizeHandler handler) { m_onResize = std::move(handler); }
    // Moves the control's window.
    void move(const RECT& rect);

    IUnknown* control() const { return m_control.get(); }
    template <typename I> ComPtr<I> controlAs() const { return m_control.as<I>(); }
    const std::string& objectId() const { return m_objectId; }

    // IOleClientSite
    HRESULT GetContainer(IOleContainer** ppContainer) override;
    HRESULT ShowObject() override;
    // IOleWindow, IOleInPlaceSite
    HRESULT GetWindow(HWND* phwnd) override;
    HRESULT OnPosRectChange(const RECT* lprcPosRect) override;
    // IDispatch: the ambient properties (user mode, back colour).
    HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                   DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                   UINT* puArgErr) override;

private:
    ~ControlSite() override;
    void adviseEvents();

    struct Connection {
        ComPtr<IConnectionPoint> point;
        DWORD cookie;
    };

    ComPtr<PageDocument> m_document;
    std::string m_objectId;
    UserMode m_mode;
    EventHandler m_onEvent;
    ResizeHandler m_onResize;
    QWidget* m_parent = nullptr;
    ComPtr<IUnknown> m_control;
    std::vector<Connection> m_connections;
};

} // namespace pagehost
