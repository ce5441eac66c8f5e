#pragma once
// Real files for the sequence tests: a fresh folder per test and byte-level builders, so a
// test can write exactly the damaged file it is about.

#include <cstdint>
#include <string>
#include <string_view>

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return m_path; }
    std::string file(std::string_view name) const { return m_path + "/" + std::string(name); }

private:
    std::string m_path;
};

std::string readBytes(const std::string& path);
void writeBytes(const std::string& path, std::string_view bytes);

// Builders for raw sequence bytes.
std::string le32(std::uint32_t value);
std::string rawHeader(std::string_view magic, std::uint32_t count, std::uint32_t interval);
std::string rawEntry(std::string_view name); // length with zero byte, name, zero byte
