#include "picture/PictureLoader.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace wheel {

namespace {

std::atomic<int> g_abandoned{0};

} // namespace

struct PictureLoader::State {
    struct Request {
        std::uint64_t generation = 0;
        std::string path;
        LoadOptions options;
        Done done;
    };

    explicit State(Loader l) : load(std::move(l)) {}

    const Loader load;
    std::mutex mutex;
    std::condition_variable wake;
    std::optional<Request> next;
    std::uint64_t generation = 0;
    bool busy = false;       // the newest load is not handed over yet
    bool gone = false;       // the loader went
    bool loading = false;    // the worker is inside a load

    void Work()
    {
        std::unique_lock lock(mutex);
        for (;;) {
            wake.wait(lock, [this] { return gone || next; });
            if (gone)
                return;
            Request request = std::move(*next);
            next.reset();
            loading = true;
            lock.unlock();
            const LoadResult result = load(request.path, request.options);
            lock.lock();
            loading = false;
            if (gone) {
                --g_abandoned;
                return;
            }
            if (request.generation == generation) {
                busy = false;
                request.done(request.generation, result);
            }
        }
    }
};

PictureLoader::PictureLoader(Loader load)
    : m_state(std::make_shared<State>(std::move(load)))
{
    // The thread keeps the state alive, so that it may outlive the loader.
    std::thread([state = m_state] { state->Work(); }).detach();
}

PictureLoader::~PictureLoader()
{
    std::lock_guard lock(m_state->mutex);
    m_state->gone = true;
    m_state->next.reset();
    if (m_state->loading)
        ++g_abandoned;
    m_state->wake.notify_all();
}

std::uint64_t PictureLoader::Load(std::string path, LoadOptions options, Done done)
{
    std::lock_guard lock(m_state->mutex);
    const std::uint64_t generation = ++m_state->generation;
    m_state->next = State::Request{generation, std::move(path), std::move(options), std::move(done)};
    m_state->busy = true;
    m_state->wake.notify_all();
    return generation;
}

void PictureLoader::Cancel()
{
    std::lock_guard lock(m_state->mutex);
    ++m_state->generation;
    m_state->next.reset();
    m_state->busy = false;
}

bool PictureLoader::Busy() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->busy;
}

int PictureLoader::Abandoned()
{
    return g_abandoned.load();
}

} // namespace wheel
