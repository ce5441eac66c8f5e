#include "media/CamSoundObject.h"

namespace medrix {

namespace {

// PCM, mono, 8000 samples a second, 16 bits: block alignment 2, 16000 bytes a second.
const orvel::audio::WaveFormat kFormat{1, 8000, 16};

} // namespace

CamSoundObject::CamSoundObject()
    : m_codec(orvel::codec::AudioCodec::create(static_cast<int>(orvel::codec::CodecType::G721)))
{
    if (m_codec)
        m_state = m_codec->createState();
    m_out = orvel::audio::WaveOut::open(kFormat, [this](orvel::audio::WaveBlock*) {
        m_notifications.post(NotificationThread::BlockDone);
    });
}

CamSoundObject::~CamSoundObject()
{
    if (m_out) {
        m_out->reset();
        for (Slot& slot : m_slots)
            if (slot.block.prepared())
                m_out->unprepare(slot.block);
        m_out.reset();
    }
    m_state.reset();
    m_codec.reset();
    m_notifications.quit();
}

HRESULT CamSoundObject::Play()
{
    if (!m_out || !m_codec || !m_state)
        return S_FALSE;
    std::lock_guard lock(m_store.mutex());
    if (m_store.byteCount() <= kPacketHeaderBytes || !m_store.bytes())
        return S_OK;

    int next = m_lastSlot + 1 >= kSlotCount ? 0 : m_lastSlot + 1;
    Slot& slot = m_slots[static_cast<std::size_t>(next)];
    // The device is behind: drop the part rather than queue beyond 30 blocks.
    if (slot.block.queued())
        return S_OK;
    m_lastSlot = next;
    if (slot.block.prepared())
        m_out->unprepare(slot.block);

    orvel::codec::InputDescriptor input{m_store.bytes() + kPacketHeaderBytes, 0,
                                        m_store.byteCount() - kPacketHeaderBytes};
    m_codec->decode(input, slot.samples, *m_state);
    m_codec->finish(slot.samples, *m_state);

    // Errors of prepare and write leave the slot idle; the next part tries again.
    slot.block.data = slot.samples.data();
    slot.block.length = slot.samples.size();
    if (m_out->prepare(slot.block))
        m_out->write(slot.block);
    return S_OK;
}

int CamSoundObject::lastSlot() const
{
    std::lock_guard lock(m_store.mutex());
    return m_lastSlot;
}

bool CamSoundObject::slotQueued(int slot) const
{
    std::lock_guard lock(m_store.mutex());
    return m_slots.at(static_cast<std::size_t>(slot)).block.queued();
}

std::vector<std::uint8_t> CamSoundObject::slotSamples(int slot) const
{
    std::lock_guard lock(m_store.mutex());
    const Slot& s = m_slots.at(static_cast<std::size_t>(slot));
    return {s.samples.data(), s.samples.data() + s.samples.size()};
}

} // namespace medrix
