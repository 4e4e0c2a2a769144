#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "engine/design_engine.h"
#include "tests/workspace/workspace_fakes.h"
#include "workspace/coef_format.h"
#include "workspace/description_reader.h"
#include "workspace/description_writer.h"
#include "workspace/filter_workspace.h"

namespace ondela {
namespace {

using testing::Spec;
using testing::WiredWorkspace;

constexpr std::time_t k7May2026At0905 = 1778144700;  // UTC

// The time stamp is local time; the expected texts are written for UTC.
void UseUtc() {
    setenv("TZ", "UTC", 1);
    tzset();
}

class WriterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        UseUtc();
        w = std::make_unique<WiredWorkspace>();
        ws().m_clock = [] { return k7May2026At0905; };
        ws().m_current.request = Spec{.f1 = 1000, .ripple = 0.5};
        ws().m_current.achieved = ws().m_current.request;
        ws().m_current.valid = true;
        ws().m_current.origin = FilterOrigin::Designed;
    }

    FilterWorkspace& ws() { return w->ws; }

    // Sets the coefficients, their count and their format.
    void Coefs(const std::vector<double>& coefs, int format) {
        std::copy(coefs.begin(), coefs.end(), ws().TapsCovering(static_cast<int>(coefs.size())));
        ws().m_current.achieved.numCoefs = static_cast<int>(coefs.size());
        ws().m_current.format = static_cast<CoefFormat>(format);
    }

    // The text from "#define" on.
    std::string CoefficientBlock() {
        const std::string text(ws().Text());
        const auto at = text.find("#define");
        return at == std::string::npos ? std::string() : text.substr(at);
    }

    std::unique_ptr<WiredWorkspace> w;
};

const std::vector<double> kNineTaps = {0.001, -0.01, 0.1, 0.5, 1.0, 0.5, 0.1, -0.01, 0.001};

TEST_F(WriterTest, WholeDescriptionOfAShortFilter) {
    Coefs(kNineTaps, INT16);
    // The description is written in the filter's format, whatever radio the window has checked.
    w->window.checkedRadio = FLT32;
    ASSERT_EQ(ws().BuildDescription(), 1);
    EXPECT_EQ(ws().m_current.format, INT16);
    EXPECT_EQ(ws().Text(),
              "Ondela Filter Designed  :   7 may  2026 at  9: 5\r\n"
              "------------------------------------------------\r\n"
              "\r\n"
              "PARAMETERS\r\n"
              "----------\r\n"
              "Type = LowPass, fc = 1000 @ fs = 48000\r\n"
              "Attenuation = 60.000 dB, Ripple = 0.500 dB\r\n"
              "Max nb of Coefficients = 127\r\n"
              "\r\n"
              "COEFFICIENTS\r\n"
              "------------\r\n"
              "\r\n"
              "#define NBCOEFS 9\r\n"
              "\r\n"
              "static short m_firCoefs[NBCOEFS] = {\r\n"
              "        32,  -327,  3276, 16383, 32767, 16383,  3276,  -327,\r\n"
              "        32 };\r\n");
    EXPECT_EQ(ws().m_textSize, static_cast<int>(ws().Text().size()));
    EXPECT_EQ(ws().m_text[ws().m_textSize], '\0');
    EXPECT_EQ(ws().m_textOverflow, 0);
}

TEST_F(WriterTest, RowsForNoneAndOneCoefficient) {
    // No coefficient count: the array is opened and never closed.
    Coefs(kNineTaps, FLT32);
    ws().m_current.achieved.numCoefs = 0;
    ASSERT_EQ(ws().BuildDescription(), 1);
    EXPECT_EQ(CoefficientBlock(), "#define NBCOEFS 0\r\n\r\nstatic float m_firCoefs[NBCOEFS] = {");

    Coefs({0.1}, FLT64);
    ws().m_current.taps[1] = 0.2;  // indexes 1 to 3 tell whether there is a filter at all
    ASSERT_EQ(ws().BuildDescription(), 1);
    EXPECT_EQ(CoefficientBlock(),
              "#define NBCOEFS 1\r\n\r\nstatic double m_firCoefs[NBCOEFS] = {\r\n"
              "     1.0000000000000001e-001 };\r\n");

    Coefs({0.25, -0.5, 0.25}, INT32);
    ASSERT_EQ(ws().BuildDescription(), 1);
    EXPECT_EQ(CoefficientBlock(),
              "#define NBCOEFS 3\r\n\r\nstatic int m_firCoefs[NBCOEFS] = {\r\n"
              "      536870911,-1073741823,  536870911 };\r\n");
}

