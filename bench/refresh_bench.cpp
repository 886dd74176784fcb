// Cost of one refresh of the result list, the work done at every keystroke: parse the query,
// filter the whole catalogue, sort the rows and choose the row to select.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>

#include "SyntheticCatalogue.h"
#include "filter/ResultList.h"
#include "filter/SortOrder.h"

namespace {

// Catalogues are built once per size and shared by every query.
sprig::Catalogue& CatalogueOfSize(std::size_t files) {
    static std::map<std::size_t, std::unique_ptr<sprig::Catalogue>> catalogues;
    auto& catalogue = catalogues[files];
    if (!catalogue) {
        catalogue = std::make_unique<sprig::Catalogue>();
        sprig::bench::FillSyntheticCatalogue(*catalogue, files);
    }
    return *catalogue;
}

void Refresh(benchmark::State& state, const char16_t* query, bool descending) {
    const auto files = static_cast<std::size_t>(state.range(0));
    sprig::Catalogue& catalogue = CatalogueOfSize(files);
    sprig::ProcessSortOrder = sprig::SortOrder{};
    sprig::ProcessSortOrder.descending = descending;
    for (auto _ : state) {
        std::ptrdiff_t row = sprig::RebuildResultList(catalogue, query, 0);
        benchmark::DoNotOptimize(row);
    }
    sprig::ProcessSortOrder = sprig::SortOrder{};
    state.counters["rows"] = static_cast<double>(catalogue.ResultList.size());
    state.counters["per_file"] = benchmark::Counter(
        static_cast<double>(files), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void EmptyFilter(benchmark::State& state) { Refresh(state, u"", false); }
void OneTermAboutOnePercent(benchmark::State& state) { Refresh(state, u"shader.h", false); }
void ThreeTermsWithNegation(benchmark::State& state) { Refresh(state, u"core /render -test", false); }
void WildcardTerm(benchmark::State& state) { Refresh(state, u"*util*.h", false); }
void DescendingSort(benchmark::State& state) { Refresh(state, u"", true); }

}  // namespace

#define SPRIG_REFRESH_BENCHMARK(name) \
    BENCHMARK(name)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)
SPRIG_REFRESH_BENCHMARK(EmptyFilter);
SPRIG_REFRESH_BENCHMARK(OneTermAboutOnePercent);
SPRIG_REFRESH_BENCHMARK(ThreeTermsWithNegation);
SPRIG_REFRESH_BENCHMARK(WildcardTerm);
SPRIG_REFRESH_BENCHMARK(DescendingSort);

BENCHMARK_MAIN();
