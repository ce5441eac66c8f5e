#include "control/SoundPlayer.h"

namespace pictra {

namespace {
const orvel::audio::WaveFormat kFormat{1, 8000, 16};
} // namespace

SoundPlayer::SoundPlayer(std::shared_ptr<AudioPoster> poster) : m_poster(std::move(poster)) {}

SoundPlayer::~SoundPlayer()
{
    close();
}

bool SoundPlayer::open(int blocks, orvel::codec::CodecType codec)
{
    std::lock_guard lock(m_lock);
    if (!m_codec || m_codec->type() != codec) {
        m_codec = orvel::codec::AudioCodec::create(static_cast<int>(codec));
        m_state = m_codec ? m_codec->createState() : nullptr;
    }
    if (!m_out || m_slotCount != blocks) {
        if (m_out)
            m_out->reset();
        m_slots = std::make_unique<Slot[]>(static_cast<std::size_t>(blocks));
        m_slotCount = blocks;
        m_lastSlot = -1;
    }
    m_queued = m_dropped = 0;
    if (!m_out)
        m_out = orvel::audio::WaveOut::open(kFormat, {});
    return m_out != nullptr;
}

void SoundPlayer::close()
{
    std::lock_guard lock(m_lock);
    if (m_out) {
        m_out->reset();
        for (int i = 0; i < m_slotCount; ++i)
            if (m_slots[i].block.prepared())
                m_out->unprepare(m_slots[i].block);
        m_out.reset();
    }
    m_slots.reset();
    m_slotCount = 0;
    m_lastSlot = -1;
    m_state.reset();
    m_codec.reset();
    if (m_meter.level() != 0) {
        m_meter.reset();
        m_poster->post(AudioNotice::OutputLevel, 0);
    }
}

void SoundPlayer::play(const std::uint8_t* data, std::size_t size)
{
    std::lock_guard lock(m_lock);
    if (!m_out || !m_codec || !m_state || m_slotCount == 0 || !data || size == 0)
        return;
    const int next = m_lastSlot + 1 >= m_slotCount ? 0 : m_lastSlot + 1;
    Slot& slot = m_slots[next];
    if (slot.block.queued()) {
        ++m_dropped;
        return;
    }
    m_lastSlot = next;
    if (slot.block.prepared())
        m_out->unprepare(slot.block);
    orvel::codec::InputDescriptor input{data, 0, size};
    slot.samples.clear();
    m_codec->decode(input, slot.samples, *m_state);
    m_codec->finish(slot.samples, *m_state);
    slot.block.data = slot.samples.data();
    slot.block.length = slot.samples.size();
    if (!m_out->prepare(slot.block)) {
        m_poster->post(AudioNotice::WaveProblem, static_cast<int>(WaveProblem::Preparing));
        return;
    }
    if (m_meter.run(slot.samples.data(), slot.samples.size()))
        m_poster->post(AudioNotice::OutputLevel, m_meter.level());
    if (!m_out->write(slot.block)) {
        m_poster->post(AudioNotice::WaveProblem, static_cast<int>(WaveProblem::Writing));
        return;
    }
    ++m_queued;
}

bool SoundPlayer::isOpen() const
{
    std::lock_guard lock(m_lock);
    return m_out != nullptr;
}

int SoundPlayer::blockCount() const
{
    std::lock_guard lock(m_lock);
    return m_slotCount;
}

std::uint64_t SoundPlayer::partsQueued() const
{
    std::lock_guard lock(m_lock);
    return m_queued;
}

std::uint64_t SoundPlayer::partsDropped() const
{
    std::lock_guard lock(m_lock);
    return m_dropped;
}

} // namespace pictra
