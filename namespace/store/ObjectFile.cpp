#include "namespace/store/ObjectFile.h"

#include "common/FoldraClasses.h"
#include "platform/base/StateRoot.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace foldra {
namespace {

constexpr const char* kLockSuffix = ".lock";
// mkstemp's template: the object file's name, a dot and six random characters.
constexpr const char* kTemporarySuffix = ".XXXXXX";
constexpr mode_t kOwnerOnly = S_IRUSR | S_IWUSR;

HRESULT fromErrno(int error, HRESULT otherwise)
{
    switch (error) {
    case ENOENT:
        return STG_E_FILENOTFOUND;
    case EACCES:
    case EPERM:
    case EROFS:
        return STG_E_ACCESSDENIED;
    case ENOSPC:
    case EDQUOT:
        return STG_E_MEDIUMFULL;
    default:
        return otherwise;
    }
}

std::string folderOf(const std::string& path)
{
    auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

bool writeAll(int fd, const std::vector<std::uint8_t>& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

HRESULT readFile(const std::string& path, std::vector<std::uint8_t>* bytes)
{
    // Never follow a link or wait on a special file put in the object file's place.
    int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return fromErrno(errno, STG_E_READFAULT);
    struct stat st {};
    HRESULT hr = S_OK;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        hr = STG_E_ACCESSDENIED;
    else if (static_cast<std::uint64_t>(st.st_size) > kMaxObjectFileBytes)
        hr = STG_E_DOCFILECORRUPT;
    if (SUCCEEDED(hr)) {
        bytes->resize(static_cast<std::size_t>(st.st_size));
        std::size_t done = 0;
        while (done < bytes->size()) {
            ssize_t n = ::read(fd, bytes->data() + done, bytes->size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            done += static_cast<std::size_t>(n);
        }
        bytes->resize(done);
    }
    ::close(fd);
    return hr;
}

} // namespace

std::string ObjectFile::fileNameFor(const GUID& clsid)
{
    char name[64];
    std::snprintf(name, sizeof name, "%X_%X_%X_%02X%02X_%02X%02X%02X%02X%02X%02X.rfo", clsid.Data1,
                  clsid.Data2, clsid.Data3, clsid.Data4[0], clsid.Data4[1], clsid.Data4[2],
                  clsid.Data4[3], clsid.Data4[4], clsid.Data4[5], clsid.Data4[6], clsid.Data4[7]);
    return name;
}

std::string ObjectFile::defaultPath()
{
    std::string folder = dataFolder();
    if (folder.empty())
        return {};
    return folder + "/" + fileNameFor(CLSID_CamFolder);
}

ObjectFile::ObjectFile(std::string path, int lockFd, ObjectFileAccess access)
    : m_path(std::move(path)), m_lockFd(lockFd), m_access(access)
{}

ObjectFile::~ObjectFile()
{
    ::close(m_lockFd); // releases the lock
}

HRESULT ObjectFile::lock(const std::string& path, int* lockFd)
{
    // The lock lives in a file of its own: the object file is replaced on every change, and a
    // lock on it would stay with the replaced copy.
    int fd =
        ::open((path + kLockSuffix).c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, kOwnerOnly);
    if (fd < 0)
        return fromErrno(errno, STG_E_ACCESSDENIED);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int error = errno;
        ::close(fd);
        return error == EWOULDBLOCK ? STG_E_SHAREVIOLATION : STG_E_ACCESSDENIED;
    }
    *lockFd = fd;
    return S_OK;
}

HRESULT ObjectFile::open(const std::string& path, ObjectFileAccess access,
                         std::unique_ptr<ObjectFile>* file)
{
    file->reset();
    if (path.empty())
        return STG_E_FILENOTFOUND;
    if (::access(path.c_str(), F_OK) != 0)
        return fromErrno(errno, STG_E_FILENOTFOUND);
    if (access == ObjectFileAccess::ReadWrite && ::access(folderOf(path).c_str(), W_OK) != 0)
        return STG_E_ACCESSDENIED;
    int lockFd = -1;
    if (HRESULT hr = lock(path, &lockFd); FAILED(hr))
        return hr;
    std::unique_ptr<ObjectFile> opened(new ObjectFile(path, lockFd, access));
    std::vector<std::uint8_t> bytes;
    if (HRESULT hr = readFile(path, &bytes); FAILED(hr))
        return hr;
    if (HRESULT hr = readCompoundFile(bytes, &opened->m_root); FAILED(hr))
        return hr;
    *file = std::move(opened);
    return S_OK;
}

HRESULT ObjectFile::create(const std::string& path, std::unique_ptr<ObjectFile>* file)
{
    file->reset();
    if (path.empty())
        return STG_E_FILENOTFOUND;
    int lockFd = -1;
    if (HRESULT hr = lock(path, &lockFd); FAILED(hr))
        return hr;
    std::unique_ptr<ObjectFile> created(new ObjectFile(path, lockFd, ObjectFileAccess::ReadWrite));
    if (::access(path.c_str(), F_OK) == 0)
        return STG_E_FILEALREADYEXISTS;
    if (HRESULT hr = created->commit(); FAILED(hr))
        return hr;
    *file = std::move(created);
    return S_OK;
}

void ObjectFile::removeStaleTemporaries() const
{
    // Left by a writer that died before its rename; only a lock holder may remove them.
    std::string folder = folderOf(m_path);
    std::string prefix = m_path.substr(folder.size() + 1) + ".";
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    while (dirent* entry = ::readdir(dir)) {
        std::string name = entry->d_name;
        if (name.size() == prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0)
            ::unlinkat(::dirfd(dir), name.c_str(), 0);
    }
    ::closedir(dir);
}

HRESULT ObjectFile::commit()
{
    if (m_access != ObjectFileAccess::ReadWrite)
        return STG_E_ACCESSDENIED;
    std::vector<std::uint8_t> bytes;
    if (HRESULT hr = writeCompoundFile(m_root, &bytes); FAILED(hr))
        return hr;
    removeStaleTemporaries();
    std::string temporary = m_path + kTemporarySuffix;
    int fd = ::mkostemp(temporary.data(), O_CLOEXEC); // created with mode 0600
    if (fd < 0)
        return fromErrno(errno, STG_E_WRITEFAULT);
    bool written = ::fchmod(fd, kOwnerOnly) == 0 && writeAll(fd, bytes) && ::fsync(fd) == 0;
    int writeError = errno;
    if (::close(fd) != 0)
        written = false;
    if (!written || ::rename(temporary.c_str(), m_path.c_str()) != 0) {
        int error = written ? errno : writeError;
        ::unlink(temporary.c_str());
        return fromErrno(error, STG_E_WRITEFAULT);
    }
    // The rename itself must reach the disk before the change counts as made.
    int dirFd = ::open(folderOf(m_path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return S_OK;
}

} // namespace foldra
