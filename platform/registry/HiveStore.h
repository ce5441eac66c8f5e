#pragma once
// The hive files of a state root, shared by every handle of the process. Reads use a cached
// tree that is re-read when the file's identity (device, inode, size, modification time)
// changes; writes take an exclusive lock on "<hive>.lock", re-read the file, apply the change
// and replace the file with a synced temporary, so a change by another process is never lost.
// A file that does not parse is reported once on stderr and never overwritten: every call
// on it answers ERROR_BADDB until a person mends it.

#include "platform/registry/RegistryTree.h"

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <sys/types.h>

class HiveStore {
public:
    static HiveStore& instance();

    using Reader = std::function<LONG(const RegKey& root)>;
    // A writer sets changed when it altered the tree; it checks before it changes, so that
    // an error leaves the tree as it was.
    using Writer = std::function<LONG(RegKey& root, bool& changed)>;

    // file is the hive's path, hiveName its root key ("HKEY_CURRENT_USER").
    LONG read(const std::string& file, const std::string& hiveName, const Reader& reader);
    LONG write(const std::string& file, const std::string& hiveName, const Writer& writer);

private:
    struct Identity {
        bool exists = false;
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        long long mtimeNs = 0;
        bool operator==(const Identity&) const = default;
    };
    struct Cached {
        Identity identity;
        bool known = false; // identity and root describe the file
        bool damaged = false;
        RegKey root{""};
    };

    LONG load(const std::string& file, const std::string& hiveName, Cached*& hive);
    static bool replaceFile(const std::string& file, const std::string& text, Identity& written);

    std::mutex m_mutex;
    std::map<std::string, Cached> m_hives; // guarded by m_mutex
};
