#pragma once
// Luminent: the client object through which components receive streams, send simple requests,
// identify cameras and control the log. Each interface's methods live in their own file
// (LuminentVersion.cpp, LuminentError.cpp, ...); the interface list below is the class's
// interface map, in its published order.

#include "common/ICamIdentifyTarget.h"
#include "common/ICamModuleVersion.h"
#include "common/ILuminentError.h"
#include "platform/com/UnknownImpl.h"

namespace lumin {

class Luminent final
    : public UnknownImpl<Luminent, ICamModuleVersion, ILuminentError, ICamIdentifyTarget> {
public:
    Luminent();

    // ICamModuleVersion (LuminentVersion.cpp)
    HRESULT GetVersion(UI4* pdwMajor, UI4* pdwMinor, UI4* pdwBuild) override;

    // ILuminentError (LuminentError.cpp)
    HRESULT GetDescription(HRESULT hresError, BSTR* pbstrDescription) override;
    HRESULT EnableLog(UI4 dwLevelMask) override;
    HRESULT DisableLog() override;
    HRESULT OpenLog() override;
    HRESULT EraseLog() override;

    // ICamIdentifyTarget (LuminentIdentify.cpp)
    HRESULT IdentifyTarget(BSTR bstrHost, ICamTarget** ppTarget, BSTR* pbstrName,
                           BSTR* pbstrVersion, UI4 dwTimeout) override;
    HRESULT GetTarget(BSTR bstrName, BSTR bstrVersion, ICamTarget** ppTarget) override;
    HRESULT ChooseTarget(ICamTarget** ppTarget, BSTR* pbstrName, BSTR* pbstrVersion) override;

private:
    ~Luminent() override;
};

} // namespace lumin
