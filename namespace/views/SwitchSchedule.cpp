#include "namespace/views/SwitchSchedule.h"

namespace foldra {

void SwitchSchedule::restart(std::size_t members)
{
    m_members = members;
    m_current = 0;
    m_firstPass = true;
}

SwitchSchedule::Tick SwitchSchedule::tick(bool connected, bool imageOrEnded)
{
    if (connected && !imageOrEnded)
        return Tick::HeldBack;
    if (m_members == 0)
        return Tick::HeldBack;
    if (++m_current >= m_members) {
        m_current = 0;
        m_firstPass = false;
    }
    return Tick::Switch;
}

} // namespace foldra
