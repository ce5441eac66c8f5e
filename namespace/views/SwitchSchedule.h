#pragma once
// Which member a camera switching shows, tick by tick: the next one at each tick, wrapping from
// the last to the first (which ends the first pass), except that a camera that has connected
// but has neither shown an image nor ended its stream is not cut short.

#include <cstddef>

namespace foldra {

class SwitchSchedule {
public:
    explicit SwitchSchedule(std::size_t members = 0) : m_members(members) {}

    // Back to member 0 in the first pass.
    void restart(std::size_t members);
    std::size_t current() const { return m_current; }
    bool firstPass() const { return m_firstPass; }

    enum class Tick { HeldBack, Switch };
    // The current camera's state at the tick; on Switch, current() is the member to show next
    // (the same one again when there is only one).
    Tick tick(bool connected, bool imageOrEnded);

private:
    std::size_t m_members = 0;
    std::size_t m_current = 0;
    bool m_firstPass = true;
};

} // namespace foldra
