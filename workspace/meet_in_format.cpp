// Create with "meet the targets in the chosen format": a design that meets its attenuation and
// ripple in double precision can miss them once its coefficients are rounded to 16 bits or a
// shorter word. The search below keeps the best design it finds whose rounded coefficients meet
// the targets (the narrowest transition), else the one that comes closest:
//  1. the same bands at longer lengths, up to the longest the maximum allows;
//  2. at the longest length, the filter asked for designed for more attenuation (or less ripple)
//     than asked, by what the rounding took away: the design loop then widens the transition.
//     Where the rounding took more than a few dB, the rounded stop band is the format's noise,
//     which no design of that length lifts, and this step is left out;
//  3. across lengths: the filter asked for with the maximum set to each step of a fixed ladder
//     below the entered maximum, shortest first (short designs are cheap), each as entered and
//     else raised as in step 2. The rounding noise of a long filter adds up over its many small
//     coefficients, so the designs that meet lie below some length: the climb stops once the
//     designs' stop bands lie at that noise two steps in a row, and looks between the last step
//     that met and the first that missed after it. The ladder does not depend on the entered
//     maximum, so a larger maximum tries every step a smaller one tries.
// When none meets, the closest is kept and a message says what would: other fraction bits, a
// finer format, a longer word (each checked by searching in it), or about how many coefficients
// (found by designing with that maximum). The search reports its progress through the busy
// pop-up, which can cancel it: the best design found so far is then kept, and a message says so.
#include <algorithm>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "engine/design_engine.h"
#include "engine/filter_limits.h"
#include "numbers/number_text.h"
#include "workspace/export_summary.h"
#include "workspace/filter_workspace.h"
#include "workspace/user_dialogs.h"

namespace ondela {

namespace {

// Designs for a raised target, and the margin it is raised by beyond what the rounding took.
constexpr int kTargetRaises = 6;
constexpr double kRaiseMargin = 0.5;
// The most remedies of a miss that are checked by searching in them.
constexpr int kRemedyChecks = 4;
// The least a raise must bring the rounded filter nearer the targets for another to follow.
constexpr double kRaiseGain = 0.05;
// Beyond this many dB of attenuation lost to the rounding, the rounded stop band lies at the
// format's noise rather than at the design's: longer designs only add to that noise.
constexpr double kNoiseLoss = 6.0;
// The climb across lengths ends after this many steps in a row whose stop band lies at the
// rounding's noise.
constexpr int kNoiseSteps = 2;
// The ladder of maxima tried across lengths: from kLadderStart, each step about 19 % above the
// last (four steps per doubling of the length).
constexpr int kLadderStart = 5;
constexpr int kLadderStepPerMille = 189;
// What a word set that saturates falls short by: it holds another filter than the one designed.
constexpr double kSaturatedShortfall = 1e9;

// One design of the search and what it achieves, in double precision and in the chosen format.
struct Trial {
    int n = 0;
    int status = NOT_POSSIBLE;
    FilterSpec designed{};  // the engine's record: the values in double precision
    FilterSpec rounded{};   // the values in the chosen format
    bool meets = false;     // the rounded values meet the entered targets
    int saturated = 0;      // coefficients clipped at the limits of the word
    std::vector<double> coefs;
    std::vector<ResponsePoint> response;
    DesignBands bands;  // the bands it was designed for, over which it is measured

