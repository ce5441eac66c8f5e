#include "viewer/app/VistelRegistration.h"

#include "common/VistelClasses.h"
#include "platform/base/Utf.h"
#include "platform/com/ClassRegistration.h"

namespace {
ClassRegistration vistelRegistration(const std::string& programPath)
{
    ClassRegistration r;
    r.clsid = CLSID_Vistel;
    r.friendlyName = "Vistel Document";
    r.kind = ServerKind::LocalServer;
    r.serverPath = programPath;
    r.progId = utf16ToUtf8(kProgIdVistelDocument);
    r.typeLib = LIBID_Vistel;
    return r;
}
} // namespace

HRESULT registerVistel(const std::string& programPath)
{
    return registerClass(vistelRegistration(programPath));
}

HRESULT unregisterVistel(const std::string& programPath)
{
    return unregisterClass(vistelRegistration(programPath));
}
