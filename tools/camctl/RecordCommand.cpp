// camctl record URL DIR [--prefix P] [--interval MS] [--duration S] [--max-size BYTES]: records
// the stream as the recorder does, without windows, into a sequence in DIR. One line per saved
// frame ("frame N file=NAME ms=STAMP bytes=SIZE") and a last one ("recorded N frames in
// SECONDS s to PATH"). Exits 0 at a limit or on SIGINT/SIGTERM (the sequence is finalized
// first), 1 with a one-line error when the camera or the disk fails.
#include "common/ICamRequestSink.h"
#include "platform/base/CommandLine.h"
#include "platform/base/Tick.h"
#include "platform/com/ClassRegistration.h"
#include "recorder/sequence/RecordingContext.h"
#include "recorder/sequence/RecordingStream.h"
#include "tools/camctl/CamCtlCommand.h"

#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <mutex>
#include <optional>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

constexpr const char* kUsage = "usage: camctl record URL DIR [--prefix P] [--interval MS] "
                               "[--duration S] [--max-size BYTES]\n";
// A camera that answers but sends no image for this long is reported, not waited for.
constexpr int kFirstImageWaitMs = 30000;
constexpr LONG kDefaultIntervalMs = 1000;

bool parseValue(const std::string& text, unsigned long max, bool allowZero, unsigned long& value,
                const char* what)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value > max ||
        (!allowZero && value == 0)) {
        std::fprintf(stderr, "camctl record: \"%s\" is not a %s\n", text.c_str(), what);
        return false;
    }
    return true;
}

std::string describe(HRESULT hr)
{
    if (hr == HRESULT_FROM_WIN32(ERROR_DISK_FULL))
        return "the disk is full";
    if (hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) ||
        hr == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND))
        return "no such directory";
    if (hr == HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED))
        return "permission denied";
    if (hr == HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION))
        return "another program holds the file";
    char text[32];
    std::snprintf(text, sizeof text, "error 0x%08X", static_cast<unsigned>(hr));
    return text;
}

std::string programFolder()
{
    std::string path = currentProgramPath();
    return path.substr(0, path.rfind('/'));
}

// The recording's host: what the recorder's window does by messages, done here by waking the
// main thread through an eventfd.
class HeadlessRecording final : public RecordingHost, public RecordingStreamListener {
public:
    HeadlessRecording() : m_wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
    ~HeadlessRecording()
    {
        m_stream.reset();
        m_context.finalizeSequence();
        if (m_wake >= 0)
            ::close(m_wake);
    }

    int wakeFd() const { return m_wake; }
    RecordingContext& context() { return m_context; }

    HRESULT open(const std::string& url, RecordingParameters parameters)
    {
        HRESULT hr = RecordingStream::create(*this, &m_stream);
        if (hr == REGDB_E_CLASSNOTREG) {
            // Not registered yet: the libraries built beside this program register themselves.
            const std::string folder = programFolder();
            registerServerLibrary(folder + "/Lumin.so", false, nullptr);
            registerServerLibrary(folder + "/Medrix.so", false, nullptr);
            hr = RecordingStream::create(*this, &m_stream);
        }
        if (FAILED(hr)) {
            std::fprintf(stderr,
                         "camctl record: the camera client or media library is not available, "
                         "error 0x%08X\n",
                         static_cast<unsigned>(hr));
            return hr;
        }
        m_context.setImage(m_stream->imageRef());
        m_context.begin(std::move(parameters));
        hr = m_stream->open(url, nullptr);
        if (FAILED(hr))
            std::fprintf(stderr, "camctl record: \"%s\" is not a URL the client can open\n",
                         url.c_str());
        return hr;
    }

    struct Pending {
        bool finalize = false;
        bool close = false;
        bool ended = false;
        std::optional<CaptureError> error;
    };
    Pending take()
    {
        std::uint64_t count = 0;
        (void)!::read(m_wake, &count, sizeof count);
        std::lock_guard lock(m_mutex);
        Pending p = m_pending;
        m_pending = {};
        return p;
    }

