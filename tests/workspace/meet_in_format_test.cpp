// Create with "meet the targets in the chosen format": the rounded filter it keeps, measured here
// by an independent transform of the coefficients as the format holds them, meets the entered
// attenuation and ripple; where no filter within the maximum can, the message says what would.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "engine/design_engine.h"
#include "tests/workspace/true_levels.h"
#include "tests/workspace/workspace_fakes.h"
#include "workspace/filter_workspace.h"

namespace ondela {
namespace {

using testing::Measure;
using testing::Spec;
using testing::TrueLevels;
using testing::Truth;
using testing::WiredWorkspace;

// Each coefficient rounded by hand to a signed word of w bits: c * 2^f to the nearest integer
// (ties away from zero), with f the largest that keeps every coefficient inside the word.
std::vector<double> HandRounded(const double* coefs, int n, int w) {
    const double top = std::ldexp(1.0, w - 1);
    int f = 64;
    auto fits = [&](int bits) {
        return std::all_of(coefs, coefs + n, [&](double c) {
            const double q = std::round(std::ldexp(c, bits));
            return q >= -top && q <= top - 1.0;
        });
    };
    while (!fits(f)) --f;
    std::vector<double> values;
    for (int i = 0; i < n; ++i)
        values.push_back(std::ldexp(std::round(std::ldexp(coefs[i], f)), -f));
    return values;
}

struct Designed {
    Truth truth;
    int numCoefs;
    std::vector<std::string> messages;
    std::vector<double> coefs;
    DesignBands bands;
};

// Creates the filter asked for with the option on or off and measures the kept filter as its
// format holds it (a word of wordBits bits when given, else the coefficient format).
Designed Create(DesignEngine& engine, const FilterSpec& entered, int format,
                std::optional<int> wordBits, bool meet) {
    WiredWorkspace w;
    w.ws.m_engine = &engine;
    w.ws.m_coefFormat = format;
    w.ws.m_meetInFormat = meet ? 1 : 0;
    if (wordBits) w.ws.m_meetWord = FixedPointRequest{.wordBits = *wordBits};
    w.ws.m_spec = entered;
    EXPECT_EQ(w.ws.RunDesign(), 0);
    const int n = w.ws.m_specWork.numCoefs;
    const double* coefs = w.ws.m_coefs.data();
    const std::vector<double> levels =
        wordBits ? TrueLevels(HandRounded(coefs, n, *wordBits).data(), n, FLT64)
                 : TrueLevels(coefs, n, format);
    return {Measure(levels, w.ws.m_designBands), n, w.Messages(),
            std::vector<double>(coefs, coefs + n), w.ws.m_designBands};
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

TEST(MeetInFormat, WhatCannotBeMetSaysWhatWould) {
    struct Case {
        const char* what;
        FilterSpec entered;
        int format;
        std::optional<int> wordBits;
        const char* advice;
    };
    // clang-format off
    const Case cases[] = {
        {"90 dB half band in 16 bits", Spec{.type = HalfBand, .f1 = 12000, .attenuation = 90, .ripple = 0.01, .maxCoefs = 400}, INT16, {}, "The rounding to this format is the limit; Integer 32 would meet them."},
        {"70 dB in 12-bit words", Spec{.f1 = 10000, .attenuation = 70, .ripple = 0.5, .maxCoefs = 400}, FLT64, 12, "The rounding to this format is the limit; "},
        {"100 dB in 31 coefficients", Spec{.f1 = 8000, .attenuation = 100, .ripple = 0.1, .maxCoefs = 31}, FLT32, {}, " coefficients would meet them: raise the maximum number of coefficients."},
    };
    // clang-format on
    DesignEngine engine;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Designed on = Create(engine, c.entered, c.format, c.wordBits, true);
        ASSERT_EQ(on.messages.size(), 1u);
        const std::string& m = on.messages.front();
        EXPECT_EQ(m.rfind("Warning: Original specifications not met in ", 0), 0u) << m;
        EXPECT_NE(m.find(c.advice), std::string::npos) << m;
        EXPECT_FALSE(Meets(on.truth, c.entered));
        // A word the message names holds the kept filter within the targets.
        const std::size_t named = m.find("-bit words would meet them");
        if (named != std::string::npos) {
            const int bits = std::stoi(m.substr(m.rfind(' ', named) + 1));
            ASSERT_GT(bits, *c.wordBits);
            const std::vector<double> wider = HandRounded(on.coefs.data(), on.numCoefs, bits);
            EXPECT_TRUE(
                Meets(Measure(TrueLevels(wider.data(), on.numCoefs, FLT64), on.bands), c.entered));
        }
    }
}

}  // namespace
}  // namespace ondela
