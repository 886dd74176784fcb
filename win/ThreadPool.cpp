#include "win/ThreadPool.h"

#include <algorithm>

namespace sprig {

ThreadPool::ThreadPool(std::size_t threads) : threads_(std::max<std::size_t>(1, threads)) {
    workers_.reserve(threads_ - 1);
}

ThreadPool::~ThreadPool() {
    ending_ = true;
    std::vector<HANDLE> threads;
    for (Worker& worker : workers_) {
        SetEvent(worker.start.get());
        threads.push_back(worker.thread.get());
    }
    if (!threads.empty()) WaitForMultipleObjects(static_cast<DWORD>(threads.size()), threads.data(), TRUE, INFINITE);
}

DWORD WINAPI ThreadPool::Serve(void* pointer) {
    Worker& worker = *static_cast<Worker*>(pointer);
    for (;;) {
        WaitForSingleObject(worker.start.get(), INFINITE);
        if (worker.pool->ending_) return 0;
        worker.pool->TakeSlices();
        SetEvent(worker.done.get());
    }
}

void ThreadPool::TakeSlices() {
    for (LONG slice; (slice = InterlockedIncrement(&next_) - 1) < count_;) {
        job_(context_, static_cast<std::size_t>(slice));
    }
}

void ThreadPool::Run(std::size_t count, void (*job)(void* context, std::size_t slice), void* context) {
    if (count == 0) return;
    const std::size_t helpers = std::min(count, threads_) - 1;
    while (workers_.size() < helpers) {
        Worker worker{this, Handle(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
                      Handle(CreateEventW(nullptr, FALSE, FALSE, nullptr)), nullptr};
        if (!worker.start || !worker.done) break;
        workers_.push_back(std::move(worker));
        workers_.back().thread.reset(CreateThread(nullptr, 0, &ThreadPool::Serve, &workers_.back(), 0, nullptr));
        if (!workers_.back().thread) {
            workers_.pop_back();
            break;
        }
    }
    job_ = job;
    context_ = context;
    count_ = static_cast<LONG>(count);
    next_ = 0;
    std::vector<HANDLE> done;
    for (std::size_t i = 0; i < std::min(helpers, workers_.size()); ++i) {
        SetEvent(workers_[i].start.get());
        done.push_back(workers_[i].done.get());
    }
    TakeSlices();
    if (!done.empty()) WaitForMultipleObjects(static_cast<DWORD>(done.size()), done.data(), TRUE, INFINITE);
}

std::size_t ProcessorCount(std::size_t most) {
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    return std::clamp<std::size_t>(system.dwNumberOfProcessors, 1, most);
}

}  // namespace sprig
