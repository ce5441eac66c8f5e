#pragma once
// An open sequence file descriptor with the sharing rules of the format: a writer holds an
// exclusive lock for as long as it has the file open (no other program may open it meanwhile),
// a reader a shared one. The locks are advisory, so they bind exactly the programs of the suite.

#include "platform/base/FileDescriptor.h"
#include "platform/base/Hresult.h"

#include <cstddef>
#include <cstdint>
#include <string>

enum class SequenceAccess {
    Read,         // existing file, shared lock
    ReadWrite,    // existing file, exclusive lock
    CreateAlways, // created or emptied, exclusive lock
};

class SequenceFile {
public:
    SequenceFile() = default;

    // S_OK, or the failure as HRESULT_FROM_WIN32: ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED,
    // ERROR_SHARING_VIOLATION while another holds the file, ERROR_CANTOPEN otherwise.
    static HRESULT open(const std::string& path, SequenceAccess access, SequenceFile* file);

    bool isOpen() const { return m_fd.isOpen(); }
    void close();

    // Whole transfers or failure: false on an error or a short write.
    bool writeAll(const void* data, std::size_t size);
    bool writeAllAt(std::uint64_t offset, const void* data, std::size_t size);
    // Bytes read (fewer only at the end of the file), or -1 on an error.
    long long readAt(std::uint64_t offset, void* data, std::size_t size);
    long long read(void* data, std::size_t size);

private:
    explicit SequenceFile(int fd) : m_fd(fd) {}
    orvel::FileDescriptor m_fd;
};
