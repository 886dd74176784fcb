// Threads for the result list's slices in the tests and the benchmarks: the dialog's own pool in
// the Windows build, plain threads made for each run natively.
#pragma once

#include <cstddef>

#include "filter/JobRunner.h"

#ifdef _WIN32
#include "win/ThreadPool.h"
#else
#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>
#endif

namespace sprig::testing {

#ifdef _WIN32
using SliceThreads = ThreadPool;
#else
class SliceThreads final : public JobRunner {
public:
    explicit SliceThreads(std::size_t threads) : threads_(threads) {}

    std::size_t Threads() const override { return threads_; }
    void Run(std::size_t count, void (*job)(void* context, std::size_t slice), void* context) override {
        std::atomic<std::size_t> next{0};
        const auto take = [&] {
            for (std::size_t slice; (slice = next++) < count;) job(context, slice);
        };
        std::vector<std::thread> started;
        for (std::size_t thread = 1; thread < std::min(count, threads_); ++thread) started.emplace_back(take);
        take();
        for (std::thread& thread : started) thread.join();
    }

private:
    std::size_t threads_;
};
#endif

}  // namespace sprig::testing
