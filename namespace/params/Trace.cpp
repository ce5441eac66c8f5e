#include "namespace/params/Trace.h"

#include "platform/base/StateRoot.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace foldra {

namespace {

constexpr const char* kTraceFileName = "FoldraTrace.txt";
constexpr std::size_t kMaxMessage = 4096; // longer messages are cut

struct TraceState {
    TraceState()
    {
        if (const char* level = std::getenv("ORVEL_FOLDRA_TRACE"); level && *level)
            settings.fileThreshold = std::atoi(level);
    }
    std::mutex mutex;
    TraceSettings settings; // guarded by mutex
};

TraceState& state()
{
    static TraceState instance;
    return instance;
}

// Restores errno when the trace call ends, whatever the file calls did to it.
class ErrnoKeeper {
public:
    ErrnoKeeper() : m_saved(errno) {}
    ~ErrnoKeeper() { errno = m_saved; }
    ErrnoKeeper(const ErrnoKeeper&) = delete;
    ErrnoKeeper& operator=(const ErrnoKeeper&) = delete;

private:
    int m_saved;
};

int openForAppend(const std::string& path, int extraFlags)
{
    // Never follow a link nor wait on a FIFO someone put in the file's place.
    return ::open(path.c_str(),
                  O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | extraFlags,
                  0644);
}

void appendToFile(const std::string& path, const std::string& line)
{
    int fd = openForAppend(path, 0);
    if (fd < 0)
        return;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return;
    }
    if (static_cast<std::uint64_t>(st.st_size) > kTraceFileLimit) {
        ::close(fd);
        const std::string backup = path + ".bak";
        if (::rename(path.c_str(), backup.c_str()) != 0)
            return;
        fd = openForAppend(path, O_TRUNC);
        if (fd < 0)
            return;
    }
    const char* data = line.data();
    std::size_t left = line.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        data += n;
        left -= static_cast<std::size_t>(n);
    }
    ::close(fd);
}

} // namespace

const char* traceLevelName(TraceLevel level)
{
    return level == TraceLevel::Error ? "error" : "warning";
}

void setTraceSettings(TraceSettings settings)
{
    std::lock_guard lock(state().mutex);
    state().settings = std::move(settings);
}

TraceSettings traceSettings()
{
    std::lock_guard lock(state().mutex);
    return state().settings;
}

void traceLine(int category, TraceLevel level, std::string_view operation, std::string_view message)
{
    ErrnoKeeper keepErrno;
    std::string line = traceLevelName(level);
    line += ' ';
    line += operation;
    line += " - ";
    // A camera's text may be in the message: no byte of it may start a line of its own.
    for (const char c : message.substr(0, kMaxMessage))
        line += static_cast<unsigned char>(c) < 0x20 && c != '\t' ? ' ' : c;
    line += '\n';

    std::lock_guard lock(state().mutex);
    const TraceSettings& settings = state().settings;
    if (category <= settings.debuggerThreshold && std::getenv("ORVEL_DEBUG_TRACE"))
        std::fputs(line.c_str(), stderr);
    if (category <= settings.fileThreshold) {
        std::string path = settings.filePath;
        if (path.empty()) {
            const std::string folder = stateFolder();
            if (folder.empty())
                return;
            path = folder + "/" + kTraceFileName;
        }
        appendToFile(path, line);
    }
}

void trace(TraceLevel level, const char* operation, const char* format, ...)
{
    ErrnoKeeper keepErrno;
    char message[kMaxMessage];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    traceLine(kParamTraceCategory, level, operation, message);
}

} // namespace foldra
