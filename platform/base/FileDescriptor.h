#pragma once
// Owns one POSIX file descriptor, closes it when it goes, and moves whole transfers through
// it (a short write or an interrupted call is carried on, never taken for the end).

#include <cstddef>
#include <cstdint>
#include <unistd.h>
#include <utility>

namespace orvel {

class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(FileDescriptor&& other) noexcept : m_fd(other.release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }
    void reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }

    // Whole transfers or failure: false on an error or when nothing more can be written.
    bool writeAll(const void* data, std::size_t size) const;
    bool writeAllAt(std::uint64_t offset, const void* data, std::size_t size) const;
    // Bytes read (fewer only at the end of the file), or -1 on an error.
    long long read(void* data, std::size_t size) const;
    long long readAt(std::uint64_t offset, void* data, std::size_t size) const;

private:
    int m_fd = -1;
};

} // namespace orvel
