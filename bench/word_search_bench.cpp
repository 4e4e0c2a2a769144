// Speed and gain of the word search: equiripple filters of 35 to 255 taps searched at 8 to 22
// bits. The counters give the weighted error of rounding's words and of the words found, and
// the gain in dB; each case runs once per repetition.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "engine/design_engine.h"
#include "export/fixed_point.h"
#include "export/word_search.h"

namespace ondela {
namespace {

struct Case {
    int taps;
    int wordBits;
    std::vector<ExchangeBand> bands;
};

const std::vector<ExchangeBand> kLowPass = {{0.0, 0.2, 1.0, 1.0}, {0.25, 0.5, 0.0, 1.0}};
const std::vector<ExchangeBand> kNarrow = {{0.0, 0.1, 1.0, 1.0}, {0.125, 0.5, 0.0, 1.0}};
const std::vector<ExchangeBand> kSharp = {{0.0, 0.1, 1.0, 1.0}, {0.104, 0.5, 0.0, 1.0}};
const std::vector<ExchangeBand> kBandStop = {
    {0.0, 0.15, 1.0, 1.0}, {0.2, 0.3, 0.0, 10.0}, {0.35, 0.5, 1.0, 1.0}};

const std::vector<Case> kCases = {
    {35, 8, kLowPass},  {35, 10, kLowPass}, {45, 10, kLowPass},  {45, 12, kLowPass},
    {125, 16, kNarrow}, {125, 22, kNarrow}, {63, 12, kBandStop}, {255, 16, kNarrow},
    {383, 14, kSharp},  {511, 14, kSharp},  {1023, 16, kSharp},
};

void BM_SearchWords(benchmark::State& state) {
    const Case& c = kCases[state.range(0)];
    DesignEngine engine;
    std::vector<double> taps(kCoefArraySize, 0.0);
    engine.DesignFixedLength(c.taps, c.bands.data(), static_cast<int>(c.bands.size()), 16,
                             taps.data());
    taps.resize(c.taps);
    std::vector<WordBand> bands;
    for (const ExchangeBand& b : c.bands) bands.push_back({b.lower, b.upper, b.desired, b.weight});
    const int frac = LargestFracBits(taps, c.wordBits, Rounding::Nearest);
    WordSearchResult r;
    for (auto _ : state) {
        r = SearchWords(taps, bands, c.wordBits, frac);
        benchmark::DoNotOptimize(r.values.data());
    }
    state.counters["taps"] = c.taps;
    state.counters["bits"] = c.wordBits;
    state.counters["rounded"] = r.roundedDeviation;
    state.counters["found"] = r.deviation;
    state.counters["gain_dB"] = 20.0 * std::log10(r.roundedDeviation / r.deviation);
    state.counters["method"] = static_cast<int>(r.method);
}
BENCHMARK(BM_SearchWords)
    ->DenseRange(0, static_cast<int>(kCases.size()) - 1)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ondela

BENCHMARK_MAIN();