    // Whether the engine left a usable coefficient set.
    bool Usable() const { return DesignSettled(status) && n >= 3; }
    // The width of its transition bands together, in Hz: the narrower, the better the design.
    double Transition() const {
        const double* e = bands.edge;
        const bool twoTransitions = HasTwoEdges(bands.type);
        return (e[1] - e[0]) + (twoTransitions ? e[3] - e[2] : 0.0);
    }
};

// What would meet the targets that a search missed: the fraction bits the coefficients fit in the
// same word (what: "Fewer" or "More"), or a finer format or longer word (what: its caption).
struct Remedy {
    enum Kind { kNone, kFracBits, kFiner } kind = kNone;
    std::string what;
    int fracBits = 0;
};

// What a coefficient set measures in a format.
struct Measured {
    bool meets = false;
    int saturated = 0;
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

std::string WordCaption(const FixedPointRequest& word) {
    return word.fracBits
               ? FormatText("%d-bit words with %d fraction bits", word.wordBits, *word.fracBits)
               : FormatText("%d-bit words", word.wordBits);
}

// The maxima of the ladder below limit, shortest first.
std::vector<int> LadderBelow(int limit) {
    std::vector<int> steps;
    for (int m = kLadderStart; m < limit;
         m += std::max(1, (m * kLadderStepPerMille + 500) / 1000)) {
        steps.push_back(m);
    }
    return steps;
}

class MeetSearch {
  public:
    // A search for entered in a word (when given) or else the coefficient format fmt.
    MeetSearch(FilterWorkspace& ws, const FilterSpec& entered,
               std::optional<FixedPointRequest> word, int fmt)
        : ws_(ws),
          entered_(entered),
          word_(std::move(word)),
          fmt_(fmt),
          halfBand_(entered.type == HalfBand),
          unit_(NextDesignLength(entered.type, 0)),
          longest_(LongestDesignLength(entered.type, entered.maxCoefs)) {}

    // Searches from the workspace's design and keeps the result there. True when a message said
    // that the targets are missed.
    bool Run();
    // Whether a search from atMaximum, the design of entered at its maximum, keeps a filter that
    // meets the targets; the workspace's filter stays as it is and nothing is said. What checks
    // an advice.
    bool Succeeds(const Trial& atMaximum);

  private:
    // The values of a trial's coefficients in a format (a word when given) into into, measured
    // over the bands the trial was designed for, and whether they meet the entered targets.
    Measured Measure(const Trial& t, FilterSpec& into, const std::optional<FixedPointRequest>& word,
                     int fmt);
    bool Meets(const FilterSpec& s) const {
        return !AttenuationMissed(entered_.attenuation, s.attenuation) &&
               (halfBand_ || !RippleMissed(entered_.ripple, s.ripple));
    }
    // How far a trial lies from the targets: dB of attenuation short, plus ten times the dB of
    // ripple over (a tenth of a dB of ripple weighs as one dB of attenuation).
    double Shortfall(const Trial& t) const {
        if (t.saturated > 0) return kSaturatedShortfall;
        const FilterSpec& s = t.rounded;
        double miss = std::max(0.0, entered_.attenuation - 1.0 - s.attenuation);
        if (!halfBand_) miss += 10.0 * std::max(0.0, s.ripple - 1.1 * entered_.ripple);
        return miss;
    }
    // Whether a is a better design than b: one that meets beats one that misses; of two that
    // meet, the narrower transition; of two that miss, the smaller shortfall.
    bool Better(const Trial& a, const Trial& b) const {
        if (a.meets != b.meets) return a.meets;
        if (a.meets) return a.Transition() < b.Transition();
        return Shortfall(a) < Shortfall(b);
    }

    // The format's caption in the messages.
    std::string Caption() const { return word_ ? WordCaption(*word_) : FormatCaption(fmt_); }
    Trial Current();
    // The last design's bands at length n, or the filter asked for designed afresh.
    Trial DesignAt(int n);
    Trial DesignFor(const FilterSpec& asked);
    // One engine call for asked (design returns the record, the coefficients and the response).
    template <typename EngineCall>
    Trial Design(const FilterSpec& asked, EngineCall design);
    // A new design with the bands the engine reported, rated.
    Trial Finish(Trial t);
    // A design measured in this search's format and considered.
    Trial Rate(Trial t);
    // Keeps every usable trial (what would meet is later looked for among them) and the best.
    void Consider(const Trial& t);
    // Tells the dialogs how far the search is; false once the user cancelled it.
    bool Progress();

    // The stages after the design at the maximum, current: the design that meets the targets,
    // if one does (the closest is best_); moreCoefsNeeded tells when even unrounded the longest
    // design missed them.
    std::optional<Trial> Stages(const Trial& current, bool& moreCoefsNeeded);
    std::optional<Trial> Lengthen(Trial& longestTried);
    std::optional<Trial> RaiseTargets(const Trial& from, int maxCoefs);
    Trial WithinMaximum(int maxCoefs, bool* noiseBound);
    // Whether a design that meets the targets unrounded lost so much of its stop band to the
    // rounding that what is left is the rounding's noise, not the design.
    bool NoiseBound(const Trial& t) const {
        return t.Usable() && Meets(t.designed) &&
               t.designed.attenuation - t.rounded.attenuation > kNoiseLoss;
    }
    void AcrossLengths();
    void Adopt(const Trial& t);
    Remedy FindRemedy(const std::vector<Trial>& trials, const FilterSpec& entered,
                      const Trial& atMaximum);
    std::string RemedyText(const Remedy& r) const;
    std::string Reached(const Trial& t) const;
    std::string MoreCoefs(int from);

