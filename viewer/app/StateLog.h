#pragma once
// The viewer's state log: with VISTEL_STATE_LOG naming a file, one line per change a user
// would notice (a frame shown, playback stopped, the window fitted), stamped with the
// monotonic clock in milliseconds. Scripts and tests follow a viewer in another process
// through it; without the variable nothing is written.

#include <QString>
#include <cstdio>
#include <memory>

namespace vistel {

inline constexpr const char* kStateLogVariable = "VISTEL_STATE_LOG";

class StateLog {
public:
    // The log the environment asks for; null when it asks for none or the file cannot be
    // opened (said once on stderr).
    static std::unique_ptr<StateLog> fromEnvironment();

    // "t=<ms>\tevent=<event>\t<state>\n", flushed at once.
    void write(const QString& event, const QString& state);

private:
    struct FileClose {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    explicit StateLog(std::FILE* file) : m_file(file) {}
    std::unique_ptr<std::FILE, FileClose> m_file;
};

// Milliseconds of the monotonic clock, the same in every process of the machine.
long long monotonicMilliseconds();

} // namespace vistel