TEST_F(WriterTest, LongestDesignFitsInOneThousandAndTwentyFourRows) {
    std::vector<double> coefs(4095);
    for (size_t i = 0; i < coefs.size(); ++i) coefs[i] = -0.123456789 / (1.0 + i);
    Coefs(coefs, FLT64);
    ASSERT_EQ(ws().BuildDescription(), 1);
    EXPECT_EQ(ws().m_textOverflow, 0);
    const std::string block = CoefficientBlock();
    size_t rows = 0;
    for (size_t at = block.find("\r\n    "); at != std::string::npos;
         at = block.find("\r\n    ", at + 1)) {
        ++rows;
    }
    EXPECT_EQ(rows, 1024u);
    EXPECT_TRUE(block.ends_with(",-3.0148178021978022e-005 };\r\n"))
        << block.substr(block.size() - 80);
    EXPECT_LT(ws().m_textSize, kTextCapacity - kTextMargin);
}

TEST_F(WriterTest, NoFilterWithoutCoefficientsOneToThree) {
    Coefs({0.7, 0.0, 0.0, 0.0, 0.3}, FLT64);  // index 0 is not examined
    ws().m_textSize = 55;
    EXPECT_EQ(ws().BuildDescription(), 0);
    EXPECT_EQ(ws().m_textSize, 55);  // nothing was touched
    EXPECT_TRUE(w->Messages().empty());
}

// A buffer already holding used characters (whole pieces of at most kPieceLimit).
DescriptionBuffer FilledTo(int used) {
    DescriptionBuffer buffer;
    for (; used >= kPieceLimit; used -= kPieceLimit)
        EXPECT_TRUE(buffer.Append(std::string(kPieceLimit, 'a')));
    EXPECT_TRUE(buffer.Append(std::string(static_cast<std::size_t>(used), 'a')));
    return buffer;
}

TEST(DescriptionBuffer, OverflowStopsAtAWholePiece) {
    const std::string value = CoefValueText(0.1, FLT64, false);
    const int start = kTextCapacity - kTextMargin - 30;
    DescriptionBuffer buffer = FilledTo(start);
    EXPECT_TRUE(buffer.Append(value));
    EXPECT_FALSE(buffer.Append(value));  // would reach into the last 80 bytes
    EXPECT_TRUE(buffer.Full());
    EXPECT_FALSE(buffer.AppendFormatted("%d", 1));  // nothing more, however small
    EXPECT_EQ(buffer.Text().size(), static_cast<std::size_t>(start) + value.size());
    EXPECT_EQ(buffer.Text().substr(static_cast<std::size_t>(start)), value);
}

TEST(DescriptionBuffer, LineEndsNeverRunPastTheCapacity) {
    // The margin test alone would let this piece in; its CRs would not fit.
    const std::string lines(5000, '\n');
    DescriptionBuffer buffer = FilledTo(kTextCapacity - kTextMargin - 5001);
    EXPECT_FALSE(buffer.Append(lines));
    EXPECT_TRUE(buffer.Full());
    EXPECT_EQ(buffer.Text().size(), static_cast<std::size_t>(kTextCapacity - kTextMargin - 5001));
}

TEST(DescriptionBuffer, PiecesAreCutAtThePieceLimitAndGetCarriageReturns) {
    DescriptionBuffer buffer;
    EXPECT_TRUE(buffer.Append(std::string(20000, 'x')));
    EXPECT_EQ(buffer.Text().size(), static_cast<std::size_t>(kPieceLimit));
    DescriptionBuffer lines;
    EXPECT_TRUE(lines.AppendFormatted("a\n%d\n\n", 7));
    EXPECT_EQ(lines.Text(), "a\r\n7\r\n\r\n");
}

