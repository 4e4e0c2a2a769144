// Speed of the design engine: whole designs through DesignFilter and single fixed-length
// exchanges. Long cases run once per repetition; use --benchmark_repetitions for medians.
#include <benchmark/benchmark.h>

#include <vector>

#include "engine/design_engine.h"

namespace ondela {
namespace {

FilterSpec LowPassSpec(int maxCoefs) {
    FilterSpec s;
    s.type = LowPass;
    s.fs = 48000.0;
    s.f1 = 6000.0;
    s.attenuation = 80.0;
    s.ripple = 0.1;
    s.maxCoefs = maxCoefs;
    return s;
}

void BM_DesignLowPass(benchmark::State& state) {
    DesignEngine engine;
    HalfBandCorrection halfBand;
    int n = 0;
    for (auto _ : state) {
        const DesignResult d =
            engine.DesignFilter(LowPassSpec(static_cast<int>(state.range(0))), halfBand);
        benchmark::DoNotOptimize(d.taps.data());
        n = d.achieved.numCoefs;
    }
    state.counters["taps"] = n;
    state.counters["passes"] = engine.LastTrace().passes;
}
BENCHMARK(BM_DesignLowPass)->Arg(127)->Arg(511)->Arg(1023)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DesignLowPass)->Arg(4095)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_DesignHalfBand(benchmark::State& state) {
    DesignEngine engine;
    for (auto _ : state) {
        // Every round the same design: a half-band memory of its own.
        HalfBandCorrection halfBand;
        FilterSpec spec;
        spec.type = HalfBand;
        spec.fs = 48000.0;
        spec.f1 = 12000.0;
        spec.attenuation = 60.0;
        spec.ripple = 0.1;
        spec.maxCoefs = 255;
        benchmark::DoNotOptimize(engine.DesignFilter(spec, halfBand).taps.data());
    }
    state.counters["passes"] = engine.LastTrace().passes;
}
BENCHMARK(BM_DesignHalfBand)->Unit(benchmark::kMillisecond);

void BM_FixedLengthExchange(benchmark::State& state) {
    DesignEngine engine;
    const int taps = static_cast<int>(state.range(0));
    std::vector<double> coefs(kCoefArraySize);
    const ExchangeBand bands[] = {{0.0, 0.1, 1.0, 1.0}, {0.12, 0.5, 0.0, 10.0}};
    for (auto _ : state) {
        benchmark::DoNotOptimize(engine.DesignFixedLength(taps, bands, 2, 16, coefs.data()));
    }
}
BENCHMARK(BM_FixedLengthExchange)->Arg(255)->Arg(1023)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FixedLengthExchange)
    ->Arg(2047)
    ->Arg(4095)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// The low pass used to compare the exchange with other implementations: pass band 0 to 0.1,
// stop band from 0.1 + 4/n to 0.5, weights 1 and 10, with the given grid density (points per
// cosine term). bench/compare_remez.sh runs the same design through scipy and liquid-dsp.
void BM_RemezLowPass(benchmark::State& state) {
    DesignEngine engine;
    const int taps = static_cast<int>(state.range(0));
    const int density = static_cast<int>(state.range(1));
    std::vector<double> coefs(kCoefArraySize);
    const ExchangeBand bands[] = {{0.0, 0.1, 1.0, 1.0}, {0.1 + 4.0 / taps, 0.5, 0.0, 10.0}};
    int status = 0;
    for (auto _ : state) {
        status = engine.DesignFixedLength(taps, bands, 2, density, coefs.data()).status;
        benchmark::DoNotOptimize(coefs.data());
    }
    state.counters["status"] = status;
}
// Density 16 (scipy's default), and 20 up to 1001 taps and 40 above (the designer's own grids).
BENCHMARK(BM_RemezLowPass)
    ->Args({255, 16})
    ->Args({1023, 16})
    ->Args({2047, 16})
    ->Args({4095, 16})
    ->Args({255, 20})
    ->Args({1023, 40})
    ->Args({2047, 40})
    ->Args({4095, 40})
    ->Unit(benchmark::kMillisecond);

// A whole low-pass design up to the longest length: fs 48000 Hz, edge 10000 Hz, 80 dB, 0.1 dB.
void BM_DesignLowPassLongest(benchmark::State& state) {
    DesignEngine engine;
    HalfBandCorrection halfBand;
    int n = 0;
    for (auto _ : state) {
        FilterSpec spec = LowPassSpec(4095);
        spec.f1 = 10000.0;
        const DesignResult d = engine.DesignFilter(spec, halfBand);
        benchmark::DoNotOptimize(d.taps.data());
        n = d.achieved.numCoefs;
    }
    state.counters["taps"] = n;
    state.counters["passes"] = engine.LastTrace().passes;
}
BENCHMARK(BM_DesignLowPassLongest)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ondela

BENCHMARK_MAIN();
