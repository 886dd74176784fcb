// Threads that run the slices of the result list's work (JobRunner) for the one owner of the
// pool. They are made when work first needs them and wait for more between runs; the pool's end
// ends them and waits for each, so none outlives its owner.
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

#include "filter/JobRunner.h"
#include "win/Owners.h"

namespace sprig {

class ThreadPool final : public JobRunner {
public:
    // Up to `threads` side by side: the calling thread and threads - 1 of the pool's own.
    explicit ThreadPool(std::size_t threads);
    ~ThreadPool();
    ThreadPool(const ThreadPool&) = delete;
    ThreadPool& operator=(const ThreadPool&) = delete;

    std::size_t Threads() const override { return threads_; }
    // Where a thread cannot be made, the slices it would have taken run on the others.
    void Run(std::size_t count, void (*job)(void* context, std::size_t slice), void* context) override;

private:
    struct Worker {
        ThreadPool* pool;
        Handle start, done, thread;  // auto-reset events: work is there; the worker is through with it
    };
    static DWORD WINAPI Serve(void* worker);
    // Calls the job for slices not yet taken until none is left.
    void TakeSlices();

    std::size_t threads_;
    std::vector<Worker> workers_;  // reserved for threads_ - 1 at once, so that a worker stays in place
    // The run in progress, written before the workers are woken and read by them after.
    void (*job_)(void*, std::size_t) = nullptr;
    void* context_ = nullptr;
    LONG count_ = 0;
    volatile LONG next_ = 0;  // the next slice to take
    bool ending_ = false;
};

// The machine's processors, between 1 and `most`.
std::size_t ProcessorCount(std::size_t most);

}  // namespace sprig
