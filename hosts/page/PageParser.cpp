#include "hosts/page/PageParser.h"

#include <algorithm>
#include <charconv>

namespace pagehost {
namespace {

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

std::string lowered(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = lower(c);
    return out;
}

void appendUtf8(std::string& out, unsigned long code)
{
    if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        code = 0xFFFD;
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Decodes the character references of text (attribute values and text runs).
std::string decodeEntities(std::string_view text)
{
    static constexpr std::pair<std::string_view, std::string_view> kNamed[] = {
        {"amp", "&"}, {"lt", "<"}, {"gt", ">"}, {"quot", "\""}, {"apos", "'"}, {"nbsp", " "},
    };
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] != '&') {
            out += text[i++];
            continue;
        }
        // A reference is short; look no further than that for its ';'.
        const std::size_t end = text.substr(i, 12).find(';');
        if (end == std::string_view::npos) {
            out += text[i++];
            continue;
        }
        const std::string_view name = text.substr(i + 1, end - 1);
        bool done = false;
        if (!name.empty() && name[0] == '#') {
            const bool hex = name.size() > 1 && (name[1] == 'x' || name[1] == 'X');
            const std::string_view digits = name.substr(hex ? 2 : 1);
            unsigned long code = 0;
            auto [p, ec] =
                std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
            if (ec == std::errc() && p == digits.data() + digits.size() && !digits.empty()) {
                appendUtf8(out, code);
                done = true;
            }
        } else {
            for (const auto& [entity, value] : kNamed)
                if (lowered(name) == entity) {
                    out += value;
                    done = true;
                    break;
                }
        }
        if (done) {
            i += end + 1;
        } else {
            out += text[i++];
        }
    }
    return out;
}

struct Tag {
    std::string name; // lower case, without "/"
    bool closing = false;
    std::vector<std::pair<std::string, std::string>> attributes; // names lower case
    std::optional<std::string> attribute(std::string_view wanted) const
    {
        for (const auto& [name, value] : attributes)
            if (name == wanted)
                return value;
        return std::nullopt;
    }
};

constexpr std::size_t kMaxAttributes = 64;

// Reads the tag that starts at html[pos] == '<'; pos ends after its '>' (or at the end).
Tag readTag(std::string_view html, std::size_t& pos)
{
    Tag tag;
    std::size_t i = pos + 1;
    if (i < html.size() && html[i] == '/') {
        tag.closing = true;
        ++i;
    }
    std::size_t start = i;
    while (i < html.size() && !isSpace(html[i]) && html[i] != '>' && html[i] != '/')
        ++i;
    tag.name = lowered(html.substr(start, std::min<std::size_t>(i - start, 32)));
    while (i < html.size() && html[i] != '>') {
        if (isSpace(html[i]) || html[i] == '/') {
            ++i;
            continue;
        }
        start = i;
        while (i < html.size() && !isSpace(html[i]) && html[i] != '=' && html[i] != '>' &&
               html[i] != '/')
            ++i;
        std::string name = lowered(html.substr(start, std::min<std::size_t>(i - start, 64)));
        while (i < html.size() && isSpace(html[i]))
            ++i;
        std::string value;
        if (i < html.size() && html[i] == '=') {
            ++i;
            while (i < html.size() && isSpace(html[i]))
                ++i;
            std::size_t valueStart = i, valueEnd = i;
            if (i < html.size() && (html[i] == '"' || html[i] == '\'')) {
                const char quote = html[i];
                valueStart = ++i;
                while (i < html.size() && html[i] != quote)
                    ++i;
                valueEnd = i;
                if (i < html.size())
                    ++i;
            } else {
                while (i < html.size() && !isSpace(html[i]) && html[i] != '>')
                    ++i;
                valueEnd = i;
            }
            value = decodeEntities(
                html.substr(valueStart, std::min(valueEnd - valueStart, kMaxAttributeLength)));
        }
        if (!name.empty() && tag.attributes.size() < kMaxAttributes)
            tag.attributes.emplace_back(std::move(name), std::move(value));
    }
    pos = i < html.size() ? i + 1 : i;
    return tag;
}

