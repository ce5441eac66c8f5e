#include "platform/registry/HiveStore.h"

#include "platform/base/FileDescriptor.h"
#include "platform/base/RegularFile.h"
#include "platform/registry/HiveText.h"
#include "platform/registry/Registry.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using orvel::FileDescriptor;
using orvel::openRegularFile;
using orvel::RegularFileAccess;
using orvel::regularFileError;

namespace {
class FileLock {
public:
    explicit FileLock(const std::string& path)
    {
        m_fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (m_fd < 0)
            return;
        int rc;
        do
            rc = ::flock(m_fd, LOCK_EX);
        while (rc != 0 && errno == EINTR);
        if (rc != 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~FileLock()
    {
        if (m_fd >= 0)
            ::close(m_fd); // closing releases the lock
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

bool readAll(int fd, std::string& text)
{
    text.clear();
    char buf[65536];
    while (true) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        text.append(buf, static_cast<std::size_t>(n));
    }
}
} // namespace

HiveStore& HiveStore::instance()
{
    static HiveStore store;
    return store;
}

LONG HiveStore::load(const std::string& file, const std::string& hiveName, Cached*& hive)
{
    Cached& cached = m_hives[file];
    hive = &cached;

    struct stat st {};
    Identity now;
    if (::stat(file.c_str(), &st) == 0) {
        now = {true, st.st_dev, st.st_ino, st.st_size,
               static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec};
    } else if (errno != ENOENT) {
        cached.known = false;
        return ERROR_CANTREAD;
    }
    if (cached.known && cached.identity == now)
        return cached.damaged ? ERROR_BADDB : ERROR_SUCCESS;

    cached.known = false;
    cached.damaged = false;
    cached.root = RegKey(hiveName);
    if (!now.exists) {
        cached.identity = now;
        cached.known = true;
        return ERROR_SUCCESS;
    }

    int openError = 0;
    FileDescriptor fd(openRegularFile(file, RegularFileAccess::Read, &openError));
    if (!fd.isOpen()) {
        if (openError == EINVAL) {
            // Something else in the hive's place: refused as a damaged hive is, never replaced.
            cached.identity = now;
            cached.known = true;
            cached.damaged = true;
            std::fprintf(stderr, "registry: %s; the hive cannot be used until it is mended\n",
                         regularFileError(file, openError).c_str());
            return ERROR_BADDB;
        }
        if (openError != ENOENT)
            return ERROR_CANTREAD;
        // Writers replace the file by rename, which leaves no gap: it was really removed.
        cached.identity = Identity{};
        cached.known = true;
        return ERROR_SUCCESS;
    }
    // Describe what was actually opened, which a writer may have replaced since the stat.
    if (::fstat(fd.get(), &st) != 0)
        return ERROR_CANTREAD;
    now = {true, st.st_dev, st.st_ino, st.st_size,
           static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec};
    std::string text;
    if (!readAll(fd.get(), text))
        return ERROR_CANTREAD;

    HiveParseError error;
    cached.identity = now;
    cached.known = true;
    if (!parseHive(text, cached.root, error)) {
        cached.damaged = true;
        cached.root = RegKey(hiveName);
        std::fprintf(stderr,
                     "registry: %s line %d: %s; the file is left untouched and the hive "
                     "cannot be used until it is mended\n",
                     file.c_str(), error.line, error.reason.c_str());
        return ERROR_BADDB;
    }
    return ERROR_SUCCESS;
}

LONG HiveStore::read(const std::string& file, const std::string& hiveName, const Reader& reader)
{
    std::lock_guard guard(m_mutex);
    Cached* hive = nullptr;
    if (LONG status = load(file, hiveName, hive))
        return status;
    return reader(hive->root);
}

LONG HiveStore::write(const std::string& file, const std::string& hiveName, const Writer& writer)
{
    std::lock_guard guard(m_mutex);
    FileLock lock(file + ".lock");
    if (!lock.held())
        return ERROR_CANTWRITE;
    Cached* hive = nullptr;
    if (LONG status = load(file, hiveName, hive))
        return status;
    bool changed = false;
    LONG status = writer(hive->root, changed);
    if (!changed)
        return status;
    if (status != ERROR_SUCCESS) {
        // Should not happen (writers check first), but never serve a half-applied change.
        hive->known = false;
        return status;
    }
    Identity written;
    if (!replaceFile(file, formatHive(hive->root), written)) {
        hive->known = false;
        return ERROR_CANTWRITE;
    }
    hive->identity = written;
    return ERROR_SUCCESS;
}

bool HiveStore::replaceFile(const std::string& file, const std::string& text, Identity& written)
{
    std::string temporary = file + ".new." + std::to_string(::getpid());
    int openError = 0;
    FileDescriptor fd(openRegularFile(temporary, RegularFileAccess::Write, &openError));
    if (!fd.isOpen())
        return false;
    struct stat st {};
    bool ok = fd.writeAll(text.data(), text.size()) && ::fsync(fd.get()) == 0 &&
              ::fstat(fd.get(), &st) == 0;
    ::close(fd.release());
    if (!ok || ::rename(temporary.c_str(), file.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    // The folder is not synced: a crash may lose the newest change, never the file's
    // consistency, and writes stay cheap enough for settings saved on every change.
    written = {true, st.st_dev, st.st_ino, st.st_size,
               static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec};
    return true;
}
