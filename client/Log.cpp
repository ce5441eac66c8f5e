#include "client/Log.h"

#include "client/ErrorText.h"
#include "client/ModuleState.h"
#include "platform/base/StateRoot.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace lumin {
namespace {

constexpr std::size_t kMaxPath = 260;
constexpr char kOutOfMemory[] = "!!! Out of memory !!!\r\n";

std::string withSlash(std::string folder)
{
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder;
}

} // namespace

std::string logFolder()
{
    if (std::getenv(kStateRootVariable))
        return stateFolder();
    std::string module = modulePath();
    auto slash = module.rfind('/');
    if (slash != std::string::npos) {
        std::string folder = module.substr(0, slash);
        if (::access(folder.c_str(), W_OK) == 0)
            return folder;
    }
    return stateFolder();
}

Log::Log(std::string folder) : m_fixedFolder(std::move(folder)) {}

Log::~Log()
{
    close();
}

std::string Log::resolveFolder() const
{
    return m_fixedFolder.empty() ? logFolder() : m_fixedFolder;
}

std::string Log::fileName() const
{
    std::lock_guard lock(m_mutex);
    if (m_fd >= 0 || m_enableCount > 0)
        return m_fileName;
    std::string name = withSlash(resolveFolder()) + "LuminLog.txt";
    return name.size() > kMaxPath ? std::string() : name;
}

HRESULT Log::enable(UI4 levelMask)
{
    std::lock_guard lock(m_mutex);
    return enableLocked(levelMask);
}

HRESULT Log::enableLocked(UI4 levelMask)
{
    if (m_fd < 0) {
        std::string folder = withSlash(resolveFolder());
        std::string name = folder + "LuminLog.txt";
        if (folder.empty() || name.size() > kMaxPath) {
            m_fileName.clear();
            return E_FAIL;
        }
        m_fileName = name;
        m_oldName = folder + "LuminLog.old";
    }
    m_mask = levelMask;
    if (m_fd < 0) {
        int fd = ::open(m_fileName.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (fd < 0)
            return E_HANDLE;
        struct stat st {};
        m_size = ::fstat(fd, &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
        m_fd = fd;
    }
    ++m_enableCount;
    char line[64];
    std::snprintf(line, sizeof line, "*** Log Enabled (%d) ***", m_enableCount);
    writeLocked(levelMask, line);
    return S_OK;
}

HRESULT Log::disable()
{
    std::lock_guard lock(m_mutex);
    return disableLocked();
}

HRESULT Log::disableLocked()
{
    if (m_enableCount > 0)
        --m_enableCount;
    char line[64];
    std::snprintf(line, sizeof line, "*** Log Disabled (%d) ***", m_enableCount);
    // Written at the mask itself, so it passes whatever the mask is.
    writeLocked(m_mask, line);
    if (m_enableCount == 0) {
        m_mask = 0;
        m_size = 0;
        closeFile();
    }
    return S_OK;
}

HRESULT Log::erase()
{
    std::lock_guard lock(m_mutex);
    // A disabled log stays disabled: erasing only empties the file then.
    bool wasEnabled = m_enableCount > 0;
    UI4 mask = m_mask;
    disableLocked();
    closeFile();
    std::string name =
        m_fileName.empty() ? withSlash(resolveFolder()) + "LuminLog.txt" : m_fileName;
    ::unlink(name.c_str());
    if (wasEnabled)
        enableLocked(mask);
    return S_OK;
}

void Log::close()
{
    std::lock_guard lock(m_mutex);
    m_enableCount = 0;
    m_mask = 0;
    m_size = 0;
    closeFile();
}

void Log::closeFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool Log::writeAll(const char* data, std::size_t size)
{
    while (size > 0) {
        ssize_t n = ::write(m_fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
        m_size += static_cast<std::uint64_t>(n);
    }
    return true;
}

HRESULT Log::rotateLocked()
{
    if (::close(m_fd) != 0) {
        m_fd = -1;
        return E_HANDLE;
    }
    m_fd = -1;
    std::error_code ec;
    std::filesystem::copy_file(m_fileName, m_oldName,
                               std::filesystem::copy_options::overwrite_existing, ec);
    if (ec)
        return E_HANDLE;
    int fd = ::open(m_fileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
        return E_HANDLE;
    m_fd = fd;
    m_size = 0;
    return S_OK;
}

HRESULT Log::writeLine(UI4 level, const char* text)
{
    std::lock_guard lock(m_mutex);
    return writeLocked(level, text);
}

HRESULT Log::writeLocked(UI4 level, const char* text)
{
    if (!text)
        return E_INVALIDARG;
    if (m_fd < 0)
        return S_FALSE;
    if ((level & m_mask) == 0)
        return E_ABORT;
    if (m_size > kLogRotateSize) {
        if (HRESULT hr = rotateLocked(); FAILED(hr))
            return hr;
    }
    std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char prefix[64];
    int prefixLength =
        std::snprintf(prefix, sizeof prefix, "(%d) %.4d-%.2d-%.2d %.2d:%.2d:%.2d  ",
                      static_cast<int>(level), local.tm_year + 1900, local.tm_mon + 1,
                      local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    std::string line;
    line.reserve(static_cast<std::size_t>(prefixLength) + std::strlen(text) + 2);
    line.append(prefix, static_cast<std::size_t>(prefixLength)).append(text).append("\r\n");
    return writeAll(line.data(), line.size()) ? S_OK : E_HANDLE;
}

HRESULT Log::writeFormatted(UI4 level, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    HRESULT hr = writeFormattedV(level, format, args);
    va_end(args);
    return hr;
}

HRESULT Log::writeFormattedV(UI4 level, const char* format, va_list args)
{
    if (!format)
        return E_INVALIDARG;
    va_list measure;
    va_copy(measure, args);
    int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length < 0)
        return E_INVALIDARG;
    std::vector<char> buffer;
    try {
        buffer.resize(static_cast<std::size_t>(length) + 1);
    } catch (const std::bad_alloc&) {
        writeOutOfMemory();
        return E_OUTOFMEMORY;
    }
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    return writeLine(level, buffer.data());
}

HRESULT Log::writeError(HRESULT hr)
{
    if (hr == S_OK)
        return S_OK;
    std::string text;
    if (FAILED(errorText(hr, &text)))
        return E_FAIL;
    return writeLine(LogFailure, text.c_str());
}

void Log::writeOutOfMemory()
{
    std::lock_guard lock(m_mutex);
    if (m_fd >= 0)
        writeAll(kOutOfMemory, sizeof kOutOfMemory - 1);
}

} // namespace lumin
