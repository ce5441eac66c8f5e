// camctl stream URL [--frames N] [--seconds S] [--user U --password P] [--insecure]: one line
// per delivered part ("part N type=0x5501 size=BYTES content-type=TEXT") and per status
// ("status CODE TEXT"). Exits 0 once N parts came, or the time ran out with at least one.
#include "tools/camctl/CamCtlClient.h"
#include "tools/camctl/CamCtlCommand.h"

#include <cstdio>

int runStream(const std::vector<std::string>& arguments)
{
    constexpr const char* kUsage =
        "usage: camctl stream URL [--frames N] [--seconds S] [--user U --password P] "
        "[--insecure]\n";
    std::vector<std::string> args = arguments;
    camctl::ClientOptions options;
    if (!camctl::takeClientOptions(args, options, "stream"))
        return kExitUsage;
    std::string url;
    unsigned long frames = 0;
    unsigned long seconds = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if ((args[i] == "--frames" || args[i] == "--seconds") && i + 1 < args.size()) {
            const bool isFrames = args[i] == "--frames";
            if (!camctl::parseNumber(args[++i], isFrames ? frames : seconds, "stream",
                                     isFrames ? "number of parts" : "number of seconds"))
                return kExitUsage;
        } else if (url.empty() && !args[i].empty() && args[i][0] != '-') {
            url = args[i];
        } else {
            std::fputs(kUsage, stderr);
            return kExitUsage;
        }
    }
    if (url.empty()) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }

    std::optional<camctl::Client> client =
        camctl::Client::create(options, "stream", camctl::Client::Print::Lines);
    if (!client)
        return kExitFailed;
    client->setPartLimit(frames);
    if (FAILED(client->open(url))) {
        std::fprintf(stderr, "camctl stream: \"%s\" is not a URL the client can open\n",
                     url.c_str());
        return kExitFailed;
    }
    // Without a limit the stream runs until the camera ends it.
    const auto deadline = seconds != 0
                              ? std::chrono::steady_clock::now() + std::chrono::seconds(seconds)
                              : std::chrono::steady_clock::time_point::max();
    client->waitUntil(deadline, [&](const camctl::Client::Shared& state) {
        return state.ended || (frames != 0 && state.partCount >= frames);
    });
    client->close();
    const std::size_t parts = client->partCount();
    // An error page (401, 500 ...) comes as a part, but it is no answer to a stream request.
    if ((frames != 0 ? parts >= frames : parts > 0) && !client->answeredWithError())
        return kExitOk;
    if (client->explainFailure("stream"))
        return kExitFailed;
    if (parts == 0)
        std::fprintf(stderr, "camctl stream: no part arrived from %s%s\n", url.c_str(),
                     client->ended() ? " before the stream ended" : "");
    else
        std::fprintf(stderr, "camctl stream: the stream ended after %zu of %lu parts\n", parts,
                     frames);
    return kExitFailed;
}