int pixels(const std::optional<std::string>& value)
{
    if (!value)
        return 0;
    std::string_view text = *value;
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    int n = 0;
    auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (ec != std::errc() || n <= 0)
        return 0;
    std::string_view rest(p, text.data() + text.size() - p);
    if (!rest.empty() && rest.front() == '%')
        return 0;
    return std::min(n, kMaxObjectSide);
}

bool isBlockTag(std::string_view name)
{
    static constexpr std::string_view kBlocks[] = {
        "p",  "div",    "br",         "hr",   "table", "tr", "li", "ul",
        "ol", "center", "body",       "form", "h1",    "h2", "h3", "h4",
        "h5", "h6",     "blockquote", "pre",  "dl",    "dt", "dd", "section",
    };
    return std::find(std::begin(kBlocks), std::end(kBlocks), name) != std::end(kBlocks);
}

int headingLevel(std::string_view name)
{
    if (name.size() == 2 && name[0] == 'h' && name[1] >= '1' && name[1] <= '6')
        return name[1] - '0';
    return 0;
}

class Builder {
public:
    explicit Builder(ParsedPage& page) : m_page(page) {}

    void text(std::string_view raw)
    {
        if (m_inTitle) {
            m_title += raw;
            return;
        }
        if (m_objectDepth > 0)
            return; // an object's fallback content is not shown
        for (char c : raw) {
            if (m_text.size() >= kMaxTextLength) {
                m_textCut = true;
                break;
            }
            if (isSpace(c)) {
                if (!m_text.empty() && m_text.back() != ' ')
                    m_text += ' ';
            } else {
                m_text += c;
            }
        }
    }

    void tag(const Tag& tag)
    {
        if (tag.name == "title") {
            m_inTitle = !tag.closing;
            if (tag.closing)
                m_page.title = collapse(decodeEntities(m_title));
            return;
        }
        if (tag.name == "object") {
            if (tag.closing) {
                if (m_objectDepth > 0 && --m_objectDepth == 0)
                    m_current = nullptr;
            } else if (m_objectDepth++ == 0) {
                startObject(tag);
            }
            return;
        }
        if (tag.name == "param" && !tag.closing && m_current && m_objectDepth == 1) {
            if (m_current->params.size() >= kMaxObjectParams) {
                warn("more than " + std::to_string(kMaxObjectParams) +
                     " params in one object; the rest are ignored");
                return;
            }
            m_current->params.push_back(
                {tag.attribute("name").value_or(""), tag.attribute("value").value_or("")});
            return;
        }
        if (m_objectDepth > 0)
            return;
        if (isBlockTag(tag.name)) {
            flushText();
            if (tag.name == "br" || tag.name == "p" || tag.name == "hr" || tag.name == "tr") {
                PageItem item;
                item.kind = PageItem::Kind::Break;
                addItem(std::move(item));
            }
            const int level = headingLevel(tag.name);
            m_heading = tag.closing ? 0 : level;
        }
    }

    void finish()
    {
        flushText();
        if (m_inTitle && m_page.title.empty())
            m_page.title = collapse(decodeEntities(m_title.substr(0, kMaxTextLength)));
        if (m_textCut)
            warn("a text block longer than " + std::to_string(kMaxTextLength) + " bytes was cut");
    }

private:
    static std::string collapse(const std::string& text)
    {
        std::string out;
        for (char c : text) {
            if (isSpace(c)) {
                if (!out.empty() && out.back() != ' ')
                    out += ' ';
            } else if (out.size() < kMaxTextLength) {
                out += c;
            }
        }
        while (!out.empty() && out.back() == ' ')
            out.pop_back();
        return out;
    }

    void warn(std::string text)
    {
        if (std::find(m_page.warnings.begin(), m_page.warnings.end(), text) ==
            m_page.warnings.end())
            m_page.warnings.push_back(std::move(text));
    }

    bool addItem(PageItem item)
    {
        if (m_page.items.size() >= kMaxPageItems) {
            warn("the page has more than " + std::to_string(kMaxPageItems) +
                 " blocks; the rest is not shown");
            return false;
        }
        m_page.items.push_back(std::move(item));
        return true;
    }

