#include "platform/registry/Registry.h"

#include "platform/base/StateRoot.h"
#include "platform/registry/HiveStore.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

// An open key: the hive file it was opened in and its path from the hive's root, with the
// names as stored. A key deleted through another handle is found missing on the next use.
struct HKEY__ {
    std::string hiveName;
    std::string file;
    std::vector<std::string> path;
    REGSAM access = 0;
};

namespace {
struct Target {
    std::string hiveName;
    std::string file;
    std::vector<std::string> path;
    REGSAM access = KEY_ALL_ACCESS;
    bool isRoot = false;
};

class HandleTable {
public:
    static HandleTable& instance()
    {
        static HandleTable table;
        return table;
    }

    HKEY add(Target target)
    {
        auto key = std::make_unique<HKEY__>();
        key->hiveName = std::move(target.hiveName);
        key->file = std::move(target.file);
        key->path = std::move(target.path);
        key->access = target.access;
        HKEY handle = key.get();
        std::lock_guard guard(m_mutex);
        m_keys.emplace(handle, std::move(key));
        return handle;
    }

    bool remove(HKEY handle)
    {
        std::lock_guard guard(m_mutex);
        return m_keys.erase(handle) == 1;
    }

    std::optional<Target> find(HKEY handle)
    {
        std::lock_guard guard(m_mutex);
        auto it = m_keys.find(handle);
        if (it == m_keys.end())
            return std::nullopt;
        const HKEY__& key = *it->second;
        return Target{key.hiveName, key.file, key.path, key.access, false};
    }

private:
    std::mutex m_mutex;
    std::unordered_map<HKEY, std::unique_ptr<HKEY__>> m_keys; // guarded by m_mutex
};

const char* predefinedName(HKEY key)
{
    if (key == HKEY_LOCAL_MACHINE)
        return "HKEY_LOCAL_MACHINE";
    if (key == HKEY_CURRENT_USER)
        return "HKEY_CURRENT_USER";
    if (key == HKEY_CLASSES_ROOT)
        return "HKEY_CLASSES_ROOT";
    return nullptr;
}

LONG resolve(HKEY key, Target& target)
{
    if (const char* name = predefinedName(key)) {
        // Looked up on every call, so a moved state root takes effect at once.
        std::string folder = configFolder();
        if (folder.empty())
            return ERROR_CANTOPEN;
        target = Target{name, folder + "/" + name + ".reg", {}, KEY_ALL_ACCESS, true};
        return ERROR_SUCCESS;
    }
    auto found = HandleTable::instance().find(key);
    if (!found)
        return ERROR_INVALID_HANDLE;
    target = std::move(*found);
    return ERROR_SUCCESS;
}

// Splits "A\B\C"; empty parts (doubled or outer backslashes) are skipped. Names that could
// not be written to a hive line are refused.
bool splitPath(LPCSTR subKey, std::vector<std::string>& parts)
{
    parts.clear();
    if (!subKey)
        return true;
    std::string_view rest(subKey);
    if (rest.find_first_of("\n\r") != std::string_view::npos)
        return false;
    while (!rest.empty()) {
        auto slash = rest.find('\\');
        auto part = rest.substr(0, slash);
        if (!part.empty())
            parts.emplace_back(part);
        if (slash == std::string_view::npos)
            break;
        rest.remove_prefix(slash + 1);
    }
    return true;
}

template <typename Key> Key* walk(Key* key, const std::vector<std::string>& path)
{
    for (const auto& part : path) {
        key = key->findSubkey(part);
        if (!key)
            return nullptr;
    }
    return key;
}

// A handle's own key: missing means it was deleted after the handle was opened.
template <typename Key> LONG ownKey(Key& root, const Target& target, Key*& key)
{
    key = walk(&root, target.path);
    return key ? ERROR_SUCCESS : ERROR_KEY_DELETED;
}

LONG readKey(const Target& target, const std::function<LONG(const RegKey&)>& reader)
{
    return HiveStore::instance().read(target.file, target.hiveName,
                                      [&](const RegKey& root) -> LONG {
                                          const RegKey* key = nullptr;
                                          if (LONG status = ownKey(root, target, key))
                                              return status;
                                          return reader(*key);
                                      });
}

std::string wireBytes(const RegValue& value)
{
    if (value.type == REG_SZ || value.type == REG_EXPAND_SZ)
        return value.data + '\0';
    return value.data;
}

// Win32 buffer rules: a null buffer asks for the size; a short one gets ERROR_MORE_DATA and
// the size it needs.
LONG deliverData(const RegValue& value, DWORD* type, BYTE* data, DWORD* size)
{
    if (type)
        *type = value.type;
    if (!size)
        return ERROR_SUCCESS;
    std::string bytes = wireBytes(value);
    auto needed = static_cast<DWORD>(bytes.size());
    if (!data) {
        *size = needed;
        return ERROR_SUCCESS;
    }
    if (*size < needed) {
        *size = needed;
        return ERROR_MORE_DATA;
    }
    std::memcpy(data, bytes.data(), bytes.size());
    *size = needed;
    return ERROR_SUCCESS;
}

// Names are returned with a terminating zero; the size is in characters, counting the zero
// on the way in and not on the way out.
LONG deliverName(const std::string& name, LPSTR buffer, DWORD* chars)
{
    if (*chars < name.size() + 1) {
        *chars = static_cast<DWORD>(name.size());
        return ERROR_MORE_DATA;
    }
    std::memcpy(buffer, name.c_str(), name.size() + 1);
    *chars = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

// Write times are not kept; a caller's FILETIME (two DWORDs) reads as zero, not as garbage.
void clearFileTime(void* fileTime)
{
    if (fileTime)
        std::memset(fileTime, 0, 2 * sizeof(DWORD));
}

LONG openKey(HKEY parent, LPCSTR subKey, REGSAM access, bool create, PHKEY result,
             DWORD* disposition)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    Target target;
    if (LONG status = resolve(parent, target))
        return status;
    std::vector<std::string> parts;
    if (!splitPath(subKey, parts))
        return ERROR_INVALID_PARAMETER;

    // Opening comes first, also for create: most creations find the key there already and
    // need no lock and no write.
    std::vector<std::string> stored = target.path;
    LONG status = readKey(target, [&](const RegKey& key) -> LONG {
        const RegKey* at = &key;
        for (const auto& part : parts) {
            at = at->findSubkey(part);
            if (!at)
                return ERROR_FILE_NOT_FOUND;
            stored.push_back(at->name());
        }
        return ERROR_SUCCESS;
    });
    bool created = false;
    if (status == ERROR_FILE_NOT_FOUND && create) {
        if (!(target.access & KEY_CREATE_SUB_KEY))
            return ERROR_ACCESS_DENIED;
        stored = target.path;
        status = HiveStore::instance().write(target.file, target.hiveName,
                                             [&](RegKey& root, bool& changed) -> LONG {
                                                 RegKey* at = nullptr;
                                                 if (LONG own = ownKey(root, target, at))
                                                     return own;
                                                 for (const auto& part : parts) {
                                                     RegKey* sub = at->findSubkey(part);
                                                     if (!sub) {
                                                         sub = &at->addSubkey(part);
                                                         changed = created = true;
                                                     }
                                                     stored.push_back(sub->name());
                                                     at = sub;
                                                 }
                                                 return ERROR_SUCCESS;
                                             });
    }
    if (status != ERROR_SUCCESS)
        return status;
    if (disposition)
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    target.path = std::move(stored);
    target.access = access ? access : KEY_ALL_ACCESS;
    *result = HandleTable::instance().add(std::move(target));
    return ERROR_SUCCESS;
}
} // namespace

