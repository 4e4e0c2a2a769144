// Create with "meet the targets in the chosen format": the rounded filter it keeps, measured here
// by an independent transform of the coefficients as the format holds them, meets the entered
// attenuation and ripple; where no filter within the maximum can, the message says what would.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "engine/design_engine.h"
#include "tests/workspace/true_levels.h"
#include "tests/workspace/workspace_fakes.h"
#include "workspace/filter_workspace.h"

namespace ondela {
namespace {

using testing::FineMeasure;
using testing::Measure;
using testing::Quantised;
using testing::Spec;
using testing::TrueLevels;
using testing::Truth;
using testing::WiredWorkspace;

// Each coefficient rounded by hand to the signed word asked for: c * 2^f to the nearest integer
// (ties away from zero), clipped to the word's limits, with f as asked or else the largest that
// keeps every coefficient inside the word.
std::vector<double> HandRounded(const double* coefs, int n, const FixedPointRequest& word) {
    const double top = std::ldexp(1.0, word.wordBits - 1);
    auto fits = [&](int bits) {
        return std::all_of(coefs, coefs + n, [&](double c) {
            const double q = std::round(std::ldexp(c, bits));
            return q >= -top && q <= top - 1.0;
        });
    };
    int f = word.fracBits.value_or(64);
    if (!word.fracBits)
        while (!fits(f)) --f;
    std::vector<double> values;
    for (int i = 0; i < n; ++i) {
        const double q = std::clamp(std::round(std::ldexp(coefs[i], f)), -top, top - 1.0);
        values.push_back(std::ldexp(q, -f));
    }
    return values;
}

// A signed word of wordBits bits, with fracBits fraction bits or the largest that fit.
FixedPointRequest Word(int wordBits, std::optional<int> fracBits = std::nullopt) {
    FixedPointRequest word;
    word.wordBits = wordBits;
    word.fracBits = fracBits;
    return word;
}

struct Designed {
    Truth truth;
    int numCoefs;
    std::vector<std::string> messages;
    std::vector<double> coefs;
    DesignBands bands;
};

// What is asked of a Create: the entries, the coefficient format and the word (when given) the
// targets are to be met in.
struct Asked {
    FilterSpec entered;
    int format = FLT64;
    std::optional<FixedPointRequest> word;
};

// Creates the filter asked for with the option on or off and measures the kept filter as its
// format holds it (the word when given, else the coefficient format).
Designed Create(DesignEngine& engine, const Asked& a, bool meet) {
    WiredWorkspace w;
    w.ws.m_engine = &engine;
    w.ws.m_current.format = static_cast<CoefFormat>(a.format);
    w.ws.m_meetInFormat = meet ? 1 : 0;
    w.ws.m_meetWord = a.word;
    w.ws.m_current.request = a.entered;
    EXPECT_EQ(w.ws.RunDesign().result, 0);
    const int n = w.ws.m_current.achieved.numCoefs;
    const double* coefs = w.ws.m_current.taps.data();
    const std::vector<double> levels =
        a.word ? TrueLevels(HandRounded(coefs, n, *a.word).data(), n, FLT64)
               : TrueLevels(coefs, n, a.format);
    return {Measure(levels, w.ws.m_current.designBands), n, w.Messages(),
            std::vector<double>(coefs, coefs + n), w.ws.m_current.designBands};
}

Designed Create(DesignEngine& engine, const FilterSpec& entered, int format,
                std::optional<int> wordBits, bool meet) {
    std::optional<FixedPointRequest> word;
    if (wordBits) word = Word(*wordBits);
    return Create(engine, Asked{entered, format, word}, meet);
}

bool Meets(const Truth& t, const FilterSpec& entered) {
    return t.attenuation >= entered.attenuation - 1.0 &&
           (entered.type == HalfBand || t.ripple <= 1.1 * entered.ripple);
}

TEST(MeetInFormat, TheRoundedFilterKeptMeetsTheTargetsItMissedBefore) {
    struct Case {
        const char* what;
        FilterSpec entered;
        int format;
        std::optional<int> wordBits;
    };
    // clang-format off
    const Case cases[] = {
        {"127-tap low pass, 16 bits", Spec{.f1 = 10000, .ripple = 0.5, .maxCoefs = 127}, INT16, {}},
        {"high pass, 16 bits", Spec{.type = HighPass, .f1 = 12000, .attenuation = 65, .ripple = 0.25, .maxCoefs = 400}, INT16, {}},
        {"band pass, 16 bits", Spec{.type = BandPass, .f1 = 8000, .f2 = 12000, .attenuation = 50, .ripple = 0.5, .maxCoefs = 400}, INT16, {}},
        {"band stop, 16 bits", Spec{.type = BandStop, .f1 = 8000, .f2 = 12000, .ripple = 0.2, .maxCoefs = 400}, INT16, {}},
        {"half band, 16 bits", Spec{.type = HalfBand, .f1 = 12000, .ripple = 0.01, .maxCoefs = 400}, INT16, {}},
        {"low pass, 12-bit words", Spec{.f1 = 2000, .attenuation = 55, .ripple = 0.5, .maxCoefs = 127}, FLT64, 12},
    };
    // clang-format on
    DesignEngine engine;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Designed off = Create(engine, c.entered, c.format, c.wordBits, false);
        ASSERT_FALSE(Meets(off.truth, c.entered))
            << "the case needs no search: " << off.truth.attenuation << " dB";
        const Designed on = Create(engine, c.entered, c.format, c.wordBits, true);
        EXPECT_TRUE(Meets(on.truth, c.entered))
            << on.truth.attenuation << " dB, " << on.truth.ripple << " dB ripple";
        EXPECT_TRUE(on.messages.empty()) << on.messages.front();
        EXPECT_LE(on.numCoefs, c.entered.maxCoefs);
    }
}

// What the message of a miss advises, applied to what was asked: a larger maximum, and another
// format, another word length (with automatic fraction bits when it says so) or other fraction
// bits. nullopt when it advises none of these.
std::optional<Asked> FollowAdvice(const std::string& message, Asked a) {
    std::smatch m;
    bool followed = false;
    if (std::regex_search(message, m, std::regex(R"(About (\d+) coefficients)"))) {
        a.entered.maxCoefs = std::stoi(m[1]);
        followed = true;
    }
    for (const auto& [caption, format] :
         {std::pair{"Integer 32", INT32}, {"Float 32 bits", FLT32}, {"Float 64 bits", FLT64}}) {
        if (message.find(std::string(caption) + " would meet them") != std::string::npos) {
            a.format = format;
            return a;
        }
    }
    if (std::regex_search(message, m,
                          std::regex(R"((\d+)-bit words( with automatic fraction bits)? would)"))) {
        a.word->wordBits = std::stoi(m[1]);
        if (m[2].matched) a.word->fracBits.reset();
        return a;
    }
    if (std::regex_search(message, m, std::regex(R"(fraction bits would meet them: (\d+))")) ||
        std::regex_search(message, m, std::regex(R"(coefficients with (\d+) fraction bits)"))) {
        a.word->fracBits = std::stoi(m[1]);
        return a;
    }
    if (followed) return a;
    return std::nullopt;
}

// A miss names what would meet the targets, and designing with that advice meets them.
TEST(MeetInFormat, WhatCannotBeMetSaysWhatWould) {
    struct Case {
        const char* what;
        Asked asked;
        const char* advice;
    };
    const FixedPointRequest word12 = Word(12);
    // clang-format off
    const Case cases[] = {
        {"90 dB half band in 16 bits", {Spec{.type = HalfBand, .f1 = 12000, .attenuation = 90, .ripple = 0.01, .maxCoefs = 400}, INT16, {}}, "The rounding to this format is the limit; Integer 32 would meet them."},
        {"70 dB in 12-bit words", {Spec{.f1 = 10000, .attenuation = 70, .ripple = 0.5, .maxCoefs = 400}, FLT64, word12}, "The rounding to this format is the limit; "},
        {"80 dB in 12-bit words", {Spec{.f1 = 1000, .attenuation = 80, .ripple = 0.1, .maxCoefs = 255}, FLT64, word12}, "The rounding to this format is the limit; "},
        {"100 dB in 31 coefficients", {Spec{.f1 = 8000, .attenuation = 100, .ripple = 0.1, .maxCoefs = 31}, FLT32, {}}, " coefficients would meet them: raise the maximum number of coefficients."},
        {"100 dB in 16 bits and 127 coefficients", {Spec{.attenuation = 100, .ripple = 0.1}, INT16, {}}, " coefficients in Integer 32 would meet them: raise the maximum number of coefficients."},
        // Fixed fraction bits the largest coefficients do not fit: fewer would meet them, not a
        // longer word with as many.
        {"16-bit words with 20 fraction bits", {Spec{}, FLT64, Word(16, 20)}, "coefficients, of which 13 saturate at the limits of the word. Fewer fraction bits would meet them: 16"},
        {"16-bit words with 40 fraction bits", {Spec{}, FLT64, Word(16, 40)}, "127 coefficients, of which 127 saturate at the limits of the word. Fewer fraction bits would meet them: 16"},
        {"10-bit words with 12 fraction bits", {Spec{}, FLT64, Word(10, 12)}, "saturate at the limits of the word. "},
    };
    // clang-format on
    DesignEngine engine;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Designed on = Create(engine, c.asked, true);
        ASSERT_EQ(on.messages.size(), 1u);
        const std::string& m = on.messages.front();
        EXPECT_EQ(m.rfind("Warning: Original specifications not met in ", 0), 0u) << m;
        EXPECT_NE(m.find(c.advice), std::string::npos) << m;
        EXPECT_FALSE(Meets(on.truth, c.asked.entered));
        const std::optional<Asked> advised = FollowAdvice(m, c.asked);
        ASSERT_TRUE(advised) << m;
        const Designed followed = Create(engine, *advised, true);
        EXPECT_TRUE(Meets(followed.truth, c.asked.entered))
            << m << "\nfollowed: " << followed.truth.attenuation << " dB, " << followed.truth.ripple
            << " dB ripple";
        EXPECT_TRUE(followed.messages.empty()) << followed.messages.front();
    }
}

