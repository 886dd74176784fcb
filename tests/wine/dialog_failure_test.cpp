// Memory running out while the dialog handles a message: the exception ends the dialog and
// leaves DoModal, instead of unwinding through the window system's frames.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "resources/resource.h"
#include "wine/DialogDriver.h"
#include "wine/DialogSolution.h"

namespace {

// The thread whose next allocation fails; 0 for none.
std::atomic<DWORD> failNextOn{0};

}  // namespace

void* operator new(std::size_t size) {
    DWORD thread = GetCurrentThreadId();
    if (failNextOn.compare_exchange_strong(thread, 0)) throw std::bad_alloc();
    if (void* block = std::malloc(size ? size : 1)) return block;
    throw std::bad_alloc();
}

// GCC takes free() inside a replacement operator delete for a mismatch with operator new.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }

namespace sprig::testing {
namespace {

TEST(DialogFailure, MemoryRunningOutEndsTheDialogAndLeavesDoModal) {
    TestSolution solution;
    DWORD dialogThread = GetCurrentThreadId();
    EXPECT_THROW(RunDialog(
                     solution.model,
                     [&](DialogDriver& d) {
        d.Type(u"m", IDC_FILTER_EDIT);
        ASSERT_EQ(d.RowCount(), 3);
        // The next letter's refresh finds no memory for the filter's text.
        failNextOn = dialogThread;
        d.Type(u"a", IDC_FILTER_EDIT);
        EXPECT_FALSE(IsWindow(d.Dialog()));
                     }),
                 std::bad_alloc);
    EXPECT_EQ(failNextOn, 0u) << "no allocation was made";

    // The next dialog of the process runs as usual.
    EXPECT_EQ(RunDialog(
                  solution.model,
                  [](DialogDriver& d) {
        d.Type(u"main.h", IDC_FILTER_EDIT);
        EXPECT_EQ(d.RowCount(), 1);
        d.Key(VK_ESCAPE, IDC_FILTER_EDIT);
                  }),
              IDCANCEL);
}

}  // namespace
}  // namespace sprig::testing