TEST_F(WriterTest, DateLineSpellsMonthsAndPadsWithSpaces) {
    struct Case {
        std::time_t t;
        const char* line;
    };
    const Case cases[] = {
        {k7May2026At0905, "Ondela Filter Designed  :   7 may  2026 at  9: 5\r\n"},
        {1798243140, "Ondela Filter Designed  :  25 dec. 2026 at 23:59\r\n"},
        {1769817600, "Ondela Filter Designed  :  31 jan. 2026 at  0: 0\r\n"},
    };
    Coefs(kNineTaps, INT16);
    for (const Case& c : cases) {
        ws().m_clock = [&c] { return c.t; };
        ASSERT_EQ(ws().BuildDescription(), 1);
        const std::string text(ws().Text());
        EXPECT_EQ(text.substr(0, text.find('\n') + 1), c.line);
    }
}

TEST_F(WriterTest, HeaderForEachKindOfFilter) {
    struct Case {
        const char* what;
        FilterSpec spec;
        int fromSpec;
        const char* parameters;  // the lines after "----------"
    };
    const Case cases[] = {
        {"high pass",
         Spec{.type = HighPass,
              .f1 = 2205.5,
              .attenuation = 80,
              .ripple = 0.1,
              .maxCoefs = 255,
              .fs = 44100},
         1,
         "Type = HighPass, fc = 2205.5 @ fs = 44100\r\n"
         "Attenuation = 80.000 dB, Ripple = 0.100 dB\r\n"
         "Max nb of Coefficients = 255\r\n"},
        {"band stop",
         Spec{.type = BandStop,
              .f1 = 1000,
              .f2 = 2000,
              .attenuation = 40,
              .ripple = 1,
              .maxCoefs = 63,
              .fs = 8000},
         1,
         "Type = BandStop, fc1 = 1000, fc2 = 2000 @ fs = 8000\r\n"
         "Attenuation = 40.000 dB, Ripple = 1.000 dB\r\n"
         "Max nb of Coefficients = 63\r\n"},
        {"half band", Spec{.type = HalfBand, .f1 = 12000, .attenuation = 100, .ripple = 0.01}, 1,
         "Type = HalfBand, fs = 48000\r\n"
         "Attenuation = 100.000 dB\r\n"
         "Max nb of Coefficients = 127\r\n"},
        {"coefficient analysis", Spec{.type = BandPass, .f1 = 1000, .f2 = 2000, .ripple = 0.5}, 0,
         "Type = BandPass, fs = 48000\r\n"},
        // An entered specification that does not validate turns the description into a
        // coefficient analysis.
        {"invalid entry", Spec{.f1 = 0, .ripple = 0.5}, 1, "Type = LowPass, fs = 48000\r\n"},
    };
    Coefs(kNineTaps, INT16);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ws().m_current.request = c.spec;
        ws().m_current.origin = c.fromSpec ? FilterOrigin::Designed : FilterOrigin::None;
        ASSERT_EQ(ws().BuildDescription(), 1);
        const std::string text(ws().Text());
        const auto from = text.find("----------\r\nType") + 12;
        const auto to = text.find("\r\n\r\nCOEFFICIENTS");
        EXPECT_EQ(text.substr(from, to + 2 - from), c.parameters);
    }
}

TEST_F(WriterTest, ReversedBandEdgesAreWrittenAscendingAndShown) {
    Coefs(kNineTaps, INT16);
    ws().m_current.request = Spec{.type = BandStop, .f1 = 3000, .f2 = 1000, .ripple = 0.5};
    ASSERT_EQ(ws().BuildDescription(), 1);
    EXPECT_NE(ws().Text().find("Type = BandStop, fc1 = 1000, fc2 = 3000 @ fs = 48000\r\n"),
              std::string::npos);
    EXPECT_EQ(w->log, (testing::EventLog{"ShowEdgeFreq1 1000", "ShowEdgeFreq2 3000"}));
}

