#include "control/Registration.h"

#include "common/PictraClasses.h"
#include "platform/base/Utf.h"
#include "platform/com/ClassRegistration.h"
#include "platform/registry/RegistryKey.h"

namespace pictra {
namespace {

ClassRegistration camImageRegistration(const std::string& libraryPath)
{
    return inProcessRegistration(CLSID_CamImage, "CamImage Class", utf16ToUtf8(kProgIdCamImage1),
                                 utf16ToUtf8(kProgIdCamImage), LIBID_Pictra, libraryPath);
}

bool writeKey(const std::string& path, const std::string& value)
{
    return setDefaultValue(HKEY_CLASSES_ROOT, path, value);
}

} // namespace

HRESULT registerServer(const std::string& libraryPath)
{
    if (libraryPath.empty())
        return SELFREG_E_CLASS;
    if (HRESULT hr = registerClass(camImageRegistration(libraryPath)); FAILED(hr))
        return hr;
    const std::string key = "CLSID\\" + guidToString(CLSID_CamImage);
    const bool ok = writeKey(key + "\\Control", "") && writeKey(key + "\\Programmable", "") &&
                    writeKey(key + "\\Insertable", "") &&
                    writeKey(key + "\\ToolboxBitmap32", libraryPath + ", 1") &&
                    writeKey(key + "\\MiscStatus", "0") &&
                    writeKey(key + "\\MiscStatus\\1", std::to_string(kCamImageMiscStatus)) &&
                    writeKey(key + "\\Version", "1.0");
    if (!ok)
        return SELFREG_E_CLASS;
    return registerTypeLibrary(LIBID_Pictra, "Pictra 1.0 Type Library", libraryPath);
}

HRESULT unregisterServer(const std::string& libraryPath)
{
    HRESULT result = unregisterClass(camImageRegistration(libraryPath));
    if (HRESULT hr = unregisterTypeLibrary(LIBID_Pictra); FAILED(hr) && SUCCEEDED(result))
        result = hr;
    return result;
}

} // namespace pictra
