#pragma once
// The host's listeners on a control: one for each outgoing dispinterface it offers (its
// events) and one for IPropertyNotifySink (its property changes). They only name what they
// hear and hand it on; the page runs no handlers of its own.

#include "common/OleControl.h"

#include <functional>
#include <span>
#include <string>

namespace pagehost {

using EventNameHandler = std::function<void(const std::string& name)>;

// Member names of the dispinterfaces the host knows (the suite's controls' events); empty for
// any other, whose events are then named by number.
std::span<const DispatchMember> knownEventMembers(REFIID iid);

class DispatchEventSink final : public UnknownImpl<DispatchEventSink, DispatchSinkImpl> {
public:
    DispatchEventSink(const IID& iid, EventNameHandler handler);

    HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                   DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                   UINT* puArgErr) override;

private:
    ~DispatchEventSink() override = default;
    void* queryExtra(REFIID riid) override;

    IID m_iid;
    std::span<const DispatchMember> m_members;
    EventNameHandler m_handler;
};

class PropertyChangeSink final : public UnknownImpl<PropertyChangeSink, IPropertyNotifySink> {
public:
    // members: the control's dual interface table, to name the changed property.
    PropertyChangeSink(std::span<const DispatchMember> members, EventNameHandler handler);

    HRESULT OnChanged(DISPID dispID) override;
    HRESULT OnRequestEdit(DISPID dispID) override;

private:
    ~PropertyChangeSink() override = default;
    std::span<const DispatchMember> m_members;
    EventNameHandler m_handler;
};

} // namespace pagehost
