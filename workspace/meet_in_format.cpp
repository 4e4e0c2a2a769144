// Create with "meet the targets in the chosen format": a design that meets its attenuation and
// ripple in double precision can miss them once its coefficients are rounded to 16 bits or a
// shorter word. Longer designs of the same bands have more attenuation to spare, so the search
// below designs longer ones until the rounded coefficients meet the targets, and keeps the
// shortest that does. Where no length within the maximum does, it says which format, or how
// many coefficients, would.
#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "engine/design_engine.h"
#include "numbers/number_text.h"
#include "settings/filter_limits.h"
#include "workspace/filter_workspace.h"

namespace ondela {

namespace {

// One design of the search and what it achieves, in double precision and in the chosen format.
struct Trial {
    int n = 0;
    int status = 0;
    FilterSpec designed{};  // the engine's record: the values in double precision
    FilterSpec rounded{};   // the values in the chosen format
    bool roundedMeets = false;
    std::vector<double> coefs;
    std::vector<ResponsePoint> response;
    int responseCount = 0;
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

// Designs for a raised target, and the margin it is raised by beyond what the rounding took.
constexpr int kTargetRaises = 6;
constexpr double kRaiseMargin = 0.5;

// Whether the engine's status leaves a usable coefficient set.
bool Usable(int status) {
    return (status & ~SPEC_NOT_MET) == 0;
}

}  // namespace

void FilterWorkspace::MeetTargetsInFormat() {
    const FilterType type = m_spec.type;
    const bool halfBand = type == HalfBand;
    const int first = m_specWork.numCoefs;
    if (first < 3) return;

    // The chosen format's values of a coefficient set and whether they meet the entered targets.
    auto measure = [&](const double* coefs, int n, FilterSpec& into,
                       const std::optional<FixedPointRequest>& word, int fmt) {
        bool noStopBand;
        if (word) {
            const std::span<const double> taps(coefs, static_cast<std::size_t>(n));
            if (!CoefficientProblem(taps).empty()) return false;
            const std::vector<double> values = QuantisedValues(Quantise(taps, *word));
            noStopBand = MeasureCoefs(into, values.data(), n, FLT64);
        } else {
            noStopBand = MeasureCoefs(into, coefs, n, fmt);
        }
        return !noStopBand && !AttenuationMissed(m_spec.attenuation, into.attenuation) &&
               (halfBand || !RippleMissed(m_spec.ripple, into.ripple));
    };
    // How far values lie from the targets: dB of attenuation short, plus ten times the dB of
    // ripple over (a tenth of a dB of ripple weighs as one dB of attenuation). 0 when met.
    auto shortfall = [&](const FilterSpec& s) {
        double miss = std::max(0.0, m_spec.attenuation - 1.0 - s.attenuation);
        if (!halfBand) miss += 10.0 * std::max(0.0, s.ripple - 1.1 * m_spec.ripple);
        return miss;
    };
    auto meetsTargets = [&](const FilterSpec& s) {
        return !AttenuationMissed(m_spec.attenuation, s.attenuation) &&
               (halfBand || !RippleMissed(m_spec.ripple, s.ripple));
    };

    Trial current;
    current.n = first;
    current.designed = m_specWork;
    current.rounded = m_specWork;
    current.coefs.assign(m_coefs.begin(), m_coefs.begin() + first);
    current.response.assign(m_response.begin(), m_response.begin() + m_responseCount);
    current.responseCount = m_responseCount;
    current.roundedMeets =
        measure(current.coefs.data(), first, current.rounded, m_meetWord, m_coefFormat);
    if (current.roundedMeets) return;

    auto designAt = [&](int n) {
        Trial t;
        t.n = n;
        t.designed = m_spec;
        t.coefs.assign(kCoefArraySize, 0.0);
        t.response.assign(kResponseArraySize, ResponsePoint{});
        t.status =
            m_designAtLength(t.designed, n, t.coefs.data(), t.response.data(), &t.responseCount);
        if (!Usable(t.status)) return t;
        t.coefs.resize(static_cast<std::size_t>(n));
        t.response.resize(
            static_cast<std::size_t>(std::clamp(t.responseCount, 0, kResponseArraySize)));
        t.rounded = t.designed;
        t.roundedMeets = measure(t.coefs.data(), n, t.rounded, m_meetWord, m_coefFormat);
        return t;
    };
    // Steps of about 2.5 % of the length, as the design loop lengthens a filter.
    const int unit = NextDesignLength(type, 0);
    auto stepUp = [&](int n) { return n + std::max(1, n / 40) * unit; };

    const int longest = LongestDesignLength(type, m_spec.maxCoefs);
    Trial closest = current;  // the smallest rounded shortfall so far
    Trial last = current;
    int missedAt = first;
    std::optional<Trial> met;
    for (int n = first; n < longest && !met;) {
        n = std::min(stepUp(n), longest);
        Trial t = designAt(n);
        if (!Usable(t.status)) break;
        if (t.roundedMeets) {
            met = std::move(t);
        } else {
            missedAt = n;
            if (shortfall(t.rounded) < shortfall(closest.rounded)) closest = t;
            last = std::move(t);
        }
    }

    auto adopt = [&](const Trial& t) {
        m_coefs.fill(0.0);
        std::copy(t.coefs.begin(), t.coefs.end(), m_coefs.begin());
        m_specWork = t.designed;
        std::copy(t.response.begin(), t.response.end(), m_response.begin());
        m_responseCount = t.responseCount;
    };

    if (met) {
        // The shortest length that meets them, between the last that missed and the first that
        // met (assuming more length never hurts, which holds but for rounding's small noise).
        int low = missedAt;
        while (met->n - low > unit) {
            const int mid = low + unit * ((met->n - low) / unit / 2);
            Trial t = designAt(mid);
            if (Usable(t.status) && t.roundedMeets) {
                met = std::move(t);
            } else {
                low = mid;
            }
        }
        adopt(*met);
        return;
    }

    // At the longest length the same bands hold no more attenuation; a wider transition does.
    // Design the specification again for what the rounding took away, a few times over: the
    // design loop then widens the transition (or, below the longest length, lengthens the
    // filter) until it has that much to spare.
    auto designFor = [&](const FilterSpec& spec) {
        Trial t;
        t.designed = spec;
        t.coefs.assign(kCoefArraySize, 0.0);
        t.response.assign(kResponseArraySize, ResponsePoint{});
        t.status = m_designFilter(t.designed, t.coefs.data(), t.response.data(), &t.responseCount);
        if (!Usable(t.status)) return t;
        t.n = t.designed.numCoefs;
        t.coefs.resize(static_cast<std::size_t>(t.n));
        t.response.resize(
            static_cast<std::size_t>(std::clamp(t.responseCount, 0, kResponseArraySize)));
        t.rounded = t.designed;
        t.roundedMeets = measure(t.coefs.data(), t.n, t.rounded, m_meetWord, m_coefFormat);
        return t;
    };
    FilterSpec asked = m_spec;
    for (int attempt = 0; attempt < kTargetRaises && !met; ++attempt) {
        const FilterSpec& r = last.rounded;
        if (AttenuationMissed(m_spec.attenuation, r.attenuation)) {
            asked.attenuation += m_spec.attenuation - r.attenuation + kRaiseMargin;
        }
        if (!halfBand && RippleMissed(m_spec.ripple, r.ripple) && r.ripple > 0.0) {
            asked.ripple = std::max(kMinRipple, asked.ripple * m_spec.ripple / r.ripple);
        }
        if (asked.attenuation > kMaxAttenuation + kRaiseMargin * 40.0) break;
        Trial t = designFor(asked);
        if (!Usable(t.status)) break;
        if (t.roundedMeets) {
            met = std::move(t);
        } else {
            if (shortfall(t.rounded) < shortfall(closest.rounded)) closest = t;
            last = std::move(t);
        }
    }

    // The rounding noise of a long filter adds up (many small coefficients, each off by up to a
    // step) and can lie above the stop band asked for, whatever the design: fewer, larger
    // coefficients hold less of it. Halve the maximum until a design meets the targets, then
    // take the longest that does (the narrowest transition).
    if (!met) {
        int missedCount = longest;
        for (int k = longest / 2; k >= 3 && !met; k /= 2) {
            FilterSpec shorter = m_spec;
            shorter.maxCoefs = k;
            Trial t = designFor(shorter);
            if (Usable(t.status) && t.roundedMeets) {
                met = std::move(t);
                int metCount = k;
                while (missedCount - metCount > std::max(2, metCount / 20)) {
                    shorter.maxCoefs = (metCount + missedCount) / 2;
                    Trial u = designFor(shorter);
                    if (Usable(u.status) && u.roundedMeets) {
                        metCount = shorter.maxCoefs;
                        met = std::move(u);
                    } else {
                        missedCount = shorter.maxCoefs;
                    }
                }
            } else {
                missedCount = k;
            }
        }
    }

    if (met) {
        adopt(*met);
        return;
    }

    // None within the maximum: keep the closest and say what would do.
    adopt(closest);
    const std::string format =
        m_meetWord ? WordCaption(m_meetWord->wordBits) : FormatCaption(m_coefFormat);
    const FilterSpec& r = closest.rounded;
    std::string reached;
    if (AttenuationMissed(m_spec.attenuation, r.attenuation)) {
        reached = FormatText("a stop band of %.1f dB (%.1f dB asked for)", r.attenuation,
                             m_spec.attenuation);
    } else {
        reached = FormatText("a ripple of %.3f dB (%.3f dB asked for)", r.ripple, m_spec.ripple);
    }
    std::string text = FormatText(
        "Warning: Original specifications not met in %s: %d "
        "coefficients reach %s.",
        format.c_str(), closest.n, reached.c_str());

    if (meetsTargets(closest.designed)) {
        // The unrounded design meets them: the format is the limit. Name a finer one that holds
        // this design.
        std::string finer;
        if (m_meetWord) {
            for (int w = m_meetWord->wordBits + 1; w <= kMaxWordBits && finer.empty(); ++w) {
                FixedPointRequest wider = *m_meetWord;
                wider.wordBits = w;
                wider.fracBits.reset();
                FilterSpec s = closest.designed;
                if (measure(closest.coefs.data(), closest.n, s, wider, FLT64))
                    finer = WordCaption(w);
            }
        } else {
            for (const int fmt : {INT16, INT32, FLT32, FLT64}) {
                if (fmt == m_coefFormat || (fmt == INT16 && m_coefFormat != FLT64)) continue;
                FilterSpec s = closest.designed;
                if (measure(closest.coefs.data(), closest.n, s, std::nullopt, fmt)) {
                    finer = FormatCaption(fmt);
                    break;
                }
            }
        }
        text += finer.empty()
                    ? " The rounding to this format is the limit: lower the attenuation."
                    : " The rounding to this format is the limit; " + finer + " would meet them.";
    } else {
        // More coefficients would: find about how many, beyond the maximum.
        std::optional<int> enough;
        for (int n = closest.n; n < kMaxDesignCoefs && !enough;) {
            n = std::min(n + std::max(unit, unit * (n / (8 * unit))),
                         LongestDesignLength(type, kMaxDesignCoefs));
            const Trial t = designAt(n);
            if (!Usable(t.status)) break;
            if (t.roundedMeets) enough = n;
        }
        text += enough ? FormatText(
                             " About %d coefficients would meet them: raise the maximum "
                             "number of coefficients.",
                             *enough)
                       : FormatText(" Not even %d coefficients meet them in this format.",
                                    LongestDesignLength(type, kMaxDesignCoefs));
    }
    ShowMessage(text);
    m_missReported = true;
}

}  // namespace ondela
