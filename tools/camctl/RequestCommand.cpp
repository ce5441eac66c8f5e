// camctl get URL / camctl post URL FILE [--timeout MS] [--user U --password P] [--insecure]:
// one request through the client's simple requests; the reply body goes to standard output.
// Simple requests travel beside an open stream, so the camera's root page is opened as the
// client's stream first.
#include "common/ICamMultipartRequest.h"
#include "common/ICamSimpleRequest.h"
#include "platform/base/RegularFile.h"
#include "platform/com/TaskMemory.h"
#include "platform/http/HttpError.h"
#include "platform/http/Url.h"
#include "tools/camctl/CamCtlClient.h"
#include "tools/camctl/CamCtlCommand.h"

#include <cstdio>

namespace {

int runRequest(const char* command, std::vector<std::string> args)
{
    const bool post = std::string(command) == "post";
    const std::string usage = std::string("usage: camctl ") + command +
                              (post ? " URL FILE" : " URL") +
                              " [--timeout MS] [--user U --password P] [--insecure]\n";
    camctl::ClientOptions options;
    if (!camctl::takeClientOptions(args, options, command))
        return kExitUsage;
    std::vector<std::string> positional;
    unsigned long timeout = 15000;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--timeout" && i + 1 < args.size()) {
            if (!camctl::parseNumber(args[++i], timeout, command, "time-out in ms"))
                return kExitUsage;
        } else if (!args[i].empty() && args[i][0] != '-') {
            positional.push_back(args[i]);
        } else {
            std::fputs(usage.c_str(), stderr);
            return kExitUsage;
        }
    }
    if (positional.size() != (post ? 2u : 1u)) {
        std::fputs(usage.c_str(), stderr);
        return kExitUsage;
    }
    const std::string& url = positional[0];
    const std::optional<orvel::http::Url> parts = orvel::http::Url::crack(url);
    if (!parts) {
        std::fprintf(stderr, "camctl %s: \"%s\" is not an http or https URL\n", command,
                     url.c_str());
        return kExitUsage;
    }
    std::string body;
    if (post) {
        // A body as large as the largest reply the client takes; only a regular file, so a
        // pipe or a folder named by mistake is said, not waited on.
        std::string error;
        if (!readRegularFile(positional[1], kCamMaxPartBytes, body, &error)) {
            std::fprintf(stderr, "camctl post: %s\n", error.c_str());
            return kExitFailed;
        }
        if (body.empty()) {
            std::fprintf(stderr, "camctl post: %s is empty; a POST needs a body\n",
                         positional[1].c_str());
            return kExitUsage;
        }
    }

    std::optional<camctl::Client> client =
        camctl::Client::create(options, command, camctl::Client::Print::Quiet);
    if (!client)
        return kExitFailed;
    const std::string root = url.substr(0, url.find('/', url.find("://") + 3)) + "/";
    if (FAILED(client->open(root))) {
        std::fprintf(stderr, "camctl %s: cannot open a connection to %s\n", command, root.c_str());
        return kExitFailed;
    }
    ComPtr<ICamSimpleRequest> simple =
        ComPtr<ICamMultipartRequest>(client->request()).as<ICamSimpleRequest>();
    Bstr bstrUrl(url);
    UI4 size = 0;
    UI1* reply = nullptr;
    const HRESULT hr =
        post ? simple->SendPOSTRequest(static_cast<UI4>(timeout), bstrUrl.get(),
                                       static_cast<UI4>(body.size()),
                                       reinterpret_cast<UI1*>(body.data()), &size, &reply)
             : simple->SendGETRequest(static_cast<UI4>(timeout), bstrUrl.get(), &size, &reply);
    client->close();
    if (hr == S_OK && reply != nullptr) {
        std::fwrite(reply, 1, size - 1, stdout); // without the counted zero
        std::fflush(stdout);
        CoTaskMemFree(reply);
        return kExitOk;
    }
    if (hr == S_OK)
        std::fprintf(stderr, "camctl %s: no complete answer from %s within %lu ms\n", command,
                     url.c_str(), timeout);
    else if (client->explainPrompts(command))
        ; // a refused certificate or a password asked for, said in its own words
    else if (hr == E_OUTOFMEMORY)
        std::fprintf(stderr, "camctl %s: the reply from %s is larger than %zu MiB\n", command,
                     url.c_str(), kCamMaxPartBytes / (1024 * 1024));
    else if (HRESULT_FACILITY(hr) == FACILITY_WIN32 && HRESULT_CODE(hr) >= 12000 &&
             HRESULT_CODE(hr) < 13000)
        std::fprintf(
            stderr, "camctl %s: no whole answer from %s: %s\n", command, url.c_str(),
            orvel::http::describe(static_cast<orvel::http::HttpError>(HRESULT_CODE(hr))).c_str());
    else
        std::fprintf(stderr, "camctl %s: %s gave an empty answer (error 0x%08X)\n", command,
                     url.c_str(), static_cast<unsigned>(hr));
    return kExitFailed;
}

} // namespace

int runGet(const std::vector<std::string>& args)
{
    return runRequest("get", args);
}

int runPost(const std::vector<std::string>& args)
{
    return runRequest("post", args);
}