// The width of a kept filter's transition bands together, in Hz.
double Transition(const DesignBands& b) {
    const bool two = HasTwoEdges(b.type);
    return (b.edge[1] - b.edge[0]) + (two ? b.edge[3] - b.edge[2] : 0.0);
}

// How far a filter lies from the targets: dB of attenuation short, and ten times the dB of ripple
// over (the allowances of 1 dB and a tenth of the ripple included).
double Shortfall(const Truth& t, const FilterSpec& entered) {
    return std::max(0.0, entered.attenuation - 1.0 - t.attenuation) +
           10.0 * std::max(0.0, t.ripple - 1.1 * entered.ripple);
}

// A larger maximum number of coefficients allows every design a smaller one does: the filter it
// keeps meets the targets whenever the smaller maximum's does (with a transition no wider), and
// otherwise comes at least as close to them.
TEST(MeetInFormat, ALargerMaximumIsNeverWorse) {
    struct Case {
        const char* what;
        Asked asked;
        int smaller;
        int larger;
    };
    const FixedPointRequest word12 = Word(12);
    const FilterSpec lowPass80 = Spec{.f1 = 1000, .attenuation = 80, .ripple = 0.1};
    // clang-format off
    const Case cases[] = {
        {"60 dB high pass in 16 bits", {Spec{.type = HighPass, .f1 = 12000, .attenuation = 60, .ripple = 0.1}, INT16, {}}, 401, 4095},
        {"80 dB low pass in 16 bits", {lowPass80, INT16, {}}, 255, 4095},
        {"80 dB low pass in 12-bit words", {lowPass80, FLT64, word12}, 255, 4095},
        {"60 dB low pass in 16 bits", {Spec{.ripple = 0.5}, INT16, {}}, 127, 1023},
        {"70 dB band pass in 16 bits", {Spec{.type = BandPass, .f1 = 10000, .f2 = 16000, .attenuation = 70, .ripple = 0.5}, INT16, {}}, 63, 511},
        {"90 dB band stop in 16 bits", {Spec{.type = BandStop, .f1 = 10000, .f2 = 12000, .attenuation = 90, .ripple = 0.1}, INT16, {}}, 127, 255},
    };
    // clang-format on
    DesignEngine engine;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Asked smaller = c.asked;
        smaller.entered.maxCoefs = c.smaller;
        Asked larger = c.asked;
        larger.entered.maxCoefs = c.larger;
        const Designed few = Create(engine, smaller, true);
        const Designed many = Create(engine, larger, true);
        const FilterSpec& e = c.asked.entered;
        EXPECT_LE(many.numCoefs, c.larger);
        if (Meets(few.truth, e)) {
            EXPECT_TRUE(Meets(many.truth, e))
                << c.smaller << " max: " << few.numCoefs << " taps, " << few.truth.attenuation
                << " dB; " << c.larger << " max: " << many.numCoefs << " taps, "
                << many.truth.attenuation << " dB, " << many.truth.ripple << " dB ripple";
            EXPECT_LE(Transition(many.bands), Transition(few.bands) + 1e-6);
        } else {
            EXPECT_LE(Shortfall(many.truth, e), Shortfall(few.truth, e) + 0.2)
                << c.smaller << " max: " << few.numCoefs << " taps, " << few.truth.attenuation
                << " dB; " << c.larger << " max: " << many.numCoefs << " taps, "
                << many.truth.attenuation << " dB";
        }
    }
}

