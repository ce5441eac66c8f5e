// The audio parameter list's parsing rules and the level meter, on their own.

#include "control/AudioParameters.h"
#include "control/LevelMeter.h"

#include <gtest/gtest.h>
#include <vector>

namespace pictra {
namespace {

TEST(AudioParameters, KeysIgnoreCaseAndWhiteSpaceAndValuesIgnoreCase)
{
    AudioParameters p;
    ASSERT_FALSE(p.speakerMuted);
    parseAudioParameters("  ROOT.AUDIOD.SPEAKERMODE   =  MuTeD  \r\n"
                         "root.audiod.duplexmode=Half\n"
                         "Root.Audiod.AudioEncoding = g723\r"
                         "root.Audiod.httpMessageType=SinglePart\r\n"
                         "root.Audiod.buttonMode = INSTANT",
                         p);
    EXPECT_TRUE(p.speakerMuted);
    EXPECT_EQ(p.duplexMode, DuplexMode::Half);
    EXPECT_EQ(p.encoding, orvel::codec::CodecType::G723_24);
    EXPECT_EQ(p.messageType, HttpMessageType::Singlepart);
    EXPECT_EQ(p.buttonMode, ButtonMode::Instant);
}

TEST(AudioParameters, UnknownValuesLinesAndKeysLeaveTheFieldsAsTheyWere)
{
    AudioParameters p;
    p.duplexMode = DuplexMode::Half;
    p.maxNumberOfClients = 5;
    parseAudioParameters("root.Audiod.duplexMode=sometimes\n"
                         "root.Audiod.maxNumberOfClients=12abc\n"
                         "root.Audiod.maxNumberOfClients\n"
                         "root.Audiod.microphoneMode=maybe\n"
                         "root.Audiod.forwardOnPost=yes\n"
                         "root.Video.speakerMode=muted\n"
                         "# Error: Error -1 getting param in group 'root.Audiod'\n",
                         p);
    EXPECT_EQ(p.duplexMode, DuplexMode::Half);
    EXPECT_EQ(p.maxNumberOfClients, 5);
    EXPECT_TRUE(p.microphoneMuted);
    EXPECT_FALSE(p.speakerMuted);
}

TEST(AudioParameters, EveryDisabledFormIsTheDisabledMode)
{
    for (const char* value : {"disabled_post", "disabled_half", "DISABLED_GET", "disabled_full"}) {
        AudioParameters p;
        parseAudioParameters(std::string("root.Audiod.duplexMode=") + value, p);
        EXPECT_EQ(p.duplexMode, DuplexMode::Disabled) << value;
    }
    AudioParameters p;
    parseAudioParameters("root.Audiod.duplexMode=get", p);
    EXPECT_EQ(p.duplexMode, DuplexMode::ListenOnly);
    parseAudioParameters("root.Audiod.duplexMode=post", p);
    EXPECT_EQ(p.duplexMode, DuplexMode::TalkOnly);
}

TEST(AudioParameters, ListenerSlotIsTakenWhenListenersNumberTheMaximum)
{
    AudioParameters p;
    parseAudioParameters("root.Audiod.maxNumberOfClients=2\nroot.Audiod.connectedClients=3\n"
                         "root.Audiod.connectedPostClients=1\n",
                         p);
    EXPECT_FALSE(p.listenerSlotFree());
    parseAudioParameters("root.Audiod.connectedClients=2", p);
    EXPECT_TRUE(p.listenerSlotFree());
    // Counts whose difference a long cannot hold match no maximum.
    parseAudioParameters("root.Audiod.connectedClients=-9223372036854775808\n"
                         "root.Audiod.maxNumberOfClients=9223372036854775807",
                         p);
    EXPECT_TRUE(p.listenerSlotFree());
}

std::vector<std::uint8_t> tone(std::size_t samples, std::int16_t amplitude)
{
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < samples; ++i) {
        const std::int16_t s = (i % 2) ? amplitude : static_cast<std::int16_t>(-amplitude);
        bytes.push_back(static_cast<std::uint8_t>(s & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>((s >> 8) & 0xFF));
    }
    return bytes;
}

TEST(LevelMeter, RisesAtOnceAndFallsOneStepPerNineQuietFifths)
{
    LevelMeter meter;
    const auto loud = tone(240, 0x7F00);
    EXPECT_TRUE(meter.run(loud.data(), loud.size()));
    EXPECT_EQ(meter.level(), 8);
    // The loud buffer's own last four fifths are quiet already (no new peak).
    const auto quiet = tone(240, 0);
    EXPECT_TRUE(meter.run(quiet.data(), quiet.size()));
    EXPECT_EQ(meter.level(), 7);
    EXPECT_FALSE(meter.run(quiet.data(), quiet.size())) << "5 quiet fifths must not lower it";
    meter.run(quiet.data(), quiet.size());
    EXPECT_EQ(meter.level(), 6);
    for (int i = 0; i < 20; ++i)
        meter.run(quiet.data(), quiet.size());
    EXPECT_EQ(meter.level(), 0);
    const auto middle = tone(240, 0x7F00 >> 4);
    meter.run(middle.data(), middle.size());
    EXPECT_EQ(meter.level(), 4);
    meter.run(loud.data(), loud.size());
    EXPECT_EQ(meter.level(), 8);
}

} // namespace
} // namespace pictra