LSTATUS RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, LPSTR, DWORD, REGSAM samDesired, void*,
                        PHKEY phkResult, DWORD* lpdwDisposition)
{
    if (!lpSubKey)
        return ERROR_INVALID_PARAMETER;
    return openKey(hKey, lpSubKey, samDesired, true, phkResult, lpdwDisposition);
}

LSTATUS RegCreateKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult)
{
    return openKey(hKey, lpSubKey, KEY_ALL_ACCESS, true, phkResult, nullptr);
}

LSTATUS RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult)
{
    return openKey(hKey, lpSubKey, samDesired, false, phkResult, nullptr);
}

LSTATUS RegCloseKey(HKEY hKey)
{
    if (predefinedName(hKey))
        return ERROR_SUCCESS;
    return HandleTable::instance().remove(hKey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LSTATUS RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, DWORD*, DWORD* lpType, BYTE* lpData,
                         DWORD* lpcbData)
{
    if (lpData && !lpcbData)
        return ERROR_INVALID_PARAMETER;
    Target target;
    if (LONG status = resolve(hKey, target))
        return status;
    std::string_view name = lpValueName ? lpValueName : "";
    return readKey(target, [&](const RegKey& key) -> LONG {
        const RegValue* value = key.findValue(name);
        if (!value)
            return ERROR_FILE_NOT_FOUND;
        return deliverData(*value, lpType, lpData, lpcbData);
    });
}

LSTATUS RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData,
                       DWORD cbData)
{
    if (!lpData && cbData)
        return ERROR_INVALID_PARAMETER;
    if (dwType == REG_DWORD && cbData != 4)
        return ERROR_INVALID_PARAMETER;
    Target target;
    if (LONG status = resolve(hKey, target))
        return status;
    if (!(target.access & KEY_SET_VALUE))
        return ERROR_ACCESS_DENIED;
    RegValue value;
    value.name = lpValueName ? lpValueName : "";
    value.type = dwType;
    value.data.assign(reinterpret_cast<const char*>(lpData), cbData);
    if (dwType == REG_SZ || dwType == REG_EXPAND_SZ)
        value.data.resize(std::strlen(value.data.c_str())); // up to the terminating zero
    return HiveStore::instance().write(target.file, target.hiveName,
                                       [&](RegKey& root, bool& changed) -> LONG {
                                           RegKey* key = nullptr;
                                           if (LONG status = ownKey(root, target, key))
                                               return status;
                                           changed = key->setValue(std::move(value));
                                           return ERROR_SUCCESS;
                                       });
}