TEST_F(WriterTest, NoHeaderWithoutTypeOrSamplingFrequency) {
    Coefs(kNineTaps, INT16);
    for (const Spec& s : {Spec{.type = static_cast<FilterType>(0), .f1 = 1000, .ripple = 0.5},
                          Spec{.f1 = 1000, .ripple = 0.5, .fs = 0.00005}}) {
        w->log.clear();
        ws().m_current.request = s;
        EXPECT_EQ(ws().BuildDescription(), 0);
        EXPECT_EQ(w->Messages(), std::vector<std::string>{"No valid Filter designed"});
    }
}

TEST_F(WriterTest, UnknownFormatIsWrittenAsDoubles) {
    Coefs(kNineTaps, -1);
    ws().m_current.format = static_cast<CoefFormat>(9);
    ASSERT_EQ(ws().BuildDescription(), 1);
    EXPECT_EQ(ws().m_current.format, FLT64);
    EXPECT_NE(CoefficientBlock().find("static double"), std::string::npos);
}

// ---------------------------------------------------------------------------------------------
// FilterTitle

TEST_F(WriterTest, TitleForEachKindOfFilterAndOrigin) {
    struct Case {
        const char* what;
        FilterSpec spec;
        FilterSpec work;
        int fromSpec;
        const char* title;
    };
    const FilterSpec lp = Spec{.f1 = 1000, .ripple = 0.5};
    const FilterSpec bp = Spec{.type = BandPass, .f1 = 1000, .f2 = 3000, .ripple = 0.5};
    const FilterSpec hb = Spec{.type = HalfBand, .f1 = 12000, .ripple = 0.01};
    FilterSpec lpWork = Spec{.f1 = 1012.7, .attenuation = 61.234, .ripple = 0.4321};
    lpWork.numCoefs = 101;
    FilterSpec bpWork = Spec{
        .type = BandPass, .f1 = 1234.5678, .f2 = 3456.789, .attenuation = 58.01, .ripple = 0.0123};
    bpWork.numCoefs = 121;
    FilterSpec hbWork = Spec{.type = HalfBand, .f1 = 11900, .attenuation = 72.34, .ripple = 0.001};
    hbWork.numCoefs = 51;
    FilterSpec noEdges = bpWork;
    noEdges.f2 = 0.0;
    FilterSpec invalidWork = lpWork;
    invalidWork.fs = 0.0;
    FilterSpec deepWork = lpWork;
    deepWork.attenuation = 130.0;
    FilterSpec noEdge = lpWork;
    noEdge.f1 = 0.0;

    const Case cases[] = {
        {"half band analysis", hb, hbWork, 0,
         "FIR_51_FLT32 HalfBand fs=48000 Att=72.3dB COEF ANALYSIS"},
        {"half band design", hb, hbWork, 1, "FIR_51_FLT32 HalfBand fs=48000 Att=60dB"},
        {"low pass analysis", lp, lpWork, 0,
         "FIR_101_FLT32 LowPass fs=48000 fc=1013 Att=61.2dB Rip=0.432dB COEF ANALYSIS"},
        {"low pass design", lp, lpWork, 1,
         "FIR_101_FLT32 LowPass fs=48000 fc=1000 Att=60dB Rip=0.5dB"},
        {"low pass without a measured edge: the entered count", lp, noEdge, 1,
         "FIR_127_FLT32 LowPass fs=48000 fc=1000 NOT COHERENT"},
        {"band pass analysis", bp, bpWork, 0,
         "FIR_121_FLT32 BandPass fs=48000 fc1=1234.57 fc2=3457 Att=58dB Rip=0.0123dB COEF "
         "ANALYSIS"},
        {"band pass design", bp, bpWork, 1,
         "FIR_121_FLT32 BandPass fs=48000 fc1=1000 fc2=3000 Att=60dB Rip=0.5dB"},
        {"band pass without a measured upper edge", bp, noEdges, 1,
         "FIR_121_FLT32 BandPass fs=48000 fc1=1000 fc2=3000 NOT COHERENT"},
        {"achieved values that do not validate give the entered count", lp, invalidWork, 1,
         "FIR_127_FLT32 LowPass fs=48000 fc=1000 Att=60dB Rip=0.5dB"},
        {"achieved levels are shown as validation limits them", lp, deepWork, 0,
         "FIR_101_FLT32 LowPass fs=48000 fc=1013 Att=120dB Rip=0.432dB COEF ANALYSIS"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ws().m_current.request = c.spec;
        ws().m_current.achieved = c.work;
        ws().m_current.origin = c.fromSpec ? FilterOrigin::Designed : FilterOrigin::None;
        ws().m_current.format = FLT32;
        std::string title;
        EXPECT_EQ(ws().FilterTitle(title), 1);
        EXPECT_EQ(title, c.title);
        // The title never changes what the coefficients achieved.
        EXPECT_EQ(ws().m_current.achieved.attenuation, c.work.attenuation);
        EXPECT_EQ(ws().m_current.achieved.fs, c.work.fs);
    }
}

TEST_F(WriterTest, NoTitleWithoutAValidFilterOrSpecification) {
    std::string title = "old";
    ws().m_current.valid = false;
    EXPECT_EQ(ws().FilterTitle(title), 0);
    EXPECT_EQ(title, "");
    ws().m_current.valid = true;
    ws().m_current.request.fs = -1.0;
    EXPECT_EQ(ws().FilterTitle(title), 0);
}

// ---------------------------------------------------------------------------------------------
// ShowInEditor

TEST_F(WriterTest, EditorReceivesTitleAndText) {
    Coefs(kNineTaps, INT16);
    ASSERT_EQ(ws().ShowInEditor(), 1);
    EXPECT_EQ(w->editor.title, "FIR_9_INT16 LowPass fs=48000 fc=1000 Att=60dB Rip=0.5dB");
    EXPECT_EQ(w->editor.text, ws().Text());
    EXPECT_TRUE(w->editor.text.ends_with("        32 };\r\n"));
    EXPECT_EQ(w->log.front(), "ClearEditorText");
    EXPECT_TRUE(w->Messages().empty());
}

TEST_F(WriterTest, EditorStaysEmptyWhenThereIsNothingToShow) {
    struct Case {
        const char* what;
        int filterValid;
        bool coefs;
        double fs;
        std::vector<std::string> messages;
        std::string title;
    };
    const Case cases[] = {
        {"no filter yet",
         0,
         true,
         48000,
         {"No filter designed yet, opening empty Editor window"},
         "FIR View Edit Window"},
        {"no coefficients", 1, false, 48000, {"No valid Filter coefs available"}, ""},
        {"no sampling frequency",
         1,
         true,
         0,
         {"No valid Filter designed", "No valid Filter coefs available"},
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        if (c.coefs) Coefs(kNineTaps, INT16);
        ws().m_current.valid = c.filterValid;
        ws().m_current.request.fs = c.fs;
        w->editor.text = "stale";
        EXPECT_EQ(ws().ShowInEditor(), 0);
        EXPECT_EQ(w->Messages(), c.messages);
        EXPECT_EQ(w->editor.title, c.title);
        EXPECT_EQ(w->editor.text, "");
    }
}

TEST_F(WriterTest, EditorIsRefusedATitleThatCannotBeMade) {
    Coefs(kNineTaps, INT16);
    ws().m_current.request.f1 = 0.0;  // a low pass at 0 Hz: the header writes a coefficient
                                      // analysis, but the entered specification gives no title
    EXPECT_EQ(ws().ShowInEditor(), 0);
    EXPECT_EQ(w->Messages(), std::vector<std::string>{"Sorry... This filter is not valid!"});
}

// ---------------------------------------------------------------------------------------------
// DescribeFilter and FilterTitle on filter values

// A filter of four taps that a writer can describe: designed from a band pass whose edges were
// entered the wrong way round and whose attenuation was typed negative.
CurrentFilter FourTapBandPass() {
    CurrentFilter f;
    f.request = Spec{.type = BandPass,
                     .f1 = 3000,
                     .f2 = 1000,
                     .attenuation = -50,
                     .ripple = 0.5,
                     .maxCoefs = 63,
                     .fs = 8000};
    f.achieved = f.request;
    f.achieved.numCoefs = 4;
    f.taps = {0.25, -0.5, 0.25, 0.125};
    f.format = FLT32;
    f.origin = FilterOrigin::Designed;
    f.targetsMetIn = TargetsMetIn{INT16, std::nullopt};
    return f;
}

constexpr const char* kEpochLine = "Ondela Filter Designed  :   1 jan. 1970 at  0: 0\r\n";

TEST(DescribeFilter, WholeTextsOfFilterValues) {
    UseUtc();
    CurrentFilter loaded = FourTapBandPass();
    loaded.request = Spec{};
    loaded.taps = {0.001, -0.01, 0.1, 0.5, 1.0};
    loaded.format = INT16;
    loaded.origin = FilterOrigin::LoadedCoefs;  // its record of a search is not written
    CurrentFilter unchecked = loaded;
    unchecked.request.f1 = 0.0;  // a low pass at 0 Hz does not pass the check
    unchecked.origin = FilterOrigin::Designed;
    unchecked.targetsMetIn.reset();
    const std::string head = std::string(kEpochLine) +
                             "------------------------------------------------\r\n"
                             "\r\n"
                             "PARAMETERS\r\n"
                             "----------\r\n";
    const std::string int16List =
        "\r\nCOEFFICIENTS\r\n------------\r\n\r\n#define NBCOEFS 5\r\n\r\n"
        "static short m_firCoefs[NBCOEFS] = {\r\n"
        "        32,  -327,  3276, 16383, 32767 };\r\n";
    struct Case {
        const char* what;
        CurrentFilter filter;
        std::string text;
    };
    const Case cases[] = {
        {"designed: the request as checked, and the format met in", FourTapBandPass(),
         head + "Type = BandPass, fc1 = 1000, fc2 = 3000 @ fs = 8000\r\n"
                "Attenuation = 50.000 dB, Ripple = 0.500 dB\r\n"
                "Max nb of Coefficients = 63\r\n"
                "Targets met in = INT16\r\n"
                "\r\nCOEFFICIENTS\r\n------------\r\n\r\n#define NBCOEFS 4\r\n\r\n"
                "static float m_firCoefs[NBCOEFS] = {\r\n"
                "     2.50000000e-001,-5.00000000e-001, 2.50000000e-001, 1.25000000e-001 };\r\n"},
        {"loaded coefficients: type and rate only", loaded,
         head + "Type = LowPass, fs = 48000\r\n" + int16List},
        {"a request that does not pass the check", unchecked,
         head + "Type = LowPass, fs = 48000\r\n" + int16List},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const DescriptionText d = DescribeFilter(c.filter, 0);
        EXPECT_FALSE(d.missing.has_value());
        EXPECT_FALSE(d.cut);
        EXPECT_EQ(d.text, c.text);
    }
}

TEST(DescribeFilter, NoDescriptionAndWhy) {
    struct Case {
        const char* what;
        std::vector<double> taps;
        FilterSpec request;
        NoDescription why;
    };
    const Case cases[] = {
        {"taps 1 to 3 zero", {0.7, 0.0, 0.0, 0.0, 0.3}, Spec{}, NoDescription::kNoCoefs},
        {"taps 1 to 3 zero in four", {0.7, 0.0, 0.0, 0.0}, Spec{}, NoDescription::kNoCoefs},
        {"no type",
         {0.1, 0.2, 0.3, 0.4},
         Spec{.type = static_cast<FilterType>(0)},
         NoDescription::kNoRequest},
        {"no rate", {0.1, 0.2, 0.3, 0.4}, Spec{.fs = 0.00005}, NoDescription::kNoRequest},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CurrentFilter f = FourTapBandPass();
        f.taps = c.taps;
        f.request = c.request;
        const DescriptionText d = DescribeFilter(f, 0);
        EXPECT_EQ(d.missing, c.why);
        EXPECT_TRUE(d.text.empty());
    }
}

TEST(DescribeFilter, FewerThanFourTapsAreWrittenAsTheyStand) {
    CurrentFilter f = FourTapBandPass();
    f.taps = {0.0, 0.0};
    DescriptionText d = DescribeFilter(f, 0);
    EXPECT_FALSE(d.missing.has_value());
    EXPECT_TRUE(
        d.text.ends_with("#define NBCOEFS 2\r\n\r\nstatic float m_firCoefs[NBCOEFS] = {\r\n"
                         "     0.00000000e+000, 0.00000000e+000 };\r\n"))
        << d.text;
    f.taps.clear();
    d = DescribeFilter(f, 0);
    EXPECT_TRUE(d.text.ends_with("#define NBCOEFS 0\r\n\r\nstatic float m_firCoefs[NBCOEFS] = {"))
        << d.text;
}

TEST(DescribeFilter, UnknownFormatIsWrittenAsDoublesAndATooLongListIsCut) {
    CurrentFilter f = FourTapBandPass();
    f.format = static_cast<CoefFormat>(9);
    DescriptionText d = DescribeFilter(f, 0);
    EXPECT_TRUE(d.text.ends_with(
        "static double m_firCoefs[NBCOEFS] = {\r\n"
        "     2.5000000000000000e-001,-5.0000000000000000e-001, 2.5000000000000000e-001, "
        "1.2500000000000000e-001 };\r\n"));

    // 20000 doubles of 24 characters each do not fit: the text ends at a whole value.
    f.taps.assign(20000, 0.5);
    f.format = FLT64;
    d = DescribeFilter(f, 0);
    EXPECT_TRUE(d.cut);
    EXPECT_FALSE(d.missing.has_value());
    // The last piece that fit is a value or the start of a row.
    EXPECT_TRUE(d.text.ends_with(" 5.0000000000000000e-001,") || d.text.ends_with("\r\n    "))
        << d.text.substr(d.text.size() - 40);
    EXPECT_LT(d.text.size(), static_cast<std::size_t>(kTextCapacity - kTextMargin));
    EXPECT_NE(d.text.find("#define NBCOEFS 20000\r\n"), std::string::npos);
}

TEST(DescribeFilter, ReadsBackAsTheFilterItDescribes) {
    const CurrentFilter f = FourTapBandPass();
    const DescriptionText d = DescribeFilter(f, 0);
    const DescriptionContents read = ReadDescription(d.text.c_str());
    EXPECT_EQ(read.parameterCount, 5);
    EXPECT_EQ(read.spec.type, BandPass);
    EXPECT_EQ(read.spec.f1, 1000.0);
    EXPECT_EQ(read.spec.f2, 3000.0);
    EXPECT_EQ(read.spec.attenuation, 50.0);
    EXPECT_EQ(read.spec.maxCoefs, 63);
    EXPECT_EQ(read.coefCount, 4);
    EXPECT_EQ(read.format, FLT32);
    EXPECT_EQ(read.coefs, f.taps);  // each is exact in single precision
    ASSERT_TRUE(read.targetsMetIn.has_value());
    EXPECT_EQ(read.targetsMetIn->format, INT16);
    EXPECT_FALSE(read.targetsMetIn->word.has_value());
}

TEST(FilterTitleOfAValue, EachOriginAndRequest) {
    CurrentFilter designed = FourTapBandPass();
    designed.achieved.f1 = 1012.5;
    designed.achieved.f2 = 2990.25;
    designed.achieved.attenuation = 51.25;
    designed.achieved.ripple = 0.375;
    CurrentFilter edited = designed;
    edited.origin = FilterOrigin::EditedCoefs;
    CurrentFilter none = designed;
    none.origin = FilterOrigin::None;
    CurrentFilter noRate = designed;
    noRate.request.fs = 0.0;
    CurrentFilter unknownFormat = designed;
    unknownFormat.format = static_cast<CoefFormat>(9);
    struct Case {
        const char* what;
        CurrentFilter filter;
        std::optional<std::string> title;
    };
    const Case cases[] = {
        {"designed: the request as checked", designed,
         "FIR_4_FLT32 BandPass fs=8000 fc1=1000 fc2=3000 Att=50dB Rip=0.5dB"},
        {"edited: the achieved values", edited,
         "FIR_4_FLT32 BandPass fs=8000 fc1=1012.5 fc2=2990 Att=51.2dB Rip=0.375dB COEF ANALYSIS"},
        {"no filter", none, std::nullopt},
        {"a request that does not pass the check", noRate, std::nullopt},
        {"a format without a name", unknownFormat,
         "FIR_4_ BandPass fs=8000 fc1=1000 fc2=3000 Att=50dB Rip=0.5dB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(FilterTitle(c.filter), c.title);
    }
}

}  // namespace
}  // namespace ondela
