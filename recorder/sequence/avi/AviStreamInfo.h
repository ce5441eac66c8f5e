#pragma once
// What the movie's one video stream says about itself: the stream header of an AVI file as
// the viewer fills it from the sequence (every field not named here is 0).

#include "platform/base/WinTypes.h"

#include <string>

struct AviStreamInfo {
    std::string fccType = "vids";
    std::string fccHandler = "DIB "; // the compressor's four-character code
    UI4 dwScale = 1;
    UI4 dwRate = 1;   // frames per second: 1000 / interval, the fraction dropped
    UI4 dwLength = 0; // the sequence header's frame count
    std::int32_t dwQuality = -1;
    RECT rcFrame{}; // (0, 0, width, height) of the first frame; empty until it is known
    std::string szName = "SQJ";
};

// The description for a sequence with this (bounded, 1 to 1000 ms) interval and count.
AviStreamInfo describeAviStream(UI4 frameInterval, UI4 frameCount);

// The name the save dialog proposes: the first frame's path without its extension. Only a
// "." in the file name counts, so a dotted folder name is kept.
std::string proposedAviName(const std::string& firstFramePath);