LSTATUS RegDeleteValueA(HKEY hKey, LPCSTR lpValueName)
{
    Target target;
    if (LONG status = resolve(hKey, target))
        return status;
    if (!(target.access & KEY_SET_VALUE))
        return ERROR_ACCESS_DENIED;
    std::string_view name = lpValueName ? lpValueName : "";
    return HiveStore::instance().write(target.file, target.hiveName,
                                       [&](RegKey& root, bool& changed) -> LONG {
                                           RegKey* key = nullptr;
                                           if (LONG status = ownKey(root, target, key))
                                               return status;
                                           changed = key->removeValue(name);
                                           return changed ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
                                       });
}

namespace {
enum class DeleteKind { LeafOnly, Tree };

LONG deleteKey(HKEY hKey, LPCSTR lpSubKey, DeleteKind kind)
{
    Target target;
    if (LONG status = resolve(hKey, target))
        return status;
    std::vector<std::string> parts;
    if (!splitPath(lpSubKey, parts))
        return ERROR_INVALID_PARAMETER;
    std::vector<std::string> full = target.path;
    full.insert(full.end(), parts.begin(), parts.end());
    if (full.empty())
        return ERROR_ACCESS_DENIED; // a hive's root cannot go
    return HiveStore::instance().write(
        target.file, target.hiveName, [&](RegKey& root, bool& changed) -> LONG {
            RegKey* own = nullptr;
            if (LONG status = ownKey(root, target, own))
                return status;
            std::vector<std::string> parentPath(full.begin(), full.end() - 1);
            RegKey* parent = walk(&root, parentPath);
            RegKey* victim = parent ? parent->findSubkey(full.back()) : nullptr;
            if (!victim)
                return ERROR_FILE_NOT_FOUND;
            if (kind == DeleteKind::LeafOnly && !victim->subkeys().empty())
                return ERROR_ACCESS_DENIED;
            changed = parent->removeSubkey(full.back());
            return ERROR_SUCCESS;
        });
}
} // namespace

LSTATUS RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey)
{
    if (!lpSubKey)
        return ERROR_INVALID_PARAMETER;
    return deleteKey(hKey, lpSubKey, DeleteKind::LeafOnly);
}

LSTATUS RegDeleteTreeA(HKEY hKey, LPCSTR lpSubKey)
{
    if (lpSubKey && *lpSubKey)
        return deleteKey(hKey, lpSubKey, DeleteKind::Tree);
    Target target;
    if (LONG status = resolve(hKey, target))
        return status;
    return HiveStore::instance().write(
        target.file, target.hiveName, [&](RegKey& root, bool& changed) -> LONG {
            RegKey* key = nullptr;
            if (LONG status = ownKey(root, target, key))
                return status;
            changed = !key->values().empty() || !key->subkeys().empty();
            key->clear();
            return ERROR_SUCCESS;
        });
}

