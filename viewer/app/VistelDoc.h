#pragma once
// The viewer's document: what is shown (one image or a sequence of frame files), the image
// object that loads and draws it, and playback. Lives on the window thread; only the frame
// header and the pixel block are shared with the AVI thread, under the document lock.

#include "common/CamBih.h"
#include "common/ICamImageObject.h"
#include "platform/base/CriticalSection.h"
#include "platform/com/ComPtr.h"
#include "platform/com/TaskMemory.h"

#include <QObject>
#include <QSize>
#include <QString>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

namespace vistel {

// A decoded frame in task memory, as GetDIB hands it out.
struct TaskMemoryFree {
    void operator()(BYTE* p) const { CoTaskMemFree(p); }
};
using PixelBlock = std::unique_ptr<BYTE, TaskMemoryFree>;

// Update hints the document sends to its views.
enum class ViewHint {
    Repaint = 0,     // invalidate the view
    FitToImage = 1,  // resize the frame so the view gets the image size, then set the title
    StopErasing = 2, // the image covers the whole view: no background
    Blank = 3,       // an empty dark grey view
};

// Bounds of the frame interval as playback uses it (the file stores any value).
inline constexpr UI4 kMinFrameInterval = 1;
inline constexpr UI4 kMaxFrameInterval = 1000;
// The view's size when there is no image to fit.
inline constexpr QSize kNoImageSize{320, 240};

class CVistelDoc : public QObject {
    Q_OBJECT
public:
    explicit CVistelDoc(QObject* parent = nullptr);
    ~CVistelDoc() override;

    // IVistel's setters, as the automation object forwards them. Results as IVistel states.
    HRESULT SetImage(const std::string& path);
    HRESULT SetSequence(const std::string& path);
    HRESULT SetSequenceCreateAVI(const std::string& path);

    // Reads the sequence file at path into the frame list and decodes its first frame. E_FAIL
    // when the file cannot be opened or is damaged (the document is then cleared); the image
    // object's result for the first frame otherwise (S_OK for a sequence of no frames, which
    // shows an empty dark grey view named after the sequence file).
    HRESULT LoadSequence(const std::string& path, bool play);
    // Stops the timer and empties the frame list.
    void ClearSequence();

    void Play();
    void StopPlayback();
    void PlaybackStep();
    void SeekFrame(int position);
    void TogglePause();

    // Sends a hint to the views.
    void UpdateAllViews(ViewHint hint) { emit viewUpdate(hint); }

    // The command rules of the tool bar.
    bool canPlay() const { return !m_aviMode && !m_frames.empty(); }
    bool isPlayChecked() const { return !m_aviMode && isTimerRunning() && !m_paused; }
    bool canStop() const { return m_aviMode || !m_frames.empty(); }
    bool isStopChecked() const { return !m_aviMode && !isTimerRunning(); }
    bool canPause() const { return !m_aviMode && isTimerRunning(); }
    bool isPauseChecked() const { return !m_aviMode && m_paused; }

    bool isTimerRunning() const { return m_timer.isActive(); }
    bool isPaused() const { return m_paused; }
    bool aviMode() const { return m_aviMode; }
    int currentIndex() const { return m_current; }
    UI4 frameInterval() const { return m_interval; }
    const std::vector<std::string>& frames() const { return m_frames; }
    const QString& title() const { return m_title; }
    bool hasImageObject() const { return static_cast<bool>(m_image); }

    // The size of the image the view fits itself to (hint 1): the last decode's, or 320 x 240
    // when nothing was decoded.
    QSize imageSize() const;
    // The frame header's size (the image of SetImage or the first frame), or 320 x 240.
    QSize headerSize() const;

    // AVI creation: replaces the pixel block with the frame at path decoded by image, under
    // the document lock; the view then draws it. *bits stays valid until the next call.
    // Called on the AVI thread. GetDIB's result.
    HRESULT loadPixelBlock(ICamImageObject* image, const std::string& path, _CAM_BIH* header,
                           const std::uint8_t** bits);
    void freePixelBlock();

    // Draws the current picture stretched into rect: the pixel block during AVI creation,
    // otherwise the image object's frame. False when nothing could be drawn.
    bool draw(HDC hdc, const RECT& rect);

signals:
    void viewUpdate(vistel::ViewHint hint);
    void titleChanged(const QString& title);
    // The status bar's pane text (the path of the frame on screen).
    void statusText(const QString& text);
    void sliderRange(int maximum);
    void sliderPosition(int position);
    // SetImage: a single image needs no tool bar, control bar or status bar.
    void barsHidden();
    // Play, pause, stop or the frame list changed: the commands' rules may have.
    void commandsChanged();

private:
    HRESULT ensureImageObject();
    void setTitle(const QString& title);

    ComPtr<ICamImageObject> m_image;
    std::vector<std::string> m_frames;
    UI4 m_interval = 0;
    UI4 m_frameCount = 0;
    QString m_title;
    int m_current = 0;
    QTimer m_timer;
    bool m_paused = false;
    bool m_aviMode = false;

    // Shared with the AVI thread.
    mutable CriticalSection m_lock;
    _CAM_BIH m_bih ORVEL_GUARDED_BY(m_lock){};
    PixelBlock m_pixels ORVEL_GUARDED_BY(m_lock);
};

} // namespace vistel
