#include "engine/design_engine.h"

#include <cmath>

#include "engine/design_iteration.h"
#include "engine/design_work.h"
#include "engine/remez_exchange.h"

namespace ondela {

DesignEngine::DesignEngine() : work_(std::make_unique<DesignWork>()) {}

DesignEngine::~DesignEngine() = default;

DesignResult DesignEngine::DesignFilter(const FilterSpec& request,
                                         HalfBandCorrection& correction) {
    return RunDesign(*work_, correction, request);
}

DesignResult DesignEngine::DesignAtLength(int n) {
    return LengthenDesign(*work_, n);
}

namespace {

bool UsableBands(const ExchangeBand* bands, int bandCount) {
    if (bands == nullptr || bandCount < 1 || bandCount > kMaxExchangeBands) return false;
    double previousUpper = -1.0;
    for (int i = 0; i < bandCount; ++i) {
        const ExchangeBand& b = bands[i];
        if (!std::isfinite(b.lower) || !std::isfinite(b.upper) || !std::isfinite(b.desired) ||
            !std::isfinite(b.weight)) {
            return false;
        }
        if (b.lower < 0.0 || b.upper > 0.5 || b.lower > b.upper || b.lower <= previousUpper) {
            return false;
        }
        if (!(b.weight > 0.0)) return false;
        previousUpper = b.upper;
    }
    return true;
}

}  // namespace

FixedLengthResult DesignEngine::DesignFixedLength(int taps, const ExchangeBand* bands,
                                                  int bandCount, int density, double* coefs) {
    FixedLengthResult result;
    work_->nz = 0;  // no reference set until an exchange has run
    if (taps < kMinCoefs || taps > kMaxDesignCoefs || taps % 2 == 0 || density < 1 ||
        density > kMaxGridDensity || coefs == nullptr || !UsableBands(bands, bandCount)) {
        result.status = EDGES_INVALID;
        return result;
    }
    DesignWork& w = *work_;
    w.nbands = bandCount;
    for (int l = 1; l <= bandCount; ++l) {
        const ExchangeBand& b = bands[l - 1];
        w.edge[2 * l - 1] = b.lower;
        w.edge[2 * l] = b.upper;
        w.fx[l] = b.desired;
        w.wtx[l] = b.weight;
    }
    w.nfcns = (taps + 1) / 2;
    w.nz = w.nfcns + 1;
    const int status = BuildGrid(w, w.nfcns, density, density * 2050);
    if (status != 0) {
        w.nz = 0;
        result.status = status;
        return result;
    }
    InitialExtremals(w);
    result.status = RemezExchange(w);
    ImpulseFromCosines(w);
    WriteSymmetricCoefs(w, coefs);
    result.deviation = w.dev;
    return result;
}

const DesignTrace& DesignEngine::LastTrace() const {
    return work_->trace;
}

int DesignEngine::ExtremalFrequencies(double* out) const {
    const DesignWork& w = *work_;
    for (int j = 1; j <= w.nz; ++j) out[j - 1] = w.grid[w.iext[j]];
    return w.nz;
}

}  // namespace ondela