// Cancelling the search through the busy pop-up ends it at once: no design follows the cancel,
// the best filter found so far is kept, measured, and a message says so.
TEST(MeetInFormat, CancelKeepsTheBestFilterFoundSoFar) {
    DesignEngine engine;
    for (const int cancelAt : {1, 3}) {
        SCOPED_TRACE(cancelAt);
        WiredWorkspace w;
        w.ws.m_engine = &engine;
        w.ws.m_current.format = INT16;
        w.ws.m_meetInFormat = 1;
        w.dialogs.cancelAfter = cancelAt;
        w.ws.m_current.request =
            Spec{.type = HighPass, .f1 = 12000, .attenuation = 60, .ripple = 0.1, .maxCoefs = 1023};
        EXPECT_TRUE(w.ws.CreateFromSpec().entered);
        EXPECT_EQ(static_cast<int>(w.dialogs.progress.size()), cancelAt);
        const std::vector<std::string> messages = w.Messages();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages.front().rfind("Meeting the targets in Integer 16 was cancelled; the "
                                         "best filter found so far is kept: ",
                                         0),
                  0u)
            << messages.front();
        // The kept filter is whole and its shown values are its own.
        const int n = w.ws.m_current.achieved.numCoefs;
        ASSERT_GE(n, 3);
        EXPECT_NE(messages.front().find(std::to_string(n) + " coefficients"), std::string::npos);
        std::vector<double> values(n);
        for (int i = 0; i < n; ++i) values[i] = Quantised(w.ws.m_current.taps[i], INT16);
        const Truth truth = FineMeasure(values, w.ws.m_current.designBands);
        EXPECT_NEAR(w.ws.m_current.achieved.attenuation, truth.attenuation, 0.01);
        EXPECT_TRUE(w.ws.Current().valid);
        EXPECT_FALSE(w.dialogs.busyOpen);
    }
}

}  // namespace
}  // namespace ondela
