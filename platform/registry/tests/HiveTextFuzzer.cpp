// Hive files are edited by hand, so the parser meets anything. Whatever parses must format
// to text that parses back to the same text.
#include "platform/registry/HiveText.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    RegKey root("HKEY_CURRENT_USER");
    HiveParseError error;
    if (!parseHive(text, root, error))
        return 0;
    std::string formatted = formatHive(root);
    RegKey again("HKEY_CURRENT_USER");
    if (!parseHive(formatted, again, error) || formatHive(again) != formatted)
        std::abort();
    return 0;
}
