#include "platform/audio/WaveOut.h"

#include "platform/audio/WaveIn.h"

namespace orvel::audio {

std::unique_ptr<WaveOut> WaveOut::open(const WaveFormat& format, BlockDoneCallback done,
                                       DeviceChoice choice)
{
    auto device = openPcmDevice(format, Direction::Playback, choice);
    return std::unique_ptr<WaveOut>(new WaveOut(format, std::move(device), std::move(done)));
}

std::unique_ptr<WaveIn> WaveIn::open(const WaveFormat& format, BlockDoneCallback done,
                                     DeviceChoice choice)
{
    auto device = openPcmDevice(format, Direction::Capture, choice);
    return std::unique_ptr<WaveIn>(new WaveIn(format, std::move(device), std::move(done)));
}

} // namespace orvel::audio
