// Cost of the refreshes of the result list over synthetic catalogues of 10 000 to 1 000 000 files,
// natively and in the Windows build under Wine, and the memory the catalogue and its result list
// take:
//   refresh_bench [-threads N] [FILES...]
// With N threads (1 when not given), the files are tested and the rows written in slices side
// by side, on the dialog's thread pool in the Windows build.
// "first" is the dialog's first refresh (the files sorted for the first time, then the empty
// filter); "empty", "one letter" and the queries are keystrokes (one matching pass, no sort);
// "typed" is "shader.h" typed one character at a time; "project" a change of the project box;
// the clicks a header click with its refresh, on a new column (a sort) or on the first one (the
// order turned). Times in ms: the fastest, the median and the slowest of the runs (the fastest is
// the one least disturbed by other work on the machine). A query is run several times over: its
// first run follows another query, the later ones narrow the one before (the same query), so the
// slowest is mostly a refresh that tests every file.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "SyntheticCatalogue.h"
#include "filter/ResultList.h"
#include "filter/SortOrder.h"
#include "tests/support/Threads.h"

namespace {

// Every allocation of the program is counted: the bytes held and the largest single block.
std::size_t heldBytes = 0, largestBlock = 0;
constexpr std::size_t Header = 16;  // keeps the size, and the alignment new promises

}  // namespace

void* operator new(std::size_t size) {
    auto* block = static_cast<unsigned char*>(std::malloc(size + Header));
    if (!block) throw std::bad_alloc();
    *reinterpret_cast<std::size_t*>(block) = size;
    heldBytes += size;
    largestBlock = std::max(largestBlock, size);
    return block + Header;
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* pointer) noexcept {
    if (!pointer) return;
    auto* block = static_cast<unsigned char*>(pointer) - Header;
    heldBytes -= *reinterpret_cast<std::size_t*>(block);
    std::free(block);
}
void operator delete[](void* pointer) noexcept { operator delete(pointer); }
void operator delete(void* pointer, std::size_t) noexcept { operator delete(pointer); }
void operator delete[](void* pointer, std::size_t) noexcept { operator delete(pointer); }

namespace {

using Clock = std::chrono::steady_clock;

struct Times {
    std::vector<double> ms;
    std::size_t rows = 0;
};

void Print(std::size_t files, const char* what, Times& times) {
    std::sort(times.ms.begin(), times.ms.end());
    std::printf("%9zu  %-22s %9.2f %9.2f %9.2f %9zu\n", files, what, times.ms.front(), times.ms[times.ms.size() / 2],
                times.ms.back(), times.rows);
}

sprig::JobRunner* threads = nullptr;

double Refresh(sprig::Catalogue& catalogue, std::u16string_view query, std::ptrdiff_t project) {
    const auto start = Clock::now();
    sprig::RebuildResultList(catalogue, query, project, sprig::ProcessSortOrder, threads);
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void Measure(std::size_t files) {
    sprig::ProcessSortOrder = sprig::SortOrder{};
    const std::size_t heldBefore = heldBytes;
    largestBlock = 0;
    sprig::Catalogue catalogue;
    sprig::bench::FillSyntheticCatalogue(catalogue, files);
    sprig::SortProjectList(catalogue);
    const int runs = files >= 1000000 ? 5 : files >= 100000 ? 15 : 50;

    Times first;
    for (int i = 0; i < std::max(3, runs / 3); ++i) {
        catalogue.sortedFiles = sprig::FileOrder{};
        first.ms.push_back(Refresh(catalogue, u"", 0));
    }
    first.rows = catalogue.ResultList.size();
    Print(files, "first", first);

    const struct {
        const char* name;
        const char16_t* query;
        std::ptrdiff_t project;
    } cases[] = {{"empty", u"", 0},
                 {"one letter e", u"e", 0},
                 {"render", u"render", 0},
                 {"core /render -test", u"core /render -test", 0},
                 {"*util*.h", u"*util*.h", 0},
                 {"project", u"e", 3}};
    for (const auto& c : cases) {
        Times times;
        for (int i = 0; i < runs; ++i) times.ms.push_back(Refresh(catalogue, c.query, c.project));
        times.rows = catalogue.ResultList.size();
        Print(files, c.name, times);
    }
    Times typed;
    const std::u16string word = u"shader.h";
    for (int i = 0; i < std::max(1, runs / 5); ++i) {
        for (std::size_t n = 1; n <= word.size(); ++n) typed.ms.push_back(Refresh(catalogue, word.substr(0, n), 0));
    }
    typed.rows = catalogue.ResultList.size();
    Print(files, "typed shader.h", typed);

    // Each click moves another column to the front; a click on the front column turns the order.
    Times clicks, turns;
    for (const int column : {1, 2, 0, 3, 0, 2}) {
        sprig::ApplyColumnClick(sprig::ProcessSortOrder, column);
        clicks.ms.push_back(Refresh(catalogue, u"", 0));
        sprig::ApplyColumnClick(sprig::ProcessSortOrder, column);
        turns.ms.push_back(Refresh(catalogue, u"", 0));
    }
    clicks.rows = turns.rows = catalogue.ResultList.size();
    Print(files, "click, new column", clicks);
    Print(files, "click, same column", turns);

    // Everything the dialog holds: the catalogue with its sorted order and the matching pass's
    // work space, and the full result list.
    std::size_t textBytes = 0;
    for (const sprig::FileEntry& file : catalogue.FileList) textBytes += 2 * sprig::TextLength(file.path);
    const double held = static_cast<double>(heldBytes - heldBefore);

    std::printf(
        "%9zu  memory: %.1f bytes per file held, budget %.1f (1.5 x %.1f bytes of path text + 24); "
        "largest block %.2f MB\n",
        files, held / files, 1.5 * textBytes / files + 24, static_cast<double>(textBytes) / files,
        largestBlock / 1048576.0);
    sprig::ProcessSortOrder = sprig::SortOrder{};
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::size_t> sizes;
    std::size_t threadCount = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "-threads" && i + 1 < argc) {
            threadCount = std::strtoul(argv[++i], nullptr, 10);
        } else {
            sizes.push_back(std::strtoul(argv[i], nullptr, 10));
        }
    }
    if (sizes.empty()) sizes = {10000, 100000, 1000000};
    sprig::testing::SliceThreads pool(threadCount);
    if (threadCount > 1) threads = &pool;
    std::printf("%zu thread(s)\n", threadCount);
    std::printf("%9s  %-22s %9s %9s %9s %9s\n", "files", "refresh", "fastest ms", "median ms", "slowest ms", "rows");
    for (const std::size_t files : sizes) Measure(files);
    return 0;
}
