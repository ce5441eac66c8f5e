#include "platform/registry/RegistryKey.h"

#include <algorithm>

RegistryKey::~RegistryKey()
{
    close();
}

void RegistryKey::close()
{
    if (m_key)
        RegCloseKey(m_key);
    m_key = nullptr;
}

HKEY* RegistryKey::put()
{
    close();
    return &m_key;
}

bool RegistryKey::create(HKEY parent, const std::string& path)
{
    return RegCreateKeyExA(parent, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                           KEY_ALL_ACCESS, nullptr, put(), nullptr) == ERROR_SUCCESS;
}

bool RegistryKey::open(HKEY parent, const std::string& path, REGSAM access)
{
    return RegOpenKeyExA(parent, path.c_str(), 0, access, put()) == ERROR_SUCCESS;
}

bool RegistryKey::setString(const char* name, const std::string& value)
{
    return RegSetValueExA(m_key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

bool RegistryKey::setDword(const char* name, DWORD value)
{
    return RegSetValueExA(m_key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof value) == ERROR_SUCCESS;
}

bool RegistryKey::readString(const char* name, std::string* out) const
{
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(m_key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    std::string value(size, '\0');
    if (RegQueryValueExA(m_key, name, nullptr, &type, reinterpret_cast<BYTE*>(value.data()),
                         &size) != ERROR_SUCCESS)
        return false;
    value.resize(std::min<std::size_t>(size, value.size()));
    while (!value.empty() && value.back() == '\0')
        value.pop_back();
    *out = std::move(value);
    return true;
}

std::string RegistryKey::text(const char* name) const
{
    std::string value;
    return readString(name, &value) ? value : std::string();
}

bool RegistryKey::hasValue(const char* name) const
{
    return RegQueryValueExA(m_key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool setDefaultValue(HKEY parent, const std::string& path, const std::string& value)
{
    RegistryKey key;
    return key.create(parent, path) && key.setString(nullptr, value);
}
