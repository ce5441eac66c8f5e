#pragma once
// The in-memory form of one hive: keys with their values and subkeys, both kept in the order
// they were created so enumeration is stable across runs and processes.

#include "platform/base/WinTypes.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct RegValue {
    std::string name; // "" is the key's default value
    DWORD type = 0;
    // REG_SZ and REG_EXPAND_SZ: the text without its terminating zero; REG_DWORD: four bytes,
    // little-endian; other types: the bytes as given.
    std::string data;

    bool operator==(const RegValue&) const = default;
};

class RegKey {
public:
    explicit RegKey(std::string name) : m_name(std::move(name)) {}

    const std::string& name() const { return m_name; }

    RegKey* findSubkey(std::string_view name);
    const RegKey* findSubkey(std::string_view name) const;
    RegKey& addSubkey(std::string name);
    bool removeSubkey(std::string_view name);
    const std::vector<std::unique_ptr<RegKey>>& subkeys() const { return m_subkeys; }

    const RegValue* findValue(std::string_view name) const;
    // Replaces a value of the same name in place, or appends. False when nothing changed.
    bool setValue(RegValue value);
    bool removeValue(std::string_view name);
    const std::vector<RegValue>& values() const { return m_values; }

    void clear();

private:
    std::string m_name;
    std::vector<RegValue> m_values;
    std::vector<std::unique_ptr<RegKey>> m_subkeys;
};
