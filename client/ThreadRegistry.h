#pragma once
// The process-wide table of the client's worker threads, one ThreadEntry per thread, looked up
// by thread id. A stopper marks an entry stopped and gets the thread's end signal; the thread
// removes its own entry as its last act, which sets that signal.

#include "platform/base/Event.h"
#include "platform/base/Hresult.h"
#include "platform/base/WinTypes.h"

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace lumin {

struct ThreadEntry {
    std::atomic<bool> stopped{false};
    std::atomic<UI4> delay{0}; // request thread: pause after each part, ms
    // Set when the thread has ended: the stand-in for waiting on its handle.
    std::shared_ptr<Event> ended = std::make_shared<Event>(EventReset::Manual);
    // Simple-request thread: the body read so far, and why it is not a whole reply (S_OK: it
    // is, so far). Guarded by the registry mutex.
    std::vector<BYTE> result;
    HRESULT failure = S_OK;
};

class ThreadRegistry {
public:
    // The calling thread's id, as entries are keyed.
    static DWORD currentThreadId();

    std::shared_ptr<ThreadEntry> add(DWORD threadId, UI4 delay = 0);
    // Logs "RemoveThread (0x%.8X)", signals the end and frees the entry.
    void remove(DWORD threadId);
    // Sets the stop flag; the end signal, or null when the id is not registered.
    std::shared_ptr<Event> markStopped(DWORD threadId);
    void setDelay(DWORD threadId, UI4 delay);
    void appendResult(DWORD threadId, const BYTE* data, std::size_t size);
    // Drops the body read so far and records why the reply is lost.
    void failResult(DWORD threadId, HRESULT failure);
    // The body and, in *failure, why it is not whole (S_OK when it is).
    std::vector<BYTE> takeResult(DWORD threadId, HRESULT* failure);
    void clearResult(DWORD threadId);
    // Library unload: logs "TerminateThreads (0x%.8X)" for each entry left, stops it and
    // waits for all of them to end, kTerminateWaitMs in all, then forgets them. Such a thread
    // holds the library's live count, so normally none is left.
    void terminateAll();
    static constexpr DWORD kTerminateWaitMs = 2000;

private:
    std::mutex m_mutex;
    std::map<DWORD, std::shared_ptr<ThreadEntry>> m_entries; // guarded by m_mutex
};

ThreadRegistry& threadRegistry();

} // namespace lumin
