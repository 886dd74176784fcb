// Cost of matching one query against every file of a catalogue.
#include <benchmark/benchmark.h>

#include <string>

#include "SyntheticCatalogue.h"
#include "filter/Filter.h"

namespace {

void MatchAll(benchmark::State& state, const char16_t* query) {
    sprig::Catalogue catalogue;
    sprig::bench::FillSyntheticCatalogue(catalogue, static_cast<std::size_t>(state.range(0)));
    sprig::ParsedFilter filter;
    sprig::ParseFilter(query, filter);
    sprig::FilterMatcher matcher(filter);
    std::size_t passed = 0;
    for (auto _ : state) {
        passed = 0;
        for (const sprig::FileEntry& file : catalogue.FileList) {
            std::int32_t position;
            passed += matcher.Matches(file, position);
        }
        benchmark::DoNotOptimize(passed);
    }
    state.counters["passed"] = static_cast<double>(passed);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void OneTerm(benchmark::State& state) { MatchAll(state, u"shader"); }
void ThreeTermsWithNegation(benchmark::State& state) { MatchAll(state, u"core /render -test"); }
void Wildcard(benchmark::State& state) { MatchAll(state, u"*util*.h"); }

// The backtracking worst case: every file holds a long run of one letter.
void WorstCaseWildcard(benchmark::State& state) {
    sprig::Catalogue catalogue;
    catalogue.ProjectList.push_back(sprig::CopyText(u"P"));
    catalogue.ProjectPathPool.push_back(sprig::CopyText(u"P"));
    const std::u16string name = u"C:\\" + std::u16string(static_cast<std::size_t>(state.range(1)), u'a');
    for (std::int64_t i = 0; i < state.range(0); ++i) {
        sprig::AddFile(catalogue, name, catalogue.ProjectList[0].get(), catalogue.ProjectPathPool[0].get());
    }
    sprig::ParsedFilter filter;
    sprig::ParseFilter(u"*a*a*a*a*a*a*a*a*b", filter);
    sprig::FilterMatcher matcher(filter);
    for (auto _ : state) {
        std::size_t passed = 0;
        for (const sprig::FileEntry& file : catalogue.FileList) {
            std::int32_t position;
            passed += matcher.Matches(file, position);
        }
        benchmark::DoNotOptimize(passed);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

}  // namespace

BENCHMARK(OneTerm)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(ThreeTermsWithNegation)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(Wildcard)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(WorstCaseWildcard)->Args({1, 100000})->Args({100000, 100})->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
