#pragma once
// Reading a camera's parameter list: text with one "name=value" line per parameter, lines
// ending in CR, LF or both. Both readers take whatever the camera sent and run in linear time.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace foldra {

struct Param {
    std::string name;
    std::string value;
};

// The five parameters the capabilities are derived from, in the order they are asked for.
inline constexpr const char* kParamResolution = "root.Properties.Image.Resolution";
inline constexpr const char* kParamSources = "root.ImageSource.NbrOfSources";
inline constexpr const char* kParamPtz = "root.Properties.PTZ.PTZ";
inline constexpr const char* kParamProductName = "root.Brand.ProdShortName";
inline constexpr const char* kParamFirmware = "root.Properties.Firmware.Version";

// Only the first lines of a capabilities reply count, each cut to a length.
inline constexpr std::size_t kCapsLinesKept = 10;
inline constexpr std::size_t kCapsLineLength = 255;
// More sources than this is no camera we know: the count is taken as absent.
inline constexpr int kMaxVideoSources = 64;

struct CameraParams {
    std::vector<std::string> resolutions; // in the camera's order; the first is the default
    std::vector<std::string> cameras;     // "1" … "n"; never empty ("1" when not reported)
    bool hasPtz = false;
    std::string productName;
    std::string firmwareVersion;
};

// The capabilities a reply to the five-parameter list describes: only the first
// kCapsLinesKept non-empty lines, each cut to kCapsLineLength characters; names compare
// ignoring case, later lines of a name replace earlier ones, other names are ignored.
CameraParams parseCameraParams(std::string_view reply);

// Every "name=value" line in order: the name is what comes before the first "=", the value
// the rest of the line. Empty lines and lines without "=" (the camera's "# Error" comments)
// are left out.
std::vector<Param> parseParamLines(std::string_view text);

} // namespace foldra
