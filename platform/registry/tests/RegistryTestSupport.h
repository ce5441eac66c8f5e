#pragma once
// Small wrappers that keep the registry tests about behaviour rather than buffer plumbing.

#include "platform/registry/Registry.h"

#include <cstring>
#include <string>
#include <vector>

inline LONG setString(HKEY key, const char* name, const std::string& text)
{
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1));
}

inline LONG setDword(HKEY key, const char* name, DWORD value)
{
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof value);
}

inline std::string queryString(HKEY key, const char* name, LONG* status = nullptr)
{
    char buffer[4096] = {};
    DWORD size = sizeof buffer;
    DWORD type = 0;
    LONG rc = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    if (status)
        *status =
            rc == ERROR_SUCCESS && type != REG_SZ ? static_cast<LONG>(ERROR_INVALID_DATA) : rc;
    return rc == ERROR_SUCCESS ? std::string(buffer) : std::string();
}

inline DWORD queryDword(HKEY key, const char* name, LONG* status = nullptr)
{
    DWORD value = 0;
    DWORD size = sizeof value;
    DWORD type = 0;
    LONG rc = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    if (status)
        *status =
            rc == ERROR_SUCCESS && type != REG_DWORD ? static_cast<LONG>(ERROR_INVALID_DATA) : rc;
    return value;
}

inline std::vector<std::string> subkeyNames(HKEY key)
{
    std::vector<std::string> names;
    char name[256];
    for (DWORD i = 0; RegEnumKeyA(key, i, name, sizeof name) == ERROR_SUCCESS; ++i)
        names.emplace_back(name);
    return names;
}

inline std::vector<std::string> valueNames(HKEY key)
{
    std::vector<std::string> names;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD chars = sizeof name;
        if (RegEnumValueA(key, i, name, &chars, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        names.emplace_back(name, chars);
    }
    return names;
}

// Owns an open key for a test.
class KeyHolder {
public:
    KeyHolder() = default;
    ~KeyHolder()
    {
        if (m_key)
            RegCloseKey(m_key);
    }
    KeyHolder(const KeyHolder&) = delete;
    KeyHolder& operator=(const KeyHolder&) = delete;
    HKEY* out() { return &m_key; }
    HKEY get() const { return m_key; }
    operator HKEY() const { return m_key; }

private:
    HKEY m_key = nullptr;
};
