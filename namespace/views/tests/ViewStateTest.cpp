// The view-state stream of the live views: the single view's version 3 and the switch view's
// version 4 byte for byte, reading back what was written, older versions keeping defaults,
// and damaged or short streams never reaching past what they hold.
#include "namespace/views/ViewState.h"

#include "platform/com/ComPtr.h"

#include <gtest/gtest.h>
#include <vector>

using namespace foldra;

namespace {

ComPtr<IStream> memoryStream(const std::vector<std::uint8_t>& bytes = {})
{
    ComPtr<IStream> stream;
    EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, stream.put()), S_OK);
    if (!bytes.empty()) {
        EXPECT_EQ(stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr), S_OK);
    }
    stream->Seek(0, STREAM_SEEK_SET, nullptr);
    return stream;
}

std::vector<std::uint8_t> contents(IStream* stream)
{
    ULONGLONG size = 0;
    stream->Seek(0, STREAM_SEEK_END, &size);
    stream->Seek(0, STREAM_SEEK_SET, nullptr);
    std::vector<std::uint8_t> bytes(size);
    ULONG got = 0;
    stream->Read(bytes.data(), static_cast<ULONG>(size), &got);
    bytes.resize(got);
    return bytes;
}

void putU32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

} // namespace

TEST(ViewState, SingleViewWritesVersion3AsStored)
{
    ViewState state;
    state.retainImageSize = false;
    state.sizeToFit = true;
    state.saveDirectory = "/home/ann/Pictures/";
    state.sequencePrefix = "door";
    state.record = {1, 12, 3600, 2, 40};
    ComPtr<IStream> stream = memoryStream();
    ASSERT_EQ(writeViewState(stream.get(), state, kSingleViewStateVersion), S_OK);

    std::vector<std::uint8_t> expected;
    putU32(expected, 3);
    putU32(expected, 0);
    putU32(expected, 1);
    putU32(expected, 20);
    for (char c : std::string("/home/ann/Pictures/"))
        expected.push_back(static_cast<std::uint8_t>(c));
    expected.push_back(0);
    putU32(expected, 5);
    for (char c : std::string("door"))
        expected.push_back(static_cast<std::uint8_t>(c));
    expected.push_back(0);
    for (std::uint32_t v : {1u, 12u, 3600u, 2u, 40u})
        putU32(expected, v);
    EXPECT_EQ(contents(stream.get()), expected);

    stream->Seek(0, STREAM_SEEK_SET, nullptr);
    ViewState back;
    EXPECT_EQ(readViewState(stream.get(), back), S_OK);
    EXPECT_EQ(back, state);
}

TEST(ViewState, SwitchViewWritesVersion4WithZerosAndTheNamesFlag)
{
    ViewState state;
    state.retainImageSize = true;
    state.displayNames = false;
    state.saveDirectory = "ignored";
    ComPtr<IStream> stream = memoryStream();
    ASSERT_EQ(writeViewState(stream.get(), state, kSwitchViewStateVersion), S_OK);
    std::vector<std::uint8_t> expected;
    for (std::uint32_t v : {4u, 1u, 0u, 0u, 0u, 0u, 0u, 0u, 0u, 0u, 0u, 0u})
        putU32(expected, v);
    EXPECT_EQ(contents(stream.get()), expected);

    stream->Seek(0, STREAM_SEEK_SET, nullptr);
    ViewState back;
    back.displayNames = true;
    EXPECT_EQ(readViewState(stream.get(), back), S_OK);
    EXPECT_TRUE(back.retainImageSize);
    EXPECT_FALSE(back.displayNames);
    EXPECT_EQ(back.record, RecordValues{}); // zeros are not taken as recording values
    EXPECT_EQ(writeViewState(stream.get(), state, 5), E_INVALIDARG);
}

TEST(ViewState, OlderVersionsKeepTheDefaultsOfWhatTheyLack)
{
    std::vector<std::uint8_t> v1;
    for (std::uint32_t v : {1u, 0u, 1u})
        putU32(v1, v);
    ViewState state;
    EXPECT_EQ(readViewState(memoryStream(v1).get(), state), S_OK);
    EXPECT_FALSE(state.retainImageSize);
    EXPECT_TRUE(state.sizeToFit);
    EXPECT_EQ(state.saveDirectory, "");
    EXPECT_EQ(state.record, RecordValues{});

    std::vector<std::uint8_t> v2;
    for (std::uint32_t v : {2u, 1u, 0u, 4u})
        putU32(v2, v);
    for (char c : std::string("/tm"))
        v2.push_back(static_cast<std::uint8_t>(c));
    v2.push_back(0);
    ViewState two;
    EXPECT_EQ(readViewState(memoryStream(v2).get(), two), S_OK);
    EXPECT_EQ(two.saveDirectory, "/tm");
    EXPECT_EQ(two.sequencePrefix, "");
    EXPECT_EQ(two.record.speed, 3u);
}

TEST(ViewState, DamagedOrShortStreamsStopWhereTheyGoWrong)
{
    // A count above 261 is not followed: the prefix and values keep their defaults.
    std::vector<std::uint8_t> big;
    for (std::uint32_t v : {3u, 0u, 0u, 70000u})
        putU32(big, v);
    ViewState state;
    EXPECT_EQ(readViewState(memoryStream(big).get(), state), S_FALSE);
    EXPECT_FALSE(state.retainImageSize);
    EXPECT_EQ(state.saveDirectory, "");
    EXPECT_EQ(state.record, RecordValues{});

    // Cut inside the recording values: the values read so far are not half-applied.
    std::vector<std::uint8_t> cut;
    for (std::uint32_t v : {3u, 1u, 0u, 0u, 0u, 2u, 9u})
        putU32(cut, v);
    ViewState partial;
    EXPECT_EQ(readViewState(memoryStream(cut).get(), partial), S_FALSE);
    EXPECT_EQ(partial.record, RecordValues{});

    ViewState empty;
    EXPECT_EQ(readViewState(memoryStream().get(), empty), S_FALSE);
    EXPECT_EQ(empty, ViewState{});
    EXPECT_EQ(readViewState(nullptr, empty), E_POINTER);
}

TEST(ViewState, LongStringsAreCutTo260Bytes)
{
    ViewState state;
    state.saveDirectory = std::string(400, 'd');
    ComPtr<IStream> stream = memoryStream();
    ASSERT_EQ(writeViewState(stream.get(), state, kSingleViewStateVersion), S_OK);
    stream->Seek(0, STREAM_SEEK_SET, nullptr);
    ViewState back;
    EXPECT_EQ(readViewState(stream.get(), back), S_OK);
    EXPECT_EQ(back.saveDirectory, std::string(260, 'd'));
}
