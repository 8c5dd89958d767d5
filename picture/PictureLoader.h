#pragma once
// Loads pictures off the window's thread, one at a time: a newer load
// supersedes an older one, whose result is dropped, and a loader that goes
// while a load runs does not wait for it. The load then finishes on its own,
// unheard; a program that ends meanwhile ends at once (Abandoned()).
//
// Threads: Load, Cancel, Busy and the destructor are called from one owner
// thread. The result is handed over on the loader's thread with its lock
// held, only for the newest load: the hand-over must be quick (a window
// posts the result to its own thread) and must not call back into the loader.

#include "picture/PictureFile.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace wheel {

class PictureLoader {
public:
    using Done = std::function<void(std::uint64_t generation, const LoadResult& result)>;
    using Loader = std::function<LoadResult(const std::string& path, const LoadOptions& options)>;

    // `load` does the loading (tests put their own in).
    explicit PictureLoader(Loader load = &LoadPicture);
    ~PictureLoader();  // cancels; a load in progress finishes unheard
    PictureLoader(const PictureLoader&) = delete;
    PictureLoader& operator=(const PictureLoader&) = delete;

    // Loads `path` (LoadPicture) and hands the result to `done`, unless a
    // newer load or a Cancel comes first. Returns the generation it carries.
    std::uint64_t Load(std::string path, LoadOptions options, Done done);
    // No result of an earlier Load is handed over after this returns.
    void Cancel();
    // The newest load has not been handed over yet.
    bool Busy() const;

    // Loads still running whose loader has gone: a program ending with any
    // should leave without its static destructors (std::_Exit), which the
    // load may still be using.
    static int Abandoned();

private:
    struct State;
    std::shared_ptr<State> m_state;
};

} // namespace wheel
