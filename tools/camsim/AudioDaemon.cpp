#include "tools/camsim/AudioDaemon.h"

#include "tools/camsim/HttpRequest.h"
#include "tools/camsim/SocketServer.h"

#include <algorithm>

namespace camsim {

namespace {

struct DuplexName {
    AudioDuplex duplex;
    const char* name;
};
constexpr DuplexName kDuplexNames[] = {
    {AudioDuplex::Full, "full"},
    {AudioDuplex::Half, "half"},
    {AudioDuplex::ListenOnly, "get"},
    {AudioDuplex::TalkOnly, "post"},
    {AudioDuplex::DisabledFull, "disabled_full"},
    {AudioDuplex::DisabledHalf, "disabled_half"},
    {AudioDuplex::DisabledGet, "disabled_get"},
    {AudioDuplex::DisabledPost, "disabled_post"},
};

const char* yesNo(bool value)
{
    return value ? "yes" : "no";
}

const char* mutedName(bool muted)
{
    return muted ? "muted" : "unmuted";
}

} // namespace

const char* duplexName(AudioDuplex duplex)
{
    for (const DuplexName& entry : kDuplexNames)
        if (entry.duplex == duplex)
            return entry.name;
    return "full";
}

bool parseDuplex(std::string_view name, AudioDuplex& duplex)
{
    for (const DuplexName& entry : kDuplexNames)
        if (equalsIgnoringCase(name, entry.name)) {
            duplex = entry.duplex;
            return true;
        }
    return false;
}

AudioDaemon::AudioDaemon(const AudioConfig& config) : m_config(config), m_duplex(config.duplex) {}

AudioDaemon::Slot::~Slot()
{
    m_daemon.release(*this);
}

AudioDuplex AudioDaemon::duplex() const
{
    std::lock_guard lock(m_mutex);
    return m_duplex;
}

bool AudioDaemon::canListen(AudioDuplex duplex)
{
    return duplex == AudioDuplex::Full || duplex == AudioDuplex::Half ||
           duplex == AudioDuplex::ListenOnly;
}

bool AudioDaemon::canTalk(AudioDuplex duplex)
{
    return duplex == AudioDuplex::Full || duplex == AudioDuplex::Half ||
           duplex == AudioDuplex::TalkOnly;
}

std::unique_ptr<AudioDaemon::Slot> AudioDaemon::takeListener(Connection& connection,
                                                             Refusal& refusal)
{
    return take(connection, false, refusal);
}

std::unique_ptr<AudioDaemon::Slot> AudioDaemon::takeTalker(Connection& connection, Refusal& refusal)
{
    return take(connection, true, refusal);
}

std::unique_ptr<AudioDaemon::Slot> AudioDaemon::take(Connection& connection, bool talker,
                                                     Refusal& refusal)
{
    std::unique_ptr<Slot> slot;
    {
        std::lock_guard lock(m_mutex);
        refusal = Refusal::None;
        if (m_shutdown || !(talker ? canTalk(m_duplex) : canListen(m_duplex))) {
            refusal = Refusal::Mode;
            return nullptr;
        }
        const auto taken = std::count_if(m_slots.begin(), m_slots.end(),
                                         [talker](Slot* s) { return s->m_talker == talker; });
        if (taken >= (talker ? m_config.maxTalkers : m_config.maxListeners)) {
            refusal = Refusal::Full;
            return nullptr;
        }
        slot.reset(new Slot(*this, talker, &connection));
        m_slots.push_back(slot.get());
    }
    m_changed.notify_all();
    return slot;
}

void AudioDaemon::release(Slot& slot)
{
    {
        std::lock_guard lock(m_mutex);
        m_slots.remove(&slot);
    }
    m_changed.notify_all();
}

bool AudioDaemon::sleepUntil(const Slot& slot, std::chrono::steady_clock::time_point deadline)
{
    std::unique_lock lock(m_mutex);
    return !m_changed.wait_until(lock, deadline, [&] { return m_shutdown || slot.kicked(); });
}

void AudioDaemon::reconfigure(AudioDuplex duplex)
{
    {
        std::lock_guard lock(m_mutex);
        m_duplex = duplex;
        for (Slot* slot : m_slots) {
            slot->m_kicked = true;
            // Wakes a read blocked on the connection; its thread then resets it.
            slot->m_connection->interrupt();
        }
    }
    m_changed.notify_all();
}

void AudioDaemon::shutdown()
{
    {
        std::lock_guard lock(m_mutex);
        m_shutdown = true;
    }
    m_changed.notify_all();
}

int AudioDaemon::listeners() const
{
    std::lock_guard lock(m_mutex);
    return static_cast<int>(
        std::count_if(m_slots.begin(), m_slots.end(), [](Slot* s) { return !s->m_talker; }));
}

int AudioDaemon::talkers() const
{
    std::lock_guard lock(m_mutex);
    return static_cast<int>(
        std::count_if(m_slots.begin(), m_slots.end(), [](Slot* s) { return s->m_talker; }));
}

bool AudioDaemon::waitForClients(int listeners, int talkers,
                                 std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] {
        const auto t =
            std::count_if(m_slots.begin(), m_slots.end(), [](Slot* s) { return s->m_talker; });
        return t == talkers && static_cast<int>(m_slots.size() - t) == listeners;
    });
}

