#include "platform/com/PropertyStream.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr char kMagic[4] = {'O', 'P', 'B', '1'};

class Writer {
public:
    explicit Writer(IStream* stream) : m_stream(stream) {}
    void bytes(const void* data, std::size_t size)
    {
        if (SUCCEEDED(m_hr) && size > 0)
            m_hr = m_stream->Write(data, static_cast<ULONG>(size), nullptr);
    }
    void u16(std::uint16_t v)
    {
        BYTE b[2] = {BYTE(v), BYTE(v >> 8)};
        bytes(b, 2);
    }
    void u32(std::uint32_t v)
    {
        BYTE b[4] = {BYTE(v), BYTE(v >> 8), BYTE(v >> 16), BYTE(v >> 24)};
        bytes(b, 4);
    }
    void text(std::u16string_view s)
    {
        u32(static_cast<std::uint32_t>(s.size()));
        for (char16_t c : s)
            u16(c);
    }
    HRESULT result() const { return m_hr; }

private:
    IStream* m_stream;
    HRESULT m_hr = S_OK;
};

class Reader {
public:
    explicit Reader(IStream* stream) : m_stream(stream) {}
    bool bytes(void* data, std::size_t size)
    {
        ULONG read = 0;
        return SUCCEEDED(m_stream->Read(data, static_cast<ULONG>(size), &read)) && read == size;
    }
    bool u16(std::uint16_t& v)
    {
        BYTE b[2];
        if (!bytes(b, 2))
            return false;
        v = static_cast<std::uint16_t>(b[0] | b[1] << 8);
        return true;
    }
    bool u32(std::uint32_t& v)
    {
        BYTE b[4];
        if (!bytes(b, 4))
            return false;
        v = std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 |
            std::uint32_t(b[3]) << 24;
        return true;
    }
    bool text(std::u16string& s, std::size_t maxLength)
    {
        std::uint32_t length = 0;
        if (!u32(length) || length > maxLength)
            return false;
        s.resize(length);
        for (char16_t& c : s) {
            std::uint16_t unit = 0;
            if (!u16(unit))
                return false;
            c = unit;
        }
        return true;
    }

private:
    IStream* m_stream;
};

} // namespace

HRESULT writePropertyBag(IStream* stream, const MemoryPropertyBag& bag)
{
    if (!stream)
        return E_POINTER;
    Writer out(stream);
    out.bytes(kMagic, sizeof kMagic);
    out.u32(static_cast<std::uint32_t>(bag.entries().size()));
    for (const auto& [name, value] : bag.entries()) {
        out.text(name);
        const VARIANT* v = value.get();
        if (v->vt == VT_I4) {
            out.u16(VT_I4);
            out.u32(static_cast<std::uint32_t>(v->lVal));
        } else if (v->vt == VT_BOOL) {
            out.u16(VT_BOOL);
            out.u16(static_cast<std::uint16_t>(v->boolVal));
        } else {
            Variant text;
            if (HRESULT hr = VariantChangeType(text.get(), v, 0, VT_BSTR); FAILED(hr))
                return hr;
            BSTR s = text.get()->bstrVal;
            out.u16(VT_BSTR);
            out.text({s ? s : u"", SysStringLen(s)});
        }
    }
    return out.result();
}

HRESULT readPropertyBag(IStream* stream, MemoryPropertyBag& bag)
{
    if (!stream)
        return E_POINTER;
    Reader in(stream);
    char magic[4];
    std::uint32_t count = 0;
    if (!in.bytes(magic, sizeof magic) || std::memcmp(magic, kMagic, sizeof kMagic) != 0 ||
        !in.u32(count) || count > MemoryPropertyBag::kMaxEntries)
        return E_FAIL;
    std::vector<std::pair<std::u16string, Variant>> entries;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::u16string name;
        std::uint16_t vt = 0;
        if (!in.text(name, MemoryPropertyBag::kMaxNameLength) || name.empty() || !in.u16(vt))
            return E_FAIL;
        Variant value;
        if (vt == VT_I4) {
            std::uint32_t n = 0;
            if (!in.u32(n))
                return E_FAIL;
            value = Variant::fromI4(static_cast<LONG>(n));
        } else if (vt == VT_BOOL) {
            std::uint16_t b = 0;
            if (!in.u16(b))
                return E_FAIL;
            value = Variant::fromBool(b != 0);
        } else if (vt == VT_BSTR) {
            std::u16string s;
            if (!in.text(s, kMaxStreamedTextLength))
                return E_FAIL;
            BSTR b = SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
            if (!b)
                return E_OUTOFMEMORY;
            value.out()->vt = VT_BSTR;
            value.get()->bstrVal = b;
        } else {
            return E_FAIL;
        }
        entries.emplace_back(std::move(name), std::move(value));
    }
    for (auto& [name, value] : entries)
        if (HRESULT hr = bag.Write(name.c_str(), value.get()); FAILED(hr))
            return hr;
    return S_OK;
}
