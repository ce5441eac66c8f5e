#include "media/CamSoundObject.h"

#include "media/codec/AudioCodec.h"
#include "media/tests/MediaObjects.h"
#include "testsupport/WaitUntil.h"

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <thread>

using namespace medrix::test;
using namespace std::chrono_literals;

namespace {

// G.721 codes of a tone, as a camera would send them.
std::vector<std::uint8_t> g721Codes(int samples)
{
    std::vector<std::uint8_t> pcm;
    for (int n = 0; n < samples; ++n) {
        auto s = static_cast<std::int16_t>(6000 * std::sin(2 * M_PI * 500 * n / 8000.0));
        pcm.push_back(static_cast<std::uint8_t>(s & 0xff));
        pcm.push_back(static_cast<std::uint8_t>(static_cast<std::uint16_t>(s) >> 8));
    }
    auto codec = orvel::codec::AudioCodec::create(2);
    auto state = codec->createState();
    orvel::codec::InputDescriptor in{pcm.data(), 0, pcm.size()};
    orvel::codec::ByteBuffer out;
    codec->encode(in, out, *state);
    return {out.data(), out.data() + out.size()};
}

std::vector<std::uint8_t> part(const std::vector<std::uint8_t>& codes)
{
    std::vector<std::uint8_t> bytes(12, 0x5a); // the packet header
    bytes.insert(bytes.end(), codes.begin(), codes.end());
    return bytes;
}

class SoundObject : public testing::Test {
protected:
    void SetUp() override
    {
        // Which slot a part went to is not visible through the interface, so these tests
        // make the object from the private library and read its slots.
        ASSERT_EQ(medrix::CamSoundObject::create(nullptr, IID_PPV_ARGS(sound.put())), S_OK);
        object = static_cast<medrix::CamSoundObject*>(sound.get());
    }

    ComPtr<ICamSoundObject> sound;
    medrix::CamSoundObject* object = nullptr;
};

TEST_F(SoundObject, PartsWithoutSoundPlayNothing)
{
    EXPECT_EQ(sound->Play(), S_OK);
    EXPECT_EQ(object->lastSlot(), -1);
    refill(sound.get(), std::vector<std::uint8_t>(12, 1), "audio/32KADPCM");
    EXPECT_EQ(sound->Play(), S_OK);
    EXPECT_EQ(object->lastSlot(), -1);
}

TEST_F(SoundObject, PayloadAfterTheHeaderIsDecodedAndQueued)
{
    refill(sound.get(), part(g721Codes(240)), "audio/32KADPCM"); // 120 bytes of codes
    ASSERT_EQ(sound->Play(), S_OK);
    EXPECT_EQ(object->lastSlot(), 0);
    EXPECT_EQ(object->slotSamples(0).size(), 480u); // 240 samples
    EXPECT_TRUE(object->slotQueued(0));
}

TEST_F(SoundObject, DecoderStateRunsAcrossParts)
{
    auto codes = g721Codes(400);
    std::vector<std::uint8_t> first(codes.begin(), codes.begin() + 77);
    std::vector<std::uint8_t> second(codes.begin() + 77, codes.end());
    refill(sound.get(), part(first));
    sound->Play();
    refill(sound.get(), part(second));
    sound->Play();
    auto played = object->slotSamples(0);
    auto rest = object->slotSamples(1);
    played.insert(played.end(), rest.begin(), rest.end());

    auto codec = orvel::codec::AudioCodec::create(2);
    auto state = codec->createState();
    orvel::codec::InputDescriptor in{codes.data(), 0, codes.size()};
    orvel::codec::ByteBuffer joined;
    codec->decode(in, joined, *state);
    EXPECT_TRUE(played == std::vector<std::uint8_t>(joined.data(), joined.data() + joined.size()));
}

TEST_F(SoundObject, FullQueueDropsPartsUntilABlockIsDone)
{
    // One second each: none finishes while the queue is filled.
    refill(sound.get(), part(g721Codes(8000)));
    for (int n = 0; n < 30; ++n)
        ASSERT_EQ(sound->Play(), S_OK);
    EXPECT_EQ(object->lastSlot(), 29);

    EXPECT_EQ(sound->Play(), S_OK); // slot 0 still plays: dropped
    EXPECT_EQ(object->lastSlot(), 29);

    ASSERT_TRUE(waitUntil([&] { return !object->slotQueued(0); }, 5s));
    EXPECT_EQ(sound->Play(), S_OK);
    EXPECT_EQ(object->lastSlot(), 0);
    EXPECT_TRUE(object->slotQueued(0));
}

TEST_F(SoundObject, ReleasingWithQueuedSoundIsPrompt)
{
    refill(sound.get(), part(g721Codes(8000)));
    for (int n = 0; n < 5; ++n)
        sound->Play();
    auto start = std::chrono::steady_clock::now();
    object = nullptr;
    sound.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
}

TEST(SoundObjectByClassId, CarriesTheDataObjectInterface)
{
    auto sound = createSoundObject();
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->Play(), S_OK);
    ComPtr<ICamDataObject> data = sound.as<ICamDataObject>();
    ASSERT_TRUE(data);
    BYTE bytes[3] = {1, 2, 3};
    EXPECT_EQ(data->SetData(3, bytes), S_OK);
    ComPtr<ICamSoundObject> back = data.as<ICamSoundObject>();
    EXPECT_EQ(back.get(), sound.get());
}

} // namespace
