#include "workspace/filter_workspace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "engine/design_engine.h"
#include "settings/memory_settings_store.h"
#include "settings/preferences.h"
#include "tests/workspace/workspace_fakes.h"

namespace ondela {
namespace {

using testing::Spec;
using testing::WiredWorkspace;

// ---------------------------------------------------------------------------------------------
// ValidateSpec

TEST(ValidateSpec, RejectsCorrectsOrAcceptsEachField) {
    struct Case {
        const char* what;
        FilterSpec in;
        int result;
        FilterSpec out;  // compared only when the result is not -1
    };
    const FilterSpec lp = Spec{.f1 = 1000, .ripple = 0.5};
    // clang-format off
    const Case cases[] = {
        {"plain low pass", lp, 0, lp},
        {"fs 0", Spec{.f1 = 1000, .ripple = 0.5, .fs = 0}, -1, {}},
        {"fs negative", Spec{.f1 = 1000, .ripple = 0.5, .fs = -48000}, -1, {}},
        {"f1 negative", Spec{.type = HighPass, .f1 = -1, .ripple = 0.5}, -1, {}},
        {"f1 above Nyquist", Spec{.f1 = 24000.5, .ripple = 0.5}, -1, {}},
        {"low pass at Nyquist", Spec{.f1 = 24000, .ripple = 0.5}, 0, Spec{.f1 = 24000, .ripple = 0.5}},
        {"high pass at Nyquist", Spec{.type = HighPass, .f1 = 24000, .ripple = 0.5}, -1, {}},
        {"high pass at 0 Hz", Spec{.type = HighPass, .f1 = 0, .ripple = 0.5}, 0, Spec{.type = HighPass, .f1 = 0, .ripple = 0.5}},
        {"low pass at 0 Hz", Spec{.f1 = 0, .ripple = 0.5}, -1, {}},
        {"half band at 0 Hz", Spec{.type = HalfBand, .f1 = 0, .ripple = 0.5}, -1, {}},
        {"low pass f2 far beyond Nyquist is dropped silently", Spec{.f1 = 1000, .f2 = 72000, .ripple = 0.5}, 0, lp},
        {"low pass negative f2 is dropped silently", Spec{.f1 = 1000, .f2 = -3, .ripple = 0.5}, 0, lp},
        {"band stop f2 above Nyquist", Spec{.type = BandStop, .f1 = 1000, .f2 = 24001, .ripple = 0.5}, -1, {}},
        {"band pass negative f2", Spec{.type = BandPass, .f1 = 1000, .f2 = -1, .ripple = 0.5}, -1, {}},
        {"band pass reversed edges are swapped", Spec{.type = BandPass, .f1 = 3000, .f2 = 1000, .ripple = 0.5}, 1, Spec{.type = BandPass, .f1 = 1000, .f2 = 3000, .ripple = 0.5}},
        {"band pass without f2 is left alone", Spec{.type = BandPass, .f1 = 3000, .ripple = 0.5}, 0, Spec{.type = BandPass, .f1 = 3000, .ripple = 0.5}},
        {"type 0", Spec{.type = static_cast<FilterType>(0), .f1 = 1000, .ripple = 0.5}, -1, {}},
        {"type 6", Spec{.type = static_cast<FilterType>(6), .f1 = 1000, .ripple = 0.5}, -1, {}},
        {"negative attenuation", Spec{.f1 = 1000, .attenuation = -80, .ripple = 0.5}, 1, Spec{.f1 = 1000, .attenuation = 80, .ripple = 0.5}},
        {"attenuation above 120", Spec{.f1 = 1000, .attenuation = 150, .ripple = 0.5}, 1, Spec{.f1 = 1000, .attenuation = 120, .ripple = 0.5}},
        {"negative count", Spec{.f1 = 1000, .ripple = 0.5, .maxCoefs = -5}, 1, Spec{.f1 = 1000, .ripple = 0.5}},
        {"count above 4096", Spec{.f1 = 1000, .ripple = 0.5, .maxCoefs = 5000}, 1, Spec{.f1 = 1000, .ripple = 0.5, .maxCoefs = 4096}},
        {"count 0 stays", Spec{.f1 = 1000, .ripple = 0.5, .maxCoefs = 0}, 0, Spec{.f1 = 1000, .ripple = 0.5, .maxCoefs = 0}},
        {"ripple below 0.001", Spec{.f1 = 1000, .ripple = 0.0001}, 1, Spec{.f1 = 1000, .ripple = 0.001}},
        {"ripple 0", Spec{.f1 = 1000, .ripple = 0}, 1, Spec{.f1 = 1000, .ripple = 0.001}},
        {"ripple above 2", Spec{.f1 = 1000, .ripple = 3}, 1, Spec{.f1 = 1000, .ripple = 2}},
        {"negative ripple", Spec{.f1 = 1000, .ripple = -0.5}, 1, Spec{.f1 = 1000, .ripple = 0.5}},
        // Equal band edges are not rejected, but the remaining corrections still apply, so no
        // negative count reaches the engine.
        {"band pass with equal edges", Spec{.type = BandPass, .f1 = 2000, .f2 = 2000, .attenuation = -80, .ripple = 0, .maxCoefs = -5}, 1, Spec{.type = BandPass, .f1 = 2000, .f2 = 2000, .attenuation = 80, .ripple = 0.001}},
        {"band stop with equal edges", Spec{.type = BandStop, .f1 = 2000, .f2 = 2000, .ripple = 0.5}, 0, Spec{.type = BandStop, .f1 = 2000, .f2 = 2000, .ripple = 0.5}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FilterWorkspace ws;
        FilterSpec s = c.in;
        EXPECT_EQ(ws.ValidateSpec(s), c.result);
        if (c.result == -1) continue;
        EXPECT_EQ(s.type, c.out.type);
        EXPECT_EQ(s.fs, c.out.fs);
        EXPECT_EQ(s.f1, c.out.f1);
        EXPECT_EQ(s.f2, c.out.f2);
        EXPECT_EQ(s.attenuation, c.out.attenuation);
        EXPECT_EQ(s.ripple, c.out.ripple);
        EXPECT_EQ(s.maxCoefs, c.out.maxCoefs);
    }
}

TEST(ValidateSpec, SwappedBandEdgesAreShownInTheEdgeFields) {
    auto w = std::make_unique<WiredWorkspace>();
    FilterSpec s = Spec{.type = BandStop, .f1 = 3000, .f2 = 1000, .ripple = 0.5};
    EXPECT_EQ(w->ws.ValidateSpec(s), 1);
    EXPECT_EQ(w->log, (testing::EventLog{"ShowEdgeFreq1 1000", "ShowEdgeFreq2 3000"}));
}

// ---------------------------------------------------------------------------------------------
// RunDesign, with the engine replaced by a stand-in that returns a chosen status word

class RunDesignTest : public ::testing::Test {
  protected:
    void SetUp() override {
        w = std::make_unique<WiredWorkspace>();
        designCalls = 0;
        analysedCount = -1;
        analysedFormat = -1;
        ws().m_current.request = Spec{.f1 = 1000, .ripple = 0.5};
        ws().m_designFilter = [this](const FilterSpec& request) {
            ++designCalls;
            DesignResult outcome;
            outcome.status = designStatus;
            outcome.achieved = request;
            for (int i = 0; i < 5; ++i) outcome.taps.push_back(0.1 * (i + 1));
            outcome.achieved.numCoefs = 5;
            return outcome;
        };
        ws().m_analyseResponse = [this](FilterSpec& spec, const double*, int n, int fmt) {
            analysedCount = n;
            analysedFormat = fmt;
            spec.attenuation = 61.0;
            spec.ripple = 0.4;
            return 1024;
        };
    }

    FilterWorkspace& ws() { return w->ws; }
    bool CoefsAllZero() {
        return std::all_of(ws().m_current.taps.begin(), ws().m_current.taps.end(),
                           [](double c) { return c == 0.0; });
    }

    std::unique_ptr<WiredWorkspace> w;
    int designStatus = 0;
    int designCalls = 0;
    int analysedCount = -1;
    int analysedFormat = -1;
};

TEST_F(RunDesignTest, StatusBitsDecideMessageResultAndState) {
    struct Case {
        int status;
        std::vector<std::string> messages;
        int result;
        bool designKept;
    };
    const Case cases[] = {
        {0, {}, 0, true},
        {NOT_POSSIBLE, {"SORRY: Creating this filter is not possible!"}, NOT_POSSIBLE, false},
        {GRID_OVERFLOW, {"SORRY: Could not perform alignment"}, GRID_OVERFLOW, false},
        {NOT_POSSIBLE | NOT_OPTIMIZED,
         {"SORRY: Creating this filter is not possible!"},
         0x28,
         false},
        {NOT_OPTIMIZED | SPEC_NOT_MET,
         {"WARNING: Not fully optimized. Try modifying the specifications"},
         0,
         true},
        {SPEC_NOT_MET, {}, 0, true},
        {SPEC_NOT_MET | DEVIATION_STALLED, {}, 0, true},
        // The engine refused the edges or the type: nothing was designed.
        {EDGES_INVALID, {"Erroneous Filter Specifications"}, EDGES_INVALID, false},
        {TYPE_INVALID, {"Erroneous Filter Specifications"}, TYPE_INVALID, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.status);
        SetUp();
        ws().m_current.valid = true;
        ws().m_current.origin = FilterOrigin::None;
        designStatus = c.status;

        const CreateOutcome outcome = ws().RunDesign();
        EXPECT_EQ(outcome.result, c.result);
        EXPECT_TRUE(outcome.entered);
        EXPECT_EQ(outcome.engineStatus, c.status);
        EXPECT_EQ(w->Messages(), c.messages);
        std::vector<std::string> told;
        for (const ShownMessage& m : outcome.messages) told.push_back(m.text);
        EXPECT_EQ(told, c.messages);
        EXPECT_EQ(w->dialogs.captions, std::vector<std::string>(c.messages.size(), "Ondela"));
        EXPECT_TRUE(w->dialogs.okOnly);
        if (c.designKept) {
            EXPECT_EQ(ws().m_current.taps[4], 0.5);
            EXPECT_EQ(ws().m_current.referenceTaps, ws().m_current.taps);
            EXPECT_EQ(analysedCount, 5);
            EXPECT_EQ(ws().m_current.achieved.attenuation, 61.0);
            EXPECT_TRUE(ws().Current().GoesWithRequest());
            EXPECT_EQ(w->log.back(), "ShowAchieved");
        } else {
            EXPECT_TRUE(CoefsAllZero());
            EXPECT_FALSE(ws().Current().valid);
            EXPECT_FALSE(ws().Current().GoesWithRequest());
            EXPECT_EQ(analysedCount, -1);
            EXPECT_EQ(w->log.back(), "ClearAchieved");
        }
    }
}

TEST_F(RunDesignTest, BusyPopupClosesBeforeAnyMessage) {
    for (const int status : {NOT_POSSIBLE, GRID_OVERFLOW, NOT_OPTIMIZED}) {
        SCOPED_TRACE(status);
        SetUp();
        designStatus = status;
        ws().OpenBusyWindow();
        ws().RunDesign();
        const auto& log = w->log;
        const auto closed = std::find(log.begin(), log.end(), "CloseBusyPopup");
        const auto message = std::find_if(log.begin(), log.end(), [](const std::string& e) {
            return e.rfind("Message ", 0) == 0;
        });
        ASSERT_NE(message, log.end());
        EXPECT_LT(closed, message);
        EXPECT_EQ(ws().m_busyWindow, 0);
        EXPECT_FALSE(w->dialogs.busyOpen);
    }
}

TEST_F(RunDesignTest, InvalidSpecificationDesignsNothing) {
    ws().m_current.request.fs = 0.0;
    ws().m_current.taps = {0.0, 0.0, 0.0, 0.25};
    ws().m_current.valid = true;
    ws().OpenBusyWindow();

    const CreateOutcome outcome = ws().RunDesign();
    EXPECT_EQ(outcome.result, -1);
    EXPECT_FALSE(outcome.entered);
    EXPECT_EQ(outcome.engineStatus, std::nullopt);
    EXPECT_EQ(designCalls, 0);
    EXPECT_EQ(ws().m_current.taps[3], 0.25);
    EXPECT_TRUE(ws().Current().valid);
    EXPECT_EQ(w->log,
              (testing::EventLog{"OpenBusyPopup", "ClearAchieved", "CloseBusyPopup",
                                 "Message Erroneous Filter Specifications", "ClearAchieved"}));
}

TEST_F(RunDesignTest, CorrectedSpecificationIsShownBeforeTheDesign) {
    ws().m_current.request.attenuation = -60.0;
    ws().m_current.format = INT16;
    EXPECT_EQ(ws().RunDesign().result, 0);
    EXPECT_EQ(ws().m_current.request.attenuation, 60.0);
    EXPECT_EQ(w->log, (testing::EventLog{"ClearAchieved", "RefreshFields", "ShowAchieved"}));
    EXPECT_EQ(analysedFormat, INT16);
}

}  // namespace

void PrintTo(const ShownMessage& m, std::ostream* os) {
    *os << '"' << m.text << "\" (" << m.caption << ", icon " << static_cast<int>(m.icon) << ')';
}

namespace {

// Create answers what it did: whether the specification was entered, how the design ended, the
// engine's word and every message in the order shown, with its caption and icon.
TEST_F(RunDesignTest, CreateAnswersItsOutcome) {
    const ShownMessage invalid{"SORRY: Invalid Specifications", "Error", MessageIcon::Information};
    const ShownMessage impossible{"SORRY: Creating this filter is not possible!", "Ondela",
                                  MessageIcon::None};
    const ShownMessage notOptimized{
        "WARNING: Not fully optimized. Try modifying the specifications", "Ondela",
        MessageIcon::None};
    const ShownMessage missed{"Warning: Original specifications not met", "Ondela",
                              MessageIcon::None};
    // An open editor is refreshed after every design, and says when there is no filter.
    const ShownMessage noFilter{"No filter designed yet, opening empty Editor window", "Ondela",
                                MessageIcon::None};
    struct Case {
        const char* what;
        double fs;
        int engineWord;
        double achievedAttenuation;
        bool entered;
        int result;
        std::optional<int> engineStatus;
        std::vector<ShownMessage> messages;
    };
    const Case cases[] = {
        {"designed", 48000.0, 0, 61.0, true, 0, 0, {}},
        {"no rate", 0.0, 0, 61.0, false, -1, std::nullopt, {invalid}},
        {"impossible",
         48000.0,
         NOT_POSSIBLE,
         61.0,
         true,
         NOT_POSSIBLE,
         NOT_POSSIBLE,
         {impossible, noFilter}},
        {"not optimized and missed",
         48000.0,
         NOT_OPTIMIZED,
         20.0,
         true,
         0,
         NOT_OPTIMIZED,
         {notOptimized, missed}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        w->editor.open = true;
        ws().m_current.request.fs = c.fs;
        ws().m_current.request.attenuation = 60.0;
        designStatus = c.engineWord;
        ws().m_analyseResponse = [&c](FilterSpec& spec, const double*, int, int) {
            spec.attenuation = c.achievedAttenuation;
            spec.ripple = 0.4;
            return 1024;
        };
        const CreateOutcome outcome = ws().CreateFromSpec();
        EXPECT_EQ(outcome.entered, c.entered);
        EXPECT_EQ(outcome.result, c.result);
        EXPECT_EQ(outcome.Designed(), c.result == 0 && c.entered);
        EXPECT_EQ(outcome.engineStatus, c.engineStatus);
        EXPECT_EQ(outcome.messages, c.messages);
        EXPECT_EQ(ws().Current().valid, outcome.Designed());
    }
}

TEST(RunDesignWithEngine, BandWithoutUpperEdgeIsRefusedNotMarkedDesigned) {
    // Validation lets a band pass without f2 through; the engine then refuses its edges and
    // designs nothing, which must not count as a design.
    DesignEngine engine;
    auto w = std::make_unique<WiredWorkspace>();
    w->ws.m_engine = &engine;
    w->ws.m_current.valid = true;
    w->ws.m_current.request = Spec{.type = BandPass, .f1 = 3000, .ripple = 0.5};
    EXPECT_EQ(w->ws.RunDesign().result, EDGES_INVALID);
    EXPECT_EQ(w->Messages(), std::vector<std::string>{"Erroneous Filter Specifications"});
    EXPECT_FALSE(w->ws.Current().valid);
}

// The half-band memory is the workspace's: it carries from one of its designs to the next (after
// a half band that corrected a large miss, a half band whose first miss is larger ends not fully
// optimised), and another workspace designs the same half band afresh, though both share one
// engine.
TEST(RunDesignWithEngine, HalfBandMemoryIsTheWorkspaces) {
    DesignEngine engine;
    const FilterSpec large =
        Spec{.type = HalfBand, .f1 = 12000, .attenuation = 100, .ripple = 0.1, .maxCoefs = 63};
    const FilterSpec small = Spec{.type = HalfBand, .f1 = 12000, .ripple = 0.1, .maxCoefs = 31};
    const std::string notOptimised =
        "WARNING: Not fully optimized. Try modifying the specifications";

    auto session = std::make_unique<WiredWorkspace>();
    session->ws.m_engine = &engine;
    session->ws.m_current.request = large;
    EXPECT_EQ(session->ws.RunDesign().result, 0);
    const double carried = session->ws.m_halfBandCorrection.lastMissDb;
    EXPECT_LE(carried, 30.0);
    session->ws.m_current.request = small;
    EXPECT_EQ(session->ws.RunDesign().result, 0);
    const std::vector<std::string> messages = session->Messages();
    EXPECT_NE(std::find(messages.begin(), messages.end(), notOptimised), messages.end());
    EXPECT_EQ(engine.LastTrace().passes, 1);  // ended at its first miss
    EXPECT_EQ(session->ws.m_halfBandCorrection.lastMissDb, carried);

    auto other = std::make_unique<WiredWorkspace>();
    other->ws.m_engine = &engine;
    other->ws.m_current.request = small;
    EXPECT_EQ(other->ws.RunDesign().result, 0);
    EXPECT_GE(engine.LastTrace().passes, 2);  // its first miss was corrected
    EXPECT_LE(other->ws.m_halfBandCorrection.lastMissDb, 30.0);
    EXPECT_EQ(session->ws.m_halfBandCorrection.lastMissDb, carried);
}

// ---------------------------------------------------------------------------------------------
// AnalyseCoefs

TEST(AnalyseCoefs, WarnsOnlyBeyondOneDecibelAndTenPercentOfRipple) {
    struct Case {
        FilterType type;
        double achievedAtt;
        double achievedRipple;
        bool fromSpec;
        bool warns;
    };
    const Case cases[] = {
        {LowPass, 59.2, 0.3, true, false},  {LowPass, 58.9, 0.3, true, true},
        {LowPass, 65.0, 0.54, true, false}, {LowPass, 65.0, 0.56, true, true},
        {BandStop, 58.9, 0.56, true, true}, {HalfBand, 65.0, 1.5, true, false},
        {HalfBand, 58.9, 0.0, true, true},  {LowPass, 40.0, 1.5, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.type) + " " + std::to_string(c.achievedAtt) + " " +
                     std::to_string(c.achievedRipple));
        auto w = std::make_unique<WiredWorkspace>();
        FilterWorkspace& ws = w->ws;
        ws.m_current.request = Spec{.type = c.type, .f1 = 1000, .ripple = 0.5};
        ws.m_current.origin = c.fromSpec ? FilterOrigin::Designed : FilterOrigin::None;
        ws.m_analyseResponse = [&c](FilterSpec& spec, const double*, int, int) {
            spec.attenuation = c.achievedAtt;
            spec.ripple = c.achievedRipple;
            return 1024;
        };
        FilterSpec s = ws.m_current.request;
        EXPECT_EQ(ws.AnalyseCoefs(s, ws.m_current.taps.data(), 7, FLT64), 0);
        EXPECT_EQ(w->Messages(), c.warns ? std::vector<std::string>{"Warning: Original "
                                                                    "specifications not met"}
                                         : std::vector<std::string>{});
        EXPECT_EQ(s.attenuation, c.achievedAtt);
    }
}

// ---------------------------------------------------------------------------------------------
// SetFormat

class SetFormatTest : public ::testing::Test {
  protected:
    void SetUp() override {
        w = std::make_unique<WiredWorkspace>();
        store.OpenKey(SettingsKey::Root);
        store.OpenKey(SettingsKey::Preferences);
        w->ws.m_prefs = &prefs;
        w->ws.m_analyseResponse = [this](FilterSpec& spec, const double*, int n, int fmt) {
            analysed.push_back({n, fmt});
            spec.attenuation = 50.0 + fmt;
            return 1024;
        };
    }

