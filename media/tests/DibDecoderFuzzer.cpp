// Camera frames are outside input: the decoder must refuse any bytes cleanly. The first byte
// picks the scale.

#include "media/DibDecoder.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    static const int kScales[] = {1, 2, 4};
    medrix::DibDecoder decoder;
    _CAM_BIH bih{};
    bih.biSize = sizeof bih;
    if (decoder.decode(data + 1, size - 1, kScales[data[0] % 3], bih)) {
        // What a caller copies out must lie inside the buffer.
        volatile std::uint8_t sink = 0;
        if (bih.biSizeImage)
            sink = decoder.pixels()[bih.biSizeImage - 1];
        (void)sink;
    }
    return 0;
}
