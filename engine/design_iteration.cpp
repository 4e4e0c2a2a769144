#include "engine/design_iteration.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "engine/dense_response.h"
#include "engine/filter_limits.h"
#include "engine/remez_exchange.h"
#include "engine/response.h"
#include "engine/response_analysis.h"

namespace ondela {

namespace {

constexpr double kMinWidth = 0.0001;
constexpr int kMaxAdjustments = 8;
constexpr int kMaxHalfBandRestarts = 50;
constexpr double kAlignPassLevel = 0.695;  // about -3.16 dB
// The pass-band ripple a half band is designed for, dB: a half band's pass-band ripple mirrors its
// stop band, so this value only enters the estimates of its transition width and length. It is
// not the ripple a half band is entered with (kHalfBandRipple).
constexpr double kHalfBandDesignRipple = 0.01;
// A filter allowed at most kShortFilterCoefs coefficients is designed for a ripple of at least
// kShortFilterMinRipple dB, whatever smaller ripple it asks for.
constexpr int kShortFilterCoefs = 140;
constexpr double kShortFilterMinRipple = 0.3;

int RoundHalfAway(double v) {
    return static_cast<int>(v >= 0.0 ? v + 0.5 : v - 0.5);
}

// One call of DesignFilter or DesignAtLength: the conditioned specification and the loop state.
class DesignRun {
  public:
    explicit DesignRun(DesignWork& work, const FilterSpec& request = FilterSpec{})
        : work_(work), spec_(request), coefs_(work.coefs.data()) {}

    DesignResult Run(HalfBandCorrection& correction);
    // The last design's bands again at length n (DesignEngine::DesignAtLength).
    DesignResult Lengthen(int n);

  private:
    enum class Stage { Restart, Estimate, Design, Align, Measure, Final };

    int RunLoop();
    int LengthenTo(int n);
    DesignResult Outcome(int status) const;

    int Condition();
    void PassParameters();
    bool EstimateLength();
    int DesignPass();
    int BuildBandTable();
    void AlignEdges();
    bool MeasureResponse();
    DesignBands LastBands() const;
    void RecordMeasurement();
    Stage Adjust(int attFlag, int rippleFlag);
    Stage CorrectHalfBand();
    int Finish();

    DesignWork& work_;
    HalfBandCorrection* halfBand_ = nullptr;  // the caller's, while Run designs
    FilterSpec spec_;
    double* coefs_;
    bool finished_ = false;  // a filter was produced (Finish ran)

    FilterSpec received_{};
    double rate_ = 1.0;                // sampling frequency designed for (1 when none was given)
    double enteredAttenuation_ = 0.0;  // a0: the attenuation asked for, before any correction
    int maxLength_ = 0;                // N: the longest length the entered maximum allows
    int status_ = 0;

    // Pass parameters (frequencies as fractions of rate_).
    double halfWidth_ = 0.0;     // w: half the width of a transition band
    double maxHalfWidth_ = 0.0;  // the widest half-width the bands leave room for
    double edge1_ = 0.0;         // the edges the bands are laid around
    double edge2_ = 0.0;
    bool lowClamp_ = false;
    bool highClamp_ = false;
    double deviationRatio_ =
        1.0;  // dp / ds: pass-band over stop-band deviation, the stop band's weight
    // D = log10(1 / (10 dp ds)): how demanding the targets are; the width and length estimates
    // scale with it.
    double difficulty_ = 0.0;

    // The transition bands of the last pass in Hz: lower and upper edge of the first, then of
    // the second (band types only).
    std::array<double, 4> transitionHz_{};

