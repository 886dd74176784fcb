// Memory running out while the dialog handles a message: the exception ends the dialog and
// leaves DoModal, instead of unwinding through the window system's frames; and memory refused
// anywhere in the command, which answers for it and leaves nothing behind. The program's own
// operator new counts the blocks alive and refuses on request (ProcessResources.h).
#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <iterator>
#include <string>
#include <vector>

#include "addin/Connect.h"
#include "host/com/ModelObjects.h"
#include "resources/resource.h"
#include "win/Automation.h"
#include "win/Owners.h"
#include "wine/DialogDriver.h"
#include "wine/DialogSolution.h"
#include "wine/ProcessResources.h"

namespace {

std::atomic<long> liveBlocks{0};
// The thread whose allocations are counted, and may be refused; 0 for none.
std::atomic<DWORD> countedThread{0};
std::atomic<long> allowedLeft{0}, refusalsLeft{0}, refused{0}, counted{0};

}  // namespace

void* operator new(std::size_t size) {
    if (countedThread != 0 && countedThread == GetCurrentThreadId()) {
        ++counted;
        if (allowedLeft-- <= 0 && refusalsLeft-- > 0) {
            ++refused;
            throw std::bad_alloc();
        }
    }
    if (void* block = std::malloc(size ? size : 1)) {
        ++liveBlocks;
        return block;
    }
    throw std::bad_alloc();
}

// GCC takes free() inside a replacement operator delete for a mismatch with operator new.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* block) noexcept {
    if (block) --liveBlocks;
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept { operator delete(block); }

namespace sprig::testing {

long LiveHeapBlocks() { return liveBlocks; }

std::size_t PrivateBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    return GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters)) ? counters.PagefileUsage : 0;
}

void RefuseAllocations(DWORD thread, long allowed, long refusals) {
    countedThread = 0;
    allowedLeft = allowed, refusalsLeft = refusals, refused = 0, counted = 0;
    countedThread = thread;
}

long StopRefusing() {
    countedThread = 0;
    return refused;
}

long AllocationsCounted() { return counted; }

}  // namespace sprig::testing

