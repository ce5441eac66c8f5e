// The splitter over arbitrary bytes cut into chunks by the input itself: the first byte picks
// the chunk size. Every delivered part must lie inside the bytes fed so far.
#include "client/MultipartSplitter.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t chunk = 1 + data[0] % 64;
    std::size_t fed = 0;
    lumin::MultipartSplitter splitter(
        "--myboundary",
        [&](std::string_view part, const lumin::HeaderList& headers) {
            if (part.empty() || part.size() > fed)
                std::abort();
            (void)lumin::partType(headers);
            return true;
        },
        4096);
    for (std::size_t at = 1; at < size; at += chunk) {
        const std::size_t n = std::min(chunk, size - at);
        fed += n;
        if (splitter.feed(reinterpret_cast<const char*>(data + at), n) !=
            lumin::MultipartSplitter::Result::Continue)
            break;
        if (splitter.buffered() > 4096)
            std::abort();
    }
    return 0;
}
