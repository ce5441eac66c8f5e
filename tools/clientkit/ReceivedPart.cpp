#include "tools/clientkit/ReceivedPart.h"

#include "common/ICamDataObject.h"
#include "platform/com/ComPtr.h"
#include "platform/com/TaskMemory.h"

ReceivedPart readReceivedPart(ICamMultipartRequest* request)
{
    ReceivedPart part;
    ComPtr<ICamDataObject> object;
    GUID iid = IID_ICamDataObject;
    if (!request || request->QueryDataObject(&iid, object.putVoid()) != S_OK)
        return part;
    object->Lock();
    DWORD size = 0;
    BYTE* bytes = nullptr;
    if (object->GetData(FALSE, &size, &bytes) == S_OK) {
        part.data.assign(reinterpret_cast<char*>(bytes), size);
        CoTaskMemFree(bytes);
    }
    Bstr name("content-type");
    BSTR value = nullptr;
    if (object->GetProperty(name.get(), &value) == S_OK && value)
        part.contentType = bstrToUtf8(value);
    SysFreeString(value);
    object->Unlock();
    return part;
}
