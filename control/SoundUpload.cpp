#include "control/SoundUpload.h"

#include "platform/base/ThreadPriority.h"
#include "platform/http/Connection.h"
#include "platform/http/Request.h"
#include "platform/http/Session.h"
#include "platform/http/Url.h"

#include <string_view>

namespace pictra {
namespace {

using namespace orvel::http;

const orvel::audio::WaveFormat kFormat{1, 8000, 16};

std::string_view contentType(orvel::codec::CodecType codec)
{
    return codec == orvel::codec::CodecType::G723_24 ? "audio/G723" : "audio/32KADPCM";
}

} // namespace

SoundUpload::SoundUpload(std::shared_ptr<AudioPoster> poster) : m_poster(std::move(poster)) {}

SoundUpload::~SoundUpload()
{
    stop();
}

bool SoundUpload::start(const Settings& settings)
{
    // Stopped before the flag is cleared: a capture thread that saw it clear would write one
    // more block past the renewal point.
    const bool renewal = suspended.load() && renewed.load();
    if (suspended.load()) {
        stop();
        suspended = false;
    }
    written = 0;
    if (m_thread.joinable())
        return true;
    m_codec = orvel::codec::AudioCodec::create(static_cast<int>(settings.codec));
    if (!m_codec)
        return false;
    m_state = m_codec->createState();
    m_in = orvel::audio::WaveIn::open(kFormat, [this](orvel::audio::WaveBlock*) {
        std::lock_guard lock(m_mutex);
        m_wake.notify_all();
    });
    if (!m_in)
        return false;
    for (Block& block : m_blocks) {
        block.bytes.assign(kCaptureBlockBytes, 0);
        block.header.data = block.bytes.data();
        block.header.length = block.bytes.size();
        block.header.bytesRecorded = 0;
        block.header.flags = 0;
        m_in->prepare(block.header);
        m_in->addBuffer(block.header);
    }
    {
        std::lock_guard lock(m_mutex);
        m_quit = false;
    }
    m_meter.reset();
    m_in->start();
    const int retries = renewal ? kRenewalRetries : 0;
    m_thread = std::thread([this, settings, retries] { run(settings, retries); });
    return true;
}

HttpError SoundUpload::openUpload(const Settings& settings)
{
    const std::optional<Url> parts = Url::crack(settings.url);
    if (!parts)
        return HttpError::InvalidUrl;
    Session::Options options;
    options.agent = "Kiv Client";
    m_session = Session::create(options);
    if (proxyConfigured())
        proxyInUse = true;
    else
        bodyLimit = kDirectBodyLimit;
    m_connection = m_session->connect(parts->host, parts->port, parts->user, parts->password);
    if (!m_connection)
        return HttpError::CannotConnect;
    DWORD flags = FlagReload | FlagNoCacheWrite | FlagKeepConnection | FlagPragmaNoCache;
    if (parts->scheme == "https")
        flags |= FlagSecure;
    std::shared_ptr<Request> request = m_connection->openRequest("POST", parts->path, flags);
    if (!request)
        return HttpError::CannotConnect;
    {
        std::lock_guard lock(m_mutex);
        if (m_quit)
            return HttpError::OperationCancelled;
        m_request = request;
    }
    const std::string header =
        settings.messageType == HttpMessageType::Multipart
            ? std::string("Content-type: multipart/x-mixed-replace; boundary=myboundary")
            : "Content-type: " + std::string(contentType(settings.codec));
    if (const HttpError e = request->beginBody(bodyLimit.load(), header); e != HttpError::None) {
        closeUpload();
        return e;
    }
    ++postsOpened;
    return HttpError::None;
}

bool SoundUpload::pauseBeforeRetry()
{
    std::unique_lock lock(m_mutex);
    return !m_wake.wait_for(lock, kRenewalRetryInterval, [this] { return m_quit; });
}

bool SoundUpload::reopenAfterPause(const Settings& settings, int& retries, HttpError& error)
{
    while (retries > 0 && pauseBeforeRetry()) {
        --retries;
        error = openUpload(settings);
        if (error == HttpError::None)
            return true;
        if (error == HttpError::OperationCancelled)
            return false;
    }
    return false;
}

void SoundUpload::fail(HttpError error)
{
    std::lock_guard lock(m_mutex);
    if (m_quit)
        return;
    suspended = true;
    m_poster->post(AudioNotice::UploadFailed, static_cast<int>(errorNumber(error)));
}

void SoundUpload::closeUpload()
{
    std::shared_ptr<Request> request;
    {
        std::lock_guard lock(m_mutex);
        request = std::move(m_request);
    }
    if (request)
        request->close();
}

void SoundUpload::run(Settings settings, int retries)
{
    // Called on the capture thread.
    orvel::setCurrentThreadPriority(orvel::ThreadPriority::Highest);
    const bool renewal = retries > 0;
    HttpError error = openUpload(settings);
    if (error != HttpError::None &&
        (error == HttpError::OperationCancelled || !reopenAfterPause(settings, retries, error))) {
        // An upload that cannot be opened ends capture quietly: the blocks are not queued
        // again. A fresh POST mid-talk that cannot be opened is a failure the user hears of.
        if (renewal)
            fail(error);
        return;
    }
    auto openedAt = std::chrono::steady_clock::now();
    // Refused: the camera answered a body that never ends, or dropped the POST at once.
    auto refused = [&](const Request& request, HttpError e) {
        return request.statusCode() == 503 ||
               ((e == HttpError::ConnectionAborted || e == HttpError::ConnectionReset) &&
                std::chrono::steady_clock::now() - openedAt < kRenewalRefusalWindow);
    };
    const std::string prefix =
        settings.messageType == HttpMessageType::Multipart
            ? "\r\n--myboundary\r\nContent-type: " + std::string(contentType(settings.codec)) +
                  "\r\n\r\n"
            : std::string();
    orvel::codec::ByteBuffer encoded;
    std::vector<std::uint8_t> frame;
    for (int ring = 0;; ring = (ring + 1) % kCaptureBlocks) {
        Block& block = m_blocks[static_cast<std::size_t>(ring)];
        std::shared_ptr<Request> request;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [&] { return m_quit || block.header.done(); });
            if (m_quit)
                return;
            request = m_request;
        }
        const std::size_t recorded = block.header.bytesRecorded;
        if (recorded > 0 && !suspended.load()) {
            if (m_meter.run(block.bytes.data(), recorded))
                m_poster->post(AudioNotice::InputLevel, m_meter.level());
            orvel::codec::InputDescriptor input{block.bytes.data(), 0, recorded};
            m_codec->encode(input, encoded, *m_state);
            m_codec->finish(encoded, *m_state);
            frame.assign(prefix.begin(), prefix.end());
            frame.insert(frame.end(), encoded.data(), encoded.data() + encoded.size());
            if (request) {
                const HttpError e = request->write(frame.data(), frame.size());
                if (e == HttpError::None) {
                    written += frame.size();
                    if (written.load() + kRenewMargin > bodyLimit.load()) {
                        renewed = true;
                        suspended = true;
                        m_poster->post(AudioNotice::UploadRenew);
                    }
                } else if (retries > 0 && refused(*request, e)) {
                    closeUpload();
                    HttpError reopened = e;
                    if (!reopenAfterPause(settings, retries, reopened)) {
                        fail(reopened);
                    } else {
                        written = 0;
                        openedAt = std::chrono::steady_clock::now();
                    }
                } else {
                    fail(e);
                }
            }
        }
        m_in->unprepare(block.header);
        m_in->prepare(block.header);
        m_in->addBuffer(block.header);
    }
}

void SoundUpload::stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
        m_wake.notify_all();
    }
    closeUpload(); // frees a write blocked on the camera
    if (m_thread.joinable())
        m_thread.join();
    m_connection.reset();
    m_session.reset();
    if (m_in) {
        m_in->stop();
        m_in->reset();
        for (Block& block : m_blocks)
            if (block.header.prepared())
                m_in->unprepare(block.header);
        m_in.reset();
    }
    m_state.reset();
    m_codec.reset();
}

} // namespace pictra
