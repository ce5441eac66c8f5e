#include "platform/registry/RegistryTree.h"

#include "platform/base/AsciiCase.h"

#include <algorithm>

using orvel::equalsIgnoringCase;

RegKey* RegKey::findSubkey(std::string_view name)
{
    for (auto& key : m_subkeys)
        if (equalsIgnoringCase(key->m_name, name))
            return key.get();
    return nullptr;
}

const RegKey* RegKey::findSubkey(std::string_view name) const
{
    return const_cast<RegKey*>(this)->findSubkey(name);
}

RegKey& RegKey::addSubkey(std::string name)
{
    m_subkeys.push_back(std::make_unique<RegKey>(std::move(name)));
    return *m_subkeys.back();
}

bool RegKey::removeSubkey(std::string_view name)
{
    auto it = std::find_if(m_subkeys.begin(), m_subkeys.end(),
                           [&](const auto& key) { return equalsIgnoringCase(key->m_name, name); });
    if (it == m_subkeys.end())
        return false;
    m_subkeys.erase(it);
    return true;
}

const RegValue* RegKey::findValue(std::string_view name) const
{
    for (const auto& value : m_values)
        if (equalsIgnoringCase(value.name, name))
            return &value;
    return nullptr;
}

bool RegKey::setValue(RegValue value)
{
    for (auto& existing : m_values) {
        if (!equalsIgnoringCase(existing.name, value.name))
            continue;
        // The name keeps the case it was created with.
        if (existing.type == value.type && existing.data == value.data)
            return false;
        existing.type = value.type;
        existing.data = std::move(value.data);
        return true;
    }
    m_values.push_back(std::move(value));
    return true;
}

bool RegKey::removeValue(std::string_view name)
{
    auto it = std::find_if(m_values.begin(), m_values.end(), [&](const RegValue& value) {
        return equalsIgnoringCase(value.name, name);
    });
    if (it == m_values.end())
        return false;
    m_values.erase(it);
    return true;
}

void RegKey::clear()
{
    m_values.clear();
    m_subkeys.clear();
}
