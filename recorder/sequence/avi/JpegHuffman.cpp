#include "recorder/sequence/avi/JpegHuffman.h"

#include <turbojpeg.h>

namespace {

constexpr std::uint8_t kDht = 0xC4;
constexpr std::uint8_t kSos = 0xDA;

// Visits each marker segment before the scan: f(offset, marker, segment length) returns
// false to stop. Returns the scan's offset, or 0 when the bytes are not a well-formed JPEG.
template <typename F> std::size_t forEachSegment(std::span<const std::uint8_t> jpeg, F f)
{
    if (jpeg.size() < 4 || jpeg[0] != 0xFF || jpeg[1] != 0xD8)
        return 0;
    std::size_t i = 2;
    while (i + 4 <= jpeg.size() && jpeg[i] == 0xFF) {
        const std::uint8_t marker = jpeg[i + 1];
        if (marker == kSos)
            return i;
        const std::size_t length = (std::size_t(jpeg[i + 2]) << 8) | jpeg[i + 3];
        if (length < 2 || i + 2 + length > jpeg.size())
            return 0;
        if (!f(i, marker, length))
            return i;
        i += 2 + length;
    }
    return 0;
}

// The standard tables as the encoder writes them when it is not told to optimise its own.
std::vector<std::uint8_t> makeStandardTables()
{
    unsigned char grey[8 * 8 * 3] = {};
    tjhandle handle = tjInitCompress();
    unsigned char* out = nullptr;
    unsigned long size = 0;
    std::vector<std::uint8_t> tables;
    if (handle &&
        tjCompress2(handle, grey, 8, 8 * 3, 8, TJPF_RGB, &out, &size, TJSAMP_420, 75, 0) == 0) {
        std::span<const std::uint8_t> jpeg(out, size);
        forEachSegment(jpeg, [&](std::size_t at, std::uint8_t marker, std::size_t length) {
            if (marker == kDht)
                tables.insert(tables.end(), jpeg.begin() + static_cast<long>(at),
                              jpeg.begin() + static_cast<long>(at + 2 + length));
            return true;
        });
    }
    tjFree(out);
    if (handle)
        tjDestroy(handle);
    return tables;
}

const std::vector<std::uint8_t>& standardTables()
{
    static const std::vector<std::uint8_t> tables = makeStandardTables();
    return tables;
}

} // namespace

bool hasHuffmanTables(std::span<const std::uint8_t> jpeg)
{
    bool found = false;
    forEachSegment(jpeg, [&](std::size_t, std::uint8_t marker, std::size_t) {
        found = marker == kDht;
        return !found;
    });
    return found;
}

std::vector<std::uint8_t> withStandardHuffmanTables(std::span<const std::uint8_t> jpeg)
{
    std::vector<std::uint8_t> bytes(jpeg.begin(), jpeg.end());
    if (hasHuffmanTables(jpeg))
        return bytes;
    const std::size_t scan =
        forEachSegment(jpeg, [](std::size_t, std::uint8_t, std::size_t) { return true; });
    if (scan == 0)
        return bytes; // not ours to mend
    const std::vector<std::uint8_t>& tables = standardTables();
    bytes.insert(bytes.begin() + static_cast<long>(scan), tables.begin(), tables.end());
    return bytes;
}
