#include "control/UrlResolution.h"

namespace pictra {
namespace {

char16_t lowerAscii(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}

bool containsIgnoringCase(std::u16string_view text, std::u16string_view what)
{
    if (what.size() > text.size())
        return false;
    for (std::size_t i = 0; i + what.size() <= text.size(); ++i) {
        std::size_t k = 0;
        while (k < what.size() && lowerAscii(text[i + k]) == what[k])
            ++k;
        if (k == what.size())
            return true;
    }
    return false;
}

} // namespace

std::optional<std::u16string> resolveAgainstDocument(std::u16string_view value,
                                                     const std::optional<std::u16string>& document)
{
    if (value.empty())
        return std::nullopt;
    if (!document || containsIgnoringCase(value, u"http://") ||
        containsIgnoringCase(value, u"https://"))
        return std::u16string(value);
    const std::u16string_view address = *document;
    const std::size_t slashes = address.find(u"//");
    if (slashes == std::u16string_view::npos)
        return std::u16string(value);
    const std::size_t pathStart = address.find(u'/', slashes + 2);
    std::u16string result(address.substr(0, pathStart));
    if (value.front() != u'/')
        result += u'/';
    result += value;
    return result;
}

} // namespace pictra
