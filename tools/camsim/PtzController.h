#pragma once
// What PTZ commands do to a simulated camera: each is recorded for tests and moves the viewport
// of its input over the scene, so the picture really pans and zooms. Thread-safe.

#include "tools/camsim/EventLog.h"
#include "tools/camsim/TestPicture.h"

#include <mutex>
#include <string>
#include <vector>

namespace camsim {

struct PtzCommand {
    enum class Kind { Center, Home, Zoom };
    Kind kind = Kind::Home;
    int camera = 1;
    // Center: the clicked point (x, y) of a picture of imageWidth × imageHeight pixels.
    int imageWidth = 0;
    int imageHeight = 0;
    int x = 0;
    int y = 0;
    // Zoom, on the 1 … 9999 scale: a position when absolute, else a signed change.
    bool relative = false;
    int zoom = 0;
    std::string target; // the request path and query as received
};

class PtzController {
public:
    explicit PtzController(int inputs);
    void apply(const PtzCommand& command);
    Viewport viewport(int camera) const;
    const EventLog<PtzCommand>& log() const { return m_log; }

private:
    mutable std::mutex m_mutex; // guards m_viewports
    std::vector<Viewport> m_viewports;
    EventLog<PtzCommand> m_log;
};

} // namespace camsim
