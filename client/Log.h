#pragma once
// The client's process-wide diagnostic log, LuminLog.txt. Every thread of the library writes to
// it; one mutex serialises writers so each line (prefix, text, CR LF) reaches the file whole
// and the size count stays exact. Results of writes are for tests: callers ignore them.

#include "platform/base/Hresult.h"

#include <cstdarg>
#include <cstdint>
#include <mutex>
#include <string>

namespace lumin {

enum LogLevel : UI4 {
    LogFailure = 0x1,
    LogStatus = 0x2,
    LogCall = 0x4,
    LogLifecycle = 0x8,
    LogThreads = 0x80,
};

// Past this size the next line first moves the file to LuminLog.old.
inline constexpr std::uint64_t kLogRotateSize = 0x100000;

class Log {
public:
    // folder: where LuminLog.txt and LuminLog.old live; empty means "ask logFolder() when the
    // file is opened", which follows a state root that moves between openings.
    explicit Log(std::string folder = {});
    ~Log();
    Log(const Log&) = delete;
    Log& operator=(const Log&) = delete;

    // \retval S_OK, E_FAIL (no file name), E_HANDLE (file cannot be opened)
    HRESULT enable(UI4 levelMask);
    HRESULT disable();
    // Empties the file; enable count and mask stay.
    HRESULT erase();
    // Library unload: count forced to 0, file closed.
    void close();

    // \retval S_OK, S_FALSE (file not open), E_ABORT (level not in the mask), E_INVALIDARG,
    //         E_HANDLE (rotation or write failed)
    HRESULT writeLine(UI4 level, const char* text);
    HRESULT writeFormatted(UI4 level, const char* format, ...)
        __attribute__((format(printf, 3, 4)));
    HRESULT writeFormattedV(UI4 level, const char* format, va_list args)
        __attribute__((format(printf, 3, 0)));
    // The text of a failed result at level 1; nothing for S_OK.
    HRESULT writeError(HRESULT hr);
    void writeOutOfMemory();

    // The path of LuminLog.txt as last opened or as it would be opened now; empty when none.
    std::string fileName() const;

private:
    HRESULT enableLocked(UI4 levelMask);
    HRESULT disableLocked();
    HRESULT writeLocked(UI4 level, const char* text);
    HRESULT rotateLocked();
    bool writeAll(const char* data, std::size_t size);
    void closeFile();
    std::string resolveFolder() const;

    mutable std::mutex m_mutex;
    std::string m_fixedFolder; // guarded by m_mutex, as is everything below
    std::string m_fileName;
    std::string m_oldName;
    int m_enableCount = 0;
    UI4 m_mask = 0;
    int m_fd = -1;
    std::uint64_t m_size = 0;
};

// The folder the log lives in: the state folder when a state root is set (tests, sandboxes),
// else the library's folder when writable, else the state folder.
std::string logFolder();

} // namespace lumin
