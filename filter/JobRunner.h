// Threads offered to the result list for work it cuts into slices. The core makes no thread of
// its own: whoever owns threads (the dialog, a tool) runs the slices on them, so the core needs no
// platform's thread calls.
#pragma once

#include <cstddef>
#include <exception>
#include <vector>

namespace sprig {

class JobRunner {
public:
    // How many slices can run side by side.
    virtual std::size_t Threads() const = 0;
    // Calls job(context, i) once for each i below count, on the calling thread and the runner's
    // own ones side by side (each taking the next slice not yet taken as it comes free), and
    // returns once every call has returned. The calls never throw.
    virtual void Run(std::size_t count, void (*job)(void* context, std::size_t slice), void* context) = 0;

    // The least work, in files or rows, that is worth a slice of its own: below it, handing it to
    // a thread costs about what the slice saves. Tests lower it to cut small catalogues too.
    std::size_t sliceFloor = 1 << 14;

protected:
    ~JobRunner() = default;
};

// Calls job(i) for each i below `slices`: side by side on `runner`'s threads, or in turn on the
// calling thread without one. An exception of a slice is thrown on the calling thread once every
// slice has ended (the first slice's first).
template <class Job>
void RunSlices(JobRunner* runner, std::size_t slices, Job&& job) {
    if (!runner || slices <= 1) {
        for (std::size_t i = 0; i < slices; ++i) job(i);
        return;
    }
    struct Context {
        Job& job;
        std::vector<std::exception_ptr> failures;
    } context{job, std::vector<std::exception_ptr>(slices)};
    runner->Run(
        slices,
        [](void* pointer, std::size_t slice) {
        auto& context = *static_cast<Context*>(pointer);
        try {
            context.job(slice);
        } catch (...) {
            context.failures[slice] = std::current_exception();
        }
        },
        &context);
    for (const std::exception_ptr& failure : context.failures) {
        if (failure) std::rethrow_exception(failure);
    }
}

}  // namespace sprig
