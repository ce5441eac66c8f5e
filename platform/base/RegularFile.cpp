#include "platform/base/RegularFile.h"

#include "platform/base/FileDescriptor.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvel {

int openRegularFile(const std::string& path, RegularFileAccess access, int* error)
{
    int mode = O_RDWR;
    switch (access) {
    case RegularFileAccess::Read:
        mode = O_RDONLY;
        break;
    case RegularFileAccess::ReadWrite:
        mode = O_RDWR;
        break;
    case RegularFileAccess::ReadWriteCreate:
        mode = O_RDWR | O_CREAT;
        break;
    case RegularFileAccess::Write:
        mode = O_WRONLY | O_CREAT;
        break;
    }
    // O_NONBLOCK: opening a pipe nobody writes to (or reads from) returns at once instead of
    // waiting.
    FileDescriptor fd(::open(path.c_str(), mode | O_NONBLOCK | O_CLOEXEC, 0644));
    struct stat info {};
    if (!fd.isOpen()) {
        // A pipe without a reader (ENXIO) or a folder (EISDIR) is said as what it is.
        const int openError = errno;
        *error = ::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode) ? EINVAL : openError;
        return -1;
    }
    if (::fstat(fd.get(), &info) != 0) {
        *error = errno;
        return -1;
    }
    if (!S_ISREG(info.st_mode)) {
        *error = EINVAL;
        return -1;
    }
    // Emptied only now: a truncating open would have emptied whatever the path named.
    if (access == RegularFileAccess::Write && ::ftruncate(fd.get(), 0) != 0) {
        *error = errno;
        return -1;
    }
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags >= 0)
        ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK);
    return fd.release();
}

std::string regularFileError(const std::string& path, int error)
{
    return error == EINVAL ? path + " is not a regular file"
                           : "cannot open " + path + ": " + std::strerror(error);
}

} // namespace orvel

namespace {

bool fail(std::string* error, std::string text)
{
    if (error)
        *error = std::move(text);
    return false;
}

} // namespace

bool readRegularFile(const std::string& path, std::size_t maxBytes, std::string& contents,
                     std::string* error)
{
    int openError = 0;
    orvel::FileDescriptor fd(
        orvel::openRegularFile(path, orvel::RegularFileAccess::Read, &openError));
    if (!fd.isOpen())
        return fail(error, orvel::regularFileError(path, openError));
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        return fail(error, "cannot read " + path + ": " + std::strerror(errno));
    if (static_cast<unsigned long long>(info.st_size) > maxBytes)
        return fail(error, path + " is larger than " + std::to_string(maxBytes) + " bytes");
    std::string text(static_cast<std::size_t>(info.st_size), '\0');
    const long long done = fd.read(text.data(), text.size());
    if (done < 0)
        return fail(error, "cannot read " + path + ": " + std::strerror(errno));
    text.resize(static_cast<std::size_t>(done));
    contents = std::move(text);
    return true;
}