    FilterWorkspace& ws_;
    const FilterSpec entered_;
    const std::optional<FixedPointRequest> word_;
    const int fmt_;
    const bool halfBand_;
    const int unit_;     // the step between lengths of the type
    const int longest_;  // the longest length the maximum allows
    std::vector<Trial> tried_;
    Trial best_;
    int designs_ = 0;
    bool cancelled_ = false;
    bool checking_ = false;  // the search checks the advice of another
};

Measured MeetSearch::Measure(const Trial& t, FilterSpec& into,
                             const std::optional<FixedPointRequest>& word, int fmt) {
    Measured m;
    std::vector<double> values;
    const double* coefs = t.coefs.data();
    if (word) {
        const std::span<const double> taps(t.coefs.data(), static_cast<std::size_t>(t.n));
        if (!CoefficientProblem(taps).empty()) return m;
        TapsInWords q = QuantiseTaps(taps, *word);
        m.saturated = q.words.saturated;
        // Saturated words are measured as they are; whatever they measure, they are not the
        // filter that was designed.
        values = std::move(q.values);
        coefs = values.data();
        fmt = FLT64;
    }
    // The workspace measures a design over the bands it was designed for (the trial's, which
    // the caller put in the current filter's designed bands), wherever the response's own edges
    // lie.
    const bool noStopBand = ws_.MeasureCoefs(into, coefs, t.n, fmt);
    m.meets = !noStopBand && m.saturated == 0 && Meets(into);
    return m;
}

Trial MeetSearch::Finish(Trial t) {
    t.bands = ws_.m_current.designBands;
    return Rate(std::move(t));
}

Trial MeetSearch::Rate(Trial t) {
    if (!t.Usable()) return t;
    ws_.m_current.designBands = t.bands;
    t.coefs.resize(static_cast<std::size_t>(t.n));
    t.rounded = t.designed;
    const Measured m = Measure(t, t.rounded, word_, fmt_);
    t.meets = m.meets;
    t.saturated = m.saturated;
    Consider(t);
    return t;
}

void MeetSearch::Consider(const Trial& t) {
    // Designs beyond the maximum only tell how many coefficients would do; none is kept.
    if (!t.Usable() || t.n > longest_) return;
    if (tried_.empty() || Better(t, best_)) best_ = t;
    tried_.push_back(t);
}

bool MeetSearch::Progress() {
    if (cancelled_) return false;
    if (UserDialogs* dialogs = ws_.m_dialogs) {
        const std::string format = Caption();
        const std::string best = best_.meets
                                     ? FormatText("%d coefficients meet them", best_.n)
                                     : FormatText("the closest has %d coefficients", best_.n);
        const char* what = checking_ ? "Checking whether %s would meet the targets: %d designs "
                                       "tried; %s."
                                     : "Meeting the targets in %s: %d designs tried; %s.";
        if (!dialogs->BusyProgress(FormatText(what, format.c_str(), designs_, best.c_str()))) {
            cancelled_ = true;
        }
    }
    return !cancelled_;
}

Trial MeetSearch::Current() {
    Trial t;
    t.n = ws_.m_current.achieved.numCoefs;
    t.status = 0;
    t.designed = ws_.m_current.achieved;
    const double* taps = ws_.TapsCovering(t.n);
    t.coefs.assign(taps, taps + std::clamp(t.n, 0, kCoefArraySize));
    t.response.assign(
        ws_.m_response.begin(),
        ws_.m_response.begin() + std::clamp(ws_.m_responseCount, 0, kResponseArraySize));
    return Finish(std::move(t));
}

template <typename EngineCall>
Trial MeetSearch::Design(const FilterSpec& asked, EngineCall design) {
    Trial t;
    // A cancelled search designs nothing more: every stage sees an unusable trial and ends. So
    // does the check of an advice once a design met the targets.
    if ((checking_ && best_.meets) || !Progress()) return t;
    ++designs_;
    DesignResult outcome = design(asked);
    t.status = outcome.status;
    t.designed = outcome.achieved;
    t.coefs = std::move(outcome.taps);
    t.response = std::move(outcome.response);
    t.n = t.designed.numCoefs;
    return Finish(std::move(t));
}

Trial MeetSearch::DesignAt(int n) {
    return Design(entered_, [&](const FilterSpec&) { return ws_.m_designAtLength(n); });
}

Trial MeetSearch::DesignFor(const FilterSpec& asked) {
    return Design(asked,
                  [this](const FilterSpec& request) { return ws_.DesignWithEngine(request); });
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

// Stage 2: the filter asked for with at most maxCoefs coefficients, designed for what the
// rounding of from took away and a margin, a few times.
std::optional<Trial> MeetSearch::RaiseTargets(const Trial& from, int maxCoefs) {
    FilterSpec asked = entered_;
    asked.maxCoefs = maxCoefs;
    FilterSpec reached = from.rounded;
    double closest = Shortfall(from);
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
        // Raising further is futile once a raise no longer brings the rounded filter nearer (its
        // stop band sits at the format's noise, or the design can give no more).
        const bool futile = Shortfall(t) > closest - kRaiseGain;
        closest = std::min(closest, Shortfall(t));
        reached = t.rounded;
        if (futile) break;
    }
    return std::nullopt;
}

// The filter asked for with at most maxCoefs coefficients: as entered, else raised as at the
// entered maximum (RaiseTargets) unless its words saturate. The first that meets, else the design
// as entered; noiseBound, when given, tells whether that design's rounded stop band lies at the
// rounding's noise (or its words saturate).
Trial MeetSearch::WithinMaximum(int maxCoefs, bool* noiseBound) {
    FilterSpec asked = entered_;
    asked.maxCoefs = maxCoefs;
    Trial t = DesignFor(asked);
    if (noiseBound) *noiseBound = t.saturated > 0 || NoiseBound(t);
    if (!t.Usable() || t.meets || t.saturated > 0) return t;
    if (std::optional<Trial> raised = RaiseTargets(t, maxCoefs)) return std::move(*raised);
    return t;
}

// Stage 3: the ladder's maxima below the entered one, shortest first, until the designs' stop
// bands lie at the rounding's noise for a few steps in a row (longer designs only add to it).
// Then the longest maximum that meets is looked for (to about 5 %) between the last step that
// met and the first that missed after it. Every design is considered as it is made.
void MeetSearch::AcrossLengths() {
    int metAt = 0;        // the last step that met; 0 while none has
    int missedAfter = 0;  // the first step after it that missed; 0 while none has
    int noiseSteps = 0;   // steps in a row whose stop band lay at the rounding's noise
    for (const int m : LadderBelow(entered_.maxCoefs)) {
        bool noiseBound = false;
        const Trial t = WithinMaximum(m, &noiseBound);
        if (cancelled_) return;
        if (!t.Usable()) continue;
        if (t.meets) {
            metAt = m;
            missedAfter = 0;
            noiseSteps = 0;
            continue;
        }
        if (metAt > 0 && missedAfter == 0) missedAfter = m;
        noiseSteps = noiseBound ? noiseSteps + 1 : 0;
        if (noiseSteps >= kNoiseSteps) break;
    }
    if (metAt == 0) return;
    int low = metAt;
    // Without a step that missed after it, the entered maximum itself is the one that missed.
    int high = missedAfter > 0 ? missedAfter : entered_.maxCoefs;
    while (high - low > std::max(2, low / 20) && !cancelled_) {
        const int middle = (low + high) / 2;
        const Trial t = WithinMaximum(middle, nullptr);
        if (t.Usable() && t.meets) {
            low = middle;
        } else {
            high = middle;
        }
    }
}

void MeetSearch::Adopt(const Trial& t) {
    ws_.ZeroTaps();
    std::copy(t.coefs.begin(), t.coefs.end(), ws_.TapsCovering(static_cast<int>(t.coefs.size())));
    ws_.m_current.achieved = t.designed;
    std::copy(t.response.begin(), t.response.end(), ws_.m_response.begin());
    ws_.m_responseCount = static_cast<int32_t>(t.response.size());
    ws_.m_current.designBands = t.bands;
}

// What would meet the targets asked for in entered: the fraction bits the coefficients fit in
// the same word (when they were fixed), else the first longer word or finer format. A remedy is
// first looked for among the given designs, each measured in it over the bands it was designed
// for, then checked by searching in it from atMaximum, the design of entered at its maximum:
// only a remedy with which the search meets the targets is named (a few are checked at most).
Remedy MeetSearch::FindRemedy(const std::vector<Trial>& trials, const FilterSpec& entered,
                              const Trial& atMaximum) {
    int checks = 0;
    auto meetsIn = [&](const std::optional<FixedPointRequest>& word, int fmt) -> const Trial* {
        if (cancelled_ || checks >= kRemedyChecks) return nullptr;
        const Trial* found = nullptr;
        for (const Trial& t : trials) {
            ws_.m_current.designBands = t.bands;
            FilterSpec s = t.designed;
            if (Measure(t, s, word, fmt).meets) {
                found = &t;
                break;
            }
        }
        if (!found) return nullptr;
        ++checks;
        MeetSearch check(ws_, entered, word, fmt);
        check.checking_ = true;
        const bool met = check.Succeeds(atMaximum);
        if (check.cancelled_) cancelled_ = true;
        return met && !cancelled_ ? found : nullptr;
    };
    if (const auto& word = word_) {
        if (word->fracBits) {
            // Fixed fraction bits: first the same word with the fraction bits the coefficients
            // fit (too many saturate, too few lose the resolution the word has).
            FixedPointRequest fitted = *word;
            fitted.fracBits.reset();
            if (const Trial* t = meetsIn(fitted, FLT64)) {
                const std::span<const double> taps(t->coefs.data(), t->coefs.size());
                const int fracBits = ResolveFormat(taps, fitted).fracBits;
                return {Remedy::kFracBits, fracBits < *word->fracBits ? "Fewer" : "More", fracBits};
            }
        }
        for (int w = word->wordBits + 1; w <= kMaxWordBits; ++w) {
            FixedPointRequest wider = *word;
            wider.wordBits = w;
            wider.fracBits.reset();
            if (meetsIn(wider, FLT64)) {
                return {
                    Remedy::kFiner,
                    WordCaption(wider) + (word->fracBits ? " with automatic fraction bits" : ""),
                    0};
            }
        }
        return {};
    }
    for (const int fmt : {INT32, FLT32, FLT64}) {
        if (fmt == fmt_) continue;
        if (meetsIn(std::nullopt, fmt)) return {Remedy::kFiner, FormatCaption(fmt), 0};
    }
    return {};
}

// The remedy as the message's advice.
std::string MeetSearch::RemedyText(const Remedy& r) const {
    switch (r.kind) {
        case Remedy::kFracBits:
            return FormatText(" %s fraction bits would meet them: %d, as the automatic choice.",
                              r.what.c_str(), r.fracBits);
        case Remedy::kFiner:
            return " The rounding to this format is the limit; " + r.what + " would meet them.";
        case Remedy::kNone:
            break;
    }
    return " The rounding to this format is the limit: lower the attenuation.";
}

// What a kept design reaches, for the messages.
std::string MeetSearch::Reached(const Trial& t) const {
    if (t.saturated > 0) {
        return FormatText("%d coefficients, of which %d saturate at the limits of the word", t.n,
                          t.saturated);
    }
    const FilterSpec& r = t.rounded;
    const std::string values =
        AttenuationMissed(entered_.attenuation, r.attenuation)
            ? FormatText("a stop band of %.1f dB (%.1f dB asked for)", r.attenuation,
                         entered_.attenuation)
        : RippleMissed(entered_.ripple, r.ripple) && !halfBand_
            ? FormatText("a ripple of %.3f dB (%.3f dB asked for)", r.ripple, entered_.ripple)
            : FormatText("a stop band of %.1f dB and a ripple of %.3f dB", r.attenuation, r.ripple);
    return FormatText("%d coefficients reach %s", t.n, values.c_str());
}

// The advice when even unrounded the filter asked for misses the targets within the maximum:
// the smallest maximum, beyond the entered one in steps of about an eighth, at which it meets
// them as designed. When that design meets them unrounded only, the format is the limit too: the
// advice names the remedy with that many coefficients.
std::string MeetSearch::MoreCoefs(int from) {
    const int top = LongestDesignLength(entered_.type, kMaxDesignCoefs);
    for (int n = from; n < top && !cancelled_;) {
        n = std::min(n + std::max(unit_, unit_ * (n / (8 * unit_))), top);
        FilterSpec asked = entered_;
        asked.maxCoefs = n;
        const Trial t = DesignFor(asked);
        constexpr const char* kRaise = "raise the maximum number of coefficients.";
        if (!t.Usable()) continue;
        if (t.meets) return FormatText(" About %d coefficients would meet them: %s", n, kRaise);
        if (!Meets(t.designed)) continue;
        const Remedy r = FindRemedy({t}, asked, t);
        switch (r.kind) {
            case Remedy::kFracBits:
                return FormatText(
                    " About %d coefficients with %d fraction bits would meet them: %s", n,
                    r.fracBits, kRaise);
            case Remedy::kFiner:
                return FormatText(" About %d coefficients in %s would meet them: %s", n,
                                  r.what.c_str(), kRaise);
            case Remedy::kNone:
                return RemedyText(r);
        }
    }
    return FormatText(" Not even %d coefficients meet them in this format.", top);
}

std::optional<Trial> MeetSearch::Stages(const Trial& current, bool& moreCoefsNeeded) {
    Trial longestTried = current;
    std::optional<Trial> met = Lengthen(longestTried);
    if (met || cancelled_) return met;
    moreCoefsNeeded = !Meets(longestTried.designed);
    if (moreCoefsNeeded) {
        // Even unrounded, the longest design misses them: more coefficients are needed. A
        // shorter design may still come closer once rounded.
        AcrossLengths();
    } else {
        if (longestTried.saturated == 0 && !NoiseBound(longestTried))
            met = RaiseTargets(longestTried, entered_.maxCoefs);
        if (!met) AcrossLengths();
    }
    if (!met && best_.meets) met = best_;
    return met;
}

bool MeetSearch::Run() {
    const Trial current = Current();
    if (!current.Usable() || current.meets) return false;
    // The search may take a while: the busy pop-up shows its progress and can cancel it.
    if (!ws_.m_busyWindow) ws_.OpenBusyWindow();
    Progress();

    bool moreCoefsNeeded = false;
    const std::optional<Trial> met = Stages(current, moreCoefsNeeded);
    const Trial kept = met ? *met : best_;
    const std::string format = Caption();
    if (!cancelled_ && kept.meets) {
        Adopt(kept);
        return false;
    }
    // None meets them: the closest is kept, and the message says what would meet them.
    std::string advice;
    if (!cancelled_) {
        advice = moreCoefsNeeded ? MoreCoefs(current.n)
                                 : RemedyText(FindRemedy(tried_, entered_, current));
    }
    Adopt(kept);
    if (cancelled_) {
        ws_.ShowMessage(
            FormatText("Meeting the targets in %s was cancelled; the best filter found "
                       "so far is kept: %s.",
                       format.c_str(), Reached(kept).c_str()));
        return true;
    }
    ws_.ShowMessage(FormatText("Warning: Original specifications not met in %s: %s.",
                               format.c_str(), Reached(kept).c_str()) +
                    advice);
    return true;
}

bool MeetSearch::Succeeds(const Trial& atMaximum) {
    // The design at the maximum, rated in this format. Designed again when it leaves room to
    // lengthen, which designs the engine's last bands.
    const Trial current = atMaximum.n < longest_ ? DesignFor(entered_) : Rate(atMaximum);
    if (!current.Usable() || current.meets) return current.meets;
    bool moreCoefsNeeded = false;
    const std::optional<Trial> met = Stages(current, moreCoefsNeeded);
    return met.has_value() && !cancelled_;
}

}  // namespace

void FilterWorkspace::MeetTargetsInFormat() {
    // When the search said what is missed, the measurement that follows need not repeat it.
    if (MeetSearch(*this, m_current.request, m_meetWord, m_current.format).Run())
        m_missReported = true;
}

}  // namespace ondela