    // Loop state.
    int length_ = 0;              // n: the length of the current pass
    long long lastEstimate_ = 0;  // the last length estimate (first the entered maximum)
    bool measured_ = false;
    bool retried_ = false;
    int adjustCount_ = 0;
    bool fallback_ = false;
    bool shrunk_ = false;
    bool narrowed_ = false;
    double savedHalfWidth_ = 0.0;  // the pass before the last reduction
    int savedLength_ = 0;
    double measuredAttenuation_ = 100000.0;  // of the last measured pass, dB
    double measuredRipple_ = 0.0;
    int responsePoints_ = 0;  // points of the last measured pass's FFT response
    int halfBandRestarts_ = 0;
};

// Conditions the record. Returns 0, or the status of an early return.
int DesignRun::Condition() {
    received_ = spec_;
    // A specification that is not made of numbers cannot be designed or even checked.
    if (!std::isfinite(spec_.fs) || !std::isfinite(spec_.f1) || !std::isfinite(spec_.f2) ||
        !std::isfinite(spec_.attenuation) || !std::isfinite(spec_.ripple)) {
        return EDGES_INVALID;
    }
    rate_ = spec_.fs < 2.5e-16 ? 1.0 : spec_.fs;
    const double fN = rate_ / 2.0;
    if (spec_.f1 < 0.0 || spec_.f1 > fN) return EDGES_INVALID;
    if (HasTwoEdges(spec_.type) && (spec_.f1 > spec_.f2 || spec_.f2 > fN)) return EDGES_INVALID;

    spec_.bandwidth = 0.0;
    spec_.attenuation = std::fabs(spec_.attenuation);
    enteredAttenuation_ = spec_.attenuation;
    spec_.ripple = std::clamp(std::fabs(spec_.ripple), kMinRipple, kMaxRipple);
    if (spec_.type == HalfBand) {
        spec_.ripple = kHalfBandDesignRipple;
    } else if (received_.maxCoefs <= kShortFilterCoefs && spec_.ripple < kShortFilterMinRipple) {
        spec_.ripple = kShortFilterMinRipple;
    }

    const int odd = spec_.maxCoefs % 2 == 0 ? spec_.maxCoefs - 1 : spec_.maxCoefs;
    if (odd > kMaxDesignCoefs) spec_.maxCoefs = kMaxDesignCoefs;
    maxLength_ = LongestDesignLength(spec_.type, received_.maxCoefs);
    if (spec_.type == HalfBand) {
        if (maxLength_ == 0) return NOT_POSSIBLE;
        spec_.attenuation = 2.0 * spec_.attenuation - 60.0;
    }
    return 0;
}

void DesignRun::PassParameters() {
    const double dp = std::pow(10.0, spec_.ripple / 20.0) - 1.0;
    const double ds = std::pow(10.0, -spec_.attenuation / 20.0);
    edge1_ = spec_.f1 / rate_;
    edge2_ = spec_.f2 / rate_;
    difficulty_ = std::log10(1.0 / (10.0 * dp * ds));
    double w = difficulty_ / (3.0 * maxLength_);

    lowClamp_ = false;
    highClamp_ = false;
    if (edge1_ < w) {
        edge1_ = w / 2.0;
        lowClamp_ = true;
    }
    if (HasTwoEdges(spec_.type)) {
        if (0.5 - edge2_ < w) {
            edge2_ = 0.5 - w / 2.0;
            highClamp_ = true;
        }
    } else if (0.5 - edge1_ < w) {
        edge1_ = 0.5 - w;
        lowClamp_ = true;
    }
    w = std::max(w, kMinWidth);

    double band;
    switch (spec_.type) {
        case HighPass:
            band = 0.5 - edge1_;
            break;
        case BandPass:
        case BandStop:
            band = edge2_ - edge1_;
            break;
        default:
            band = edge1_;
            break;
    }
    const double k = maxLength_ < 32 ? 2.2 : maxLength_ < 80 ? 2.5 : maxLength_ < 256 ? 2.7 : 3.0;
    maxHalfWidth_ = std::min(0.05, band / k);
    halfWidth_ = std::min(w, maxHalfWidth_);
    deviationRatio_ = dp / ds;
}

// Chooses n for the next design; false when the estimate lies beyond what is allowed.
bool DesignRun::EstimateLength() {
    int n;
    if (spec_.type == HalfBand) {
        n = maxLength_;
    } else {
        const double nest = (2.0 / 3.0) * difficulty_ * (0.5 / halfWidth_);
        const double allowed = static_cast<double>(lastEstimate_ + lastEstimate_ / 2);
        if (!(allowed >= nest)) return false;  // NaN estimates are not possible either
        n = nest >= maxLength_ ? maxLength_ : nest < 3.0 ? 3 : RoundHalfAway(nest);
    }
    if (n % 2 == 0) n -= 1;
    if (n < kMinCoefs) n = kMinCoefs;  // a weak target still gets the shortest filter
    length_ = n;
    lastEstimate_ = n;
    return true;
}

int DesignRun::BuildBandTable() {
    const double w = halfWidth_;
    const double f = edge1_;
    const double g = edge2_;
    const double r = deviationRatio_;
    double* e = work_.edge.data();
    e[1] = 0.0;
    switch (spec_.type) {
        case LowPass:
        case HalfBand: {
            work_.nbands = 2;
            const bool clamp = lowClamp_ && spec_.type == LowPass;
            e[2] = clamp ? f - 2.0 * w : f - w;
            e[3] = clamp ? f : f + w;
            e[4] = 0.5;
            work_.fx[1] = 1.0;
            work_.fx[2] = 0.0;
            work_.wtx[1] = 1.0;
            work_.wtx[2] = spec_.type == HalfBand ? 1.0 : r;
            break;
        }
        case HighPass:
            work_.nbands = 2;
            e[2] = lowClamp_ ? f : f - w;
            e[3] = lowClamp_ ? f + 2.0 * w : f + w;
            e[4] = 0.5;
            work_.fx[1] = 0.0;
            work_.fx[2] = 1.0;
            work_.wtx[1] = r;
            work_.wtx[2] = 1.0;
            break;
        case BandPass:
        case BandStop: {
            work_.nbands = 3;
            e[2] = lowClamp_ ? f : f - w;
            e[3] = lowClamp_ ? f + 2.0 * w : f + w;
            e[4] = highClamp_ ? g - 2.0 * w : g - w;
            e[5] = highClamp_ ? g : g + w;
            e[6] = 0.5;
            const bool pass = spec_.type == BandPass;
            work_.fx[1] = pass ? 0.0 : 1.0;
            work_.fx[2] = pass ? 1.0 : 0.0;
            work_.fx[3] = work_.fx[1];
            work_.wtx[1] = pass ? r : 1.0;
            work_.wtx[2] = pass ? 1.0 : r;
            work_.wtx[3] = work_.wtx[1];
            break;
        }
        default:
            return TYPE_INVALID;
    }

    // Transition bands that cross the ends of the axis are shifted back, keeping their width.
    if (e[2] < 0.0) {
        e[3] -= e[2];
        e[2] = 0.0;
    } else if ((spec_.type == LowPass || spec_.type == HalfBand) && e[3] > 0.5) {
        e[2] -= e[3] - 0.5;
        e[3] = 0.5;
    }
    if (HasTwoEdges(spec_.type) && e[5] > 0.5) {
        e[4] -= e[5] - 0.5;
        e[5] = 0.5;
    }

    transitionHz_[0] = e[2] * rate_;
    transitionHz_[1] = e[3] * rate_;
    if (HasTwoEdges(spec_.type)) {
        transitionHz_[2] = e[4] * rate_;
        transitionHz_[3] = e[5] * rate_;
    }
    return 0;
}

// One design of length_ coefficients with the current half-width and edges, written to coefs_.
int DesignRun::DesignPass() {
    const int tableStatus = BuildBandTable();
    if (tableStatus != 0) return tableStatus;

    work_.nfcns = (length_ + 1) / 2;
    work_.nz = work_.nfcns + 1;
    int density = maxLength_ > 1000 ? 2 * kGridDensityStep : kGridDensityStep;
    int capacity = density * 2050;
    for (;;) {
        status_ = BuildGrid(work_, work_.nfcns, density, capacity);
        if (status_ != 0) return status_;
        // Passes on the finest grid, which no retry follows, start where the last one ended.
        if (capacity < kGridCapacity || !CarriedExtremals(work_)) InitialExtremals(work_);
        status_ = RemezExchange(work_);
        CarryExtremals(work_);
        // A pass that did not settle is tried once more on a finer grid.
        if (status_ != 0 && measured_ && capacity < kGridCapacity) {
            density += kGridDensityStep;
            capacity += kGridCapacityStep;
            continue;
        }
        break;
    }
    ImpulseFromCosines(work_);
    if (spec_.type == HalfBand) MakeHalfBandTaps(work_);
    WriteSymmetricCoefs(work_, coefs_);

    DesignTrace& trace = work_.trace;
    if (trace.passes < DesignTrace::kCapacity) {
        trace.pass[trace.passes] =
            DesignPassRecord{length_, halfWidth_, spec_.attenuation, false, 0.0, 0.0};
    }
    ++trace.passes;
    return 0;
}

// Shifts the edges once so that the first design crosses about -3 dB at the requested edges.
void DesignRun::AlignEdges() {
    // Trial points are spaced so that there are roughly 32768 per Nyquist band or more.
    const double c = rate_ / 2.0;
    double d;
    if (c < 32768.0) {
        double e = 1.0;
        do e *= 10.0;
        while (c * e < 32768.0);
        d = e / 10.0;
    } else if (c > 32768.0) {
        double e = 1.0;
        do e /= 10.0;
        while (c * e > 32768.0);
        d = 10.0 * e;
    } else {
        d = 10.0;
    }
    const double M = d * c;
    const double lm = M - 1.0;
    const int end = static_cast<int>(M);
    // The scans below step through i one point at a time in one direction and stop early; the
    // magnitudes are computed a few points ahead in that direction, several frequencies per pass
    // over the taps.
    constexpr int kAhead = 4;
    double ahead[kAhead];
    int aheadFirst = 0;
    int aheadStep = 0;  // 0: nothing computed yet
    auto mag = [&](int i, int step) {
        const int m = aheadStep == step ? (i - aheadFirst) * step : -1;
        if (m >= 0 && m < kAhead) return ahead[m];
        double x[kAhead];
        for (int k = 0; k < kAhead; ++k) x[k] = (i + k * step) / lm;
        MagnitudesAt(coefs_, length_, x, kAhead, ahead, FLT64);
        aheadFirst = i;
        aheadStep = step;
        return ahead[0];
    };

    double f1c = edge1_;
    double f2c = edge2_;
    const double h = 2.0 * f1c;
    const double g = 2.0 * f2c;
    double t = 0.0;
    double t2 = 0.0;
    switch (spec_.type) {
        case LowPass:
        case HalfBand: {
            int F = static_cast<int>(h * lm);
            for (int i = static_cast<int>(0.75 * h * lm); i < end; ++i) {
                const double m = mag(i, 1);
                if (m > kAlignPassLevel) F = i;
                if (m < 0.1) break;
            }
            t = F / lm;
            break;
        }
        case HighPass: {
            int F = static_cast<int>(h * lm);
            for (int i = std::min(end - 1, static_cast<int>(1.25 * h * lm)); i >= 0; --i) {
                const double m = mag(i, -1);
                if (m > kAlignPassLevel) F = i;
                if (m < 0.1) break;
            }
            t = F / lm;
            break;
        }
        case BandPass:
        case BandStop: {
            const bool pass = spec_.type == BandPass;
            auto taken = [&](double m) {
                return pass ? m > kAlignPassLevel : m <= kAlignPassLevel;
            };
            auto stops = [&](double m) { return pass ? m < 0.1 : m > 0.99; };
            const int mid = static_cast<int>(lm * (h + g) / 2.0);
            int v = mid;
            for (int i = mid; i >= 0; --i) {
                const double m = mag(i, -1);
                if (taken(m)) v = i;
                if (stops(m)) break;
            }
            int u = mid;
            for (int i = mid; i < end; ++i) {
                const double m = mag(i, 1);
                if (taken(m)) u = i;
                if (stops(m)) break;
            }
            t = v / lm;
            t2 = u / lm;
            break;
        }
        default:
            return;
    }
    // Move each edge by the distance between the requested edge and the measured crossing. The
    // result stays inside the axis: 0.001 of fs up to 0.99 of the Nyquist frequency.
    auto clampEdge = [](double v) { return std::clamp(v, 0.001, 0.495); };
    f1c = clampEdge(2.0 * f1c - t / 2.0);
    if (HasTwoEdges(spec_.type)) f2c = clampEdge(2.0 * f2c - t2 / 2.0);
    if (!lowClamp_) edge1_ = f1c;
    if (!highClamp_) edge2_ = f2c;
}

// Measures the current design on its FFT response into measuredAttenuation_ and measuredRipple_.
// False when the response holds no usable pass band or stop band.
bool DesignRun::MeasureResponse() {
    responsePoints_ = FftResponse(work_.h.data() + 1, work_.nfcns, length_, rate_,
                                  work_.fftBuffer.data(), work_.response.data());
    const int last = responsePoints_ - 1;
    const ResponsePoint* r = work_.response.data();
    auto f = [&](int k) { return r[k].frequency; };
    auto level = [&](int k) { return r[k].level; };
    measuredAttenuation_ = 100000.0;
    measuredRipple_ = 0.0;
    auto att = [&](int k) { measuredAttenuation_ = std::min(measuredAttenuation_, -level(k)); };
    auto rip = [&](int k) { measuredRipple_ = std::max(measuredRipple_, std::fabs(level(k))); };

    int k;
    switch (spec_.type) {
        case LowPass:
        case HalfBand:
            k = 2;
            if (last > 2) {
                for (; k < last && f(k + 1) < transitionHz_[0]; ++k) rip(k);
                while (k < last && f(k) <= transitionHz_[1]) ++k;
            }
            for (; k <= last; ++k) att(k);
            break;
        case BandPass:
            k = 2;
            if (last > 2) {
                for (; k < last && f(k + 1) < transitionHz_[0]; ++k) att(k);
                while (k < last && f(k) <= transitionHz_[1]) ++k;
                for (; k < last && f(k + 1) < transitionHz_[2]; ++k) rip(k);
                while (k < last && f(k - 1) <= transitionHz_[3]) ++k;
            }
            for (; k <= last; ++k) att(k);
            break;
        case HighPass:
            if (last < 2) return false;
            k = 1;
            for (; k < last && f(k) < transitionHz_[0]; ++k) att(k);
            if (k >= last) return false;
            while (k < last && f(k) <= transitionHz_[1]) ++k;
            if (k >= last) return false;
            for (; k < last; ++k) rip(k);
            break;
        case BandStop:
            if (last < 2) return false;
            k = 1;
            for (; k < last && f(k) < transitionHz_[0]; ++k) rip(k);
            while (k < last && f(k) <= transitionHz_[1]) ++k;
            for (; k < last && f(k) < transitionHz_[2]; ++k) att(k);
            while (k < last && f(k) <= transitionHz_[3]) ++k;
            for (; k < last; ++k) rip(k);
            break;
        default:
            return false;
    }
    if (measuredRipple_ <= 0.0 || measuredAttenuation_ >= 1000.0) return false;

    // The FFT samples are as far apart as the ripples of the longest filters, and a band with few
    // ripples may have none sampled at its peaks: check the values on the dense response of the
    // same bands, and take the dense ones where the samples did not see the truth.
    work_.dense.Evaluate(coefs_, length_, FLT64);
    double stopPeak;
    double passPeak;
    if (PeaksOverBands(work_.dense, LastBands(), PeakSearch::Samples, stopPeak, passPeak)) {
        if (!AttenuationSeen(measuredAttenuation_, -stopPeak)) measuredAttenuation_ = -stopPeak;
        if (passPeak > 0.0 && !RippleSeen(measuredRipple_, passPeak)) measuredRipple_ = passPeak;
    }
    return true;
}

DesignBands DesignRun::LastBands() const {
    DesignBands bands;
    bands.type = spec_.type;
    bands.fs = rate_;
    bands.edge[0] = transitionHz_[0];
    bands.edge[1] = transitionHz_[1];
    bands.edge[2] = transitionHz_[2];
    bands.edge[3] = transitionHz_[3];
    return bands;
}

void DesignRun::RecordMeasurement() {
    DesignTrace& trace = work_.trace;
    const int i = trace.passes - 1;
    if (i >= 0 && i < DesignTrace::kCapacity) {
        trace.pass[i].measured = true;
        trace.pass[i].attenuation = measuredAttenuation_;
        trace.pass[i].ripple = measuredRipple_;
    }
}

// The design missed or exceeded its targets: change n or w for the next pass.
DesignRun::Stage DesignRun::Adjust(int attFlag, int rippleFlag) {
    if (attFlag < 0 || rippleFlag < 0) {
        if ((shrunk_ || narrowed_) && savedHalfWidth_ != 0.0 && savedLength_ != 0) {
            // The last reduction went too far: rebuild the previous design as the result.
            halfWidth_ = savedHalfWidth_;
            length_ = savedLength_;
            fallback_ = true;
            return Stage::Design;
        }
        savedHalfWidth_ = halfWidth_;
        savedLength_ = length_;
        if (length_ < maxLength_) {
            length_ += std::max(2, 2 * (length_ / 40));
            if (length_ >= maxLength_) length_ = maxLength_;
        } else {
            if (halfWidth_ >= maxHalfWidth_) return Stage::Final;
            halfWidth_ = std::min(1.2 * halfWidth_, maxHalfWidth_);
        }
        ++adjustCount_;
        return Stage::Design;
    }

    savedHalfWidth_ = halfWidth_;
    savedLength_ = length_;
    status_ = 0;
    if (halfWidth_ > kMinWidth) {
        narrowed_ = true;
        halfWidth_ = std::max(0.95 * halfWidth_, kMinWidth);
        ++adjustCount_;
        return Stage::Design;
    }
    if (length_ <= (maxLength_ + 1) / 2 || length_ < 13) return Stage::Final;
    int step = (attFlag > 0 && rippleFlag > 0) ? length_ / 50 : length_ / 100;
    step = std::max(2, 2 * (step / 2));
    shrunk_ = true;
    length_ = std::max(length_ - step, 11);
    ++adjustCount_;
    return Stage::Design;
}

// Moves the internal attenuation target of a half band by most of the measured miss.
DesignRun::Stage DesignRun::CorrectHalfBand() {
    const bool tooLittle = measuredAttenuation_ < enteredAttenuation_ - 1.0;
    const double miss = tooLittle ? enteredAttenuation_ - measuredAttenuation_
                                  : measuredAttenuation_ - enteredAttenuation_;
    const double c = std::min(miss, 30.0);
    if (c > halfBand_->lastMissDb || ++halfBandRestarts_ > kMaxHalfBandRestarts) {
        status_ |= NOT_OPTIMIZED;
        return Stage::Final;
    }
    halfBand_->lastMissDb = c;
    if (tooLittle) {
        spec_.attenuation += 0.8 * c;
        if (spec_.attenuation > 180.0) {
            status_ |= NOT_OPTIMIZED;
            return Stage::Final;
        }
    } else {
        spec_.attenuation -= 0.8 * c;
        if (spec_.attenuation < 20.0) {
            status_ |= NOT_OPTIMIZED;
            return Stage::Final;
        }
    }
    return Stage::Restart;
}

int DesignRun::Finish() {
    // The result is measured over the bands of its last pass, which it was designed for.
    const DesignBands bands = LastBands();
    work_.finalPass =
        DesignWork::FinalPass{true,   spec_,  bands,           maxLength_, rate_,     halfWidth_,
                              edge1_, edge2_, deviationRatio_, lowClamp_,  highClamp_};
    FilterSpec s = spec_;
    s.numCoefs = length_;
    const int analysis = AnalyseResponse(s, coefs_, length_, FLT64, &bands);
    const bool halfBand = spec_.type == HalfBand;
    auto missed = [&](double att, double rip) {
        return AttenuationMissed(spec_.attenuation, att) ||
               (!halfBand && RippleMissed(spec_.ripple, rip));
    };
    if (analysis > 0) {
        if (missed(s.attenuation, s.ripple)) status_ |= SPEC_NOT_MET;
        spec_ = s;
    } else {
        // A response without a stop band to measure never counts as meeting the targets; its
        // values are then those measured over the bands it was designed for.
        if (missed(measuredAttenuation_, measuredRipple_) || analysis == kAnalysisNoStopBand)
            status_ |= SPEC_NOT_MET;
        spec_.numCoefs = length_;
        spec_.attenuation = measuredAttenuation_;
        spec_.ripple = measuredRipple_;
        // The transition width the last pass was designed for. Bands so narrow that the edge
        // clamps crossed them leave that width negative: no width is known then.
        spec_.bandwidth = std::max(0.0, spec_.fs * halfWidth_ * 1.4);
        spec_.f1 = 0.0;
        spec_.f2 = 0.0;
    }
    if ((status_ & SPEC_NOT_MET) == 0) status_ = 0;
    finished_ = true;
    return status_;
}

DesignResult DesignRun::Outcome(int status) const {
    DesignResult outcome;
    outcome.status = status;
    outcome.achieved = spec_;
    outcome.bands = work_.finalPass.valid ? work_.finalPass.bands : DesignBands{};
    if (finished_) {
        outcome.taps.assign(coefs_, coefs_ + spec_.numCoefs);
        outcome.response.assign(work_.response.begin(), work_.response.begin() + responsePoints_);
    }
    return outcome;
}

DesignResult DesignRun::Run(HalfBandCorrection& correction) {
    halfBand_ = &correction;
    const int status = RunLoop();
    halfBand_ = nullptr;
    return Outcome(status);
}

DesignResult DesignRun::Lengthen(int n) {
    return Outcome(LengthenTo(n));
}

int DesignRun::RunLoop() {
    work_.finalPass.valid = false;
    work_.trace.passes = 0;
    work_.carriedCount = 0;
    work_.trace.restarts = 0;
    const int early = Condition();
    if (early != 0) return early;
    lastEstimate_ = received_.maxCoefs;

    bool started = false;
    Stage stage = Stage::Restart;
    for (;;) {
        switch (stage) {
            case Stage::Restart:
                if (started) ++work_.trace.restarts;
                started = true;
                status_ = 0;
                adjustCount_ = 0;
                fallback_ = shrunk_ = narrowed_ = false;
                PassParameters();
                if (maxLength_ < 64 || retried_ || spec_.type == HalfBand) measured_ = true;
                stage = Stage::Estimate;
                break;

            case Stage::Estimate:
                if (!EstimateLength()) {
                    if (retried_) return status_ | NOT_POSSIBLE;
                    retried_ = true;
                    stage = Stage::Restart;
                    break;
                }
                savedLength_ = length_;
                stage = Stage::Design;
                break;

            case Stage::Design: {
                const int passStatus = DesignPass();
                if (passStatus == GRID_OVERFLOW || passStatus == TYPE_INVALID) return passStatus;
                stage = (spec_.type != HalfBand && !measured_) ? Stage::Align : Stage::Measure;
                break;
            }

            case Stage::Align:
                measured_ = true;
                AlignEdges();
                stage = Stage::Estimate;
                break;

            case Stage::Measure: {
                const bool usable = MeasureResponse();
                RecordMeasurement();
                if (!usable) {
                    if (retried_) return status_ | NOT_POSSIBLE;
                    spec_ = received_;  // the caller's values return
                    retried_ = true;
                    stage = Stage::Restart;
                    break;
                }
                if (adjustCount_ >= kMaxAdjustments || fallback_) {
                    stage = Stage::Final;
                    break;
                }
                int attFlag;
                int rippleFlag;
                if (spec_.type == HalfBand) {
                    attFlag = measuredAttenuation_ < enteredAttenuation_ - 1.0   ? -1
                              : measuredAttenuation_ > enteredAttenuation_ + 2.0 ? 1
                                                                                 : 0;
                    rippleFlag = 0;
                } else {
                    const double a = spec_.attenuation;
                    const double p = spec_.ripple;
                    attFlag = measuredAttenuation_ < a - 1.0   ? -1
                              : measuredAttenuation_ > a + 1.0 ? 1
                                                               : 0;
                    rippleFlag = measuredRipple_ > p + p / 10.0   ? -1
                                 : measuredRipple_ < p - p / 20.0 ? 1
                                                                  : 0;
                }
                if (attFlag == 0 && rippleFlag == 0) {
                    status_ = 0;
                    stage = Stage::Final;
                } else if (spec_.type == HalfBand) {
                    stage = CorrectHalfBand();
                } else {
                    stage = Adjust(attFlag, rippleFlag);
                }
                break;
            }

            case Stage::Final:
                return Finish();
        }
    }
}

int DesignRun::LengthenTo(int n) {
    const DesignWork::FinalPass last = work_.finalPass;
    if (!last.valid || n < kMinCoefs || n > kMaxDesignCoefs || n % 2 == 0 ||
        (last.record.type == HalfBand && n % 4 != 3)) {
        return NOT_POSSIBLE;
    }
    work_.trace.passes = 0;
    work_.trace.restarts = 0;
    spec_ = last.record;
    maxLength_ = last.maxLength;
    rate_ = last.rate;
    enteredAttenuation_ = spec_.attenuation;
    halfWidth_ = last.halfWidth;
    maxHalfWidth_ = last.halfWidth;
    edge1_ = last.edge1;
    edge2_ = last.edge2;
    deviationRatio_ = last.ratio;
    lowClamp_ = last.lowClamp;
    highClamp_ = last.highClamp;
    length_ = n;
    measured_ = true;  // a pass that does not settle is tried again on a finer grid
    const int passStatus = DesignPass();
    if (passStatus == GRID_OVERFLOW || passStatus == TYPE_INVALID) return passStatus;
    if (!MeasureResponse()) {
        // The longer design has no band to measure: give it back as the loop would, measured by
        // the final analysis alone.
        measuredAttenuation_ = 0.0;
        measuredRipple_ = 0.0;
    }
    RecordMeasurement();
    return Finish();
}

}  // namespace

int LongestDesignLength(FilterType type, int maxCoefs) {
    int n = maxCoefs % 2 == 0 ? maxCoefs - 1 : maxCoefs;
    if (n > kMaxDesignCoefs) n = kMaxDesignCoefs;
    if (type == HalfBand) {
        // Half-band lengths are 3 modulo 4: 3, 7, 11, ...
        for (int m = n - 1;; m -= 2) {
            if (m >= 2 && m % 4 == 2) return m + 1;
            if (m < 6) return 0;
        }
    }
    return n < kMinCoefs ? kMinCoefs : n;
}

int NextDesignLength(FilterType type, int n) {
    return type == HalfBand ? n + 4 : n + 2;
}

DesignResult LengthenDesign(DesignWork& work, int n) {
    DesignRun run(work);
    return run.Lengthen(n);
}

DesignResult RunDesign(DesignWork& work, HalfBandCorrection& correction,
                        const FilterSpec& request) {
    DesignRun run(work, request);
    return run.Run(correction);
}

}  // namespace ondela
