// Create with "meet the targets in the chosen format": a design that meets its attenuation and
// ripple in double precision can miss them once its coefficients are rounded to 16 bits or a
// shorter word. The search below tries, in this order, until the rounded coefficients meet the
// targets:
//  1. the same bands at longer lengths, up to the longest the maximum allows (the shortest that
//     meets them is kept);
//  2. at the longest length, the filter asked for designed for more attenuation (or less ripple)
//     than asked, by what the rounding took away: the design loop then widens the transition;
//  3. fewer coefficients (each as entered, else raised once): the rounding noise of a long filter
//  adds up over its many small
//     coefficients and can lie above the stop band, whatever the design; the longest shorter
//     design that meets the targets is kept.
// When none does, the closest is kept and a message says what would: a finer format, a longer
// word, or about how many coefficients.
#include <algorithm>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/design_engine.h"
#include "numbers/number_text.h"
#include "settings/filter_limits.h"
#include "workspace/filter_workspace.h"

namespace ondela {

namespace {

// Designs for a raised target, and the margin it is raised by beyond what the rounding took.
constexpr int kTargetRaises = 6;
constexpr double kRaiseMargin = 0.5;

// One design of the search and what it achieves, in double precision and in the chosen format.
struct Trial {
    int n = 0;
    int status = NOT_POSSIBLE;
    FilterSpec designed{};  // the engine's record: the values in double precision
    FilterSpec rounded{};   // the values in the chosen format
    bool meets = false;     // the rounded values meet the entered targets
    std::vector<double> coefs;
    std::vector<ResponsePoint> response;
    DesignBands bands;  // the bands it was designed for, over which it is measured

    // Whether the engine left a usable coefficient set.
    bool Usable() const { return (status & ~SPEC_NOT_MET) == 0 && n >= 3; }
};

// The window's caption of a coefficient format.
const char* FormatCaption(int fmt) {
    switch (fmt) {
        case FLT32:
            return "Float 32 bits";
        case INT32:
            return "Integer 32";
        case INT16:
            return "Integer 16";
        default:
            return "Float 64 bits";
    }
}

std::string WordCaption(int wordBits) {
    return FormatText("%d-bit words", wordBits);
}

class MeetSearch {
  public:
    explicit MeetSearch(FilterWorkspace& ws)
        : ws_(ws),
          entered_(ws.m_spec),
          halfBand_(ws.m_spec.type == HalfBand),
          unit_(NextDesignLength(ws.m_spec.type, 0)),
          longest_(LongestDesignLength(ws.m_spec.type, ws.m_spec.maxCoefs)) {}

    // True when a message said that the targets are missed.
    bool Run();

  private:
    // The values of coefs in a format (a word when given) into into; whether they meet the
    // entered targets. Measured over the bands the workspace holds (those of the last design).
    bool Measure(const Trial& t, FilterSpec& into, const std::optional<FixedPointRequest>& word,
                 int fmt);
    bool Meets(const FilterSpec& s) const {
        return !AttenuationMissed(entered_.attenuation, s.attenuation) &&
               (halfBand_ || !RippleMissed(entered_.ripple, s.ripple));
    }
    // How far values lie from the targets: dB of attenuation short, plus ten times the dB of
    // ripple over (a tenth of a dB of ripple weighs as one dB of attenuation).
    double Shortfall(const FilterSpec& s) const {
        double miss = std::max(0.0, entered_.attenuation - 1.0 - s.attenuation);
        if (!halfBand_) miss += 10.0 * std::max(0.0, s.ripple - 1.1 * entered_.ripple);
        return miss;
    }

    Trial Current();
    // The last design's bands at length n, or the filter asked for designed afresh.
    Trial DesignAt(int n);
    Trial DesignFor(const FilterSpec& asked);
    // One engine call for asked (design fills the record, the coefficients and the response).
    template <typename EngineCall>
    Trial Design(const FilterSpec& asked, EngineCall design);
    Trial Finish(Trial t);
    // Keeps t as closest when it comes nearer the targets.
    void Consider(const Trial& t) {
        if (t.Usable() && Shortfall(t.rounded) < Shortfall(closest_.rounded)) closest_ = t;
    }

