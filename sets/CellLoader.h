#pragma once
// Renders the cells of a picture set on worker threads and hands each one over
// as soon as it is ready, so that twenty large photos never hold up the
// window. Starting another set (or the same one changed) cancels what is
// left of the previous one: its results are no longer handed over.
//
// Threads: Start, Cancel, WaitForIdle and the destructor are called from one
// owner thread. Results come on the worker threads (a WorkQueue), one at a
// time, while the queue's lock is held: the callback must be quick (the window
// posts the result to its own thread) and must not call back into the loader.

#include "sets/CellRender.h"
#include "sets/PictureSet.h"
#include "sets/WorkQueue.h"

#include <chrono>
#include <cstdint>
#include <functional>

namespace wheel {

class CellLoader {
public:
    // generation: what Start returned; box: 1..20.
    using Ready = std::function<void(std::uint64_t generation, int box, const CellRendering& rendering)>;

    // At most `threads` cells are rendered at once (0: one per processor).
    explicit CellLoader(int threads = 0);
    ~CellLoader();  // cancels, then waits for the cells being rendered
    CellLoader(const CellLoader&) = delete;
    CellLoader& operator=(const CellLoader&) = delete;

    // Renders every filled cell of `set`, in box order, and calls `ready`
    // for each. Returns the generation its results carry.
    std::uint64_t Start(const PictureSet& set, Ready ready, int previewSize = kCellPreviewSize);

    // No result of an earlier Start is handed over after this returns.
    void Cancel();

    // The generation whose results are handed over now.
    std::uint64_t Generation() const;

    // Waits until every cell of the last Start is handed over (or cancelled);
    // true when that happened within `timeout`.
    bool WaitForIdle(std::chrono::milliseconds timeout);

private:
    WorkQueue m_queue;
};

} // namespace wheel
