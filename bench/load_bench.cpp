// Loading solutions from disk into the stand-in model: one benchmark per solution file named on
// the command line (bench/load.sh writes generated ones with tools/make-solution.py).
//
//   load_bench [benchmark flags] FILE.sln...
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/SolutionWalker.h"
#include "solution/loader/DiskFiles.h"
#include "solution/loader/SolutionLoader.h"
#include "solution/model/ModelSolutionView.h"
#include "catalogue/Utf8.h"

namespace sprig::bench {
namespace {

void LoadSolution(benchmark::State& state, const std::u16string& path) {
    loader::DiskFiles files;
    std::unique_ptr<model::SolutionModel> model;
    std::vector<loader::LoadMessage> messages;
    for (auto _ : state) {
        // The last model goes away outside the measured time.
        state.PauseTiming();
        model = std::make_unique<model::SolutionModel>();
        messages.clear();
        state.ResumeTiming();
        if (!loader::LoadSolution(path, files, *model, messages)) {
            state.SkipWithError(loader::DescribeMessage(messages.front()).c_str());
            return;
        }
    }
    // What the load gave, as the walk catalogues it.
    model::ModelSolutionView view(*model);
    Catalogue catalogue;
    BuildCatalogue(view, catalogue);
    state.counters["files"] = static_cast<double>(catalogue.FileList.size());
    state.counters["messages"] = static_cast<double>(messages.size());
}

}  // namespace
}  // namespace sprig::bench

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        std::u16string argument, path;
        std::string reason;
        if (!sprig::AppendUtf16(argv[i], argument) || !sprig::loader::FullWindowsPath(argument, path, reason)) {
            std::fprintf(stderr, "load_bench: %s: no usable path\n", argv[i]);
            return 2;
        }
        benchmark::RegisterBenchmark((std::string("LoadSolution/") + argv[i]).c_str(), sprig::bench::LoadSolution, path)
            ->Unit(benchmark::kMillisecond)
            ->MeasureProcessCPUTime()
            ->UseRealTime();
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
