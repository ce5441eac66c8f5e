// Upload bodies from anywhere, fed in pieces of every size the first byte picks: the reader
// must neither crash nor read out of bounds, nor give out more code bytes than it was fed.

#include "tools/camsim/AudioUploadReader.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const std::size_t piece = data[0] % 64 + 1;
    const char* type =
        data[1] % 2 ? "multipart/x-mixed-replace; boundary=myboundary" : "audio/G723";
    std::string error;
    auto reader = camsim::AudioUploadReader::create(type, error);
    if (!reader)
        std::abort();
    std::string_view body(reinterpret_cast<const char*>(data) + 2, size - 2);
    std::size_t codes = 0;
    for (std::size_t at = 0; at < body.size(); at += piece) {
        reader->feed(body.substr(at, piece));
        codes += reader->take().codes.size();
    }
    reader->finish();
    codes += reader->take().codes.size();
    if (codes > body.size())
        std::abort();
    return 0;
}
