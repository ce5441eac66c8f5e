#include "hosts/page/ControlSite.h"

#include "common/IOrvelCamControl.h"
#include "hosts/page/ControlEvents.h"
#include "platform/com/Persist.h"
#include "platform/com/Runtime.h"
#include "platform/window/WindowHandle.h"

#include <QWidget>

namespace pagehost {
namespace {

std::string describe(HRESULT hr)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}

} // namespace

ControlSite::ControlSite(ComPtr<PageDocument> document, std::string objectId, UserMode mode,
                         EventHandler onEvent)
    : m_document(std::move(document)), m_objectId(std::move(objectId)), m_mode(mode),
      m_onEvent(std::move(onEvent))
{}

ControlSite::~ControlSite() = default;

bool ControlSite::create(const CLSID& clsid, IPropertyBag* bag, QWidget* parent, const RECT& rect,
                         std::string* error)
{
    auto failed = [&](const std::string& what, HRESULT hr) {
        if (error)
            *error = what + " (" + describe(hr) + ")";
        close();
        return false;
    };
    m_parent = parent;
    ComPtr<IOleObject> object;
    HRESULT hr =
        CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, object.putVoid());
    if (FAILED(hr))
        return failed(hr == REGDB_E_CLASSNOTREG
                          ? "no control is registered for " + guidToString(clsid)
                          : "the control " + guidToString(clsid) + " could not be created",
                      hr);
    m_control = object.as<IUnknown>();
    // The suite's controls ask for their site before their properties.
    object->SetClientSite(this);
    adviseEvents();
    if (ComPtr<IPersistPropertyBag> persist = object.as<IPersistPropertyBag>()) {
        hr = bag ? persist->Load(bag, nullptr) : persist->InitNew();
        if (FAILED(hr))
            return failed("the control did not take its <param> values", hr);
    }
    hr = object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, hwndOf(parent), &rect);
    if (FAILED(hr))
        return failed("the control could not be shown", hr);
    return true;
}

void ControlSite::adviseEvents()
{
    ComPtr<IConnectionPointContainer> points = m_control.as<IConnectionPointContainer>();
    ComPtr<IEnumConnectionPoints> all;
    if (!points || FAILED(points->EnumConnectionPoints(all.put())))
        return;
    auto report = [this](const std::string& name) {
        if (m_onEvent)
            m_onEvent({m_objectId, name});
    };
    for (;;) {
        ComPtr<IConnectionPoint> point;
        ULONG fetched = 0;
        if (all->Next(1, point.put(), &fetched) != S_OK || fetched != 1)
            break;
        IID iid{};
        if (FAILED(point->GetConnectionInterface(&iid)))
            continue;
        ComPtr<IUnknown> sink;
        if (IsEqualIID(iid, IID_IPropertyNotifySink))
            sink = ComPtr<IUnknown>::attach(static_cast<IPropertyNotifySink*>(
                PropertyChangeSink::createRaw(DispatchTable<IOrvelCamControl>::members, report)));
        else
            sink = ComPtr<IUnknown>::attach(
                static_cast<IDispatch*>(DispatchEventSink::createRaw(iid, report)));
        DWORD cookie = 0;
        if (sink && SUCCEEDED(point->Advise(sink.get(), &cookie)))
            m_connections.push_back({point, cookie});
    }
}

void ControlSite::close()
{
    for (Connection& connection : m_connections)
        connection.point->Unadvise(connection.cookie);
    m_connections.clear();
    if (ComPtr<IOleObject> object = m_control.as<IOleObject>()) {
        object->Close(OLECLOSE_NOSAVE);
        object->SetClientSite(nullptr);
    }
    m_control.reset();
}

void ControlSite::move(const RECT& rect)
{
    if (ComPtr<IOleInPlaceObject> inPlace = m_control.as<IOleInPlaceObject>())
        inPlace->SetObjectRects(&rect, &rect);
}

HRESULT ControlSite::GetContainer(IOleContainer** ppContainer)
{
    if (!ppContainer)
        return E_POINTER;
    *ppContainer = nullptr;
    if (!m_document)
        return E_NOINTERFACE;
    *ppContainer = m_document.get();
    m_document->AddRef();
    return S_OK;
}

HRESULT ControlSite::ShowObject()
{
    return S_OK;
}

HRESULT ControlSite::GetWindow(HWND* phwnd)
{
    if (!phwnd)
        return E_POINTER;
    *phwnd = hwndOf(m_parent);
    return m_parent ? S_OK : E_FAIL;
}

HRESULT ControlSite::OnPosRectChange(const RECT* lprcPosRect)
{
    if (!lprcPosRect)
        return E_INVALIDARG;
    if (m_onResize)
        m_onResize(lprcPosRect->right - lprcPosRect->left, lprcPosRect->bottom - lprcPosRect->top);
    return S_OK;
}

HRESULT ControlSite::Invoke(DISPID dispIdMember, REFIID, LCID, WORD wFlags, DISPPARAMS*,
                            VARIANT* pVarResult, EXCEPINFO*, UINT*)
{
    if (!(wFlags & DISPATCH_PROPERTYGET))
        return DISP_E_MEMBERNOTFOUND;
    Variant value;
    switch (dispIdMember) {
    case DISPID_AMBIENT_USERMODE:
        value = Variant::fromBool(m_mode == UserMode::Run);
        break;
    case DISPID_AMBIENT_BACKCOLOR:
        value = Variant::fromI4(0x00FFFFFF); // the page's white, as OLE_COLOR
        break;
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
    if (pVarResult) {
        VariantClear(pVarResult);
        *pVarResult = value.detach();
    }
    return S_OK;
}

} // namespace pagehost
