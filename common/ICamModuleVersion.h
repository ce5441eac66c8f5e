#pragma once
// The client library's own version number, read from the version record in its file.

#include "platform/com/Unknown.h"

inline constexpr IID IID_ICamModuleVersion = makeGuid("{044CF024-1888-11D5-B0AB-009027BD8645}");

struct ICamModuleVersion : IUnknown {
    // The first three numbers of the file version ("1, 2, 4, 1" gives 1, 2, 4). The outputs are
    // 0 on failure. \retval S_OK, E_FAIL
    virtual HRESULT GetVersion(UI4* pdwMajor, UI4* pdwMinor, UI4* pdwBuild) = 0;

protected:
    ~ICamModuleVersion() = default;
};
template <> inline constexpr IID iidOf<ICamModuleVersion> = IID_ICamModuleVersion;