LSTATUS RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, DWORD* lpcchName, DWORD*,
                      LPSTR lpClass, DWORD* lpcchClass, void* lpftLastWriteTime)
{
    clearFileTime(lpftLastWriteTime);
    if (!lpName || !lpcchName)
        return ERROR_INVALID_PARAMETER;
    Target target;
    if (LONG status = resolve(hKey, target))
        return status;
    return readKey(target, [&](const RegKey& key) -> LONG {
        if (dwIndex >= key.subkeys().size())
            return ERROR_NO_MORE_ITEMS;
        if (LONG status = deliverName(key.subkeys()[dwIndex]->name(), lpName, lpcchName))
            return status;
        // Keys have no class here.
        if (lpClass && lpcchClass && *lpcchClass)
            lpClass[0] = '\0';
        if (lpcchClass)
            *lpcchClass = 0;
        return ERROR_SUCCESS;
    });
}

LSTATUS RegEnumKeyA(HKEY hKey, DWORD dwIndex, LPSTR lpName, DWORD cchName)
{
    return RegEnumKeyExA(hKey, dwIndex, lpName, &cchName, nullptr, nullptr, nullptr, nullptr);
}

LSTATUS RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, DWORD* lpcchValueName, DWORD*,
                      DWORD* lpType, BYTE* lpData, DWORD* lpcbData)
{
    if (!lpValueName || !lpcchValueName || (lpData && !lpcbData))
        return ERROR_INVALID_PARAMETER;
    Target target;
    if (LONG status = resolve(hKey, target))
        return status;
    return readKey(target, [&](const RegKey& key) -> LONG {
        if (dwIndex >= key.values().size())
            return ERROR_NO_MORE_ITEMS;
        const RegValue& value = key.values()[dwIndex];
        // Report both shortfalls together, as the name size is only known from the first call.
        LONG nameStatus = deliverName(value.name, lpValueName, lpcchValueName);
        LONG dataStatus = deliverData(value, lpType, lpData, lpcbData);
        return nameStatus != ERROR_SUCCESS ? nameStatus : dataStatus;
    });
}

LSTATUS RegQueryInfoKeyA(HKEY hKey, LPSTR lpClass, DWORD* lpcchClass, DWORD*, DWORD* lpcSubKeys,
                         DWORD* lpcbMaxSubKeyLen, DWORD* lpcbMaxClassLen, DWORD* lpcValues,
                         DWORD* lpcbMaxValueNameLen, DWORD* lpcbMaxValueLen,
                         DWORD* lpcbSecurityDescriptor, void* lpftLastWriteTime)
{
    clearFileTime(lpftLastWriteTime);
    Target target;
    if (LONG status = resolve(hKey, target))
        return status;
    return readKey(target, [&](const RegKey& key) -> LONG {
        DWORD maxSubKey = 0, maxValueName = 0, maxValue = 0;
        for (const auto& sub : key.subkeys())
            maxSubKey = std::max(maxSubKey, static_cast<DWORD>(sub->name().size()));
        for (const auto& value : key.values()) {
            maxValueName = std::max(maxValueName, static_cast<DWORD>(value.name.size()));
            maxValue = std::max(maxValue, static_cast<DWORD>(wireBytes(value).size()));
        }
        if (lpClass && lpcchClass && *lpcchClass)
            lpClass[0] = '\0';
        if (lpcchClass)
            *lpcchClass = 0;
        if (lpcSubKeys)
            *lpcSubKeys = static_cast<DWORD>(key.subkeys().size());
        if (lpcbMaxSubKeyLen)
            *lpcbMaxSubKeyLen = maxSubKey;
        if (lpcbMaxClassLen)
            *lpcbMaxClassLen = 0;
        if (lpcValues)
            *lpcValues = static_cast<DWORD>(key.values().size());
        if (lpcbMaxValueNameLen)
            *lpcbMaxValueNameLen = maxValueName;
        if (lpcbMaxValueLen)
            *lpcbMaxValueLen = maxValue;
        if (lpcbSecurityDescriptor)
            *lpcbSecurityDescriptor = 0;
        return ERROR_SUCCESS;
    });
}
