#include "hosts/page/ControlEvents.h"

#include "common/IOrvelCamControl.h"
#include "platform/base/Utf.h"

namespace pagehost {
namespace {

std::string memberName(std::span<const DispatchMember> members, DISPID id, const char* what)
{
    if (const DispatchMember* member = findDispatchMember(members, id))
        return utf16ToUtf8(member->name);
    return std::string(what) + " " + std::to_string(id);
}

} // namespace

std::span<const DispatchMember> knownEventMembers(REFIID iid)
{
    if (IsEqualIID(iid, DIID__DCamImageEvents))
        return DispatchTable<_DCamImageEvents>::members;
    return {};
}

DispatchEventSink::DispatchEventSink(const IID& iid, EventNameHandler handler)
    : m_iid(iid), m_members(knownEventMembers(iid)), m_handler(std::move(handler))
{}

void* DispatchEventSink::queryExtra(REFIID riid)
{
    return IsEqualIID(riid, m_iid) ? static_cast<IDispatch*>(this) : nullptr;
}

HRESULT DispatchEventSink::Invoke(DISPID dispIdMember, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*,
                                  EXCEPINFO*, UINT*)
{
    if (m_handler)
        m_handler(memberName(m_members, dispIdMember, "event"));
    return S_OK;
}

PropertyChangeSink::PropertyChangeSink(std::span<const DispatchMember> members,
                                       EventNameHandler handler)
    : m_members(members), m_handler(std::move(handler))
{}

HRESULT PropertyChangeSink::OnChanged(DISPID dispID)
{
    if (m_handler)
        m_handler("changed " + memberName(m_members, dispID, "property"));
    return S_OK;
}

HRESULT PropertyChangeSink::OnRequestEdit(DISPID)
{
    return S_OK;
}

} // namespace pagehost