    void flushText()
    {
        std::string text = collapse(decodeEntities(m_text));
        m_text.clear();
        if (text.empty())
            return;
        PageItem item;
        item.kind = PageItem::Kind::Text;
        item.text = std::move(text);
        item.heading = m_heading;
        addItem(std::move(item));
    }

    void startObject(const Tag& tag)
    {
        flushText();
        if (m_page.objects.size() >= kMaxPageObjects) {
            warn("more than " + std::to_string(kMaxPageObjects) +
                 " objects; the rest are not created");
            return;
        }
        PageObject object;
        object.classId = tag.attribute("classid").value_or("");
        object.clsid = classIdFromAttribute(object.classId);
        object.id = tag.attribute("id").value_or(tag.attribute("name").value_or(""));
        object.width = pixels(tag.attribute("width"));
        object.height = pixels(tag.attribute("height"));
        PageItem item;
        item.kind = PageItem::Kind::Object;
        item.object = m_page.objects.size();
        if (!addItem(std::move(item)))
            return;
        m_page.objects.push_back(std::move(object));
        m_current = &m_page.objects.back();
    }

    ParsedPage& m_page;
    std::string m_text;
    std::string m_title;
    bool m_inTitle = false;
    bool m_textCut = false;
    int m_heading = 0;
    int m_objectDepth = 0;
    PageObject* m_current = nullptr; // the open object's entry; objects never reallocate
                                     // while one is open (only startObject appends)
};

// Skips a raw-text element's content (script, style) up to its end tag; linear.
std::size_t skipRawText(std::string_view html, std::size_t pos, std::string_view name)
{
    const std::string end = "</" + std::string(name);
    for (std::size_t i = pos; i + end.size() <= html.size(); ++i) {
        if (html[i] != '<')
            continue;
        std::size_t k = 0;
        while (k < end.size() && lower(html[i + k]) == end[k])
            ++k;
        if (k == end.size())
            return i;
    }
    return html.size();
}

} // namespace

std::optional<CLSID> classIdFromAttribute(std::string_view value)
{
    while (!value.empty() && isSpace(value.front()))
        value.remove_prefix(1);
    while (!value.empty() && isSpace(value.back()))
        value.remove_suffix(1);
    if (value.size() < 6 || lowered(value.substr(0, 6)) != "clsid:")
        return std::nullopt;
    value.remove_prefix(6);
    std::string text(value);
    if (text.empty() || text.front() != '{')
        text = "{" + text + "}";
    CLSID clsid{};
    if (!guidFromString(text, &clsid))
        return std::nullopt;
    return clsid;
}

ParsedPage parsePage(std::string_view html)
{
    ParsedPage page;
    page.objects.reserve(kMaxPageObjects);
    Builder builder(page);
    std::size_t pos = 0;
    while (pos < html.size()) {
        const std::size_t lt = html.find('<', pos);
        if (lt == std::string_view::npos) {
            builder.text(html.substr(pos));
            break;
        }
        builder.text(html.substr(pos, lt - pos));
        if (html.substr(lt, 4) == "<!--") {
            const std::size_t end = html.find("-->", lt + 4);
            pos = end == std::string_view::npos ? html.size() : end + 3;
            continue;
        }
        const char next = lt + 1 < html.size() ? lower(html[lt + 1]) : ' ';
        if (!(next >= 'a' && next <= 'z') && next != '/' && next != '!' && next != '?') {
            builder.text("<"); // "a < b" is text, not a tag
            pos = lt + 1;
            continue;
        }
        if (next == '!' || next == '?') {
            const std::size_t end = html.find('>', lt);
            pos = end == std::string_view::npos ? html.size() : end + 1;
            continue;
        }
        pos = lt;
        Tag tag = readTag(html, pos);
        if (!tag.closing && (tag.name == "script" || tag.name == "style")) {
            pos = skipRawText(html, pos, tag.name);
            continue;
        }
        builder.tag(tag);
    }
    builder.finish();
    return page;
}

} // namespace pagehost
