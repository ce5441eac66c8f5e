#include "platform/registry/HiveText.h"

#include "platform/base/AsciiCase.h"
#include "platform/registry/Registry.h"

#include <charconv>
#include <cstdio>

namespace {
void appendEscaped(std::string& out, std::string_view text)
{
    out += '"';
    for (char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    out += '"';
}

void appendHex(std::string& out, std::string_view bytes)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i)
            out += ',';
        auto b = static_cast<unsigned char>(bytes[i]);
        out += kDigits[b >> 4];
        out += kDigits[b & 0xF];
    }
}

void appendValue(std::string& out, const RegValue& value)
{
    if (value.name.empty())
        out += '@';
    else
        appendEscaped(out, value.name);
    out += '=';
    if (value.type == REG_SZ) {
        appendEscaped(out, value.data);
    } else if (value.type == REG_DWORD && value.data.size() == 4) {
        DWORD v = 0;
        for (int i = 3; i >= 0; --i)
            v = (v << 8) | static_cast<unsigned char>(value.data[static_cast<std::size_t>(i)]);
        char buf[24];
        std::snprintf(buf, sizeof buf, "dword:%08x", v);
        out += buf;
    } else {
        if (value.type == REG_BINARY)
            out += "hex:";
        else
            out += "hex(" + std::to_string(value.type) + "):";
        appendHex(out, value.data);
    }
    out += '\n';
}

void appendKey(std::string& out, const RegKey& key, const std::string& path, bool isRoot)
{
    // The root section is written only when it holds values: its existence is implied.
    if (!isRoot || !key.values().empty()) {
        out += '[';
        out += path;
        out += "]\n";
        for (const auto& value : key.values())
            appendValue(out, value);
        out += '\n';
    }
    for (const auto& sub : key.subkeys())
        appendKey(out, *sub, path + '\\' + sub->name(), false);
}

// Reads a quoted, escaped string at text[pos]; pos ends after the closing quote.
bool readQuoted(std::string_view text, std::size_t& pos, std::string& out)
{
    if (pos >= text.size() || text[pos] != '"')
        return false;
    ++pos;
    out.clear();
    while (pos < text.size()) {
        char c = text[pos++];
        if (c == '"')
            return true;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (pos >= text.size())
            return false;
        char e = text[pos++];
        if (e == '\\' || e == '"')
            out += e;
        else if (e == 'n')
            out += '\n';
        else if (e == 'r')
            out += '\r';
        else
            return false;
    }
    return false;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool readHexBytes(std::string_view text, std::string& out)
{
    out.clear();
    if (text.empty())
        return true;
    std::size_t pos = 0;
    while (true) {
        if (pos + 2 > text.size())
            return false;
        int hi = hexDigit(text[pos]);
        int lo = hexDigit(text[pos + 1]);
        if (hi < 0 || lo < 0)
            return false;
        out += static_cast<char>((hi << 4) | lo);
        pos += 2;
        if (pos == text.size())
            return true;
        if (text[pos] != ',')
            return false;
        ++pos;
    }
}

std::string_view trimRight(std::string_view s)
{
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// Parses the data after "name=".
bool readData(std::string_view text, RegValue& value, std::string& reason)
{
    if (!text.empty() && text.front() == '"') {
        std::size_t pos = 0;
        if (!readQuoted(text, pos, value.data) || pos != text.size()) {
            reason = "malformed string";
            return false;
        }
        value.type = REG_SZ;
        return true;
    }
    if (text.starts_with("dword:")) {
        auto digits = text.substr(6);
        DWORD v = 0;
        auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v, 16);
        if (digits.empty() || digits.size() > 8 || ec != std::errc() ||
            end != digits.data() + digits.size()) {
            reason = "malformed dword";
            return false;
        }
        value.type = REG_DWORD;
        value.data.clear();
        for (int i = 0; i < 4; ++i)
            value.data += static_cast<char>((v >> (8 * i)) & 0xFF);
        return true;
    }
    std::string_view bytes;
    if (text.starts_with("hex:")) {
        value.type = REG_BINARY;
        bytes = text.substr(4);
    } else if (text.starts_with("hex(")) {
        auto close = text.find("):");
        DWORD type = 0;
        auto digits = text.substr(4, close == std::string_view::npos ? 0 : close - 4);
        auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), type, 10);
        if (close == std::string_view::npos || digits.empty() || ec != std::errc() ||
            end != digits.data() + digits.size()) {
            reason = "malformed hex type";
            return false;
        }
        value.type = type;
        bytes = text.substr(close + 2);
    } else {
        reason = "unknown value form";
        return false;
    }
    if (!readHexBytes(bytes, value.data)) {
        reason = "malformed hex bytes";
        return false;
    }
    // Text written as bytes is held without its terminating zero, like any other text.
    if (value.type == REG_SZ || value.type == REG_EXPAND_SZ)
        value.data = value.data.substr(0, value.data.find('\0'));
    return true;
}

bool parseSection(std::string_view header, RegKey& root, RegKey*& current, std::string& reason)
{
    // header is the text between '[' and ']'.
    std::size_t start = 0;
    RegKey* key = nullptr;
    while (true) {
        auto end = header.find('\\', start);
        auto part = header.substr(start, end == std::string_view::npos ? end : end - start);
        if (part.empty()) {
            reason = "empty key name in section";
            return false;
        }
        if (!key) {
            if (!orvel::equalsIgnoringCase(part, root.name())) {
                reason = "section outside " + root.name();
                return false;
            }
            key = &root;
        } else {
            RegKey* sub = key->findSubkey(part);
            key = sub ? sub : &key->addSubkey(std::string(part));
        }
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    current = key;
    return true;
}
} // namespace

bool parseHive(std::string_view text, RegKey& root, HiveParseError& error)
{
    RegKey* current = nullptr;
    int lineNumber = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        auto end = text.find('\n', pos);
        auto line = trimRight(text.substr(pos, end == std::string_view::npos ? end : end - pos));
        pos = end == std::string_view::npos ? text.size() : end + 1;
        ++lineNumber;
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        if (line.empty() || line.front() == ';')
            continue;
        std::string reason;
        if (line.front() == '[') {
            if (line.back() != ']' || line.size() < 3) {
                error = {lineNumber, "malformed section header"};
                return false;
            }
            if (!parseSection(line.substr(1, line.size() - 2), root, current, reason)) {
                error = {lineNumber, reason};
                return false;
            }
            continue;
        }
        if (!current) {
            error = {lineNumber, "value outside any section"};
            return false;
        }
        RegValue value;
        std::size_t at = 0;
        if (line.front() == '@') {
            at = 1;
        } else if (!readQuoted(line, at, value.name)) {
            error = {lineNumber, "malformed value name"};
            return false;
        } else if (value.name.empty()) {
            error = {lineNumber, "empty value name (the default value is written @)"};
            return false;
        }
        if (at >= line.size() || line[at] != '=') {
            error = {lineNumber, "expected '=' after the value name"};
            return false;
        }
        if (!readData(line.substr(at + 1), value, reason)) {
            error = {lineNumber, reason};
            return false;
        }
        current->setValue(std::move(value));
    }
    return true;
}

std::string formatHive(const RegKey& root)
{
    std::string out = "; " + root.name() + ", a hive of the Orvel Works registry\n\n";
    appendKey(out, root, root.name(), true);
    return out;
}