    // CloseConnection: the stream goes, then the status 51 path finalizes.
    void closeConnection()
    {
        if (m_stream)
            m_stream->close();
        m_context.statusChanged(CamStatusClosed);
    }

    void printSummary()
    {
        std::lock_guard lock(m_mutex);
        if (m_path.empty()) {
            std::printf("recorded 0 frames, no sequence file written\n");
        } else {
            const double seconds = static_cast<double>(m_lastTick - m_firstTick) / 1000.0;
            std::printf("recorded %u frames in %.1f s to %s\n", m_frames, seconds, m_path.c_str());
        }
        std::fflush(stdout);
    }
    UI4 frames()
    {
        std::lock_guard lock(m_mutex);
        return m_frames;
    }

    // RecordingHost, on the client's and the capture thread.
    void postFinalize() override
    {
        post([](Pending& p) { p.finalize = true; });
    }
    void postClose() override
    {
        post([](Pending& p) { p.close = true; });
    }
    void postCaptureError(const CaptureError& error) override
    {
        post([&](Pending& p) {
            if (!p.error)
                p.error = error;
        });
    }
    void connectionChanged(UI4) override {}
    std::string statusWord(UI4) override { return {}; }
    void statusTextChanged() override {}
    void captureDone(bool) override {}
    void frameSaved(const SavedFrame& frame) override
    {
        std::lock_guard lock(m_mutex);
        if (frame.number == 1)
            m_firstTick = frame.tickMs;
        m_lastTick = frame.tickMs;
        m_frames = frame.number;
        m_path = frame.sequencePath;
        std::printf("frame %u file=%s ms=%llu bytes=%u\n", frame.number, frame.name.c_str(),
                    static_cast<unsigned long long>(frame.tickMs - m_firstTick),
                    static_cast<unsigned>(frame.bytes));
        std::fflush(stdout);
    }
    void sequenceCreated(const std::string& path) override
    {
        std::lock_guard lock(m_mutex);
        m_path = path;
    }
    void sequenceFinished(const std::string& path, UI4, HRESULT hr) override
    {
        if (FAILED(hr))
            std::fprintf(stderr, "camctl record: cannot write the final header of %s: %s\n",
                         path.c_str(), describe(hr).c_str());
    }

    // RecordingStreamListener
    void onImage() override { m_context.startOnFirstImage(); }
    void onStatus(UI4 status) override { m_context.statusChanged(status); }
    void onStreamEnded() override
    {
        post([](Pending& p) { p.ended = true; });
    }

private:
    template <typename F> void post(F change)
    {
        {
            std::lock_guard lock(m_mutex);
            change(m_pending);
        }
        const std::uint64_t one = 1;
        (void)!::write(m_wake, &one, sizeof one);
    }

    const int m_wake;
    std::mutex m_mutex;
    Pending m_pending;         // guarded by m_mutex
    std::string m_path;        // guarded by m_mutex
    UI4 m_frames = 0;          // guarded by m_mutex
    ULONGLONG m_firstTick = 0; // guarded by m_mutex
    ULONGLONG m_lastTick = 0;  // guarded by m_mutex
    RecordingContext m_context{*this};
    std::unique_ptr<RecordingStream> m_stream;
};

std::string failureText(const CaptureError& error)
{
    const char* what = error.what == CaptureFailure::CreateSequence ? "create the sequence file"
                       : error.what == CaptureFailure::WriteHeader  ? "write the header of"
                                                                    : "save the frame";
    return std::string("camctl record: cannot ") + what + " " + error.path + ": " +
           describe(error.hr);
}

} // namespace

