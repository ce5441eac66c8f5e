#include "client/VersionRecord.h"

#include "platform/base/FileDescriptor.h"
#include "platform/base/RegularFile.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <elf.h>
#include <vector>

namespace lumin {
namespace {

bool readAt(const orvel::FileDescriptor& file, std::uint64_t offset, void* out, std::size_t size)
{
    return file.readAt(offset, out, size) == static_cast<long long>(size);
}

} // namespace

std::optional<std::string> readVersionSection(const std::string& path)
{
    int error = 0;
    const orvel::FileDescriptor file(
        orvel::openRegularFile(path, orvel::RegularFileAccess::Read, &error));
    if (!file.isOpen())
        return std::nullopt;
    Elf64_Ehdr header{};
    if (!readAt(file, 0, &header, sizeof header) ||
        std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
        header.e_ident[EI_CLASS] != ELFCLASS64 || header.e_shentsize != sizeof(Elf64_Shdr) ||
        header.e_shstrndx >= header.e_shnum)
        return std::nullopt;

    std::vector<Elf64_Shdr> sections(header.e_shnum);
    if (!readAt(file, header.e_shoff, sections.data(), sections.size() * sizeof(Elf64_Shdr)))
        return std::nullopt;
    const Elf64_Shdr& names = sections[header.e_shstrndx];
    if (names.sh_size > (1u << 20))
        return std::nullopt;
    std::string nameTable(names.sh_size, '\0');
    if (!readAt(file, names.sh_offset, nameTable.data(), nameTable.size()))
        return std::nullopt;

    for (const Elf64_Shdr& section : sections) {
        if (section.sh_name >= nameTable.size() ||
            std::strcmp(nameTable.c_str() + section.sh_name, kVersionSection) != 0)
            continue;
        if (section.sh_type == SHT_NOBITS || section.sh_size > (1u << 16))
            return std::nullopt;
        std::string contents(section.sh_size, '\0');
        if (!readAt(file, section.sh_offset, contents.data(), contents.size()))
            return std::nullopt;
        return contents;
    }
    return std::nullopt;
}

std::optional<std::string> versionValue(std::string_view record, std::string_view key)
{
    if (record.substr(0, kVersionMagic.size()) != kVersionMagic)
        return std::nullopt;
    record.remove_prefix(kVersionMagic.size());
    while (!record.empty()) {
        auto keyEnd = record.find('\0');
        if (keyEnd == 0 || keyEnd == std::string_view::npos)
            return std::nullopt;
        std::string_view name = record.substr(0, keyEnd);
        record.remove_prefix(keyEnd + 1);
        auto valueEnd = record.find('\0');
        if (valueEnd == std::string_view::npos)
            return std::nullopt;
        if (name == key)
            return std::string(record.substr(0, valueEnd));
        record.remove_prefix(valueEnd + 1);
    }
    return std::nullopt;
}

HRESULT readFileVersion(const std::string& path, UI4* major, UI4* minor, UI4* build)
{
    auto record = readVersionSection(path);
    if (!record)
        return E_FAIL;
    // The first language/code-page pair names the string table the version is read from.
    auto translation = versionValue(*record, "\\VarFileInfo\\Translation");
    unsigned language = 0, codePage = 0;
    if (!translation || std::sscanf(translation->c_str(), "%x %x", &language, &codePage) != 2)
        return E_FAIL;
    char key[64];
    std::snprintf(key, sizeof key, "\\StringFileInfo\\%.4X%.4X\\FileVersion", language, codePage);
    auto version = versionValue(*record, key);
    if (!version)
        return E_FAIL;

    UI4 numbers[3] = {};
    std::size_t found = 0;
    std::string_view text = *version;
    while (found < 3) {
        auto start = text.find_first_not_of(" ,");
        if (start == std::string_view::npos)
            break;
        text.remove_prefix(start);
        auto end = text.find_first_of(" ,");
        std::string piece(text.substr(0, end));
        numbers[found++] = static_cast<UI4>(std::strtoul(piece.c_str(), nullptr, 10));
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end);
    }
    if (found < 3)
        return E_FAIL;
    *major = numbers[0];
    *minor = numbers[1];
    *build = numbers[2];
    return S_OK;
}

} // namespace lumin
