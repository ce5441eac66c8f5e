#include "control/PtzRequests.h"

namespace pictra {

std::string centerRequest(std::string_view prefix, unsigned x, unsigned y)
{
    if (prefix.empty())
        return {};
    return std::string(prefix) + std::to_string(x) + "," + std::to_string(y);
}

std::string zoomRequest(std::string_view prefix, int wheelDelta)
{
    if (prefix.empty())
        return {};
    const std::string_view base = prefix.substr(0, prefix.find("&center="));
    return std::string(base) + "&" + "rzoom" + "=" + (wheelDelta < 0 ? "-1000" : "1000");
}

} // namespace pictra
