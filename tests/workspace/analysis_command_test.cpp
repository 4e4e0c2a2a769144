// The Analysis command over a designed low pass whose description sits in a fake editor.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/design_engine.h"
#include "engine/response.h"
#include "tests/workspace/workspace_fakes.h"
#include "workspace/coef_format.h"
#include "workspace/filter_workspace.h"

namespace ondela {
namespace {

using testing::Spec;
using testing::WiredWorkspace;

const char* const kParamWarning =
    "WARNING: Some Specifation Parameters have been modified.\nThe filter must be re-created";
const char* const kCoefWarning =
    "WARNING: Some Coefficients have been modified.\nThe Analysis is done with those new values";
// The edited coefficients are still judged against the text's specification.
const char* const kSpecMissed = "Warning: Original specifications not met";

class AnalyseTextTest : public ::testing::Test {
  protected:
    void SetUp() override {
        w = std::make_unique<WiredWorkspace>();
        ws().m_engine = &engine;
        ws().m_current.request = Spec{.f1 = 8000, .ripple = 0.5, .maxCoefs = 63};
        ASSERT_EQ(w->window.CreateFilter(), 1);
        ASSERT_TRUE(ws().Current().valid);
        n = ws().m_current.achieved.numCoefs;
        ASSERT_GT(n, 3);
    }

    FilterWorkspace& ws() { return w->ws; }

    // Puts the description in the given format into the editor and forgets what was logged.
    std::string Describe(int format) {
        ws().m_current.format = static_cast<CoefFormat>(format);
        EXPECT_EQ(ws().ShowInEditor(), 1);
        w->log.clear();
        return w->editor.text;
    }

    static void Replace(std::string& text, const std::string& from, const std::string& to) {
        const size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        text.replace(at, from.size(), to);
    }

