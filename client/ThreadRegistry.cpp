#include "client/ThreadRegistry.h"

#include "client/ModuleState.h"
#include "platform/base/Tick.h"

#include <sys/syscall.h>
#include <unistd.h>

namespace lumin {

DWORD ThreadRegistry::currentThreadId()
{
    return static_cast<DWORD>(::syscall(SYS_gettid));
}

std::shared_ptr<ThreadEntry> ThreadRegistry::add(DWORD threadId, UI4 delay)
{
    auto entry = std::make_shared<ThreadEntry>();
    entry->delay = delay;
    std::lock_guard lock(m_mutex);
    m_entries[threadId] = entry;
    return entry;
}

void ThreadRegistry::remove(DWORD threadId)
{
    std::shared_ptr<ThreadEntry> entry;
    {
        std::lock_guard lock(m_mutex);
        auto it = m_entries.find(threadId);
        if (it == m_entries.end())
            return;
        entry = std::move(it->second);
        m_entries.erase(it);
    }
    logFormatted(LogThreads, "RemoveThread (0x%.8X)", threadId);
    entry->ended->set();
}

std::shared_ptr<Event> ThreadRegistry::markStopped(DWORD threadId)
{
    std::lock_guard lock(m_mutex);
    auto it = m_entries.find(threadId);
    if (it == m_entries.end())
        return nullptr;
    it->second->stopped = true;
    return it->second->ended;
}

void ThreadRegistry::setDelay(DWORD threadId, UI4 delay)
{
    std::lock_guard lock(m_mutex);
    auto it = m_entries.find(threadId);
    if (it != m_entries.end())
        it->second->delay = delay;
}

void ThreadRegistry::appendResult(DWORD threadId, const BYTE* data, std::size_t size)
{
    std::lock_guard lock(m_mutex);
    auto it = m_entries.find(threadId);
    if (it != m_entries.end())
        it->second->result.insert(it->second->result.end(), data, data + size);
}

void ThreadRegistry::failResult(DWORD threadId, HRESULT failure)
{
    std::lock_guard lock(m_mutex);
    auto it = m_entries.find(threadId);
    if (it != m_entries.end()) {
        it->second->result = {};
        it->second->failure = failure;
    }
}

std::vector<BYTE> ThreadRegistry::takeResult(DWORD threadId, HRESULT* failure)
{
    std::lock_guard lock(m_mutex);
    auto it = m_entries.find(threadId);
    if (it == m_entries.end()) {
        *failure = S_OK;
        return {};
    }
    *failure = it->second->failure;
    return std::move(it->second->result);
}

void ThreadRegistry::clearResult(DWORD threadId)
{
    std::lock_guard lock(m_mutex);
    auto it = m_entries.find(threadId);
    if (it != m_entries.end()) {
        it->second->result = {};
        it->second->failure = S_OK;
    }
}

void ThreadRegistry::terminateAll()
{
    // Killing a thread is not safe here, so each one left is asked to stop and given a bounded
    // time to end; its entry stays until then, so its own remove() still signals the end.
    std::vector<std::pair<DWORD, std::shared_ptr<ThreadEntry>>> left;
    {
        std::lock_guard lock(m_mutex);
        for (const auto& [id, entry] : m_entries) {
            entry->stopped = true;
            left.emplace_back(id, entry);
        }
    }
    const ULONGLONG deadline = GetTickCount64() + kTerminateWaitMs;
    for (const auto& [id, entry] : left) {
        logFormatted(LogFailure, "TerminateThreads (0x%.8X)", id);
        const ULONGLONG now = GetTickCount64();
        entry->ended->wait(now < deadline ? static_cast<DWORD>(deadline - now) : 0);
    }
    std::lock_guard lock(m_mutex);
    m_entries.clear();
}

ThreadRegistry& threadRegistry()
{
    // Created and destroyed with the module's other process-wide objects.
    if (ModuleObjects* objects = moduleObjects())
        return objects->threads;
    // Programs that link the private library without loading the module.
    static ThreadRegistry unloaded;
    return unloaded;
}

} // namespace lumin
