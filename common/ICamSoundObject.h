#pragma once
// Received camera sound: each part is a 12-byte packet header and G.721 (32 kbit/s ADPCM)
// codes, played on the default sound output.

#include "platform/com/Unknown.h"

inline constexpr IID IID_ICamSoundObject = makeGuid("{E67757D5-332A-11D5-B0AC-009027BD8645}");

struct ICamSoundObject : IUnknown {
    // Decodes the stored part and queues it on the output, under the object's lock. The part
    // is dropped when the output already holds 30 blocks. S_OK (also when nothing was
    // queued); S_FALSE when the output device or the decoder is not available.
    virtual HRESULT Play() = 0;

protected:
    ~ICamSoundObject() = default;
};
template <> inline constexpr IID iidOf<ICamSoundObject> = IID_ICamSoundObject;
