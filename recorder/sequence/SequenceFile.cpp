#include "recorder/sequence/SequenceFile.h"

#include "platform/base/RegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>

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
    if (::flock(opened.m_fd.get(), lock | LOCK_NB) != 0)
        return errorFromErrno(errno);
    if (access == SequenceAccess::CreateAlways && ::ftruncate(opened.m_fd.get(), 0) != 0)
        return errorFromErrno(errno);
    *file = std::move(opened);
    return S_OK;
}

void SequenceFile::close()
{
    m_fd.reset();
}

bool SequenceFile::writeAll(const void* data, std::size_t size)
{
    return m_fd.writeAll(data, size);
}

bool SequenceFile::writeAllAt(std::uint64_t offset, const void* data, std::size_t size)
{
    return m_fd.writeAllAt(offset, data, size);
}

long long SequenceFile::readAt(std::uint64_t offset, void* data, std::size_t size)
{
    return m_fd.readAt(offset, data, size);
}

long long SequenceFile::read(void* data, std::size_t size)
{
    return m_fd.read(data, size);
}
