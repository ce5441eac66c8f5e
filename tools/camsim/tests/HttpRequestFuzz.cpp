// Request bytes from anywhere: head parsing, query decoding, routing for every generation and
// the Digest check must neither crash nor read out of bounds.

#include "tools/camsim/CamRoutes.h"
#include "tools/camsim/HttpAuth.h"
#include "tools/camsim/HttpRequest.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace camsim;
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    HttpRequest request;
    std::size_t headLength = 0;
    if (parseRequestHead(bytes, request, headLength) != ParseStatus::Complete)
        return 0;
    parseQuery(request.query);
    for (const SimModel& model : simModels())
        for (const SimFirmware& firmware : model.firmware)
            routeRequest(model, firmware.generation, true, request);
    HttpAuth digest(AuthMode::Digest, "user", "password", "OS34", 1);
    digest.challenge(false);
    digest.check(request);
    HttpAuth basic(AuthMode::Basic, "user", "password", "OS34", 1);
    basic.check(request);
    return 0;
}
