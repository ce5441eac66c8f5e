#include "platform/base/FileDescriptor.h"

#include <cerrno>

namespace orvel {

namespace {

// One loop for the four transfers: `step` moves up to n bytes at `done` and answers like
// read/write.
template <typename Step> long long transfer(std::size_t size, Step step, bool stopAtZero)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = step(done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0) {
            if (stopAtZero)
                break;
            return -1;
        }
        done += static_cast<std::size_t>(n);
    }
    return static_cast<long long>(done);
}

} // namespace

bool FileDescriptor::writeAll(const void* data, std::size_t size) const
{
    const auto* p = static_cast<const char*>(data);
    return transfer(
               size, [&](std::size_t at, std::size_t n) { return ::write(m_fd, p + at, n); },
               false) >= 0;
}

bool FileDescriptor::writeAllAt(std::uint64_t offset, const void* data, std::size_t size) const
{
    const auto* p = static_cast<const char*>(data);
    return transfer(
               size,
               [&](std::size_t at, std::size_t n) {
                   return ::pwrite(m_fd, p + at, n, static_cast<off_t>(offset + at));
               },
               false) >= 0;
}

long long FileDescriptor::read(void* data, std::size_t size) const
{
    auto* p = static_cast<char*>(data);
    return transfer(
        size, [&](std::size_t at, std::size_t n) { return ::read(m_fd, p + at, n); }, true);
}

long long FileDescriptor::readAt(std::uint64_t offset, void* data, std::size_t size) const
{
    auto* p = static_cast<char*>(data);
    return transfer(
        size,
        [&](std::size_t at, std::size_t n) {
            return ::pread(m_fd, p + at, n, static_cast<off_t>(offset + at));
        },
        true);
}

} // namespace orvel