    DesignEngine engine;
    std::unique_ptr<WiredWorkspace> w;
    int n = 0;
};

TEST_F(AnalyseTextTest, UnchangedTextInEachFormatIsMeasuredWithoutWarning) {
    for (int format : {FLT64, FLT32, INT32, INT16}) {
        SCOPED_TRACE(CoefFormatName(format));
        Describe(format);
        const auto coefs = ws().m_current.taps;

        EXPECT_EQ(ws().AnalyseText(), n);
        for (const std::string& m : w->Messages()) {
            EXPECT_NE(m, kParamWarning);
            EXPECT_NE(m, kCoefWarning);
        }
        EXPECT_EQ(ws().m_current.taps, coefs);
        EXPECT_TRUE(ws().Current().GoesWithRequest());
        EXPECT_EQ(ws().m_current.format, format);
        EXPECT_EQ(ws().m_current.achieved.numCoefs, n);
        EXPECT_EQ(ws().m_current.request.f1, 8000.0);
        EXPECT_EQ(w->log.back(), "ShowAchieved");
    }
}

TEST_F(AnalyseTextTest, EditedEdgeAsksForANewDesign) {
    Describe(FLT64);
    const auto coefs = ws().m_current.taps;
    Replace(w->editor.text, "fc = 8000", "fc = 9000");

    EXPECT_EQ(ws().AnalyseText(), -2);
    EXPECT_EQ(w->Messages(), std::vector<std::string>{kParamWarning});
    EXPECT_EQ(ws().m_current.request.f1, 9000.0);
    EXPECT_EQ(ws().Current().achieved.numCoefs, n);  // the design stands until it is made again
    EXPECT_EQ(ws().m_current.taps, coefs);
    EXPECT_EQ(w->log.back(), "RefreshFields");
}

TEST_F(AnalyseTextTest, EditedCoefficientIsMeasuredAsACoefficientAnalysis) {
    Describe(FLT64);
    Replace(w->editor.text, CoefValueText(ws().m_current.taps[1], FLT64, false),
            CoefValueText(0.125, FLT64, false));

    EXPECT_EQ(ws().AnalyseText(), -3);
    EXPECT_EQ(w->Messages(), (std::vector<std::string>{kCoefWarning, kSpecMissed}));
    EXPECT_EQ(ws().m_current.taps[1], 0.125);
    EXPECT_FALSE(ws().Current().GoesWithRequest());
    EXPECT_EQ(ws().m_current.format, FLT64);

    // The caller then shows the description of what was measured.
    ws().ShowInEditor();
    EXPECT_NE(w->editor.title.find("COEF ANALYSIS"), std::string::npos) << w->editor.title;
}

TEST_F(AnalyseTextTest, EditedInt16ValueIsSeenThroughTheIntegerWritten) {
    Describe(INT16);
    const int q = QuantiseInt16(ws().m_current.taps[2]);
    Replace(w->editor.text, CoefValueText(ws().m_current.taps[2], INT16, false),
            FormatText("% 6d,", q + 1));

    EXPECT_EQ(ws().AnalyseText(), -3);
    EXPECT_EQ(w->Messages()[0], kCoefWarning);
    EXPECT_EQ(ws().m_current.taps[2], (q + 1) / 32767.0);
    EXPECT_EQ(ws().m_current.format, INT16);
}

TEST_F(AnalyseTextTest, FewerThanThreeValuesCountAsNone) {
    std::string text = Describe(FLT64);
    text.resize(text.find('{') + 1);
    w->editor.text = text + " 0.5, 0.25 };\r\n";
    const auto coefs = ws().m_current.taps;

    EXPECT_EQ(ws().AnalyseText(), -3);
    EXPECT_EQ(w->Messages(), std::vector<std::string>{kCoefWarning});
    EXPECT_EQ(ws().m_current.taps, coefs);
}

TEST_F(AnalyseTextTest, EditorProblemsAndForeignTextFailWithTheirMessage) {
    const std::string description = Describe(FLT64);
    struct Case {
        const char* what;
        bool open;
        int openFailure;
        bool failGet;
        std::string text;
        const char* message;
        bool textRead;
    };
    const Case cases[] = {
        {"editor cannot be opened", false, -2, false, "", "Unexpected Error...", false},
        {"editor cannot be initialised", false, -3, false, "", "Unexpected Error...", false},
        {"empty editor", true, 0, false, "", "Nothing inside the Filter Editor window!", false},
        {"one character more than taken", true, 0, false,
         description + std::string(kEditorTextLimit + 1 - description.size(), ' '),
         "Sorry, too many things inside the Filter Editor window!", false},
        {"text cannot be fetched", true, 0, true, description,
         "Sorry, could not extract significant parameters...", false},
        {"no marker", true, 0, false, "Filter\r\nType = LowPass, fc = 1000 @ fs = 48000\r\n",
         "Sorry, not a valid Ondela specification...", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        w->log.clear();
        w->editor.open = c.open;
        w->editor.openFailure = c.openFailure;
        w->editor.failGetText = c.failGet;
        w->editor.text = c.text;
        const FilterSpec spec = ws().m_current.request;
        const auto coefs = ws().m_current.taps;

        EXPECT_EQ(ws().AnalyseText(), -1);
        EXPECT_EQ(w->Messages(), std::vector<std::string>{c.message});
        EXPECT_EQ(ws().m_current.request.f1, spec.f1);
        EXPECT_EQ(ws().m_current.taps, coefs);
        // The flag is cleared only once a text was read.
        EXPECT_EQ(ws().Current().GoesWithRequest(), !c.textRead);
    }
}

TEST_F(AnalyseTextTest, ClosedEditorIsOpenedAndGivenTheDescription) {
    Describe(FLT64);
    w->editor.open = false;
    w->editor.text.clear();
    EXPECT_EQ(ws().AnalyseText(), n);
    EXPECT_TRUE(w->editor.open);
    EXPECT_TRUE(w->Messages().empty());
}

TEST_F(AnalyseTextTest, LongestTextTakenIsRead) {
    std::string text = Describe(FLT64);
    text.resize(kEditorTextLimit, ' ');
    w->editor.text = text;
    EXPECT_EQ(ws().AnalyseText(), n);
    EXPECT_TRUE(w->Messages().empty());
    EXPECT_EQ(ws().m_text[kEditorTextLimit], '\0');
}

}  // namespace
}  // namespace ondela
