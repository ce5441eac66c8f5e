#include "recorder/sequence/avi/FramePipeline.h"

#include <algorithm>
#include <system_error>

HRESULT FramePipeline::start(unsigned workers, const MakeCoder& make,
                             std::unique_ptr<FramePipeline>* pipeline, std::string* error)
{
    std::unique_ptr<FramePipeline> p(new FramePipeline);
    workers = std::clamp(workers, 1u, kMaxFrameWorkers);
    for (unsigned i = 0; i < workers; ++i) {
        std::unique_ptr<FrameCoder> coder = make(error);
        if (!coder)
            return E_FAIL;
        p->m_coders.push_back(std::move(coder));
    }
    for (auto& coder : p->m_coders) {
        try {
            p->m_threads.emplace_back([raw = p.get(), c = coder.get()] { raw->work(*c); });
        } catch (const std::system_error& e) {
            *error = std::string("cannot start a frame worker: ") + e.what();
            return E_FAIL; // the destructor joins the ones started
        }
    }
    *pipeline = std::move(p);
    return S_OK;
}

FramePipeline::~FramePipeline()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_workQueued.notify_all();
    for (std::thread& t : m_threads)
        t.join();
}

unsigned FramePipeline::defaultWorkers()
{
    return std::clamp(std::thread::hardware_concurrency(), 1u, kMaxFrameWorkers);
}

void FramePipeline::submit()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_states[m_tail % kFramesInFlight] = JobState::Queued;
        ++m_tail;
    }
    m_workQueued.notify_one();
}

FrameJob* FramePipeline::oldest(bool wait)
{
    if (m_head == m_tail)
        return nullptr;
    const std::size_t slot = m_head % kFramesInFlight;
    std::unique_lock<std::mutex> lock(m_mutex);
    // A worker always ends the frame it took, so this wait ends.
    if (wait)
        m_jobDone.wait(lock, [&] { return m_states[slot] == JobState::Done; });
    return m_states[slot] == JobState::Done ? &m_jobs[slot] : nullptr;
}

void FramePipeline::release()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_states[m_head % kFramesInFlight] = JobState::Free;
    ++m_head;
}

void FramePipeline::drop()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_taken = m_tail; // nothing more is begun
    m_jobDone.wait(lock, [&] {
        return std::none_of(m_states.begin(), m_states.end(),
                            [](JobState s) { return s == JobState::Working; });
    });
    m_states.fill(JobState::Free);
    m_head = m_tail;
}

void FramePipeline::work(FrameCoder& coder)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_workQueued.wait(lock, [&] { return m_stopping || m_taken < m_tail; });
        if (m_stopping)
            return;
        const std::size_t slot = m_taken++ % kFramesInFlight;
        m_states[slot] = JobState::Working;
        lock.unlock();
        FrameJob& job = m_jobs[slot];
        job.hr = job.isFile ? coder.codeJpegFile(job.path, job.index, job.frame)
                            : coder.codeBitmap(job.header, job.bits.data(), job.index, job.frame);
        job.error = FAILED(job.hr) ? coder.error() : std::string();
        job.unreadable = FAILED(job.hr) && coder.unreadable();
        lock.lock();
        m_states[slot] = JobState::Done;
        m_jobDone.notify_all();
    }
}
