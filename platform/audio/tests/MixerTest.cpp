#include "platform/audio/Mixer.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <vector>

using namespace orvel::audio;

namespace {

TEST(Mixer, VolumeIsSharedAndChangesAreAnnounced)
{
    setenv("ORVEL_AUDIO", "null", 1);
    auto first = Mixer::open(MixerLine::Output);
    auto second = Mixer::open(MixerLine::Output);
    auto input = Mixer::open(MixerLine::Input);
    std::vector<DWORD> heard;
    int id = second->subscribe([&](DWORD v) { heard.push_back(v); });
    int inputCalls = 0;
    int inputId = input->subscribe([&](DWORD) { ++inputCalls; });

    ASSERT_TRUE(first->setVolume(1000));
    EXPECT_EQ(second->volume(), 1000u);
    ASSERT_TRUE(first->setVolume(1000)); // no change, no notice
    ASSERT_TRUE(first->setVolume(70000));
    EXPECT_EQ(first->volume(), 65535u);
    EXPECT_EQ(heard, (std::vector<DWORD>{1000, 65535}));
    EXPECT_EQ(inputCalls, 0); // another line

    second->unsubscribe(id);
    first->setVolume(5);
    EXPECT_EQ(heard.size(), 2u);
    input->unsubscribe(inputId);
}

} // namespace
