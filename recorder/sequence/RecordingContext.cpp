#include "recorder/sequence/RecordingContext.h"

#include "common/ICamRequestSink.h"
#include "platform/base/Tick.h"
#include "platform/com/Bstr.h"
#include "recorder/sequence/FrameStamp.h"

RecordingContext::~RecordingContext()
{
    finalizeSequence();
}

std::string RecordingContext::recordingDirectory(std::string_view directory)
{
    std::string result(directory);
    if (result.empty() || result.back() != '/')
        result += '/';
    return result;
}

void RecordingContext::setName(std::string name)
{
    CriticalSectionLocker hold(m_lock);
    m_name = std::move(name);
}

void RecordingContext::begin(RecordingParameters parameters)
{
    parameters.directory = recordingDirectory(parameters.directory);
    std::lock_guard lock(m_sequenceMutex);
    m_parameters = std::move(parameters);
    m_bytesWritten = 0;
}

void RecordingContext::setImage(ComPtr<ICamImageObject> image)
{
    std::lock_guard lock(m_sequenceMutex);
    m_image = std::move(image);
}

void RecordingContext::statusChanged(UI4 status)
{
    if (status != CamStatusConnected && status != CamStatusClosed)
        return;
    m_host.connectionChanged(status);
    if (status == CamStatusConnected)
        restartCapturing(); // a failure leaves capturing off, reported to no one
    else
        finalizeSequence();
    const std::string word = m_host.statusWord(status);
    if (word.empty())
        return;
    {
        CriticalSectionLocker hold(m_lock);
        m_statusText = word + ", " + m_name;
    }
    m_host.statusTextChanged();
}

void RecordingContext::startOnFirstImage()
{
    if (m_started.load())
        return;
    restartCapturing();
    captureFrame();
    // Only now: the first capture and the first tick never overlap.
    m_started = true;
}

bool RecordingContext::restartCapturing()
{
    finalizeSequence();
    m_startTick = GetTickCount();
    m_halted = false;
    LONG interval = 0;
    {
        std::lock_guard lock(m_sequenceMutex);
        interval = m_parameters.interval;
    }
    std::lock_guard lock(m_threadMutex);
    m_thread = CaptureThread::start(interval > 0 ? static_cast<DWORD>(interval) : 0, [this] {
        if (m_started.load() && m_ready.load())
            captureFrame();
    });
    return m_thread != nullptr;
}

void RecordingContext::stopCaptureThread()
{
    std::unique_ptr<CaptureThread> thread;
    {
        std::lock_guard lock(m_threadMutex);
        thread = std::move(m_thread);
    }
    // Joined outside the lock: its last tick may still be capturing, and captures never wait
    // for this thread.
    thread.reset();
}

bool RecordingContext::fail(CaptureFailure what, const std::string& path, HRESULT hr)
{
    m_host.postFinalize();
    m_host.postCaptureError({what, path, hr});
    return false;
}

bool RecordingContext::captureFrame()
{
    if (m_halted.load())
        return false;
    m_ready = false;
    bool goOn = true;
    {
        std::lock_guard lock(m_sequenceMutex);
        const RecordingParameters& p = m_parameters;
        const DWORD elapsed = GetTickCount() - m_startTick.load();
        if (elapsed / 1000 >= p.durationLimit || m_bytesWritten >= p.sizeLimit) {
            m_host.postFinalize();
            goOn = false;
        }
        const FrameStamp stamp = FrameStamp::fromLocalTime();
        if (goOn && !m_sequence) {
            const std::string path = p.directory + sequenceFileName(p.prefix, stamp);
            const HRESULT hr = SequenceWriter::create(path, &m_sequence);
            if (FAILED(hr)) {
                const bool headerFailed = hr == E_FAIL;
                goOn = fail(headerFailed ? CaptureFailure::WriteHeader
                                         : CaptureFailure::CreateSequence,
                            path, hr);
            } else {
                m_host.sequenceCreated(path);
            }
        }
        if (goOn && m_sequence) {
            const std::string name = uniqueFrameFileName(p.directory, p.prefix, stamp);
            const std::string path = p.directory + name;
            // The entry goes first; an unsaved frame leaves it uncounted after the others.
            (void)m_sequence->appendEntry(name);
            DWORD written = 0;
            HRESULT hr = E_FAIL;
            if (m_image) {
                Bstr target(path);
                hr = m_image->Save(target.get(), &written);
            }
            if (hr != S_OK || written == 0) {
                goOn = fail(CaptureFailure::SaveFrame, path, hr == S_OK ? E_FAIL : hr);
            } else {
                // Held at the 32-bit ceiling rather than wrapping past a limit near 4 GiB.
                m_bytesWritten =
                    written > 0xFFFFFFFFu - m_bytesWritten ? 0xFFFFFFFFu : m_bytesWritten + written;
                m_sequence->countFrame();
                const UI4 number = m_framesSaved.fetch_add(1) + 1;
                m_host.frameSaved({number, name, m_sequence->path(), written, GetTickCount64()});
            }
        }
    }
    if (!goOn) {
        m_halted = true;
        m_host.postClose();
    }
    m_host.captureDone(goOn);
    m_ready = true;
    return goOn;
}

void RecordingContext::finalizeSequence()
{
    stopCaptureThread();
    std::optional<SequenceWriter> sequence;
    LONG interval = 0;
    {
        std::lock_guard lock(m_sequenceMutex);
        sequence = std::move(m_sequence);
        m_sequence.reset();
        interval = m_parameters.interval;
    }
    if (!sequence)
        return;
    // The interval is stored as the 32-bit pattern of lElapse.
    const HRESULT hr = sequence->finish(static_cast<UI4>(interval));
    m_host.sequenceFinished(sequence->path(), sequence->frameCount(), hr);
}

std::string RecordingContext::statusText() const
{
    CriticalSectionLocker hold(m_lock);
    return m_statusText;
}

UI4 RecordingContext::bytesWritten() const
{
    std::lock_guard lock(m_sequenceMutex);
    return m_bytesWritten;
}
