#pragma once
// The AVI creation thread: asks for the file and the compressor and hands every frame of the
// document's sequence to the writer, whose workers code them while the view shows one every
// few frames and the slider follows. Cancelled by resetting the creation event; owned by the
// application, which stops and joins it.

#include "platform/base/Event.h"
#include "viewer/app/AviDialogs.h"

#include <atomic>
#include <string>
#include <thread>
#include <vector>

struct ICamImageObject;

namespace vistel {

class CMainFrame;
class CVistelDoc;

class AviCreation {
public:
    AviCreation(CVistelDoc* document, CMainFrame* frame, Event& creationEvent, AviDialogs& dialogs);
    ~AviCreation();
    AviCreation(const AviCreation&) = delete;
    AviCreation& operator=(const AviCreation&) = delete;

    // Starts the thread (the event must be set). Called on the window thread.
    void start();
    bool isRunning() const { return m_thread.joinable() && !m_finished.load(); }
    // Resets the event and waits for the thread to end, dispatching the window thread's events
    // meanwhile (the thread's dialogs and updates run there). Called on the window thread.
    void stopAndWait();

private:
    void run();
    void createAvi(ICamImageObject* image);
    // Runs f on the window thread and waits for it.
    template <typename F> auto onWindowThread(F f);
    // Posts f to the window thread.
    template <typename F> void post(F f);

    CVistelDoc* m_document;
    CMainFrame* m_frame;
    Event& m_creationEvent;
    AviDialogs& m_dialogs;
    // Copied on the window thread before the thread starts; read only by it afterwards.
    std::vector<std::string> m_frames;
    UI4 m_interval = 0;
    std::thread m_thread;
    std::atomic<bool> m_finished{false};
};

} // namespace vistel
