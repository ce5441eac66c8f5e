#pragma once
// Reads what the page host shows of an HTML page: its title, its text in blocks, and the
// controls its <object classid="clsid:..."> elements name with their <param> values. Not a
// browser: no styles, scripts or layout rules beyond blocks and inline objects. One pass over
// the text, with every count and length bounded, so a hostile page costs linear time.

#include "platform/com/Guid.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pagehost {

struct PageParam {
    std::string name;
    std::string value;
};

struct PageObject {
    std::optional<CLSID> clsid; // none when classid is missing or not "clsid:{...}"
    std::string classId;        // the attribute as written, for messages
    std::string id;
    int width = 0; // pixels; 0 when the page gives none or a percentage
    int height = 0;
    std::vector<PageParam> params;
};

struct PageItem {
    enum class Kind { Text, Break, Object };
    Kind kind = Kind::Text;
    std::string text;       // Text: whitespace collapsed, entities decoded
    int heading = 0;        // Text inside <h1>..<h6>
    std::size_t object = 0; // Object: index into ParsedPage::objects
};

struct ParsedPage {
    std::string title;
    std::vector<PageItem> items;
    std::vector<PageObject> objects;
    // What the bounds cut (objects, params or text beyond the limits), for the user.
    std::vector<std::string> warnings;
};

inline constexpr std::size_t kMaxPageObjects = 64;
inline constexpr std::size_t kMaxObjectParams = 64;
inline constexpr std::size_t kMaxPageItems = 4096;
inline constexpr std::size_t kMaxAttributeLength = 8192;
inline constexpr std::size_t kMaxTextLength = 16384; // of one text block
inline constexpr int kMaxObjectSide = 4096;          // pixels

ParsedPage parsePage(std::string_view html);

// "clsid:917623D1-D8E5-11D2-BE8B-00104B06BDE3" (any case, braces optional) to the class id.
std::optional<CLSID> classIdFromAttribute(std::string_view value);

} // namespace pagehost
