#pragma once
// The state and algorithms of one recording, shared by the recorder's status window and the
// headless "camctl record": capture timing, limits, the sequence file and its frames. It knows
// no window; what a window would do is asked of a RecordingHost.
//
// Threads: statusChanged on the camera client's request thread, startOnFirstImage on its
// callback thread, captureFrame on the capture thread (and the first one on the callback
// thread), the rest on the program's thread. No thread ever waits for one that may be waiting
// for it: a capture only posts to the program, and finalizeSequence stops the capture thread
// before it takes the sequence lock the capture holds.

#include "common/ICamImageObject.h"
#include "platform/base/CriticalSection.h"
#include "platform/com/ComPtr.h"
#include "recorder/sequence/CaptureThread.h"
#include "recorder/sequence/RecordingHost.h"
#include "recorder/sequence/SequenceWriter.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

struct RecordingParameters {
    std::string directory; // gets a trailing "/" (recordingDirectory)
    std::string prefix;
    LONG interval = 1000;  // ms between frames (lElapse)
    UI4 durationLimit = 0; // seconds, counted from the first image
    UI4 sizeLimit = 0;     // bytes; the last frame may pass it
};

class RecordingContext {
public:
    explicit RecordingContext(RecordingHost& host) : m_host(host) {}
    // Stops capturing and finalizes an open sequence.
    ~RecordingContext();
    RecordingContext(const RecordingContext&) = delete;
    RecordingContext& operator=(const RecordingContext&) = delete;

    // The directory with "/" appended unless it already ends in one.
    static std::string recordingDirectory(std::string_view directory);

    // The program's thread, before the stream opens. Bytes written and the frame count start
    // at 0.
    void setName(std::string name);
    void begin(RecordingParameters parameters);
    // The live image object that captures save (null: none; captures then fail).
    void setImage(ComPtr<ICamImageObject> image);

    // A connection status of the stream (request thread): 21 restarts capturing, 51 ends the
    // open sequence; both set the status text.
    void statusChanged(UI4 status);
    // Every JPEG part (callback thread): the first one starts the recording with a capture.
    void startOnFirstImage();
    // One capture; false when the recording ends (the program has been asked to finalize and
    // close). Capture thread, or the callback thread for the first image.
    bool captureFrame();
    // Stops the capture thread and writes the open sequence's final header. Any thread but
    // the capture thread.
    void finalizeSequence();

    std::string statusText() const;
    UI4 bytesWritten() const;
    UI4 framesSaved() const { return m_framesSaved.load(); }
    bool started() const { return m_started.load(); }

private:
    bool restartCapturing();
    void stopCaptureThread();
    bool fail(CaptureFailure what, const std::string& path, HRESULT hr);

    RecordingHost& m_host;

    mutable CriticalSection m_lock;
    std::string m_statusText ORVEL_GUARDED_BY(m_lock);
    std::string m_name ORVEL_GUARDED_BY(m_lock);

    // Everything a capture touches; held for a whole capture and for the final header.
    mutable std::mutex m_sequenceMutex;
    RecordingParameters m_parameters;         // guarded by m_sequenceMutex
    ComPtr<ICamImageObject> m_image;          // guarded by m_sequenceMutex
    std::optional<SequenceWriter> m_sequence; // guarded by m_sequenceMutex
    UI4 m_bytesWritten = 0;                   // guarded by m_sequenceMutex

    // Who runs the capture thread; never held by the capture thread itself.
    std::mutex m_threadMutex;
    std::unique_ptr<CaptureThread> m_thread; // guarded by m_threadMutex

    std::atomic<DWORD> m_startTick{0};
    std::atomic<UI4> m_framesSaved{0};
    std::atomic<bool> m_started{false}; // the first image was captured; stays set
    std::atomic<bool> m_ready{true};    // no capture in progress
    // A capture ended the recording: the ticks until the program has stopped the thread
    // capture nothing (no second error box, no new file).
    std::atomic<bool> m_halted{false};
};
