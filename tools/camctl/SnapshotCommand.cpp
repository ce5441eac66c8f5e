// camctl snapshot URL FILE [--seconds S] [--user U --password P] [--insecure]: saves the
// first JPEG part of the stream (or the single image) at URL to FILE.
#include "common/ICamRequestSink.h"
#include "platform/base/FileDescriptor.h"
#include "platform/base/RegularFile.h"
#include "tools/camctl/CamCtlClient.h"
#include "tools/camctl/CamCtlCommand.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

int runSnapshot(const std::vector<std::string>& arguments)
{
    constexpr const char* kUsage =
        "usage: camctl snapshot URL FILE [--seconds S] [--user U --password P] [--insecure]\n";
    std::vector<std::string> args = arguments;
    camctl::ClientOptions options;
    if (!camctl::takeClientOptions(args, options, "snapshot"))
        return kExitUsage;
    std::vector<std::string> positional;
    unsigned long seconds = 15;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--seconds" && i + 1 < args.size()) {
            if (!camctl::parseNumber(args[++i], seconds, "snapshot", "number of seconds"))
                return kExitUsage;
        } else if (!args[i].empty() && args[i][0] != '-') {
            positional.push_back(args[i]);
        } else {
            std::fputs(kUsage, stderr);
            return kExitUsage;
        }
    }
    if (positional.size() != 2) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    const std::string& url = positional[0];
    const std::string& file = positional[1];

    std::optional<camctl::Client> client =
        camctl::Client::create(options, "snapshot", camctl::Client::Print::Quiet);
    if (!client)
        return kExitFailed;
    if (FAILED(client->open(url))) {
        std::fprintf(stderr, "camctl snapshot: \"%s\" is not a URL the client can open\n",
                     url.c_str());
        return kExitFailed;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    client->waitUntil(
        deadline, [](const camctl::Client::Shared& state) { return state.ended || state.sawJpeg; });
    client->close();
    const std::optional<camctl::PartRecord> jpeg = client->firstPartOfType(CamTypeJpeg);
    if (!jpeg) {
        if (!client->explainFailure("snapshot"))
            std::fprintf(stderr, "camctl snapshot: no JPEG image came from %s within %lu s\n",
                         url.c_str(), seconds);
        return kExitFailed;
    }
    // Only a regular file: a pipe in the file's place would hold the write for ever.
    int openError = 0;
    const orvel::FileDescriptor out(
        orvel::openRegularFile(file, orvel::RegularFileAccess::Write, &openError));
    if (!out.isOpen()) {
        std::fprintf(stderr, "camctl snapshot: %s\n",
                     orvel::regularFileError(file, openError).c_str());
        return kExitFailed;
    }
    if (!out.writeAll(jpeg->data.data(), jpeg->data.size())) {
        std::fprintf(stderr, "camctl snapshot: cannot write %s: %s\n", file.c_str(),
                     std::strerror(errno));
        return kExitFailed;
    }
    std::printf("snapshot %s size=%zu\n", file.c_str(), jpeg->data.size());
    return kExitOk;
}
