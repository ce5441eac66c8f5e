#pragma once
// Writes a response the way the configured faults want it: cut into separate writes at chosen
// offsets, with pauses between the pieces, and the header block line by line when slow.

#include "tools/camsim/CamSimConfig.h"
#include "tools/camsim/Channel.h"
#include "tools/camsim/StopSignal.h"

#include <span>
#include <string_view>
#include <vector>

namespace camsim {

class ResponseWriter {
public:
    ResponseWriter(Channel& channel, const Faults& faults, StopSignal& stop)
        : m_channel(channel), m_faults(faults), m_stop(stop)
    {}

    // Starts counting the configured split offsets again.
    void beginResponse() { m_written = 0; }
    // The header block, a pause before each line when headers are slow.
    bool writeHead(std::string_view head);
    // Cuts at the configured offsets and at cuts (offsets into data). False when the peer is
    // gone or the camera stops.
    bool write(std::string_view data, std::vector<std::size_t> cuts = {});
    // The pieces as one stream of bytes, cuts being offsets into all of them together. Without
    // a cut inside, they go out in one gathered write, no copy made.
    bool write(std::span<const std::string_view> pieces, std::vector<std::size_t> cuts);

private:
    Channel& m_channel;
    const Faults& m_faults;
    StopSignal& m_stop;
    std::size_t m_written = 0; // bytes of the current response so far
};

} // namespace camsim
