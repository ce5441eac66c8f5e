#pragma once
// Motion JPEG frames from cameras often leave out their Huffman tables (the format's standard
// ones are implied). Players of AVI files do not all imply them, so such frames get the
// standard tables written in.

#include <cstdint>
#include <span>
#include <vector>

// The JPEG bytes unchanged when they define Huffman tables before their scan, otherwise with
// the standard tables inserted just before the scan.
std::vector<std::uint8_t> withStandardHuffmanTables(std::span<const std::uint8_t> jpeg);

// True when a DHT segment comes before the first scan.
bool hasHuffmanTables(std::span<const std::uint8_t> jpeg);
