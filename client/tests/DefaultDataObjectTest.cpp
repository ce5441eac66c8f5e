// The client's own data object refilled as the stream refills it (narrow headers, the part's
// buffer taken whole) and through its interface: both give what a sink reads.
#include "client/DefaultDataObject.h"

#include "platform/com/Bstr.h"
#include "platform/com/ComPtr.h"
#include "platform/com/TaskMemory.h"

#include <gtest/gtest.h>

namespace lumin {
namespace {

std::string property(ICamDataObject* object, const char* name)
{
    BSTR value = nullptr;
    if (object->GetProperty(Bstr(std::string_view(name)).get(), &value) != S_OK)
        return "<none>";
    std::string text = bstrToUtf8(value);
    SysFreeString(value);
    return text;
}

std::string data(ICamDataObject* object)
{
    DWORD size = 0;
    BYTE* bytes = nullptr;
    if (object->GetData(FALSE, &size, &bytes) != S_OK)
        return "<none>";
    std::string text(reinterpret_cast<char*>(bytes), size);
    CoTaskMemFree(bytes);
    return text;
}

} // namespace

TEST(DefaultDataObject, NarrowHeadersAndTakenBytesReadAsSetPropertyAndSetDataWrite)
{
    ComPtr<ICamDataObject> object;
    ASSERT_EQ(DefaultDataObject::createInstance(nullptr, IID_ICamDataObject, object.putVoid()),
              S_OK);
    auto* own = static_cast<DefaultDataObject*>(object.get());

    own->setHeader("Content-Type", "image/jpeg");
    own->setHeader("X-Place", "T\xC3\xBCr 3"); // UTF-8, as a camera may send it
    EXPECT_EQ(property(object.get(), "content-type"), "image/jpeg");
    EXPECT_EQ(property(object.get(), "x-place"), "T\xC3\xBCr 3");
    // One property per name whichever way it was written, the last value standing.
    object->SetProperty(Bstr(std::string_view("CONTENT-TYPE")).get(),
                        Bstr(std::string_view("text/plain")).get());
    EXPECT_EQ(property(object.get(), "Content-Type"), "text/plain");
    own->setHeader("content-TYPE", "audio/G723");
    EXPECT_EQ(property(object.get(), "content-type"), "audio/G723");

    PartBuffer part;
    part.assign({'J', 'P', 'E', 'G'});
    own->takeData(part);
    EXPECT_EQ(data(object.get()), "JPEG");
    EXPECT_TRUE(part.empty()); // the object's previous bytes: none yet
    PartBuffer next;
    next.assign({'n', 'e', 'x', 't'});
    own->takeData(next);
    EXPECT_EQ(data(object.get()), "next");
    EXPECT_EQ(std::string(next.begin(), next.end()), "JPEG"); // handed back for reuse
    PartBuffer none;
    own->takeData(none); // as SetData refuses no bytes, the part stays
    EXPECT_EQ(data(object.get()), "next");
    EXPECT_EQ(object->SetData(3, reinterpret_cast<BYTE*>(const_cast<char*>("abc"))), S_OK);
    EXPECT_EQ(data(object.get()), "abc");
}

} // namespace lumin
