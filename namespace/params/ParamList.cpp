#include "namespace/params/ParamList.h"

#include "platform/base/AsciiCase.h"

#include <charconv>

namespace foldra {

namespace {

// Calls line(text) for every non-empty line until it answers false.
template <typename Line> void forEachLine(std::string_view text, Line line)
{
    while (!text.empty()) {
        const std::size_t end = text.find_first_of("\r\n");
        const std::string_view current = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!current.empty() && !line(current))
            return;
    }
}

// A decimal count as the camera writes it: blanks, an optional sign, digits; what follows the
// digits is ignored. Nothing readable, no positive count or one beyond kMaxVideoSources gives 0.
int sourceCount(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || value <= 0 || value > kMaxVideoSources)
        return 0;
    return value;
}

std::vector<std::string> splitAtCommas(std::string_view value)
{
    std::vector<std::string> pieces;
    while (!value.empty()) {
        const std::size_t comma = value.find(',');
        const std::string_view piece = value.substr(0, comma);
        // An empty piece names no resolution anyone could choose.
        if (!piece.empty())
            pieces.emplace_back(piece);
        if (comma == std::string_view::npos)
            break;
        value.remove_prefix(comma + 1);
    }
    return pieces;
}

} // namespace

CameraParams parseCameraParams(std::string_view reply)
{
    CameraParams params;
    int sources = 0;
    std::size_t kept = 0;
    forEachLine(reply, [&](std::string_view line) {
        line = line.substr(0, kCapsLineLength);
        const std::size_t eq = line.find('=');
        const std::string_view name = line.substr(0, eq);
        const std::string_view value =
            eq == std::string_view::npos ? std::string_view() : line.substr(eq + 1);
        if (orvel::equalsIgnoringCase(name, kParamResolution))
            params.resolutions = splitAtCommas(value);
        else if (orvel::equalsIgnoringCase(name, kParamSources))
            sources = sourceCount(value);
        else if (orvel::equalsIgnoringCase(name, kParamPtz))
            params.hasPtz = orvel::equalsIgnoringCase(value, "yes");
        else if (orvel::equalsIgnoringCase(name, kParamProductName))
            params.productName = value;
        else if (orvel::equalsIgnoringCase(name, kParamFirmware))
            params.firmwareVersion = value;
        return ++kept < kCapsLinesKept;
    });
    for (int n = 1; n <= sources; ++n)
        params.cameras.push_back(std::to_string(n));
    if (params.cameras.empty())
        params.cameras.emplace_back("1");
    return params;
}

std::vector<Param> parseParamLines(std::string_view text)
{
    std::vector<Param> params;
    forEachLine(text, [&params](std::string_view line) {
        const std::size_t eq = line.find('=');
        if (eq != std::string_view::npos)
            params.push_back({std::string(line.substr(0, eq)), std::string(line.substr(eq + 1))});
        return true;
    });
    return params;
}

} // namespace foldra
