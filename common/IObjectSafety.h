#pragma once
// Scripting safety with the Windows interface: a page host asks a control whether it is safe
// for untrusted callers and untrusted data before scripting it or handing it page values.

#include "platform/com/Unknown.h"

constexpr DWORD INTERFACESAFE_FOR_UNTRUSTED_CALLER = 0x1;
constexpr DWORD INTERFACESAFE_FOR_UNTRUSTED_DATA = 0x2;

struct IObjectSafety : IUnknown {
    // The options supported and enabled for riid. E_POINTER for null out-pointers.
    virtual HRESULT GetInterfaceSafetyOptions(REFIID riid, DWORD* pdwSupportedOptions,
                                              DWORD* pdwEnabledOptions) = 0;
    virtual HRESULT SetInterfaceSafetyOptions(REFIID riid, DWORD dwOptionSetMask,
                                              DWORD dwEnabledOptions) = 0;

protected:
    ~IObjectSafety() = default;
};

constexpr IID IID_IObjectSafety = makeGuid("{CB5BDC81-93C1-11CF-8F20-00805F2CD064}");
template <> inline constexpr IID iidOf<IObjectSafety> = IID_IObjectSafety;