    std::optional<Trial> Lengthen(Trial& longestTried);
    std::optional<Trial> RaiseTargets(const Trial& from);
    std::optional<Trial> Shorten();
    std::optional<Trial> MeetWithin(int maxCoefs);
    void Adopt(const Trial& t);
    std::string FinerFormat(const Trial& t);
    std::optional<int> EnoughCoefs(int from);

    FilterWorkspace& ws_;
    const FilterSpec entered_;
    const bool halfBand_;
    const int unit_;     // the step between lengths of the type
    const int longest_;  // the longest length the maximum allows
    Trial closest_;
};

bool MeetSearch::Measure(const Trial& t, FilterSpec& into,
                         const std::optional<FixedPointRequest>& word, int fmt) {
    bool noStopBand;
    if (word) {
        const std::span<const double> taps(t.coefs.data(), static_cast<std::size_t>(t.n));
        if (!CoefficientProblem(taps).empty()) return false;
        const std::vector<double> values = QuantisedValues(Quantise(taps, *word));
        noStopBand = ws_.MeasureCoefs(into, values.data(), t.n, FLT64);
    } else {
        noStopBand = ws_.MeasureCoefs(into, t.coefs.data(), t.n, fmt);
    }
    return !noStopBand && Meets(into);
}

Trial MeetSearch::Finish(Trial t) {
    t.bands = ws_.m_designBands;
    if (!t.Usable()) return t;
    t.coefs.resize(static_cast<std::size_t>(t.n));
    t.rounded = t.designed;
    t.meets = Measure(t, t.rounded, ws_.m_meetWord, ws_.m_coefFormat);
    return t;
}

Trial MeetSearch::Current() {
    Trial t;
    t.n = ws_.m_specWork.numCoefs;
    t.status = 0;
    t.designed = ws_.m_specWork;
    t.coefs.assign(ws_.m_coefs.begin(), ws_.m_coefs.begin() + std::clamp(t.n, 0, kCoefArraySize));
    t.response.assign(
        ws_.m_response.begin(),
        ws_.m_response.begin() + std::clamp(ws_.m_responseCount, 0, kResponseArraySize));
    return Finish(std::move(t));
}

template <typename EngineCall>
Trial MeetSearch::Design(const FilterSpec& asked, EngineCall design) {
    Trial t;
    t.designed = asked;
    t.coefs.assign(kCoefArraySize, 0.0);
    t.response.assign(kResponseArraySize, ResponsePoint{});
    int count = 0;
    t.status = design(t.designed, t.coefs.data(), t.response.data(), &count);
    t.n = t.designed.numCoefs;
    t.response.resize(static_cast<std::size_t>(std::clamp(count, 0, kResponseArraySize)));
    return Finish(std::move(t));
}

Trial MeetSearch::DesignAt(int n) {
    return Design(entered_,
                  [&](FilterSpec& record, double* coefs, ResponsePoint* response, int* count) {
                      return ws_.m_designAtLength(record, n, coefs, response, count);
                  });
}

Trial MeetSearch::DesignFor(const FilterSpec& asked) {
    return Design(asked, ws_.m_designFilter);
}

// Stage 1: longer designs of the same bands, in steps of about 2.5 % as the design loop
// lengthens a filter, then the shortest between the last that missed and the first that met
// (assuming more length never hurts, which holds but for the rounding's small noise).
std::optional<Trial> MeetSearch::Lengthen(Trial& longestTried) {
    int missedAt = longestTried.n;
    std::optional<Trial> met;
    for (int n = missedAt; n < longest_ && !met;) {
        n = std::min(n + std::max(1, n / 40) * unit_, longest_);
        Trial t = DesignAt(n);
        if (!t.Usable()) break;
        if (t.meets) {
            met = std::move(t);
        } else {
            missedAt = n;
            Consider(t);
            longestTried = std::move(t);
        }
    }
    if (!met) return std::nullopt;
    while (met->n - missedAt > unit_) {
        const int middle = missedAt + unit_ * ((met->n - missedAt) / unit_ / 2);
        Trial t = DesignAt(middle);
        if (t.Usable() && t.meets) {
            met = std::move(t);
        } else {
            missedAt = middle;
        }
    }
    return met;
}

// Stage 2: the filter asked for, designed for what the rounding took away and a margin, a few
// times.
std::optional<Trial> MeetSearch::RaiseTargets(const Trial& from) {
    FilterSpec asked = entered_;
    FilterSpec reached = from.rounded;
    for (int attempt = 0; attempt < kTargetRaises; ++attempt) {
        if (AttenuationMissed(entered_.attenuation, reached.attenuation)) {
            asked.attenuation += entered_.attenuation - reached.attenuation + kRaiseMargin;
        }
        if (!halfBand_ && RippleMissed(entered_.ripple, reached.ripple) && reached.ripple > 0.0) {
            asked.ripple = std::max(kMinRipple, asked.ripple * entered_.ripple / reached.ripple);
        }
        if (asked.attenuation > 2.0 * kMaxAttenuation) break;
        Trial t = DesignFor(asked);
        if (!t.Usable()) break;
        if (t.meets) return t;
        Consider(t);
        // A rounded stop band that no longer follows the design's sits at the format's noise.
        const bool futile = t.rounded.attenuation < reached.attenuation + kRaiseMargin &&
                            !RippleMissed(entered_.ripple, t.rounded.ripple);
        reached = t.rounded;
        if (futile) break;
    }
    return std::nullopt;
}

// A design of at most maxCoefs coefficients that meets the targets in the format: as entered,
// else raised once by what the rounding took away. A shorter design that misses is never kept:
// its transition is wider than the user's maximum asked for.
std::optional<Trial> MeetSearch::MeetWithin(int maxCoefs) {
    FilterSpec asked = entered_;
    asked.maxCoefs = maxCoefs;
    Trial t = DesignFor(asked);
    if (!t.Usable()) return std::nullopt;
    if (t.meets) return t;
    if (AttenuationMissed(entered_.attenuation, t.rounded.attenuation)) {
        asked.attenuation += entered_.attenuation - t.rounded.attenuation + kRaiseMargin;
    }
    if (!halfBand_ && RippleMissed(entered_.ripple, t.rounded.ripple) && t.rounded.ripple > 0.0) {
        asked.ripple = std::max(kMinRipple, asked.ripple * entered_.ripple / t.rounded.ripple);
    }
    Trial raised = DesignFor(asked);
    if (!raised.Usable()) return std::nullopt;
    if (raised.meets) return raised;
    return std::nullopt;
}

// Stage 3: the maximum halved until a design meets the targets, then the longest that does.
std::optional<Trial> MeetSearch::Shorten() {
    int missedCount = longest_;
    for (int k = longest_ / 2; k >= 3; k /= 2) {
        std::optional<Trial> met = MeetWithin(k);
        if (!met) {
            missedCount = k;
            continue;
        }
        int metCount = k;
        while (missedCount - metCount > std::max(2, metCount / 20)) {
            const int middle = (metCount + missedCount) / 2;
            if (std::optional<Trial> t = MeetWithin(middle)) {
                metCount = middle;
                met = std::move(t);
            } else {
                missedCount = middle;
            }
        }
        return met;
    }
    return std::nullopt;
}

void MeetSearch::Adopt(const Trial& t) {
    ws_.m_coefs.fill(0.0);
    std::copy(t.coefs.begin(), t.coefs.end(), ws_.m_coefs.begin());
    ws_.m_specWork = t.designed;
    std::copy(t.response.begin(), t.response.end(), ws_.m_response.begin());
    ws_.m_responseCount = static_cast<int32_t>(t.response.size());
    ws_.m_designBands = t.bands;
}

// The first finer format (or word) in which the adopted design meets the targets; empty when
// none does.
std::string MeetSearch::FinerFormat(const Trial& t) {
    if (const auto& word = ws_.m_meetWord) {
        for (int w = word->wordBits + 1; w <= kMaxWordBits; ++w) {
            FixedPointRequest wider = *word;
            wider.wordBits = w;
            wider.fracBits.reset();
            FilterSpec s = t.designed;
            if (Measure(t, s, wider, FLT64)) return WordCaption(w);
        }
        return {};
    }
    for (const int fmt : {INT32, FLT32, FLT64}) {
        if (fmt == ws_.m_coefFormat) continue;
        FilterSpec s = t.designed;
        if (Measure(t, s, std::nullopt, fmt)) return FormatCaption(fmt);
    }
    return {};
}

// About how many coefficients the last design's bands need to meet the targets in the format,
// beyond the maximum; none when not even the longest filter does.
std::optional<int> MeetSearch::EnoughCoefs(int from) {
    const int top = LongestDesignLength(entered_.type, kMaxDesignCoefs);
    for (int n = from; n < top;) {
        n = std::min(n + std::max(unit_, unit_ * (n / (8 * unit_))), top);
        const Trial t = DesignAt(n);
        if (!t.Usable()) break;
        if (t.meets) return n;
    }
    return std::nullopt;
}

bool MeetSearch::Run() {
    Trial current = Current();
    if (!current.Usable() || current.meets) return false;
    closest_ = current;

    Trial longestTried = current;
    std::optional<Trial> met = Lengthen(longestTried);
    std::string advice;
    if (!met && !Meets(longestTried.designed)) {
        // Even unrounded, the longest design misses them: only more coefficients would do.
        const std::optional<int> enough = EnoughCoefs(longestTried.n);
        advice = enough ? FormatText(
                              " About %d coefficients would meet them: raise the maximum "
                              "number of coefficients.",
                              *enough)
                        : FormatText(" Not even %d coefficients meet them in this format.",
                                     LongestDesignLength(entered_.type, kMaxDesignCoefs));
    } else if (!met) {
        met = RaiseTargets(longestTried);
        if (!met) met = Shorten();
    }
    if (met) {
        Adopt(*met);
        return false;
    }

    // None within the maximum: keep the closest and say what would do.
    Adopt(closest_);
    if (advice.empty()) {
        const std::string finer = FinerFormat(closest_);
        advice = finer.empty()
                     ? " The rounding to this format is the limit: lower the attenuation."
                     : " The rounding to this format is the limit; " + finer + " would meet them.";
    }
    const FilterSpec& r = closest_.rounded;
    const std::string reached =
        AttenuationMissed(entered_.attenuation, r.attenuation)
            ? FormatText("a stop band of %.1f dB (%.1f dB asked for)", r.attenuation,
                         entered_.attenuation)
            : FormatText("a ripple of %.3f dB (%.3f dB asked for)", r.ripple, entered_.ripple);
    const std::string format =
        ws_.m_meetWord ? WordCaption(ws_.m_meetWord->wordBits) : FormatCaption(ws_.m_coefFormat);
    ws_.ShowMessage(FormatText("Warning: Original specifications not met in %s: %d coefficients "
                               "reach %s.",
                               format.c_str(), closest_.n, reached.c_str()) +
                    advice);
    return true;
}

}  // namespace

void FilterWorkspace::MeetTargetsInFormat() {
    // When the search said what is missed, the measurement that follows need not repeat it.
    if (MeetSearch(*this).Run()) m_missReported = true;
}

}  // namespace ondela
