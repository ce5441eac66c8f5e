#include "recorder/sequence/SequenceFormat.h"

#include <cstring>

namespace {
char lowerAscii(std::uint8_t c)
{
    return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
}
} // namespace

bool parseSequenceMagic(const std::uint8_t* bytes, SequenceMagic* magic)
{
    if (lowerAscii(bytes[0]) != 's' || lowerAscii(bytes[1]) != 'q' || bytes[2] != '1')
        return false;
    if (bytes[3] == '0')
        *magic = SequenceMagic::Sq10;
    else if (bytes[3] == '1')
        *magic = SequenceMagic::Sq11;
    else
        return false;
    return true;
}

std::array<std::uint8_t, kSequenceHeaderSize> encodeSequenceHeader(const SequenceHeader& header)
{
    std::array<std::uint8_t, kSequenceHeaderSize> bytes{};
    std::memcpy(bytes.data(), header.magic == SequenceMagic::Sq10 ? "sq10" : "sq11", 4);
    storeLe32(bytes.data() + 4, header.frameCount);
    storeLe32(bytes.data() + kFrameIntervalOffset, header.frameInterval);
    return bytes;
}

std::string encodeSequenceEntry(std::string_view name)
{
    std::string bytes(4, '\0');
    storeLe32(reinterpret_cast<std::uint8_t*>(bytes.data()), static_cast<UI4>(name.size() + 1));
    bytes.append(name);
    bytes.push_back('\0');
    return bytes;
}

std::string_view sequenceFolder(std::string_view sequencePath)
{
    const auto slash = sequencePath.rfind('/');
    return slash == std::string_view::npos ? std::string_view() : sequencePath.substr(0, slash);
}

std::string sequenceFramePath(SequenceMagic magic, std::string_view sequencePath,
                              std::string_view name)
{
    if (magic == SequenceMagic::Sq10)
        return std::string(name);
    const auto slash = sequencePath.rfind('/');
    if (slash == std::string_view::npos)
        return std::string(name);
    std::string path(sequencePath.substr(0, slash + 1));
    path.append(name);
    return path;
}

bool isSafeSequenceName(SequenceMagic magic, std::string_view name)
{
    if (magic == SequenceMagic::Sq11 && !name.empty() && name.front() == '/')
        return false;
    // No ".." component anywhere: "..", "../x", "a/../../x", "a/..".
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = name.find('/', start);
        const std::string_view part = name.substr(
            start, slash == std::string_view::npos ? std::string_view::npos : slash - start);
        if (part == "..")
            return false;
        if (slash == std::string_view::npos)
            return true;
        start = slash + 1;
    }
}