    std::unique_ptr<WiredWorkspace> w;
    MemorySettingsStore store;
    Preferences prefs{&store};
    std::vector<std::pair<int, int>> analysed;
};

TEST_F(SetFormatTest, WithoutAFilterOnlyStoresTheFormat) {
    EXPECT_FALSE(w->ws.SetFormat(INT32).remeasured);
    EXPECT_EQ(w->ws.m_current.format, INT32);
    EXPECT_EQ(store.Values().at("COEF_FORMAT"), MemorySettingsStore::Value(uint32_t{2}));
    EXPECT_TRUE(analysed.empty());
    EXPECT_TRUE(w->log.empty());
}

TEST_F(SetFormatTest, ValidFilterIsMeasuredAgainInTheNewFormat) {
    FilterWorkspace& ws = w->ws;
    ws.m_current.valid = true;
    ws.m_current.request = Spec{.f1 = 1000, .ripple = 0.5};
    ws.m_current.achieved = ws.m_current.request;
    ws.m_current.achieved.numCoefs = 101;
    ws.m_current.taps.assign(101, 0.0);
    ws.m_current.taps[50] = 0.5;
    const auto coefs = ws.m_current.taps;

    EXPECT_TRUE(ws.SetFormat(INT16).remeasured);
    EXPECT_EQ(analysed, (std::vector<std::pair<int, int>>{{101, INT16}}));
    EXPECT_EQ(ws.m_current.achieved.attenuation, 53.0);
    EXPECT_EQ(ws.m_current.taps, coefs);
    EXPECT_EQ(w->log, (testing::EventLog{"ShowAchieved", "Repaint"}));
    EXPECT_EQ(store.Values().at("COEF_FORMAT"), MemorySettingsStore::Value(uint32_t{3}));
}

TEST_F(SetFormatTest, CountFallsBackToTheWorkingMaximum) {
    FilterWorkspace& ws = w->ws;
    ws.m_current.valid = true;
    ws.m_current.request.maxCoefs = 127;
    ws.m_current.achieved.maxCoefs = 63;  // measured before its count was known
    EXPECT_TRUE(ws.SetFormat(FLT32).remeasured);
    EXPECT_EQ(analysed, (std::vector<std::pair<int, int>>{{63, FLT32}}));
}

TEST_F(SetFormatTest, NoCountOfTheMeasuredFilterIsReported) {
    FilterWorkspace& ws = w->ws;
    ws.m_current.valid = true;
    // An entered count, but none for the coefficients themselves.
    ws.m_current.request.maxCoefs = 127;
    const FormatOutcome outcome = ws.SetFormat(FLT32);
    EXPECT_FALSE(outcome.remeasured);
    EXPECT_EQ(
        outcome.messages,
        (std::vector<ShownMessage>{{"Number of Coefs not set!", "Ondela", MessageIcon::None}}));
    EXPECT_EQ(w->Messages(), std::vector<std::string>{"Number of Coefs not set!"});
    EXPECT_EQ(ws.m_current.format, FLT32);
    EXPECT_TRUE(analysed.empty());
}

TEST(SetFormatWithEngine, SwitchingNeverTouchesTheCoefficients) {
    DesignEngine engine;
    auto w = std::make_unique<WiredWorkspace>();
    FilterWorkspace& ws = w->ws;
    ws.m_engine = &engine;
    ws.m_current.request = Spec{.f1 = 6000, .attenuation = 70, .ripple = 0.2};
    ASSERT_EQ(ws.RunDesign().result, 0);
    ws.m_current.valid = true;
    const FilterSpec flt64 = ws.m_current.achieved;
    const auto coefs = ws.m_current.taps;
    ASSERT_GT(flt64.numCoefs, 3);

    for (const int fmt : {INT16, FLT32, INT32, FLT64}) {
        SCOPED_TRACE(fmt);
        EXPECT_TRUE(ws.SetFormat(static_cast<CoefFormat>(fmt)).remeasured);
        EXPECT_EQ(ws.m_current.taps, coefs);
    }
    // Back in FLT64 the measurement is the same as right after the design, to the bit.
    EXPECT_EQ(ws.m_current.achieved.attenuation, flt64.attenuation);
    EXPECT_EQ(ws.m_current.achieved.ripple, flt64.ripple);
    EXPECT_EQ(ws.m_current.achieved.f1, flt64.f1);
    EXPECT_EQ(ws.m_current.achieved.bandwidth, flt64.bandwidth);
    EXPECT_EQ(ws.m_current.achieved.numCoefs, flt64.numCoefs);
}

TEST(SetFormatWithEngine, SixteenBitsLoseAttenuationOfADeepFilter) {
    DesignEngine engine;
    auto w = std::make_unique<WiredWorkspace>();
    FilterWorkspace& ws = w->ws;
    ws.m_engine = &engine;
    ws.m_current.request = Spec{.f1 = 6000, .attenuation = 110, .ripple = 0.1, .maxCoefs = 255};
    ASSERT_EQ(ws.RunDesign().result, 0);
    ws.m_current.valid = true;
    const double deep = ws.m_current.achieved.attenuation;
    w->log.clear();
    ws.SetFormat(INT16);
    // 16-bit coefficients cannot reach 110 dB: the measured attenuation drops and is reported.
    EXPECT_LT(ws.m_current.achieved.attenuation, deep - 10.0);
    EXPECT_EQ(w->Messages(), std::vector<std::string>{"Warning: Original specifications not met"});
}

// ---------------------------------------------------------------------------------------------
// FitDisplayLimits

TEST(FitDisplayLimits, PullsTheUpperLimitBackAndReplacesTheCursor) {
    struct Case {
        bool log;
        double nyquist;
        double limit;
        double fitted;
        bool moved;
    };
    const Case cases[] = {
        {false, 12000, 30000, 20000, true},   // linear: one digit above Nyquist
        {false, 12000, 12000, 12000, false},  // already within
        {false, 12000, 15000, 20000, true},   // rounding up to one digit may raise it
        {true, 12000, 100000, 30000, true},   // logarithmic: one digit above fs
        {true, 12000, 30000, 30000, false},   // already the fitted value
        {true, 0, 100000, 100000, false},     // no sampling frequency yet
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.log) + " " + std::to_string(c.limit));
        auto w = std::make_unique<WiredWorkspace>();
        FilterWorkspace& ws = w->ws;
        ws.m_view.logScale = c.log;
        ws.m_view.nyquist = c.nyquist;
        (c.log ? ws.m_view.logFMax : ws.m_view.linFMax) = c.limit;
        w->window.plotCursorHz = 5000;

        ws.FitDisplayLimits();
        EXPECT_EQ(c.log ? ws.m_view.logFMax : ws.m_view.linFMax, c.fitted);
        if (c.moved) {
            EXPECT_EQ(w->log, (testing::EventLog{FormatText("ShowFreqMax %g", c.fitted),
                                                 "SetPlotCursorHz 0", "PlaceCursorAt 5000"}));
        } else {
            EXPECT_TRUE(w->log.empty());
        }
    }
}

TEST(FitDisplayLimits, WithoutAWindowOnlyTheLimitChanges) {
    FilterWorkspace ws;
    ws.m_view.nyquist = 4000;
    ws.m_view.linFMax = 30000;
    ws.FitDisplayLimits();
    EXPECT_EQ(ws.m_view.linFMax, 4000);
}

}  // namespace
}  // namespace ondela
