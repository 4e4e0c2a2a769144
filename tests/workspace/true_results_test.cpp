// The achieved values a design reports, and its "met / not met" verdict, against the filter's true
// extremes: a transform of the coefficients at 32 points per coefficient over the whole axis,
// computed here, over the bands the design was made for.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/design_engine.h"
#include "engine/response.h"
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

const char* const kNotMet = "Warning: Original specifications not met";

struct Case {
    const char* what;
    FilterSpec entered;  // what the user typed
    int format;
    bool stopBandMissing;  // the response has no stop band of its own
};

TEST(TrueResults, ReportedValuesAndVerdictHoldInADenseMeasurement) {
    // clang-format off
    const Case cases[] = {
        {"long low pass, 80 dB", Spec{.attenuation = 80, .ripple = 0.1, .maxCoefs = 4095}, FLT64, false},
        {"long low pass, 60 dB", Spec{.f1 = 12000, .ripple = 0.1, .maxCoefs = 4095}, FLT64, false},
        {"low pass near 0 Hz", Spec{.f1 = 300, .attenuation = 100, .ripple = 0.1, .maxCoefs = 4095}, FLT64, false},
        {"2559-tap low pass", Spec{.f1 = 20000, .attenuation = 70, .ripple = 0.1, .maxCoefs = 2559}, FLT64, false},
        {"3071-tap low pass", Spec{.f1 = 5000, .attenuation = 120, .ripple = 0.01, .maxCoefs = 3071}, FLT64, false},
        {"3583-tap low pass", Spec{.f1 = 8000, .attenuation = 90, .ripple = 0.1, .maxCoefs = 3583}, FLT64, false},
        {"long band pass, 60 dB", Spec{.type = BandPass, .f1 = 8000, .f2 = 12000, .ripple = 0.1, .maxCoefs = 4095}, FLT64, false},
        {"long band pass, 120 dB", Spec{.type = BandPass, .f1 = 8000, .f2 = 12000, .attenuation = 120, .ripple = 0.1, .maxCoefs = 4095}, FLT64, false},
        {"long high pass", Spec{.type = HighPass, .f1 = 15000, .attenuation = 100, .ripple = 0.1, .maxCoefs = 4095}, FLT64, false},
        {"narrow pass band", Spec{.f1 = 100, .attenuation = 120, .ripple = 0.01, .maxCoefs = 4095}, FLT64, false},
        {"short low pass in 16 bits", Spec{.f1 = 8000, .ripple = 0.5}, INT16, false},
        {"3-tap half band", Spec{.type = HalfBand, .f1 = 12000, .attenuation = 30, .ripple = 0.01, .maxCoefs = 3}, FLT64, true},
        {"low pass asked for 3 dB", Spec{.f1 = 12000, .attenuation = 3, .ripple = 2, .maxCoefs = 4095}, FLT64, true},
        {"band stop 1 to 2 Hz", Spec{.type = BandStop, .f1 = 1, .f2 = 2, .attenuation = 30, .ripple = 1, .maxCoefs = 4095}, FLT64, true},
    };
    // clang-format on
    DesignEngine engine;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WiredWorkspace w;
        w.ws.m_engine = &engine;
        w.ws.m_coefFormat = c.format;
        w.ws.m_spec = c.entered;
        ASSERT_EQ(w.ws.RunDesign(), 0);
        const FilterSpec& got = w.ws.m_specWork;
        ASSERT_GE(got.numCoefs, 3);
        ASSERT_NE(w.ws.m_designBands.type, 0);

        const Truth truth =
            Measure(TrueLevels(w.ws.m_coefs.data(), got.numCoefs, c.format), w.ws.m_designBands);
        EXPECT_NEAR(got.attenuation, truth.attenuation, 0.3);
        EXPECT_NEAR(got.ripple, truth.ripple, std::max(0.02, 0.1 * truth.ripple));

        const std::vector<std::string> messages = w.Messages();
        const bool warned = std::find(messages.begin(), messages.end(), kNotMet) != messages.end();
        const bool halfBand = c.entered.type == HalfBand;
        const bool trulyMet = truth.attenuation >= c.entered.attenuation - 1.0 &&
                              (halfBand || truth.ripple <= 1.1 * c.entered.ripple);
        if (c.stopBandMissing) {
            EXPECT_TRUE(warned) << "a response without a stop band passed as met";
        } else if (!warned) {
            EXPECT_TRUE(trulyMet) << "reported as met, truly " << truth.attenuation << " dB, "
                                  << truth.ripple << " dB ripple";
        }
    }
}

}  // namespace
}  // namespace ondela
