// Speed of one full paint of both plots: frames, labels, the response curve evaluated at every
// pixel column from the quantised coefficients, and the coefficient polyline. Dragging the
// cursor repaints at every pointer move, so this is the time a move costs.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <cmath>
#include <numbers>

#include "engine/filter_spec.h"
#include "ui/plot/response_plot.h"
#include "workspace/filter_workspace.h"

namespace ondela {
namespace {

// A windowed-sinc low pass of n coefficients held as a designed filter, with the display limits
// a Create sets and the cursor in the pass band. A paint costs the same for any coefficients.
void LoadLowPass(FilterWorkspace& ws, int n, int format) {
    const double fs = 48000.0;
    const double fc = 6000.0;
    const double m = (n - 1) / 2.0;
    ws.m_current.taps.assign(static_cast<std::size_t>(n), 0.0);
    for (int k = 0; k < n; ++k) {
        const double t = k - m;
        const double sinc =
            t == 0.0 ? 2.0 * fc / fs
                     : std::sin(2.0 * std::numbers::pi * fc / fs * t) / (std::numbers::pi * t);
        const double a = 2.0 * std::numbers::pi * k / (n - 1);
        ws.m_current.taps[static_cast<std::size_t>(k)] =
            sinc * (0.42 - 0.5 * std::cos(a) + 0.08 * std::cos(2.0 * a));
    }
    ws.m_current.achieved.fs = fs;
    ws.m_current.achieved.numCoefs = n;
    ws.m_current.request = ws.m_current.achieved;
    ws.m_current.valid = true;
    ws.m_current.format = static_cast<CoefFormat>(format);
    ws.m_view.nyquist = fs / 2.0;
    ws.m_view.linFMax = 30000.0;
    ws.m_view.logFMax = 50000.0;
    ws.m_view.logFMin = 50.0;
}

// Arguments: number of coefficients, coefficient format, logarithmic scale.
void BM_PaintPlots(benchmark::State& state) {
    FilterWorkspace ws;
    LoadLowPass(ws, static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    ws.m_view.logScale = static_cast<int>(state.range(2));
    ResponsePlot plot(ws);
    plot.m_cursorHz = 3000.0;
    for (auto _ : state) {
        plot.PaintPlots(true);
        benchmark::DoNotOptimize(plot.ResponseImage().constBits());
    }
}
BENCHMARK(BM_PaintPlots)
    ->Args({4095, FLT64, 0})
    ->Args({4095, INT16, 0})
    ->Args({4095, FLT64, 1})
    ->Args({127, FLT64, 0})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ondela

// The plots need a QGuiApplication for their font; the offscreen platform needs no display.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
