#include "tools/camsim/PtzController.h"

#include <algorithm>

namespace camsim {

PtzController::PtzController(int inputs) : m_viewports(static_cast<std::size_t>(inputs)) {}

void PtzController::apply(const PtzCommand& command)
{
    {
        std::lock_guard lock(m_mutex);
        if (command.camera >= 1 && command.camera <= static_cast<int>(m_viewports.size())) {
            Viewport& view = m_viewports[command.camera - 1];
            switch (command.kind) {
            case PtzCommand::Kind::Home:
                view = Viewport{};
                break;
            case PtzCommand::Kind::Zoom:
                view.zoom = std::clamp(command.relative ? view.zoom + command.zoom : command.zoom,
                                       1, kMaxZoom);
                break;
            case PtzCommand::Kind::Center:
                if (command.imageWidth > 0 && command.imageHeight > 0) {
                    // The clicked point becomes the centre, seen as the client saw the picture.
                    ViewRect rect = viewRect(view, command.imageWidth, command.imageHeight);
                    double sx = rect.left + command.x * rect.step;
                    double sy = rect.top + command.y * rect.step;
                    // Keep the centre where the clamped view can reach, so no move is lost.
                    double halfW = command.imageWidth * rect.step / 2;
                    double halfH = command.imageHeight * rect.step / 2;
                    view.centerX = std::clamp(sx, halfW, kSceneWidth - halfW) / kSceneWidth;
                    view.centerY = std::clamp(sy, halfH, kSceneHeight - halfH) / kSceneHeight;
                }
                break;
            }
        }
    }
    m_log.add(command);
}

Viewport PtzController::viewport(int camera) const
{
    std::lock_guard lock(m_mutex);
    if (camera < 1 || camera > static_cast<int>(m_viewports.size()))
        return {};
    return m_viewports[camera - 1];
}

} // namespace camsim
