// Cost of grouping a selection by folder for Explore: every file of a synthetic catalogue selected
// (about forty files to a folder).
#include <benchmark/benchmark.h>

#include <vector>

#include "SyntheticCatalogue.h"
#include "dialog/core/FolderGroups.h"

namespace {

void GroupEverySelectedFile(benchmark::State& state) {
    sprig::Catalogue catalogue;
    sprig::bench::FillSyntheticCatalogue(catalogue, static_cast<std::size_t>(state.range(0)));
    std::vector<const sprig::FileEntry*> selected;
    for (const sprig::FileEntry& file : catalogue.FileList) selected.push_back(&file);
    std::size_t groups = 0;
    for (auto _ : state) {
        groups = sprig::GroupByFolder(selected).size();
        benchmark::DoNotOptimize(groups);
    }
    state.counters["groups"] = static_cast<double>(groups);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

}  // namespace

BENCHMARK(GroupEverySelectedFile)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
