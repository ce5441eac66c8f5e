#pragma once
// Frames of a movie coded on worker threads, each worker with a coder of its own, and handed
// back to the writer in the order they were given. A ring of kFramesInFlight jobs bounds the
// memory whatever the pace of either side. The pipeline owns its workers: its destructor
// stops and joins them (a frame being coded is finished first).

#include "recorder/sequence/avi/FrameCoder.h"

#include <array>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Frames given to the workers and not yet written; two a worker keep every worker busy.
inline constexpr unsigned kFramesInFlight = 8;
// At most this many workers, one a processor below it.
inline constexpr unsigned kMaxFrameWorkers = 4;

// One frame in flight: a frame file or a copied bitmap in, the coded frame or the failure out.
struct FrameJob {
    unsigned index = 0;
    bool isFile = true;
    std::string path;
    _CAM_BIH header{};
    std::vector<std::uint8_t> bits;
    CodedFrame frame;
    HRESULT hr = S_OK;
    std::string error;
    bool unreadable = false;
};

class FramePipeline {
public:
    using MakeCoder = std::function<std::unique_ptr<FrameCoder>(std::string* error)>;
    // Starts workers, each with a coder from make. E_FAIL with *error when one cannot be
    // made or started.
    static HRESULT start(unsigned workers, const MakeCoder& make,
                         std::unique_ptr<FramePipeline>* pipeline, std::string* error);
    ~FramePipeline();
    FramePipeline(const FramePipeline&) = delete;
    FramePipeline& operator=(const FramePipeline&) = delete;

    // The rest is called by the owner's one thread.
    unsigned inFlight() const { return static_cast<unsigned>(m_tail - m_head); }
    bool full() const { return inFlight() == kFramesInFlight; }
    // The job to fill next, when not full; given to the workers by submit().
    FrameJob& next() { return m_jobs[m_tail % kFramesInFlight]; }
    void submit();
    // The oldest job in flight once it is done, waiting for it when wait. Null when none is
    // in flight, or when it is not done and wait is false. The caller's until release().
    FrameJob* oldest(bool wait);
    void release();
    // Drops the jobs no worker has begun, waits for the begun ones and empties the ring.
    void drop();

    static unsigned defaultWorkers();

private:
    enum class JobState { Free, Queued, Working, Done };
    FramePipeline() = default;
    void work(FrameCoder& coder);

    std::mutex m_mutex;
    std::condition_variable m_workQueued; // workers wait on it
    std::condition_variable m_jobDone;    // the owner waits on it
    std::array<FrameJob, kFramesInFlight> m_jobs;
    std::array<JobState, kFramesInFlight> m_states{};
    std::uint64_t m_head = 0;  // the oldest job in flight; the owner's alone
    std::uint64_t m_tail = 0;  // the next job to submit; written by the owner under the lock
    std::uint64_t m_taken = 0; // the next job a worker takes; under the lock
    bool m_stopping = false;
    std::vector<std::unique_ptr<FrameCoder>> m_coders;
    std::vector<std::thread> m_threads;
};
