// The editor's picture loads off its thread: the newest load wins, a
// cancelled one is never heard of, and a loader that goes does not wait for
// the load it leaves behind.

#include "picture/PictureLoader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

// A load that takes as long as the test says: each waits until released.
struct HeldLoads {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::string> started;
    int released = 0;

    wheel::LoadResult Load(const std::string& path)
    {
        std::unique_lock lock(mutex);
        started.push_back(path);
        const int mine = int(started.size());
        changed.notify_all();
        changed.wait(lock, [&] { return released >= mine; });
        wheel::LoadResult result;
        result.picture.header.width = int(path.size());
        return result;
    }
    void Release(int count)
    {
        std::lock_guard lock(mutex);
        released = count;
        changed.notify_all();
    }
    bool WaitStarted(std::size_t count)
    {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, 60s, [&] { return started.size() >= count; });
    }
};

// What the loader hands over, and a way to wait for it.
struct Heard {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::pair<std::uint64_t, int>> results;  // generation, width

    wheel::PictureLoader::Done Callback()
    {
        return [this](std::uint64_t generation, const wheel::LoadResult& result) {
            std::lock_guard lock(mutex);
            results.emplace_back(generation, result.picture.header.width);
            changed.notify_all();
        };
    }
    std::vector<std::pair<std::uint64_t, int>> WaitFor(std::size_t count)
    {
        std::unique_lock lock(mutex);
        changed.wait_for(lock, 60s, [&] { return results.size() >= count; });
        return results;
    }
};

TEST(PictureLoader, TheNewestLoadWinsAndACancelledOneIsNeverHeard)
{
    HeldLoads held;
    Heard heard;
    wheel::PictureLoader loader([&](const std::string& path, const wheel::LoadOptions&) { return held.Load(path); });
    const std::uint64_t first = loader.Load("a", {}, heard.Callback());
    ASSERT_TRUE(held.WaitStarted(1));
    // While "a" loads, two more are asked for: "bb" is superseded before it
    // starts, "ccc" wins.
    loader.Load("bb", {}, heard.Callback());
    const std::uint64_t last = loader.Load("ccc", {}, heard.Callback());
    EXPECT_TRUE(loader.Busy());
    held.Release(2);
    ASSERT_EQ(heard.WaitFor(1), (std::vector<std::pair<std::uint64_t, int>>{{last, 3}}));
    EXPECT_FALSE(loader.Busy());
    EXPECT_GT(last, first);
    {
        std::lock_guard lock(held.mutex);
        EXPECT_EQ(held.started, (std::vector<std::string>{"a", "ccc"}));
    }

    // Cancelled while it loads: the next load's result is the only one heard.
    loader.Load("dddd", {}, heard.Callback());
    ASSERT_TRUE(held.WaitStarted(3));
    loader.Cancel();
    EXPECT_FALSE(loader.Busy());
    const std::uint64_t after = loader.Load("eeeee", {}, heard.Callback());
    held.Release(4);
    EXPECT_EQ(heard.WaitFor(2).back(), std::make_pair(after, 5));
    EXPECT_EQ(heard.WaitFor(2).size(), 2u);
}

TEST(PictureLoader, ALoaderThatGoesDoesNotWaitForItsLoad)
{
    HeldLoads held;
    Heard heard;
    {
        wheel::PictureLoader loader([&](const std::string& path, const wheel::LoadOptions&) { return held.Load(path); });
        loader.Load("slow", {}, heard.Callback());
        ASSERT_TRUE(held.WaitStarted(1));
    }  // gone while "slow" still loads
    EXPECT_EQ(wheel::PictureLoader::Abandoned(), 1);
    held.Release(1);
    for (int i = 0; i < 6000 && wheel::PictureLoader::Abandoned() != 0; ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_EQ(wheel::PictureLoader::Abandoned(), 0);
    std::lock_guard lock(heard.mutex);
    EXPECT_TRUE(heard.results.empty());
}

} // namespace
