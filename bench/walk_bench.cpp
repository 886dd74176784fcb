// Cost of the solution walk straight over the in-memory model: the walk's own share of the work,
// without the host's calls.
#include <benchmark/benchmark.h>

#include "SyntheticSolution.h"
#include "catalogue/SolutionWalker.h"
#include "solution/model/ModelSolutionView.h"

namespace {

void WalkModel(benchmark::State& state) {
    sprig::model::SolutionModel model;
    sprig::bench::FillSyntheticSolution(model, static_cast<std::size_t>(state.range(0)));
    sprig::Catalogue catalogue;
    for (auto _ : state) {
        sprig::model::ModelSolutionView view(model);
        sprig::BuildCatalogue(view, catalogue);
        benchmark::DoNotOptimize(catalogue.FileList.size());
    }
    state.counters["files"] = static_cast<double>(catalogue.FileList.size());
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(WalkModel)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
