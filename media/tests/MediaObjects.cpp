#include "media/tests/MediaObjects.h"

#include "media/CamImageObject.h"
#include "media/CamSoundObject.h"

#include <gtest/gtest.h>
#include <string>

namespace medrix::test {

ComPtr<ICamImageObject> createImageObject()
{
    ComPtr<ICamImageObject> image;
    EXPECT_EQ(CamImageObject::create(nullptr, IID_PPV_ARGS(image.put())), S_OK);
    return image;
}

ComPtr<ICamSoundObject> createSoundObject()
{
    ComPtr<ICamSoundObject> sound;
    EXPECT_EQ(CamSoundObject::create(nullptr, IID_PPV_ARGS(sound.put())), S_OK);
    return sound;
}

void refill(IUnknown* object, const std::vector<std::uint8_t>& bytes, const char* contentType)
{
    ComPtr<ICamDataObject> data;
    ASSERT_EQ(object->QueryInterface(IID_PPV_ARGS(data.put())), S_OK);
    data->Lock();
    data->SetProperty(Bstr("Content-Type").get(), Bstr(contentType).get());
    data->SetProperty(Bstr("Content-Length").get(), Bstr(std::to_string(bytes.size())).get());
    data->SetData(static_cast<DWORD>(bytes.size()), const_cast<BYTE*>(bytes.data()));
    data->Unlock();
}

} // namespace medrix::test
