// Both parameter list readers over any bytes: no crash, and what they return keeps its bounds.
#include "namespace/params/ParamList.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const foldra::CameraParams caps = foldra::parseCameraParams(text);
    if (caps.cameras.empty() || caps.cameras.size() > foldra::kMaxVideoSources)
        std::abort();
    for (const std::string& resolution : caps.resolutions)
        if (resolution.empty() || resolution.size() > foldra::kCapsLineLength)
            std::abort();
    if (caps.productName.size() > foldra::kCapsLineLength)
        std::abort();
    std::size_t bytes = 0;
    for (const foldra::Param& param : foldra::parseParamLines(text))
        bytes += param.name.size() + 1 + param.value.size();
    if (bytes > size)
        std::abort();
    return 0;
}
