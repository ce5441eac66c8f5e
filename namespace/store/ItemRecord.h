#pragma once
// One namespace item as stored in its stream of the object file. Strings are UTF-8 here and
// UTF-16LE in the stream.

#include "namespace/params/DynamicCaps.h"
#include "namespace/store/ItemKind.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace foldra {

inline constexpr std::uint32_t kDefaultDisplayTimeMs = 5000;

struct ItemRecord {
    std::string name;                 // "Name in Explorer"; equals the stream name
    std::string address;              // Camera: host[:port]; LiveSite: URL; Album: directory
    std::string camera;               // Camera: the video source chosen
    std::string resolution;           // Camera: the resolution chosen
    std::string model;                // Camera: product name from identification
    std::string firmware;             // Camera: firmware version from identification
    std::vector<std::string> members; // QuadView (at most four) / SwitchCam: camera item names
    std::uint32_t displayTimeMs = kDefaultDisplayTimeMs; // SwitchCam
    std::string user;     // QuadView / SwitchCam, sent to every member
    std::string password; // QuadView / SwitchCam

    // The camera-parameter accessor the record carries (never stored), created with it;
    // copies of a record share it, as they stand for the same item.
    std::shared_ptr<DynamicCaps> caps = std::make_shared<DynamicCaps>();
};

} // namespace foldra
