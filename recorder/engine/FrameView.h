#pragma once
// The status window's live image: a 159 x 119 child that owns the camera connection. Light
// grey while blank (before the first image and after the connection closed); otherwise the
// live image object draws itself stretched over it. Its stream's sink calls arrive on the
// camera client's threads and go straight to the recording.

#include "recorder/sequence/RecordingStream.h"

#include <QWidget>
#include <atomic>
#include <memory>

class RecordingContext;

class FrameView final : public QWidget, public RecordingStreamListener {
    Q_OBJECT
public:
    FrameView(QWidget* parent, RecordingContext& context);
    ~FrameView() override;

    // Creates the connection if there is none (the request, advised for image objects, and its
    // image). False when the client could not be had.
    bool ensureStream();
    // OpenUrl(url, 0, this window). E_FAIL without a connection.
    HRESULT open(const std::string& url);
    // DataUnadvise, Close, release; blank again.
    void closeStream();

    bool isBlank() const { return m_blank.load(); }
    // No paint is in progress.
    bool isPainted() const { return m_painted.load(); }

    // RecordingStreamListener: the callback and the request thread.
    void onImage() override;
    void onStatus(UI4 status) override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    RecordingContext& m_context;
    std::unique_ptr<RecordingStream> m_stream;
    std::atomic<bool> m_blank{true};
    std::atomic<bool> m_painted{true};
};