namespace sprig::testing {
namespace {

BOOL CALLBACK CountWindow(HWND, LPARAM counter) {
    ++*reinterpret_cast<int*>(counter);
    return TRUE;
}

int ThreadWindows() {
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

TEST(DialogFailure, MemoryRunningOutEndsTheDialogAndLeavesDoModal) {
    TestSolution solution;
    const DWORD dialogThread = GetCurrentThreadId();
    EXPECT_THROW(RunDialog(
                     solution.model,
                     [&](DialogDriver& d) {
        d.Type(u"m", IDC_FILTER_EDIT);
        ASSERT_EQ(d.RowCount(), 3);
        // The next letter's refresh finds no memory for the filter's text.
        RefuseAllocations(dialogThread, 0, 1);
        d.Type(u"a", IDC_FILTER_EDIT);
        EXPECT_FALSE(IsWindow(d.Dialog()));
                     }),
                 std::bad_alloc);
    EXPECT_EQ(StopRefusing(), 1) << "no allocation was made";

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

// The command with memory refused from some point on, until it returns: at points across the walk,
// the dialog's set-up and first refresh, and a keystroke. Exec answers E_OUTOFMEMORY or, where the
// code goes on without what it could not have, handles the command; either way nothing is left
// behind (heap blocks, GDI objects, references on the environment, windows, hooks) and the next
// command runs as usual.
TEST(DialogFailure, RefusedAllocationsAnywhereInTheCommandLeaveNothingBehind) {
    TestSolution solution;
    const ComPtr<IDispatch> root = host::CreateModelRoot(solution.model);
    ComPtr<IDTCommandTarget> command;
    ASSERT_HRESULT_SUCCEEDED(CConnect::Create(__uuidof(IDTCommandTarget), reinterpret_cast<void**>(command.put())));
    ComPtr<_IDTExtensibility2> connection;
    ASSERT_HRESULT_SUCCEEDED(
        command->QueryInterface(__uuidof(_IDTExtensibility2), reinterpret_cast<void**>(connection.put())));
    SAFEARRAY* custom = nullptr;
    ASSERT_HRESULT_SUCCEEDED(connection->OnConnection(root.get(), ext_cm_AfterStartup, nullptr, &custom));
    const DWORD thread = GetCurrentThreadId();
    struct Run {
        HRESULT hr = E_UNEXPECTED;
        VARIANT_BOOL handled = VARIANT_FALSE;
        long refused = 0;
        long shownAfter = -1, typedAfter = -1;  // allocations counted when the list was shown, and typed in
        wchar_t typedTitle[128] = {};           // what the dialog showed once typed in, held without a heap block
        int typedRows = -1;
    };
    // Only the command's own allocations are counted and refused, not the test's around it. The
    // script works on whatever the refusals left of the dialog, and always ends it.
    const auto exec = [&](long allowed, long refusals = 0x7FFFFFFF) {
        Run run;
        const Bstr name(FullCommandName);
        DriveModal(
            [&] {
            RefuseAllocations(thread, allowed, refusals);
            run.hr = command->Exec(name.get(), vsCommandExecOptionDoDefault, nullptr, nullptr, &run.handled);
            run.refused = StopRefusing();
            return 0;
            },
            [&](DialogDriver& d) {
            // Typed straight into the edit, as long as the refusals leave one.
            run.shownAfter = AllocationsCounted();
            for (const wchar_t letter : {L'm', L'a'}) {
                if (HWND edit = GetDlgItem(d.Dialog(), IDC_FILTER_EDIT)) PostMessageW(edit, WM_CHAR, letter, 1);
                d.Sync();
            }
            run.typedAfter = AllocationsCounted();
            GetWindowTextW(d.Dialog(), run.typedTitle, static_cast<int>(std::size(run.typedTitle)));
            run.typedRows = d.RowCount();
            PostMessageW(d.Dialog(), WM_COMMAND, IDCANCEL, 0);
        },
            5000, true);
        return run;
    };

    // A first command sets up what the process keeps (the sort order, the settings key); then one
    // that refuses nothing counts the allocations.
    ASSERT_EQ(exec(0x7FFFFFFF).hr, S_OK);
    const long blocksBefore = LiveHeapBlocks();
    const Run full = exec(0x7FFFFFFF);
    ASSERT_EQ(full.hr, S_OK);
    ASSERT_EQ(full.refused, 0);
    ASSERT_GT(full.shownAfter, 0);
    ASSERT_GT(full.typedAfter, full.shownAfter);
    EXPECT_EQ(LiveHeapBlocks(), blocksBefore);

    // Points in the walk and the set-up (before the list is shown), then in the keystroke.
    std::vector<long> points{0, 1, 2};
    for (int i = 1; i < 12; ++i) points.push_back(full.shownAfter * i / 12);
    for (long k = -2; k <= 2; ++k) points.push_back(full.shownAfter + k);
    for (int i = 1; i < 4; ++i) points.push_back(full.shownAfter + (full.typedAfter - full.shownAfter) * i / 4);

    // What each point left, kept in room taken beforehand: an assertion that failed on the way
    // would hold heap blocks of its own.
    struct Outcome {
        Run run;
        long blocks, gdi, references;
        int windows;
        std::size_t hooks;
    };
    std::vector<Outcome> outcomes;
    outcomes.reserve(2 * points.size());
    // Every allocation refused from the point on, and only the one at the point. The first sweep
    // lets the window system settle: Wine's cache of device contexts grows once when a dialog
    // ends inside the refresh of its first typed character.
    const auto sweep = [&](auto&& each) {
        for (const long refusals : {0x7FFFFFFFl, 1l}) {
            for (const long allowed : points) each(exec(allowed, refusals));
        }
    };
    sweep([](const Run&) {});
    const long blocks = LiveHeapBlocks(), gdi = LiveGdiObjects(), references = host::LiveReferences();
    const int windows = ThreadWindows();
    sweep([&](const Run& run) {
        outcomes.push_back({run, LiveHeapBlocks() - blocks, LiveGdiObjects() - gdi, host::LiveReferences() - references,
                            ThreadWindows() - windows, SubclassRegistry.size()});
    });
    int outOfMemory = 0, wentOn = 0;
    for (std::size_t i = 0; i < outcomes.size(); ++i) {
        SCOPED_TRACE("refused after " + std::to_string(points[i % points.size()]) + " allocations" +
                     (i < points.size() ? "" : ", once"));
        const Outcome& o = outcomes[i];
        EXPECT_GT(o.run.refused, 0);
        if (o.run.hr == E_OUTOFMEMORY) {
            ++outOfMemory;
            EXPECT_EQ(o.run.handled, VARIANT_FALSE);
        } else {
            ++wentOn;
            EXPECT_EQ(o.run.hr, S_OK);
            EXPECT_EQ(o.run.handled, VARIANT_TRUE);
        }
        EXPECT_EQ(o.blocks, 0) << "heap blocks left";
        EXPECT_EQ(o.gdi, 0) << "GDI objects left";
        EXPECT_EQ(o.references, 0) << "references on the environment left";
        EXPECT_EQ(o.windows, 0) << "windows left";
        EXPECT_EQ(o.hooks, 0u) << "filter edit hooks left";
    }
    EXPECT_GT(outOfMemory, 0);
    std::printf("refusals at %zu points, for good and once: %d answered E_OUTOFMEMORY, %d went on\n", points.size(),
                outOfMemory, wentOn);

    // The process lives on: the command runs as usual.
    const Run after = exec(0x7FFFFFFF);
    EXPECT_EQ(after.hr, S_OK);
    EXPECT_EQ(after.handled, VARIANT_TRUE);
    // The counts above are read from the driving thread while the dialog may still be painting,
    // so what is compared is what the dialog shows.
    EXPECT_NE(full.typedTitle[0], L'\0');
    EXPECT_STREQ(after.typedTitle, full.typedTitle);
    EXPECT_EQ(after.typedRows, full.typedRows);
    EXPECT_HRESULT_SUCCEEDED(connection->OnDisconnection(ext_dm_HostShutdown, &custom));
}

}  // namespace
}  // namespace sprig::testing
