#include "platform/base/RegularFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvel {

int openRegularFile(const std::string& path, RegularFileAccess access, int* error)
{
    const int mode = access == RegularFileAccess::Read        ? O_RDONLY
                     : access == RegularFileAccess::ReadWrite ? O_RDWR
                                                              : O_RDWR | O_CREAT;
    // O_NONBLOCK: opening a pipe nobody writes to returns at once instead of waiting.
    const int fd = ::open(path.c_str(), mode | O_NONBLOCK | O_CLOEXEC, 0644);
    if (fd < 0) {
        *error = errno;
        return -1;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        *error = S_ISREG(info.st_mode) ? errno : EINVAL;
        ::close(fd);
        return -1;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

} // namespace orvel

namespace {

bool fail(std::string* error, std::string text)
{
    if (error)
        *error = std::move(text);
    return false;
}

class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

bool readRegularFile(const std::string& path, std::size_t maxBytes, std::string& contents,
                     std::string* error)
{
    int openError = 0;
    Descriptor fd(orvel::openRegularFile(path, orvel::RegularFileAccess::Read, &openError));
    if (fd.get() < 0)
        return fail(error, openError == EINVAL
                               ? path + " is not a regular file"
                               : "cannot open " + path + ": " + std::strerror(openError));
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        return fail(error, "cannot read " + path + ": " + std::strerror(errno));
    if (static_cast<unsigned long long>(info.st_size) > maxBytes)
        return fail(error, path + " is larger than " + std::to_string(maxBytes) + " bytes");
    std::string text(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::read(fd.get(), text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return fail(error, "cannot read " + path + ": " + std::strerror(errno));
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    text.resize(done);
    contents = std::move(text);
    return true;
}
