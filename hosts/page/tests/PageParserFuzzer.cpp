// Any bytes as a page: the parser must stay within its bounds and never crash.
#include "hosts/page/PageParser.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const pagehost::ParsedPage page =
        pagehost::parsePage({reinterpret_cast<const char*>(data), size});
    if (page.objects.size() > pagehost::kMaxPageObjects ||
        page.items.size() > pagehost::kMaxPageItems)
        __builtin_trap();
    for (const pagehost::PageObject& object : page.objects)
        if (object.params.size() > pagehost::kMaxObjectParams)
            __builtin_trap();
    return 0;
}