std::vector<std::pair<std::string, std::string>> AudioDaemon::parameters() const
{
    std::lock_guard lock(m_mutex);
    const auto talkers =
        std::count_if(m_slots.begin(), m_slots.end(), [](Slot* s) { return s->m_talker; });
    const AudioConfig& c = m_config;
    const std::string prefix = "root.Audiod.";
    // connectedClients counts every client, talkers included: the control's free-slot rule
    // subtracts connectedPostClients from it.
    return {
        {prefix + "duplexMode", duplexName(m_duplex)},
        {prefix + "maxNumberOfClients", std::to_string(c.maxListeners)},
        {prefix + "connectedClients", std::to_string(m_slots.size())},
        {prefix + "connectedPostClients", std::to_string(talkers)},
        {prefix + "forwardOnPost", "no"},
        {prefix + "buttonMode", c.buttonMode == AudioButtonMode::Instant ? "instant" : "toggle"},
        {prefix + "audioEncoding", c.encoding == AudioEncoding::G723 ? "G723" : "G721"},
        {prefix + "httpMessageType",
         c.messageType == AudioMessageType::Singlepart ? "singlepart" : "multipart"},
        {prefix + "microphoneMode", mutedName(c.microphoneMuted)},
        {prefix + "forceMicrophoneMode", yesNo(c.forceMicrophone)},
        {prefix + "speakerMode", mutedName(c.speakerMuted)},
        {prefix + "forceSpeakerMode", yesNo(c.forceSpeaker)},
        {prefix + "bufferLevel", std::to_string(c.bufferLevel)},
        {prefix + "forceBufferLevel", yesNo(c.forceBufferLevel)},
    };
}

std::size_t AudioDaemon::beginUpload(AudioUpload upload)
{
    std::size_t index;
    {
        std::lock_guard lock(m_mutex);
        index = m_uploads.size();
        m_uploads.push_back(std::move(upload));
    }
    m_changed.notify_all();
    return index;
}

void AudioDaemon::addToUpload(std::size_t index, const UploadProgress& progress)
{
    {
        std::lock_guard lock(m_mutex);
        AudioUpload& upload = m_uploads.at(index);
        upload.bodyBytes += progress.bodyBytes;
        upload.codedBytes += progress.codes.size();
        upload.frames += progress.frames;
        upload.badFrames += progress.badFrames;
        if (progress.codecType >= 0)
            upload.codecType = progress.codecType;
        // Whole pieces only, so that the samples kept are exactly those of the codes kept.
        if (upload.codes.size() + progress.codes.size() <= kMaxKeptCodeBytes) {
            upload.codes.append(progress.codes);
            upload.samples.insert(upload.samples.end(), progress.samples.begin(),
                                  progress.samples.end());
        }
    }
    m_changed.notify_all();
}

void AudioDaemon::endUpload(std::size_t index, bool dropped, std::string error)
{
    {
        std::lock_guard lock(m_mutex);
        AudioUpload& upload = m_uploads.at(index);
        upload.ended = true;
        upload.dropped = dropped;
        if (upload.error.empty())
            upload.error = std::move(error);
    }
    m_changed.notify_all();
}

std::vector<AudioUpload> AudioDaemon::uploads() const
{
    std::lock_guard lock(m_mutex);
    return m_uploads;
}

bool AudioDaemon::waitForUploads(const std::function<bool(const std::vector<AudioUpload>&)>& done,
                                 std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] { return done(m_uploads); });
}

} // namespace camsim
