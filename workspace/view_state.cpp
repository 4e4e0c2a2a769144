#include "workspace/view_state.h"

#include <algorithm>

#include "workspace/display_numbers.h"

namespace ondela {

double ViewState::CursorForFilter(const FilterSpec& spec) {
    if (HasTwoEdges(spec.type)) return (spec.f1 + spec.f2) / 2.0;
    return spec.f1 > 0.0 ? spec.f1 : spec.f2;
}

double ViewState::LinearCap() const {
    return NiceCeil(nyquist);
}

double ViewState::LogCap() const {
    return NiceCeil(2.0 * nyquist);
}

void ViewState::ResetRange() {
    linFMax = LinearCap();
    linFMin = 0.0;
    logFMax = LogCap();
    logFMin = LogMinFor(logFMax);
}

bool ViewState::KeepsRange(bool rateChanged) const {
    return keepLimits == 1 && !rateChanged && linFMax <= nyquist && logFMax <= 2.0 * nyquist;
}

void ViewState::RoundRange() {
    linFMax = NiceCeil(linFMax);
    logFMax = NiceCeil(logFMax);
    linFMin = NiceCeil(linFMin);
    logFMin = NiceCeil(logFMin);
}

void ViewState::CapMaxima() {
    linFMax = std::min(linFMax, LinearCap());
    logFMax = std::min(logFMax, LogCap());
}

bool ViewState::FollowLogMax() {
    const double min = LogMinFor(logFMax);
    if (logFMin == min) return false;
    logFMin = min;
    return true;
}

bool ViewState::FitUpperLimit(double& fitted) const {
    if (!(nyquist > 0.0)) return false;
    if (logScale) {
        if (!(2.0 * nyquist < logFMax)) return false;
        fitted = LogCap();
    } else {
        if (!(linFMax > nyquist)) return false;
        fitted = LinearCap();
    }
    return true;
}

double ViewState::TypedLinearMin(double hz) const {
    return hz < kSmallestShown || hz < linFMax / 1000.0 ? 0.0 : hz;
}

double ViewState::TypedUpperLimit(double hz) {
    return std::max(hz, kLowestUpperLimit);
}

double ViewState::CursorWithinRate(double hz, double fs) {
    double v = std::max(hz, 0.0);
    if (fs > 0.0 && v > fs / 2.0) v = fs / 2.0;
    return v;
}

double ViewState::CursorWithinRange(double hz) const {
    return std::max(std::max(hz, 0.0), LowerLimit());
}

}  // namespace ondela
