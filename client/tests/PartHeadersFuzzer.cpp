// Boundary parsing and the header parser over arbitrary text.
#include "client/PartHeaders.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto marker = lumin::boundaryMarker(text)) {
        if (marker->size() < 2 || marker->compare(0, 2, "--") != 0)
            std::abort();
    }
    lumin::HeaderList headers;
    std::size_t pos = 0;
    if (lumin::parseHeaderBlock(text, pos, headers) && (pos == 0 || pos > size))
        std::abort();
    for (const auto& [name, value] : headers)
        if (value.empty() || name.find('\n') != std::string::npos)
            std::abort();
    (void)lumin::partType(headers);
    return 0;
}
