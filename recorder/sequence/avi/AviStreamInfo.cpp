#include "recorder/sequence/avi/AviStreamInfo.h"

#include <algorithm>

AviStreamInfo describeAviStream(UI4 frameInterval, UI4 frameCount)
{
    AviStreamInfo info;
    info.dwRate = 1000 / std::max<UI4>(frameInterval, 1);
    // Above 1000 ms a second holds less than one frame; the viewer bounds the interval there.
    info.dwRate = std::max<UI4>(info.dwRate, 1);
    info.dwLength = frameCount;
    return info;
}

std::string proposedAviName(const std::string& firstFramePath)
{
    const std::size_t slash = firstFramePath.rfind('/');
    const std::size_t dot = firstFramePath.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return firstFramePath;
    return firstFramePath.substr(0, dot);
}
