// What the user is told when the camera ends a running upload (the connection aborted or
// reset), decided by the parameter list read again just then, and how talk is released.

#include "control/tests/AudioHost.h"

namespace pictra::test {
namespace {

struct DroppedUpload {
    const char* name;
    // root.Audiod values the camera reports instead of its own.
    std::vector<std::pair<std::string, std::string>> values;
    bool parametersUnreachable; // the parameter list's camera is gone when the upload drops
    const char* message;        // caption|text, or null for none
};

class CamImageUploadFailureTest : public CamImageAudioTest,
                                  public testing::WithParamInterface<DroppedUpload> {};

TEST_P(CamImageUploadFailureTest, ADroppedUploadReleasesTalkWithTheMessageItsCauseCallsFor)
{
    const DroppedUpload& drop = GetParam();
    camsim::CamSimConfig config = audioCamera(camsim::AudioDuplex::Half);
    config.audio.faults.dropUploadAfterBytes = 1500;
    for (const auto& [key, value] : drop.values)
        config.paramList.values.emplace_back("root.Audiod." + key, value);
    camsim::CamSim* camera = startCamera(config);
    ASSERT_TRUE(camera);
    camsim::CamSim* parameters = camera;
    if (drop.parametersUnreachable) {
        camsim::CamSimConfig other = audioCamera(camsim::AudioDuplex::Half);
        parameters = startCamera(other);
        ASSERT_TRUE(parameters);
    }
    host(Options(camera->url("/"))
             .param("AudioParameterURL", parameters->url(camsim::CamSim::audioParameterPath()))
             .param("RecordSoundURL", camera->url(camsim::CamSim::audioUploadPath()))
             .param("DisplaySoundPanel", "1"));
    ASSERT_TRUE(panel());
    if (drop.parametersUnreachable)
        m_cameras.back().reset();
    click("talkButton");
    ASSERT_TRUE(state("talking").toBool());
    ASSERT_TRUE(camera->waitForAudioUploads(
        [](const auto& uploads) { return !uploads.empty() && uploads.back().dropped; }, 10s));
    // Half duplex: the release turns talking off.
    ASSERT_TRUE(waitFor([&] { return !state("talking").toBool(); }, 10s));
    EXPECT_FALSE(state("capturing").toBool());
    pumpFor(200ms);
    if (drop.message)
        EXPECT_EQ(messages(), std::vector<std::string>{drop.message});
    else
        EXPECT_TRUE(messages().empty()) << messages().front();
    EXPECT_FALSE(state("modeChanged").toBool());
    EXPECT_EQ(camera->audioUploads().size(), 1u) << "no fresh POST without a proxy";
}

INSTANTIATE_TEST_SUITE_P(
    Causes, CamImageUploadFailureTest,
    testing::Values(
        // Room for clients and nobody else talking: released without a word.
        DroppedUpload{"room", {}, false, nullptr},
        DroppedUpload{"parametersGone",
                      {},
                      true,
                      "Error|The connection with the camera has been lost and it is now "
                      "unreachable.\n\n Please try again later.\n\n"},
        DroppedUpload{"anotherTalker",
                      {{"connectedPostClients", "1"}},
                      false,
                      "Service Unavailable|The camera is receiving audio from another client. "
                      "\n\nPlease try again later."},
        // Half duplex with every client slot taken.
        DroppedUpload{"full",
                      {{"maxNumberOfClients", "2"}, {"connectedClients", "2"}},
                      false,
                      "Service Unavailable|Maximum number of clients already connected.\n\n "
                      "Please try again later."},
        DroppedUpload{"noClientsAllowed",
                      {{"maxNumberOfClients", "0"}},
                      false,
                      "Service Unavailable|Maximum number of clients already connected.\n\n "
                      "Please try again later."}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace pictra::test
