// The data-object interface as the camera client drives it.

#include "media/DataObjectStore.h"
#include "media/tests/MediaObjects.h"
#include "platform/com/TaskMemory.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

using medrix::test::createImageObject;

class DataObject : public testing::Test {
protected:
    void SetUp() override
    {
        auto image = createImageObject();
        ASSERT_TRUE(image);
        ASSERT_EQ(image->QueryInterface(IID_PPV_ARGS(data.put())), S_OK);
    }

    std::string get(const char* name)
    {
        Bstr value;
        EXPECT_EQ(data->GetProperty(Bstr(name).get(), value.out()), S_OK) << name;
        return value.utf8();
    }

    ComPtr<ICamDataObject> data;
};

TEST_F(DataObject, PropertiesAreFoundInAnyCaseAndReplacedAtTheEnd)
{
    ASSERT_EQ(data->SetProperty(Bstr("Content-Type").get(), Bstr("image/jpeg").get()), S_OK);
    ASSERT_EQ(data->SetProperty(Bstr("Content-Length").get(), Bstr("1234").get()), S_OK);
    EXPECT_EQ(get("content-TYPE"), "image/jpeg");

    ASSERT_EQ(data->SetProperty(Bstr("CONTENT-TYPE").get(), Bstr("text/plain").get()), S_OK);
    EXPECT_EQ(get("Content-Type"), "text/plain");

    // A caller's string stays as it was when the name is not stored.
    Bstr value("kept");
    EXPECT_EQ(data->GetProperty(Bstr("X-Missing").get(), value.out()), S_FALSE);
    EXPECT_EQ(value.utf8(), "kept");
}

// The order is not visible through the interface; the store shows it.
TEST(DataObjectStore, StoredNamesAreLowerCaseAndUniqueInOrderOfLastStore)
{
    medrix::DataObjectStore store;
    store.setProperty(Bstr("A").get(), Bstr("1").get());
    store.setProperty(Bstr("Content-Type").get(), Bstr("2").get());
    store.setProperty(Bstr("a").get(), Bstr("3").get());
    auto pairs = store.properties();
    ASSERT_EQ(pairs.size(), 2u);
    EXPECT_EQ(pairs[0].first, "content-type");
    EXPECT_EQ(pairs[1].first, "a");
    EXPECT_EQ(pairs[1].second, "3");
}

TEST_F(DataObject, NullValuesAndNullNames)
{
    ASSERT_EQ(data->SetProperty(Bstr("X-Flag").get(), nullptr), S_OK);
    Bstr value("old");
    EXPECT_EQ(data->GetProperty(Bstr("x-flag").get(), value.out()), S_OK);
    EXPECT_EQ(value.get(), nullptr);

    // A null name is the empty name.
    ASSERT_EQ(data->SetProperty(nullptr, Bstr("v").get()), S_OK);
    EXPECT_EQ(get(""), "v");
    EXPECT_EQ(data->GetProperty(Bstr("x").get(), nullptr), E_POINTER);
}

TEST_F(DataObject, GetDataCopiesWithAnOptionalTerminator)
{
    DWORD size = 0;
    BYTE* block = nullptr;
    EXPECT_EQ(data->GetData(TRUE, &size, &block), E_FAIL);

    BYTE bytes[10] = {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'};
    ASSERT_EQ(data->SetData(sizeof bytes, bytes), S_OK);
    ASSERT_EQ(data->GetData(TRUE, &size, &block), S_OK);
    ASSERT_EQ(size, 11u);
    EXPECT_EQ(std::memcmp(block, bytes, 10), 0);
    EXPECT_EQ(block[10], 0);
    CoTaskMemFree(block);

    ASSERT_EQ(data->GetData(FALSE, &size, &block), S_OK);
    EXPECT_EQ(size, 10u);
    CoTaskMemFree(block);
}

TEST_F(DataObject, SetDataRefusesEmptyPartsAndKeepsTheBytes)
{
    BYTE bytes[4] = {1, 2, 3, 4};
    ASSERT_EQ(data->SetData(4, bytes), S_OK);
    EXPECT_EQ(data->SetData(0, bytes), E_INVALIDARG);
    EXPECT_EQ(data->SetData(4, nullptr), E_INVALIDARG);

    // A shorter part reuses the buffer and only its bytes count.
    BYTE shorter[2] = {9, 8};
    ASSERT_EQ(data->SetData(2, shorter), S_OK);
    DWORD size = 0;
    BYTE* block = nullptr;
    ASSERT_EQ(data->GetData(FALSE, &size, &block), S_OK);
    ASSERT_EQ(size, 2u);
    EXPECT_EQ(block[0], 9);
    EXPECT_EQ(block[1], 8);
    CoTaskMemFree(block);
}

TEST_F(DataObject, LockIsRecursive)
{
    EXPECT_EQ(data->Lock(), S_OK);
    EXPECT_EQ(data->Lock(), S_OK);
    BYTE bytes[1] = {7};
    EXPECT_EQ(data->SetData(1, bytes), S_OK); // the same thread re-enters
    EXPECT_EQ(data->Unlock(), S_OK);
    EXPECT_EQ(data->Unlock(), S_OK);
}

} // namespace
