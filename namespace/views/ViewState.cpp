#include "namespace/views/ViewState.h"

#include <array>
#include <vector>

namespace foldra {
namespace {

bool readU32(IStream* stream, std::uint32_t& value)
{
    std::array<std::uint8_t, 4> bytes{};
    ULONG got = 0;
    if (FAILED(stream->Read(bytes.data(), 4, &got)) || got != 4)
        return false;
    value = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (std::uint32_t(bytes[3]) << 24);
    return true;
}

bool readFlag(IStream* stream, bool& flag)
{
    std::uint32_t value = 0;
    if (!readU32(stream, value))
        return false;
    flag = value != 0;
    return true;
}

// A count above the limit is refused without reading on: what follows cannot be trusted.
bool readString(IStream* stream, std::string& text)
{
    std::uint32_t count = 0;
    if (!readU32(stream, count) || count > kMaxViewStateStringBytes)
        return false;
    std::vector<char> bytes(count);
    ULONG got = 0;
    if (count && (FAILED(stream->Read(bytes.data(), count, &got)) || got != count))
        return false;
    std::string value(bytes.begin(), bytes.end());
    if (auto zero = value.find('\0'); zero != std::string::npos)
        value.resize(zero);
    text = std::move(value);
    return true;
}

HRESULT writeU32(IStream* stream, std::uint32_t value)
{
    const std::array<std::uint8_t, 4> bytes{std::uint8_t(value), std::uint8_t(value >> 8),
                                            std::uint8_t(value >> 16), std::uint8_t(value >> 24)};
    return stream->Write(bytes.data(), 4, nullptr);
}

HRESULT writeString(IStream* stream, const std::string& text)
{
    std::string cut = text.substr(0, kMaxViewStateStringBytes - 1);
    if (auto zero = cut.find('\0'); zero != std::string::npos)
        cut.resize(zero);
    const auto count = static_cast<std::uint32_t>(cut.size() + 1);
    if (HRESULT hr = writeU32(stream, count); FAILED(hr))
        return hr;
    return stream->Write(cut.c_str(), count, nullptr);
}

} // namespace

HRESULT readViewState(IStream* stream, ViewState& state)
{
    if (!stream)
        return E_POINTER;
    std::uint32_t version = 0;
    if (!readU32(stream, version))
        return S_FALSE;
    if (version >= 1 &&
        !(readFlag(stream, state.retainImageSize) && readFlag(stream, state.sizeToFit)))
        return S_FALSE;
    if (version > 1 && !readString(stream, state.saveDirectory))
        return S_FALSE;
    if (version > 2) {
        if (!readString(stream, state.sequencePrefix))
            return S_FALSE;
        RecordValues values = state.record;
        for (std::uint32_t* field :
             {&values.unit, &values.speed, &values.duration, &values.durationUnit, &values.maxSize})
            if (!readU32(stream, *field))
                return S_FALSE;
        // The switch view stores zeros here; they are not recording values.
        if (version < kSwitchViewStateVersion)
            state.record = values;
    }
    if (version >= kSwitchViewStateVersion && !readFlag(stream, state.displayNames))
        return S_FALSE;
    return S_OK;
}

HRESULT writeViewState(IStream* stream, const ViewState& state, std::uint32_t version)
{
    if (!stream)
        return E_POINTER;
    if (version != kSingleViewStateVersion && version != kSwitchViewStateVersion)
        return E_INVALIDARG;
    const bool single = version == kSingleViewStateVersion;
    HRESULT hr = writeU32(stream, version);
    if (SUCCEEDED(hr))
        hr = writeU32(stream, state.retainImageSize ? 1 : 0);
    if (SUCCEEDED(hr))
        hr = writeU32(stream, state.sizeToFit ? 1 : 0);
    if (single) {
        if (SUCCEEDED(hr))
            hr = writeString(stream, state.saveDirectory);
        if (SUCCEEDED(hr))
            hr = writeString(stream, state.sequencePrefix);
        for (std::uint32_t value : {state.record.unit, state.record.speed, state.record.duration,
                                    state.record.durationUnit, state.record.maxSize})
            if (SUCCEEDED(hr))
                hr = writeU32(stream, value);
        return hr;
    }
    // Seven zeros: two empty strings counted 0 and the five recording values.
    for (int i = 0; i < 7 && SUCCEEDED(hr); ++i)
        hr = writeU32(stream, 0);
    if (SUCCEEDED(hr))
        hr = writeU32(stream, state.displayNames ? 1 : 0);
    if (SUCCEEDED(hr))
        hr = writeU32(stream, 0);
    return hr;
}

} // namespace foldra
