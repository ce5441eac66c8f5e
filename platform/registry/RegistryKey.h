#pragma once
// An open registry key that closes itself, with the string and number values the deliverables
// write and read. Every call reports failure as false (or an empty text); none throws.

#include "platform/registry/Registry.h"

#include <string>

class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey();
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // Creates parent\path when missing and opens it for writing; a key already open is closed
    // first.
    bool create(HKEY parent, const std::string& path);
    bool open(HKEY parent, const std::string& path, REGSAM access = KEY_READ);
    HKEY get() const { return m_key; }
    HKEY* put();

    // A null or empty name is the default value.
    bool setString(const char* name, const std::string& value);
    bool setDword(const char* name, DWORD value);
    // A string value's text into out; false when it is missing or not text.
    bool readString(const char* name, std::string* out) const;
    // A string value's text; empty when missing, not text, or empty.
    std::string text(const char* name) const;
    bool hasValue(const char* name) const;

private:
    void close();

    HKEY m_key = nullptr;
};

// Creates parent\path when missing and sets its default value.
bool setDefaultValue(HKEY parent, const std::string& path, const std::string& value);
