#include "recorder/sequence/SequenceFile.h"

#include "platform/base/RegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <utility>

namespace {
HRESULT errorFromErrno(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case EINVAL: // not a regular file: a pipe, a device, a folder
        return HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
    case EWOULDBLOCK:
        return HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION);
    default:
        return HRESULT_FROM_WIN32(ERROR_CANTOPEN);
    }
}
} // namespace

SequenceFile::~SequenceFile()
{
    close();
}

SequenceFile::SequenceFile(SequenceFile&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}

SequenceFile& SequenceFile::operator=(SequenceFile&& other) noexcept
{
    if (this != &other) {
        close();
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

HRESULT SequenceFile::open(const std::string& path, SequenceAccess access, SequenceFile* file)
{
    file->close();
    // Creation must not empty a file that a recorder still holds, so it truncates only after
    // the lock is taken.
    const orvel::RegularFileAccess mode =
        access == SequenceAccess::Read           ? orvel::RegularFileAccess::Read
        : access == SequenceAccess::CreateAlways ? orvel::RegularFileAccess::ReadWriteCreate
                                                 : orvel::RegularFileAccess::ReadWrite;
    int error = 0;
    SequenceFile opened(orvel::openRegularFile(path, mode, &error));
    if (!opened.isOpen())
        return errorFromErrno(error);
    const int lock = access == SequenceAccess::Read ? LOCK_SH : LOCK_EX;
    if (::flock(opened.m_fd, lock | LOCK_NB) != 0)
        return errorFromErrno(errno);
    if (access == SequenceAccess::CreateAlways && ::ftruncate(opened.m_fd, 0) != 0)
        return errorFromErrno(errno);
    *file = std::move(opened);
    return S_OK;
}

void SequenceFile::close()
{
    if (m_fd >= 0)
        ::close(std::exchange(m_fd, -1));
}

bool SequenceFile::writeAll(const void* data, std::size_t size)
{
    auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(m_fd, p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool SequenceFile::writeAllAt(std::uint64_t offset, const void* data, std::size_t size)
{
    auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::pwrite(m_fd, p, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        offset += static_cast<std::uint64_t>(n);
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

long long SequenceFile::readAt(std::uint64_t offset, void* data, std::size_t size)
{
    auto* p = static_cast<char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(m_fd, p + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<long long>(done);
}

long long SequenceFile::read(void* data, std::size_t size)
{
    auto* p = static_cast<char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(m_fd, p + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<long long>(done);
}
