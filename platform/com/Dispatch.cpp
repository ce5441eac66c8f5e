#include "platform/com/Dispatch.h"

#include "platform/base/AsciiCase.h"

const DispatchMember* findDispatchMember(std::span<const DispatchMember> members, DISPID dispid)
{
    for (const DispatchMember& m : members) {
        if (m.dispid == dispid)
            return &m;
    }
    return nullptr;
}

HRESULT dispatchGetIDsOfNames(std::span<const DispatchMember> members, REFIID riid,
                              LPOLESTR* rgszNames, UINT cNames, DISPID* rgDispId)
{
    if (!IsEqualIID(riid, IID_NULL))
        return DISP_E_UNKNOWNINTERFACE;
    if (cNames == 0)
        return S_OK;
    if (!rgszNames || !rgDispId)
        return E_INVALIDARG;
    HRESULT hr = S_OK;
    rgDispId[0] = DISPID_UNKNOWN;
    if (rgszNames[0]) {
        for (const DispatchMember& m : members) {
            if (orvel::equalsIgnoringCase(std::u16string_view(m.name),
                                          std::u16string_view(rgszNames[0]))) {
                rgDispId[0] = m.dispid;
                break;
            }
        }
    }
    if (rgDispId[0] == DISPID_UNKNOWN)
        hr = DISP_E_UNKNOWNNAME;
    for (UINT i = 1; i < cNames; ++i) {
        rgDispId[i] = DISPID_UNKNOWN;
        hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

HRESULT dispatchInvoke(std::span<const DispatchMember> members, IDispatch* self,
                       DISPID dispIdMember, REFIID riid, WORD wFlags, DISPPARAMS* pDispParams,
                       VARIANT* pVarResult, UINT* puArgErr)
{
    if (!IsEqualIID(riid, IID_NULL))
        return DISP_E_UNKNOWNINTERFACE;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    DISPPARAMS* params = pDispParams ? pDispParams : &none;
    if (params->cArgs > 0 && !params->rgvarg)
        return E_INVALIDARG;
    const DispatchMember* m = findDispatchMember(members, dispIdMember);
    if (!m)
        return DISP_E_MEMBERNOTFOUND;

    if (wFlags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        if (!m->put)
            return DISP_E_MEMBERNOTFOUND;
        // The one value of a put is the named argument DISPID_PROPERTYPUT; a bare single
        // argument is accepted too.
        if (params->cNamedArgs > 1 ||
            (params->cNamedArgs == 1 &&
             (!params->rgdispidNamedArgs || params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)))
            return DISP_E_PARAMNOTFOUND;
        return m->put(self, params, nullptr, puArgErr);
    }
    if (params->cNamedArgs != 0)
        return DISP_E_NONAMEDARGS;
    if (pVarResult)
        VariantInit(pVarResult);
    // Script engines call a property read as METHOD|PROPERTYGET.
    if ((wFlags & DISPATCH_METHOD) && m->method)
        return m->method(self, params, pVarResult, puArgErr);
    if ((wFlags & DISPATCH_PROPERTYGET) && m->get)
        return m->get(self, params, pVarResult, puArgErr);
    return DISP_E_MEMBERNOTFOUND;
}
