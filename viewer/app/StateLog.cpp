#include "viewer/app/StateLog.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace vistel {

long long monotonicMilliseconds()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

std::unique_ptr<StateLog> StateLog::fromEnvironment()
{
    const char* path = std::getenv(kStateLogVariable);
    if (!path || !*path)
        return nullptr;
    std::FILE* file = std::fopen(path, "ae");
    if (!file) {
        std::fprintf(stderr, "Vistel: cannot open the state log %s: %s\n", path,
                     std::strerror(errno));
        return nullptr;
    }
    return std::unique_ptr<StateLog>(new StateLog(file));
}

void StateLog::write(const QString& event, const QString& state)
{
    const QByteArray line = QStringLiteral("t=%1\tevent=%2\t%3\n")
                                .arg(monotonicMilliseconds())
                                .arg(event, state)
                                .toUtf8();
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), m_file.get());
    std::fflush(m_file.get());
}

} // namespace vistel
