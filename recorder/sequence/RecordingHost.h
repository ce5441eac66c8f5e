#pragma once
// What a recording asks of the program that shows it (the recorder's status window, or a
// command line). Every call comes from a camera client thread or the capture thread and must
// return without waiting for the program's own thread: the program posts the work to itself.

#include "platform/base/Hresult.h"

#include <string>

// One frame saved to disk.
struct SavedFrame {
    UI4 number = 0;   // in this recording, from 1 (across reconnections)
    std::string name; // the frame file's bare name
    std::string sequencePath;
    DWORD bytes = 0;
    ULONGLONG tickMs = 0; // monotonic time of the capture
};

enum class CaptureFailure {
    CreateSequence, // the sequence file could not be created
    WriteHeader,    // its placeholder header could not be written
    SaveFrame,      // a frame file could not be saved
};

struct CaptureError {
    CaptureFailure what = CaptureFailure::CreateSequence;
    std::string path; // the file that failed
    HRESULT hr = E_FAIL;
};

class RecordingHost {
public:
    // WM_RECORDER_FINALIZE: run RecordingContext::finalizeSequence on the program's thread.
    virtual void postFinalize() = 0;
    // WM_RECORDER_CLOSE: close the camera connection on the program's thread.
    virtual void postClose() = 0;
    // A capture failed ("Create sequence failed"). Posted after postFinalize and before
    // postClose, so the capture thread is already stopped when the program reports it.
    virtual void postCaptureError(const CaptureError& error) = 0;
    // The window side of statuses 21 and 51 (lamp, button), in the order they arrive.
    // Called on the request thread before the recording restarts or finalizes.
    virtual void connectionChanged(UI4 status) = 0;
    // The status word for 21 ("Recording") or 51 ("Stopped"); empty for none. Any thread.
    virtual std::string statusWord(UI4 status) = 0;
    // The status text changed (the window repaints it).
    virtual void statusTextChanged() = 0;
    // After each capture: whether recording goes on. The view repaints.
    virtual void captureDone(bool goOn) = 0;
    // A frame is on disk, and a new sequence file was created.
    virtual void frameSaved(const SavedFrame&) {}
    virtual void sequenceCreated(const std::string& /*path*/) {}
    // A sequence file was finalized with its count and interval (or its rewrite failed).
    virtual void sequenceFinished(const std::string& /*path*/, UI4 /*frames*/, HRESULT /*hr*/) {}

protected:
    ~RecordingHost() = default;
};
