#pragma once
// The byte layout of a sequence file (.sqj): a 12-byte header, then one entry per frame.
//
//   offset 0  magic          "sq11" (names relative to the file's folder) or "sq10" (full paths)
//   offset 4  frame count    entries that belong to the sequence, u32 little-endian
//   offset 8  frame interval milliseconds between frames, u32 little-endian
//   then N x  { u32 name length L (including the zero byte), L name bytes ending in zero }
//
// Names are UTF-8 (the narrow code page here). Entries after the N-th are not part of the
// sequence: a recording that failed to save a frame leaves its entry there, uncounted.

#include "platform/base/Hresult.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

enum class SequenceMagic {
    Sq10, // names are full paths, used unchanged
    Sq11, // names are relative to the sequence file's folder; the only form we write
};

struct SequenceHeader {
    SequenceMagic magic = SequenceMagic::Sq11;
    UI4 frameCount = 0;
    UI4 frameInterval = 0; // milliseconds, stored as written; players bound it when they use it
};

struct SequenceEntry {
    std::string name; // without the terminating zero byte
};

inline constexpr std::size_t kSequenceHeaderSize = 12;
inline constexpr std::size_t kFrameIntervalOffset = 8;
// A name and the full path formed from it hold at most this many bytes with their zero byte:
// the readers' buffer size, kept from the format's origin so files stay interchangeable.
inline constexpr std::size_t kMaxSequencePath = 260;
// No recording comes near this many frames (a day at 30 frames a second is 2.6 million); a
// larger count is damage, refused before any entry is read.
inline constexpr UI4 kMaxSequenceFrames = 1u << 24;

// Case-insensitive match of the four magic bytes; false for anything but sq10 and sq11.
bool parseSequenceMagic(const std::uint8_t* bytes, SequenceMagic* magic);

std::array<std::uint8_t, kSequenceHeaderSize> encodeSequenceHeader(const SequenceHeader& header);
// The bytes of one entry: length (name plus zero byte), name, zero byte.
std::string encodeSequenceEntry(std::string_view name);

// The folder a "sq11" name is relative to: the sequence path up to, not including, its last
// "/". A path without "/" has an empty folder, and its frames are named bare (same folder).
std::string_view sequenceFolder(std::string_view sequencePath);
// The full path of a frame as a reader forms it: "sq11" joins folder, "/" and name, "sq10"
// uses the name unchanged.
std::string sequenceFramePath(SequenceMagic magic, std::string_view sequencePath,
                              std::string_view name);

// Whether a stored name may name a frame: never one that leads outside the sequence's folder.
// "sq11": not absolute and no ".." component (an empty name is the folder itself). "sq10"
// names are full paths by their form: no ".." component.
bool isSafeSequenceName(SequenceMagic magic, std::string_view name);

// Little-endian 32-bit fields, independent of the host's byte order.
inline UI4 loadLe32(const std::uint8_t* p)
{
    return UI4(p[0]) | (UI4(p[1]) << 8) | (UI4(p[2]) << 16) | (UI4(p[3]) << 24);
}
inline void storeLe32(std::uint8_t* p, UI4 value)
{
    p[0] = static_cast<std::uint8_t>(value);
    p[1] = static_cast<std::uint8_t>(value >> 8);
    p[2] = static_cast<std::uint8_t>(value >> 16);
    p[3] = static_cast<std::uint8_t>(value >> 24);
}
