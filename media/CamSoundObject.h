#pragma once
// Received camera sound: the data-object store plus a G.721 decoder whose state runs across
// parts and 30 output blocks on the default sound device. The store's lock guards the slots,
// the decoder and the slot index.

#include "common/ICamSoundObject.h"
#include "media/DataObjectImpl.h"
#include "media/NotificationThread.h"
#include "media/codec/AudioCodec.h"
#include "platform/audio/WaveOut.h"

#include <array>
#include <optional>

namespace medrix {

class CamSoundObject final : public DataObjectImpl<CamSoundObject, ICamSoundObject> {
public:
    static constexpr int kSlotCount = 30;
    // Each part starts with a fixed packet header that carries no sound.
    static constexpr DWORD kPacketHeaderBytes = 12;

    static HRESULT create(IUnknown* outer, REFIID riid, void** ppv)
    {
        return createInstance(outer, riid, ppv);
    }

    CamSoundObject();

    HRESULT Play() override;

    // Which slot Play used last (-1 before the first), and what a slot holds: the slot
    // choice is not visible through the interface, so tests read it here.
    int lastSlot() const;
    bool slotQueued(int slot) const;
    std::vector<std::uint8_t> slotSamples(int slot) const;

private:
    ~CamSoundObject() override;

    struct Slot {
        orvel::audio::WaveBlock block;
        orvel::codec::ByteBuffer samples;
    };

    // Construction order matters: the notification thread exists before the device that
    // reports to it, and the device is gone before the slots it reads.
    NotificationThread m_notifications;
    std::optional<orvel::codec::AudioCodec> m_codec;
    std::unique_ptr<orvel::codec::CodecState> m_state;
    std::array<Slot, kSlotCount> m_slots;
    int m_lastSlot = -1;
    std::unique_ptr<orvel::audio::WaveOut> m_out;
};

} // namespace medrix