int runRecord(const std::vector<std::string>& args)
{
    std::vector<std::string> positional;
    RecordingParameters parameters;
    parameters.interval = kDefaultIntervalMs;
    parameters.durationLimit = 0xFFFFFFFFu;
    parameters.sizeLimit = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        unsigned long value = 0;
        if (a == "--prefix" && hasValue) {
            parameters.prefix = args[++i];
            if (parameters.prefix.find('/') != std::string::npos) {
                std::fprintf(stderr, "camctl record: a prefix cannot hold \"/\"\n");
                return kExitUsage;
            }
        } else if (a == "--interval" && hasValue) {
            if (!parseValue(args[++i], 0x7FFFFFFF, false, value, "number of milliseconds"))
                return kExitUsage;
            parameters.interval = static_cast<LONG>(value);
        } else if (a == "--duration" && hasValue) {
            if (!parseValue(args[++i], 0xFFFFFFFF, true, value, "number of seconds"))
                return kExitUsage;
            parameters.durationLimit = static_cast<UI4>(value);
        } else if (a == "--max-size" && hasValue) {
            if (!parseValue(args[++i], 0xFFFFFFFF, true, value, "number of bytes"))
                return kExitUsage;
            parameters.sizeLimit = static_cast<UI4>(value);
        } else if (!a.empty() && a[0] != '-' && positional.size() < 2) {
            positional.push_back(a);
        } else {
            std::fputs(kUsage, stderr);
            return kExitUsage;
        }
    }
    if (positional.size() != 2) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    parameters.directory = positional[1];

    // Blocked before the client starts its threads, so only the signalfd sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigset_t previous;
    pthread_sigmask(SIG_BLOCK, &stopSignals, &previous);
    const int signals = ::signalfd(-1, &stopSignals, SFD_CLOEXEC | SFD_NONBLOCK);

    int code = kExitOk;
    {
        HeadlessRecording recording;
        if (signals < 0 || recording.wakeFd() < 0) {
            std::fprintf(stderr, "camctl record: cannot wait for signals: %s\n",
                         std::strerror(errno));
            code = kExitFailed;
        } else if (FAILED(recording.open(positional[0], parameters))) {
            code = kExitFailed;
        } else {
            const ULONGLONG opened = GetTickCount64();
            bool done = false;
            std::optional<CaptureError> error;
            bool ended = false;
            while (!done) {
                pollfd fds[2] = {{recording.wakeFd(), POLLIN, 0}, {signals, POLLIN, 0}};
                int timeout = -1;
                if (!recording.context().started()) {
                    const ULONGLONG waited = GetTickCount64() - opened;
                    timeout = waited >= kFirstImageWaitMs
                                  ? 0
                                  : static_cast<int>(kFirstImageWaitMs - waited);
                }
                const int ready = ::poll(fds, 2, timeout);
                if (ready < 0 && errno != EINTR)
                    break;
                if (ready == 0 && !recording.context().started()) {
                    std::fprintf(stderr, "camctl record: no image arrived from %s within %d s\n",
                                 positional[0].c_str(), kFirstImageWaitMs / 1000);
                    code = kExitFailed;
                    break;
                }
                if (fds[1].revents & POLLIN) {
                    signalfd_siginfo info{};
                    (void)!::read(signals, &info, sizeof info);
                    done = true; // finalized below, like the stop button
                }
                HeadlessRecording::Pending p = recording.take();
                if (p.error && !error)
                    error = p.error;
                if (p.finalize)
                    recording.context().finalizeSequence();
                if (p.close || p.ended) {
                    ended = p.ended && !p.close;
                    done = true;
                }
            }
            recording.context().finalizeSequence();
            recording.closeConnection();
            recording.printSummary();
            if (error) {
                std::fprintf(stderr, "%s\n", failureText(*error).c_str());
                code = kExitFailed;
            } else if (ended && code == kExitOk) {
                std::fprintf(stderr, "camctl record: the camera ended the stream after %u frames\n",
                             recording.frames());
                code = kExitFailed;
            }
        }
    }
    if (signals >= 0)
        ::close(signals);
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return code;
}
