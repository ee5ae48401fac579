// Loads generated catalogues from their bytes (profile indexing included) to show that the
// load time grows linearly with the number of functions.

#include "catalogue/CatalogueLoader.h"

#include <benchmark/benchmark.h>

#include <optional>
#include <string>

namespace {

constexpr int kFunctionsPerClass = 100;
constexpr int kTargets = 200;

// Classes of 100 functions, each naming two of 200 targets, every target with its own section.
std::string generateCatalogue(int functions) {
    const int classes = (functions + kFunctionsPerClass - 1) / kFunctionsPerClass;
    std::string text = "[GROUP]\nSIZE=" + std::to_string(classes) + "\n";
    for (int i = 0; i < classes; ++i)
        text += std::to_string(i) + "=Class " + std::to_string(i) + "\n";
    for (int i = 0; i < classes; ++i) {
        text += "[Class " + std::to_string(i) + "]\nSIZE=" + std::to_string(kFunctionsPerClass) + "\n";
        for (int j = 0; j < kFunctionsPerClass; ++j) {
            const int n = i * kFunctionsPerClass + j;
            text += std::to_string(j) + "=Function " + std::to_string(j) + ",-128,127,0,Target" +
                    std::to_string(n % kTargets) + " Target" + std::to_string((n + 1) % kTargets) + "\n";
        }
    }
    for (int t = 0; t < kTargets; ++t)
        text += "[Target" + std::to_string(t) + "]\nWRITE=3,S(1F),A,D\nREAD=3,S(1F),A,5,D\nD=READBYTE\n";
    return text;
}

void loadOrFail(benchmark::State& state, const std::optional<std::string>& bytes, bool expectOk) {
    for (auto _ : state) {
        varnu::Catalogue catalogue;
        if (static_cast<bool>(varnu::loadCatalogue(bytes, catalogue)) != expectOk)
            state.SkipWithError("unexpected load result");
        benchmark::DoNotOptimize(catalogue);
    }
}

void BM_LoadCatalogue(benchmark::State& state) {
    const std::optional<std::string> bytes = generateCatalogue(static_cast<int>(state.range(0)));
    loadOrFail(state, bytes, true);
    state.SetComplexityN(state.range(0));
    state.counters["bytes"] = static_cast<double>(bytes->size());
}
BENCHMARK(BM_LoadCatalogue)->Arg(1'000)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond)->Complexity();

// The most a damaged file can ask for before the limits refuse it: a million entries, all
// missing, as "NoGroup" classes or as "NoItem" functions of classes sharing one section.
void BM_LoadLargestAcceptedCounts(benchmark::State& state) {
    const std::string text =
        state.range(0) == 0 ? "[GROUP]\nSIZE=1000000\n" : "[GROUP]\nSIZE=1000\n[NoGroup]\nSIZE=999\n";
    loadOrFail(state, text, true);
}
BENCHMARK(BM_LoadLargestAcceptedCounts)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One entry more than allowed is refused at once.
void BM_RefuseHugeCount(benchmark::State& state) {
    loadOrFail(state, std::string("[GROUP]\nSIZE=4000000000\n"), false);
}
BENCHMARK(BM_RefuseHugeCount)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
