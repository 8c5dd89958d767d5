#include "sets/WorkQueue.h"

#include <algorithm>

namespace wheel {

WorkQueue::WorkQueue(int threads)
    : m_nThreads(threads > 0 ? threads : static_cast<int>(std::max(1u, std::thread::hardware_concurrency())))
{
}

WorkQueue::~WorkQueue()
{
    {
        std::lock_guard lock(m_mutex);
        m_bStopping = true;
        m_jobs.clear();
        ++m_nGeneration;
    }
    m_wake.notify_all();
    for (std::thread& thread : m_threads)
        thread.join();
}

std::uint64_t WorkQueue::Start(std::vector<Task> tasks)
{
    std::uint64_t generation;
    {
        std::lock_guard lock(m_mutex);
        generation = ++m_nGeneration;
        m_jobs.clear();
        for (Task& task : tasks)
            m_jobs.push_back({generation, std::move(task)});
        const std::size_t wanted = std::min<std::size_t>(static_cast<std::size_t>(m_nThreads), m_jobs.size());
        while (m_threads.size() < wanted)
            m_threads.emplace_back([this] { Work(); });
    }
    m_wake.notify_all();
    return generation;
}

void WorkQueue::Cancel()
{
    {
        std::lock_guard lock(m_mutex);
        ++m_nGeneration;
        m_jobs.clear();
    }
    m_idle.notify_all();
}

std::uint64_t WorkQueue::Generation() const
{
    std::lock_guard lock(m_mutex);
    return m_nGeneration;
}

bool WorkQueue::WaitForIdle(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    const std::uint64_t generation = m_nGeneration;
    // Busy workers of an older generation no longer count: their results are dropped.
    return m_idle.wait_for(lock, timeout, [&] {
        return m_nGeneration != generation || (m_jobs.empty() && m_nBusy == 0);
    });
}

void WorkQueue::Work()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_bStopping || !m_jobs.empty(); });
        if (m_bStopping)
            return;
        Job job = std::move(m_jobs.front());
        m_jobs.pop_front();
        ++m_nBusy;
        lock.unlock();
        std::function<void()> handOver = job.task(job.generation);
        lock.lock();
        --m_nBusy;
        if (job.generation == m_nGeneration && handOver)
            handOver();
        m_idle.notify_all();
    }
}

} // namespace wheel
