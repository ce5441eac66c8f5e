#include "namespace/store/RecordStream.h"

#include "common/LuminClasses.h"
#include "platform/base/Utf.h"
#include "platform/com/Guid.h"

#include <cstring>

namespace foldra {
namespace {

// The kinds of the record versions: what each version added after the first six fields.
constexpr std::uint32_t kVersionLegacyClass = 2;
constexpr std::uint32_t kVersionIdentity = 3;
constexpr std::uint32_t kVersionMembers = 4;
constexpr std::uint32_t kVersionDisplayTime = 5;
constexpr std::uint32_t kVersionUser = 6;

class Writer {
public:
    void u32(std::uint32_t v)
    {
        std::uint8_t b[4];
        std::memcpy(b, &v, 4);
        m_bytes.insert(m_bytes.end(), b, b + 4);
    }
    void string(const std::string& text)
    {
        if (text.empty()) {
            u32(0);
            return;
        }
        std::u16string wide = utf8ToUtf16(text);
        u32(static_cast<std::uint32_t>((wide.size() + 1) * 2));
        for (char16_t c : wide) {
            m_bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
            m_bytes.push_back(static_cast<std::uint8_t>(c >> 8));
        }
        m_bytes.push_back(0);
        m_bytes.push_back(0);
    }
    std::vector<std::uint8_t> take() { return std::move(m_bytes); }

private:
    std::vector<std::uint8_t> m_bytes;
};

class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    bool u32(std::uint32_t* v)
    {
        if (m_bytes.size() - m_pos < 4)
            return false;
        std::memcpy(v, m_bytes.data() + m_pos, 4);
        m_pos += 4;
        return true;
    }
    // A count that is odd or below the terminator's two bytes is no UTF-16 string.
    bool string(std::string* out)
    {
        std::uint32_t n = 0;
        if (!u32(&n))
            return false;
        if (n == 0) {
            out->clear();
            return true;
        }
        if (n < 2 || n % 2 != 0 || n > m_bytes.size() - m_pos)
            return false;
        std::u16string text;
        text.reserve(n / 2 - 1);
        for (std::uint32_t i = 0; i + 2 < n; i += 2) {
            auto c = static_cast<char16_t>(m_bytes[m_pos + i] | (m_bytes[m_pos + i + 1] << 8));
            if (c == 0)
                break;
            text.push_back(c);
        }
        m_pos += n;
        *out = utf16ToUtf8(text);
        return true;
    }
    std::size_t remaining() const { return m_bytes.size() - m_pos; }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_pos = 0;
};

struct LegacyTarget {
    const CLSID* clsid;
    const char* model;
    const char* firmware;
};

// Version-2 records named the camera's target class. Each class stands for the first model
// and firmware of the model table that lead to it, so GetTarget finds the same class again.
const LegacyTarget kLegacyTargets[] = {
    {&CLSID_CamTarget100, "OS10", "1.10"}, {&CLSID_CamTarget110, "OC11", "1.40"},
    {&CLSID_CamTarget200, "OC20", "2.00"}, {&CLSID_CamTarget201, "OS21", "2.10"},
    {&CLSID_CamTarget210, "OC30", "3.00"}, {&CLSID_CamTarget211, "OD41", "3.20"},
};

} // namespace

std::vector<std::uint8_t> encodeRecord(const ItemRecord& record, ItemKind kind)
{
    Writer w;
    w.u32(kRecordVersion);
    w.u32(static_cast<std::uint32_t>(kindValue(kind)));
    w.string(record.name);
    w.string(record.address);
    w.string(record.camera);
    w.string(record.resolution);
    w.string(record.model);
    w.string(record.firmware);
    w.u32(static_cast<std::uint32_t>(record.members.size()));
    for (const std::string& member : record.members)
        w.string(member);
    w.u32(record.displayTimeMs);
    w.string(record.user);
    w.string(record.password);
    return w.take();
}

bool legacyTargetIdentity(const std::string& classIdText, std::string* model, std::string* firmware)
{
    GUID clsid{};
    if (classIdText.size() != 38 || !guidFromString(classIdText, &clsid))
        return false;
    for (const LegacyTarget& row : kLegacyTargets) {
        if (IsEqualCLSID(*row.clsid, clsid)) {
            *model = row.model;
            *firmware = row.firmware;
            return true;
        }
    }
    return false;
}

HRESULT decodeRecord(std::span<const std::uint8_t> bytes, ItemRecord* record, ItemKind* kind)
{
    Reader r(bytes);
    std::uint32_t version = 0;
    std::uint32_t kindBits = 0;
    if (!r.u32(&version) || version == 0 || !r.u32(&kindBits))
        return E_FAIL;
    *kind = static_cast<ItemKind>(static_cast<std::int32_t>(kindBits));
    if (!r.string(&record->name) || !r.string(&record->address) || !r.string(&record->camera) ||
        !r.string(&record->resolution))
        return E_FAIL;
    if (version == kVersionLegacyClass) {
        std::string classId;
        if (!r.string(&classId))
            return E_FAIL;
        record->model.clear();
        record->firmware.clear();
        legacyTargetIdentity(classId, &record->model, &record->firmware);
        return S_OK;
    }
    if (version >= kVersionIdentity && (!r.string(&record->model) || !r.string(&record->firmware)))
        return E_FAIL;
    if (version >= kVersionMembers) {
        std::uint32_t count = 0;
        if (!r.u32(&count) || count > r.remaining() / 4)
            return E_FAIL;
        std::vector<std::string> members(count);
        for (std::string& member : members)
            if (!r.string(&member))
                return E_FAIL;
        record->members = std::move(members);
    }
    if (version >= kVersionDisplayTime && !r.u32(&record->displayTimeMs))
        return E_FAIL;
    if (version >= kVersionUser && (!r.string(&record->user) || !r.string(&record->password)))
        return E_FAIL;
    return S_OK;
}

} // namespace foldra
