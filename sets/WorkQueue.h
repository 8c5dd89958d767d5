#pragma once
// Work that must not hold up the window: tasks run on worker threads, and
// each hands over its result unless a newer batch has replaced its own.
// Starting a batch (or cancelling) drops what is left of the previous one;
// once Start or Cancel returns, no result of an earlier batch is handed over.
//
// Threads: Start, Cancel, WaitForIdle and the destructor are called from one
// owner thread. A task runs on a worker without the queue's lock; the hand-over
// it returns runs on the same worker with the lock held, one at a time: it
// must be quick (a window posts the result to its own thread) and must not
// call back into the queue.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace wheel {

class WorkQueue {
public:
    // Does the work of one task and returns its hand-over (or nothing).
    using Task = std::function<std::function<void()>(std::uint64_t generation)>;

    // At most `threads` tasks run at once (0: one per processor). The
    // threads start with the first batch that needs them.
    explicit WorkQueue(int threads = 0);
    ~WorkQueue();  // cancels, then waits for the tasks running
    WorkQueue(const WorkQueue&) = delete;
    WorkQueue& operator=(const WorkQueue&) = delete;

    // Runs `tasks` in order as a new batch; returns the generation they get.
    std::uint64_t Start(std::vector<Task> tasks);
    void Cancel();
    // The generation whose results are handed over now.
    std::uint64_t Generation() const;
    // Waits until every task of the current batch is done (or cancelled);
    // true when that happened within `timeout`.
    bool WaitForIdle(std::chrono::milliseconds timeout);

private:
    struct Job {
        std::uint64_t generation = 0;
        Task task;
    };
    void Work();

    const int m_nThreads;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;  // a job or the end
    std::condition_variable m_idle;  // a job finished
    std::deque<Job> m_jobs;
    int m_nBusy = 0;
    bool m_bStopping = false;
    std::uint64_t m_nGeneration = 0;
    std::vector<std::thread> m_threads;
};

} // namespace wheel
