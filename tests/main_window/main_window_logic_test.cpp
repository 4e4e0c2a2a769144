// The main window's logic driven through a table of controls: start-up from an empty store, the
// field corrections, the type radios, the display limits and spins, the commands and the pointer
// over the response plot. The design engine and the plots are the real ones.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/design_engine.h"
#include "settings/memory_settings_store.h"
#include "settings/preferences.h"
#include "tests/main_window/fake_controls.h"
#include "tests/workspace/workspace_fakes.h"
#include "ui/main_window/control_ids.h"
#include "ui/main_window/main_window_presenter.h"
#include "ui/plot/plot_text.h"
#include "ui/plot/response_plot.h"
#include "workspace/display_numbers.h"
#include "workspace/filter_workspace.h"

namespace ondela {
namespace {

using testing::EventLog;
using testing::FakeControls;
using testing::FakeEditor;
using testing::FakeShell;
using testing::RecordingDialogs;

// The response plot where the window puts it: left edge at x = 15.
constexpr ClientRect kRespRect{15, 18, 15 + kPlotWidth, 18 + kResponsePlotHeight};

class MainWindowTest : public ::testing::Test {
  protected:
    MainWindowTest() {
        prefs.OpenKeys();
        ws.m_prefs = &prefs;
        ws.m_engine = &engine;
        ws.m_dialogs = &dialogs;
        ws.m_editor = &editor;
        editor.open = false;
    }

    void Start() {
        dlg.Start(kRespRect);
        graph.PaintPlots(dlg.CurvesShown());
    }
    void Type(int id, const std::string& text) { controls.text[id] = text; }
    std::string Shown(int id) { return controls.GetText(id); }
    void Click(int id) {
        controls.ClickRadio(id);
        dlg.OnCommand(id);
    }
    std::vector<std::string> Messages() const {
        std::vector<std::string> out;
        for (const auto& e : log)
            if (e.rfind("Message ", 0) == 0) out.push_back(e.substr(8));
        return out;
    }

    MemorySettingsStore store;
    Preferences prefs{&store};
    DesignEngine engine;
    FilterWorkspace ws;
    ResponsePlot graph{ws};
    FakeControls controls;
    FakeShell shell;
    EventLog log;
    FakeEditor editor{log};
    RecordingDialogs dialogs{log};
    MainWindowPresenter dlg{ws, graph, controls, &shell};
};

TEST_F(MainWindowTest, FirstStartWithAnEmptyStore) {
    Start();
    EXPECT_TRUE(controls.IsChecked(ctl::kLowPass));
    EXPECT_EQ(controls.checked.count(ctl::kHighPass) + controls.checked.count(ctl::kBandPass) +
                  controls.checked.count(ctl::kBandStop) + controls.checked.count(ctl::kHalfBand),
              0u);
    EXPECT_EQ(Shown(ctl::kSamplingFreq), "48000 Hz");
    EXPECT_EQ(Shown(ctl::kEdgeFreq1), "10000 Hz");
    EXPECT_EQ(Shown(ctl::kEdgeFreq2), "");
    EXPECT_FALSE(controls.Enabled(ctl::kEdgeFreq2));
    EXPECT_EQ(Shown(ctl::kAttenuation), "60 dB");
    EXPECT_EQ(Shown(ctl::kRipple), "0.4 dB");
    EXPECT_EQ(Shown(ctl::kMaxCoefs), "127");
    EXPECT_TRUE(controls.IsChecked(ctl::kScaleLin));
    EXPECT_FALSE(controls.IsChecked(ctl::kScaleLog));
    EXPECT_EQ(Shown(ctl::kFreqMin), "0 Hz");
    EXPECT_EQ(Shown(ctl::kFreqMax), "30 kHz");
    EXPECT_EQ(Shown(ctl::kCursorField), "10000 Hz");
    EXPECT_TRUE(controls.IsChecked(ctl::kFloat32));
    EXPECT_FALSE(controls.IsChecked(ctl::kFloat64));
    for (int id : {ctl::kAchievedEdge1, ctl::kAchievedEdge2, ctl::kAchievedBandwidth,
                   ctl::kAchievedAttenuation, ctl::kAchievedRipple, ctl::kAchievedCoefs}) {
        EXPECT_EQ(Shown(id), "") << id;
    }
    EXPECT_FALSE(dlg.CurvesShown());
    EXPECT_EQ(controls.caption, "Ondela 1.21");
    EXPECT_EQ(ws.m_mainWindow, &dlg);
}

TEST_F(MainWindowTest, TypeRadiosRestoreEdge2AndSetUpTheHalfBand) {
    Start();
    Click(ctl::kBandPass);  // no edge 2 yet: the middle between edge 1 and Nyquist
    EXPECT_EQ(Shown(ctl::kEdgeFreq2), "17000 Hz");
    EXPECT_TRUE(controls.Enabled(ctl::kEdgeFreq2));

    Type(ctl::kEdgeFreq2, "15000 Hz");
    Click(ctl::kLowPass);
    EXPECT_EQ(Shown(ctl::kEdgeFreq2), "");
    Click(ctl::kBandStop);  // the emptied edge 2 comes back, it lies above edge 1
    EXPECT_EQ(Shown(ctl::kEdgeFreq2), "15000 Hz");

    Click(ctl::kHighPass);
    Type(ctl::kEdgeFreq1, "20000 Hz");
    Click(ctl::kBandPass);  // the remembered 15000 is below edge 1 now
    EXPECT_EQ(Shown(ctl::kEdgeFreq2), "22000 Hz");

    Type(ctl::kAttenuation, "20 dB");
    Click(ctl::kHalfBand);
    EXPECT_EQ(Shown(ctl::kEdgeFreq1), "12000 Hz");
    EXPECT_EQ(Shown(ctl::kEdgeFreq2), "");
    EXPECT_EQ(Shown(ctl::kRipple), "0.001 dB");
    EXPECT_EQ(Shown(ctl::kAttenuation), "30 dB");
    for (int id : {ctl::kEdgeFreq1, ctl::kEdgeFreq2, ctl::kRipple}) {
        EXPECT_FALSE(controls.Enabled(id)) << id;
    }
    EXPECT_EQ(std::get<uint32_t>(store.Values().at("TYPE")), static_cast<uint32_t>(HalfBand));
}

TEST_F(MainWindowTest, FieldsCorrectWhatWasTyped) {
    struct Case {
        int id;
        const char* typed;
        const char* shown;
    };
    const Case cases[] = {
        {ctl::kEdgeFreq1, "2,5 kHz", "2500 Hz"},
        {ctl::kEdgeFreq1, "30000", "23995 Hz"},
        {ctl::kAttenuation, "-70", "70 dB"},
        {ctl::kAttenuation, "150", "120 dB"},
        {ctl::kRipple, "5", "2 dB"},
        {ctl::kRipple, "0", "0.001 dB"},
        {ctl::kMaxCoefs, "2", "3"},
        {ctl::kMaxCoefs, "abc", "3"},
        {ctl::kMaxCoefs, "5000", "4096"},
        {ctl::kMaxCoefs, " 255 ", "255"},
        {ctl::kMaxCoefs, "12abc", "3"},
        {ctl::kMaxCoefs, "99999999999", "4096"},
    };
    for (const Case& c : cases) {
        Start();
        Type(c.id, c.typed);
        dlg.ReadSpecFields();
        EXPECT_EQ(Shown(c.id), c.shown) << c.typed;
    }
    Start();
    Type(ctl::kEdgeFreq1, "2,5 kHz");
    Type(ctl::kAttenuation, "-70");
    Type(ctl::kRipple, "5");
    Type(ctl::kMaxCoefs, "5000");
    ASSERT_NE(dlg.ReadSpecFields(), -1);
    EXPECT_EQ(ws.m_current.request.f1, 2500.0);
    EXPECT_EQ(ws.m_current.request.attenuation, 70.0);
    EXPECT_EQ(ws.m_current.request.ripple, 2.0);
    EXPECT_EQ(ws.m_current.request.maxCoefs, 4096);
}

TEST_F(MainWindowTest, SpinsStepAlongTheirLadders) {
    Start();
    dlg.OnSpin(ctl::kFreqMaxSpin, false);
    EXPECT_EQ(Shown(ctl::kFreqMax), "20 kHz");
    dlg.OnSpin(ctl::kFreqMaxSpin, true);
    EXPECT_EQ(Shown(ctl::kFreqMax), "30 kHz");
    dlg.OnSpin(ctl::kFreqMaxSpin, true);  // Nyquist 24000 rounds up to the cap of 30000
    EXPECT_EQ(Shown(ctl::kFreqMax), "30 kHz");
    ws.m_view.linFMax = 24000.0;
    dlg.OnSpin(ctl::kFreqMaxSpin, false);  // 24000 is first raised to 30000
    EXPECT_EQ(ws.m_view.linFMax, 20000.0);

    dlg.OnSpin(ctl::kFreqMinSpin, true);  // a hundredth of the nearest decade of f. max
    EXPECT_EQ(Shown(ctl::kFreqMin), "100 Hz");
    dlg.OnSpin(ctl::kFreqMinSpin, false);
    dlg.OnSpin(ctl::kFreqMinSpin, false);
    EXPECT_EQ(Shown(ctl::kFreqMin), "0 Hz");

    struct Case {
        const char* from;
        bool up;
        double to;
    };
    const Case cursor[] = {{"0.5 Hz", true, 1.0},      {"0.5 Hz", false, 0.0},
                           {"1000 Hz", true, 1010.0},  {"1234 Hz", true, 1250.0},
                           {"1234 Hz", false, 1210.0}, {"23990 Hz", true, 24000.0}};
    for (const Case& c : cursor) {
        Type(ctl::kCursorField, c.from);
        dlg.OnSpin(ctl::kCursorSpin, c.up);
        EXPECT_EQ(ws.m_view.cursorHz, c.to) << c.from;
        EXPECT_EQ(graph.m_cursorHz, c.to) << c.from;
    }
}

TEST_F(MainWindowTest, LogScaleLimitsAndTheCursorAcrossAScaleSwitch) {
    Start();
    Click(ctl::kScaleLog);
    EXPECT_EQ(Shown(ctl::kFreqMax), "50 kHz");
    EXPECT_EQ(Shown(ctl::kFreqMin), "50 Hz");
    EXPECT_EQ(std::get<uint32_t>(store.Values().at("LogFreqScale")), 1u);
    // The cursor keeps its frequency and moves to the matching log column.
    EXPECT_EQ(Shown(ctl::kCursorField), "10000 Hz");
    const int expected =
        40 + static_cast<int>(std::lround(std::log10(10000.0 / 50.0) * graph.m_gridWidth / 3.0));
    EXPECT_EQ(graph.m_cursorX, expected);

    dlg.OnSpin(ctl::kFreqMinSpin, true);  // no f. min steps in the log scale
    EXPECT_EQ(Shown(ctl::kFreqMin), "50 Hz");
    dlg.OnSpin(ctl::kFreqMaxSpin, false);
    EXPECT_EQ(Shown(ctl::kFreqMax), "40 kHz");
    EXPECT_EQ(Shown(ctl::kFreqMin), "40 Hz");
    EXPECT_EQ(ws.m_view.logFMin, ws.m_view.logFMax / 1000.0);

    Click(ctl::kScaleLin);  // each scale kept its own limits
    EXPECT_EQ(Shown(ctl::kFreqMax), "30 kHz");
    EXPECT_EQ(Shown(ctl::kFreqMin), "0 Hz");
    EXPECT_EQ(graph.m_cursorHz, 10000.0);
}

TEST_F(MainWindowTest, EnterInTheCursorFieldMovesTheCursorOrLeavesEnterToCreate) {
    Start();
    EXPECT_FALSE(dlg.OnEnterInCursorField());  // unchanged: Enter goes on to Create
    Type(ctl::kCursorField, "5 kHz");
    EXPECT_TRUE(dlg.OnEnterInCursorField());
    EXPECT_EQ(ws.m_view.cursorHz, 5000.0);
    EXPECT_EQ(graph.m_cursorHz, 5000.0);
    EXPECT_EQ(Shown(ctl::kCursorField), "5000 Hz");
    Type(ctl::kCursorField, "90000");  // beyond Nyquist
    EXPECT_TRUE(dlg.OnEnterInCursorField());
    EXPECT_EQ(ws.m_view.cursorHz, 24000.0);
}

TEST_F(MainWindowTest, CreateDesignsShowsTheAchievedValuesAndStoresTheSpecification) {
    Start();
    Type(ctl::kAttenuation, "50");
    dlg.OnCommand(ctl::kCreate);
    EXPECT_TRUE(Messages().empty());
    EXPECT_TRUE(ws.Current().valid);
    EXPECT_TRUE(dlg.CurvesShown());
    EXPECT_NE(Shown(ctl::kAchievedCoefs), "");
    for (const auto& m : Messages()) ADD_FAILURE() << m;
    EXPECT_EQ(Shown(ctl::kAchievedCoefs), FormatText("%d", ws.m_current.achieved.numCoefs));
    EXPECT_EQ(Shown(ctl::kAchievedAttenuation),
              FormatText("%3.3lf dB", std::fabs(ws.m_current.achieved.attenuation)));
    EXPECT_GE(std::fabs(ws.m_current.achieved.attenuation), 49.0);
    EXPECT_EQ(std::get<std::string>(store.Values().at("ATT")), "50.000000");
    EXPECT_EQ(ws.m_view.cursorHz, 10000.0);
    EXPECT_EQ(controls.pointers.back(), PointerShape::Arrow);
    EXPECT_NE(std::find(controls.pointers.begin(), controls.pointers.end(), PointerShape::Wait),
              controls.pointers.end());
}

TEST_F(MainWindowTest, CreateWithAnInvalidSpecification) {
    for (const char* fs : {"0", "abc", "nan", "-48000"}) {
        Start();
        log.clear();
        Type(ctl::kSamplingFreq, fs);
        EXPECT_EQ(dlg.CreateFilter(), 0) << fs;
        ASSERT_EQ(Messages(), std::vector<std::string>{"SORRY: Invalid Specifications"}) << fs;
        EXPECT_EQ(dialogs.captions.back(), "Error");
        EXPECT_FALSE(dlg.CurvesShown());
        EXPECT_FALSE(ws.Current().valid);
    }
}

TEST_F(MainWindowTest, ARefusedCreateTakesTheOldCurveOffThePlotsAtOnce) {
    Start();
    dlg.OnCommand(ctl::kCreate);
    ASSERT_TRUE(dlg.CurvesShown());
    const int before = controls.repaintsNow;
    Type(ctl::kSamplingFreq, "0");
    dlg.OnCommand(ctl::kCreate);
    EXPECT_FALSE(dlg.CurvesShown());
    EXPECT_GT(controls.repaintsNow, before);
}

TEST_F(MainWindowTest, CreateJudgesTheEdgesAgainstTheRateTypedWithThem) {
    struct Case {
        int type;
        const char* f1;
        const char* f2;
        double wantF1;
        double wantF2;
    };
    // Each edge lies above the Nyquist frequency of 8 kHz and below that of 48 kHz.
    const Case cases[] = {
        {ctl::kLowPass, "10000 Hz", "", 10000.0, 0.0},
        {ctl::kBandPass, "10000 Hz", "15000 Hz", 10000.0, 15000.0},
    };
    for (const Case& c : cases) {
        Start();
        Click(c.type);
        Type(ctl::kSamplingFreq, "8000 Hz");
        Type(ctl::kEdgeFreq1, "1000 Hz");
        Type(ctl::kEdgeFreq2, "2000 Hz");
        dlg.OnCommand(ctl::kCreate);
        ASSERT_EQ(ws.m_current.request.fs, 8000.0);
        log.clear();
        Type(ctl::kSamplingFreq, "48000 Hz");
        Type(ctl::kEdgeFreq1, c.f1);
        Type(ctl::kEdgeFreq2, c.f2);
        dlg.OnCommand(ctl::kCreate);
        EXPECT_TRUE(Messages().empty()) << c.f1;
        EXPECT_EQ(ws.m_current.request.fs, 48000.0);
        EXPECT_EQ(ws.m_current.request.f1, c.wantF1);
        EXPECT_EQ(Shown(ctl::kEdgeFreq1), c.f1);
        if (c.wantF2 > 0.0) {
            EXPECT_EQ(ws.m_current.request.f2, c.wantF2);
            EXPECT_EQ(Shown(ctl::kEdgeFreq2), c.f2);
        }
    }
}

TEST_F(MainWindowTest, FreqMinStaysBelowFreqMaxInBothScales) {
    Start();  // 0 Hz to 30 kHz, f. min in steps of 100 Hz
    for (int i = 0; i < 400; ++i) dlg.OnSpin(ctl::kFreqMinSpin, true);
    EXPECT_EQ(ws.m_view.linFMin, 29900.0);
    EXPECT_EQ(ws.m_view.linFMax, 30000.0);
    dlg.OnSpin(ctl::kFreqMaxSpin, false);  // 20 kHz would lie below f. min
    EXPECT_EQ(ws.m_view.linFMax, 30000.0);
    EXPECT_EQ(Shown(ctl::kFreqMax), "30 kHz");

    for (int i = 0; i < 290; ++i) dlg.OnSpin(ctl::kFreqMinSpin, false);
    EXPECT_EQ(ws.m_view.linFMin, 900.0);
    for (int i = 0; i < 40; ++i) dlg.OnSpin(ctl::kFreqMaxSpin, false);
    EXPECT_GT(ws.m_view.linFMax, ws.m_view.linFMin);
    EXPECT_EQ(ws.m_view.linFMax, 1000.0);

    // Typed limits that contradict each other leave the axis as it was.
    Type(ctl::kFreqMin, "5 kHz");
    dlg.ReadFreqMin();
    EXPECT_EQ(ws.m_view.linFMin, 900.0);
    Type(ctl::kFreqMax, "500 Hz");
    dlg.ReadFreqMax();
    EXPECT_EQ(ws.m_view.linFMax, 1000.0);

    Click(ctl::kScaleLog);
    for (int i = 0; i < 40; ++i) {
        dlg.OnSpin(ctl::kFreqMaxSpin, false);
        ASSERT_LT(ws.m_view.logFMin, ws.m_view.logFMax) << i;
    }
}

TEST_F(MainWindowTest, AbsurdNumbersEndWithAMessageNotAHang) {
    for (const char* fs : {"1e400", "1e300", "1e-300"}) {
        Start();
        log.clear();
        Type(ctl::kSamplingFreq, fs);
        dlg.CreateFilter();
        EXPECT_FALSE(Messages().empty()) << fs;
        EXPECT_FALSE(ws.Current().valid) << fs;
        graph.PaintPlots(dlg.CurvesShown());
    }
}

TEST_F(MainWindowTest, BusyPopupAboveAThousandCoefficientsOnly) {
    Start();
    Type(ctl::kAttenuation, "40");
    Type(ctl::kRipple, "1");
    Type(ctl::kMaxCoefs, "1000");
    dlg.CreateFilter();
    EXPECT_EQ(std::count(log.begin(), log.end(), "OpenBusyPopup"), 0);
    Type(ctl::kMaxCoefs, "1001");
    dlg.CreateFilter();
    ASSERT_EQ(std::count(log.begin(), log.end(), "OpenBusyPopup"), 1);
    EXPECT_FALSE(dialogs.busyOpen);
    // Closed before any message box.
    auto opened = std::find(log.begin(), log.end(), "OpenBusyPopup");
    auto closed = std::find(opened, log.end(), "CloseBusyPopup");
    EXPECT_TRUE(std::none_of(opened, closed,
                             [](const std::string& e) { return e.rfind("Message", 0) == 0; }));
}

TEST_F(MainWindowTest, QuitStoresEvenAnInvalidSpecification) {
    Start();
    Type(ctl::kSamplingFreq, "abc");
    Type(ctl::kAttenuation, "77");
    dlg.OnCommand(ctl::kQuit);
    EXPECT_TRUE(controls.ended);
    EXPECT_EQ(std::get<std::string>(store.Values().at("FS")), "0.000000");
    EXPECT_EQ(std::get<std::string>(store.Values().at("ATT")), "77.000000");
    EXPECT_TRUE(Messages().empty());
}

TEST_F(MainWindowTest, FormatRadioStoresAlwaysAndReMeasuresADesign) {
    Start();
    Click(ctl::kInteger16);  // no filter: only the choice is stored
    EXPECT_EQ(std::get<uint32_t>(store.Values().at("COEF_FORMAT")), 3u);
    EXPECT_EQ(Shown(ctl::kAchievedAttenuation), "");

    Type(ctl::kAttenuation, "100");
    dlg.CreateFilter();
    const std::string asInt16 = Shown(ctl::kAchievedAttenuation);
    Click(ctl::kFloat64);
    EXPECT_EQ(ws.m_current.format, FLT64);
    EXPECT_NE(Shown(ctl::kAchievedAttenuation), asInt16);  // 16-bit steps cost attenuation
    EXPECT_TRUE(controls.IsChecked(ctl::kFloat64));
    EXPECT_EQ(std::get<uint32_t>(store.Values().at("COEF_FORMAT")), 0u);
}

TEST_F(MainWindowTest, MeetInFormatBoxIsRememberedAndTakenByCreate) {
    Start();
    EXPECT_FALSE(controls.IsChecked(ctl::kMeetInFormat));  // off unless asked for
    Click(ctl::kInteger16);
    Type(ctl::kEdgeFreq1, "10000");
    Type(ctl::kRipple, "0.5");
    Type(ctl::kMaxCoefs, "127");
    dlg.CreateFilter();
    EXPECT_EQ(Messages(), std::vector<std::string>{"Warning: Original specifications not met"});
    const double missed = std::stod(Shown(ctl::kAchievedAttenuation));

    controls.SetChecked(ctl::kMeetInFormat, true);
    dlg.OnCommand(ctl::kMeetInFormat);
    EXPECT_EQ(std::get<uint32_t>(store.Values().at("MeetInFormat")), 1u);
    dlg.CreateFilter();
    EXPECT_EQ(Messages().size(), 1u);  // nothing more to say
    EXPECT_GE(std::stod(Shown(ctl::kAchievedAttenuation)), 59.0);
    EXPECT_LT(missed, 59.0);

    // The next start of the window finds the box as it was left.
    FakeControls again;
    MainWindowPresenter next{ws, graph, again, &shell};
    next.Start(kRespRect);
    EXPECT_TRUE(again.IsChecked(ctl::kMeetInFormat));
    EXPECT_EQ(ws.m_meetInFormat, 1);
}

// With the box ticked, a search of any length runs under the busy pop-up and shows its progress
// there; Cancel keeps the best filter found so far (here the design as entered), shown in the
// fields, and says so once the pop-up is closed.
TEST_F(MainWindowTest, MeetInFormatSearchShowsItsProgressAndCanBeCancelled) {
    Start();
    Click(ctl::kInteger16);
    Type(ctl::kEdgeFreq1, "10000");
    Type(ctl::kRipple, "0.5");
    Type(ctl::kMaxCoefs, "127");
    controls.SetChecked(ctl::kMeetInFormat, true);
    dlg.OnCommand(ctl::kMeetInFormat);
    dialogs.cancelAfter = 2;  // before the search's first design
    dlg.CreateFilter();

    const auto opened = std::find(log.begin(), log.end(), "OpenBusyPopup");
    ASSERT_NE(opened, log.end());
    const auto closed = std::find(opened, log.end(), "CloseBusyPopup");
    const auto reports = std::count_if(opened, closed, [](const std::string& e) {
        return e.rfind("Progress Meeting the targets in Integer 16: ", 0) == 0;
    });
    EXPECT_EQ(reports, 2);
    EXPECT_FALSE(dialogs.busyOpen);
    ASSERT_EQ(Messages().size(), 1u);
    const std::string message = Messages().front();
    EXPECT_EQ(message.rfind("Meeting the targets in Integer 16 was cancelled; the best filter "
                            "found so far is kept: 127 coefficients reach a stop band of ",
                            0),
              0u)
        << message;
    EXPECT_EQ(Shown(ctl::kAchievedCoefs), "127");
    const double shown = std::stod(Shown(ctl::kAchievedAttenuation));
    EXPECT_LT(shown, 59.0);  // the design as entered, which misses
}

TEST_F(MainWindowTest, FilterEditorCommandAndItsMessages) {
    Start();
    editor.openFailure = -2;
    dlg.OnCommand(ctl::kFilterEditor);
    editor.openFailure = -3;
    dlg.OnCommand(ctl::kFilterEditor);
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{"Sorry... Could not open the Editor Window",
                                        "Sorry... Could not initialize the Editor Window"}));
    log.clear();
    editor.openFailure = 0;
    editor.open = true;  // already open, no filter: re-sent without a question
    dlg.OnCommand(ctl::kFilterEditor);
    EXPECT_EQ(Messages(),
              std::vector<std::string>{"No filter designed yet, opening empty Editor window"});

    dlg.CreateFilter();  // the open editor receives the new description
    EXPECT_NE(editor.text.find("m_firCoefs"), std::string::npos);
    log.clear();
    dlg.OnCommand(ctl::kFilterEditor);  // RecordingDialogs answers Ok, which is not Yes
    EXPECT_EQ(Messages(), std::vector<std::string>{
                              "The Filter Editor is already opened, refresh its content ?"});
    EXPECT_EQ(std::count(log.begin(), log.end(), "ClearEditorText"), 0);
}

TEST_F(MainWindowTest, AnalysisOpensTheEditorAndActsOnWhatWasEdited) {
    Start();
    dlg.CreateFilter();
    ASSERT_FALSE(editor.open);
    dlg.OnCommand(ctl::kAnalysis);  // the closed editor opens with the current description
    EXPECT_TRUE(editor.open);
    EXPECT_NE(editor.text.find("m_firCoefs"), std::string::npos);

    // Nothing edited: the coefficients are measured again, shown, and drawn at once.
    controls.text[ctl::kAchievedCoefs].clear();
    const int now = controls.repaintsNow;
    dlg.OnCommand(ctl::kAnalysis);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(Shown(ctl::kAchievedCoefs), FormatText("%d", ws.m_current.achieved.numCoefs));
    EXPECT_GT(ws.m_current.achieved.numCoefs, 0);
    EXPECT_TRUE(ws.Current().valid);
    EXPECT_TRUE(dlg.CurvesShown());
    EXPECT_GT(controls.repaintsNow, now);

    // An edited coefficient is measured and the editor gets the new description.
    const std::size_t first = editor.text.find("e-00", editor.text.find("static float"));
    ASSERT_NE(first, std::string::npos);
    editor.text[first - 2] = editor.text[first - 2] == '1' ? '2' : '1';
    log.clear();
    dlg.OnCommand(ctl::kAnalysis);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].rfind("WARNING: Some Coefficients have been modified.", 0), 0u);
    EXPECT_EQ(std::count(log.begin(), log.end(), "ClearEditorText"), 1);

    // A changed parameter in a full description designs again, as Create does.
    dlg.CreateFilter();
    dlg.OnCommand(ctl::kFilterEditor);
    const std::size_t att = editor.text.find("Attenuation = 60.000 dB");
    ASSERT_NE(att, std::string::npos) << editor.text.substr(0, 400);
    editor.text.replace(att, 23, "Attenuation = 70.000 dB");
    dlg.OnCommand(ctl::kAnalysis);
    EXPECT_EQ(Shown(ctl::kAttenuation), "70 dB");
    EXPECT_GE(std::fabs(ws.m_current.achieved.attenuation), 69.0);
}

TEST_F(MainWindowTest, PrintHelpAndAbout) {
    Start();
    dlg.OnCommand(ctl::kPrint);
    dlg.OnCommand(ctl::kHelp);  // no help file: nothing
    dlg.CreateFilter();
    dlg.OnCommand(ctl::kPrint);
    dlg.OnCommand(ctl::kAboutCommand);
    ASSERT_EQ(shell.printed.size(), 2u);
    EXPECT_EQ(shell.printed[0], "FIR Filter");
    EXPECT_NE(shell.printed[1].find("LowPass"), std::string::npos) << shell.printed[1];
    EXPECT_TRUE(shell.helpShown.empty());
    EXPECT_EQ(shell.aboutShown, 1);

    ws.m_helpPath = "/opt/ondela/Ondela.chm";
    dlg.OnCommand(ctl::kHelp);
    EXPECT_EQ(shell.helpShown, std::vector<std::string>{"/opt/ondela/Ondela.chm"});
}

// ---- the pointer over the response plot ----

TEST_F(MainWindowTest, PressWithoutAFilterOnlyStartsHolding) {
    Start();
    const double before = graph.m_cursorHz;
    dlg.PressAt(kRespRect.left + 300, kRespRect.top + 100);
    EXPECT_TRUE(dlg.Dragging());
    EXPECT_EQ(dlg.Pointer(), PointerShape::Arrow);
    EXPECT_EQ(graph.m_cursorHz, before);
}

TEST_F(MainWindowTest, DraggingMovesTheCursorWithTheDualPointer) {
    Start();
    dlg.CreateFilter();
    graph.PaintPlots(true);
    const int y = kRespRect.top + 100;

    dlg.PressAt(kRespRect.left + 540, y);
    EXPECT_EQ(dlg.Pointer(), PointerShape::DualArrow);
    const double expected = (540 - 40) * graph.m_hzPerPixel;
    EXPECT_DOUBLE_EQ(ws.m_view.cursorHz, expected);
    EXPECT_EQ(Shown(ctl::kCursorField), FormatFreqField(expected));

    dlg.MoveTo(kRespRect.left + 10, y);  // the axis-label columns refuse the cursor
    EXPECT_EQ(dlg.Pointer(), PointerShape::Arrow);
    EXPECT_DOUBLE_EQ(ws.m_view.cursorHz, expected);

    dlg.MoveTo(kRespRect.left - 5, y);  // leaving the plot ends the hold
    EXPECT_FALSE(dlg.Dragging());
    dlg.MoveTo(kRespRect.left + 600, y);  // coming back does not resume it
    EXPECT_DOUBLE_EQ(ws.m_view.cursorHz, expected);

    dlg.Release();
    EXPECT_EQ(dlg.Pointer(), PointerShape::Arrow);
    EXPECT_EQ(controls.pointers.back(), PointerShape::Arrow);
}

TEST_F(MainWindowTest, DraggingLeftOfTheLowerLimitPinsTheCursorThere) {
    Start();
    dlg.CreateFilter();
    dlg.OnSpin(ctl::kFreqMinSpin, true);
    dlg.OnSpin(ctl::kFreqMinSpin, true);  // f. min 200 Hz
    graph.PaintPlots(true);
    // Columns count from 0 Hz, so the pointer's column within the plot is shifted by f. min.
    dlg.PressAt(kRespRect.left + 30, kRespRect.top + 50);
    EXPECT_EQ(dlg.Pointer(), PointerShape::Arrow);
    EXPECT_EQ(ws.m_view.cursorHz, 200.0);
}

TEST_F(MainWindowTest, LogDragRoundsToThreeDigits) {
    Start();
    Click(ctl::kScaleLog);
    dlg.CreateFilter();
    graph.PaintPlots(true);
    dlg.PressAt(kRespRect.left + 400, kRespRect.top + 50);
    EXPECT_EQ(dlg.Pointer(), PointerShape::DualArrow);
    const double f = ws.m_view.cursorHz;
    EXPECT_EQ(f, RoundDisplay(f));
    const int posted = controls.repaintsPosted;
    dlg.MoveTo(kRespRect.left + 400, kRespRect.top + 60);  // same column: nothing moves
    EXPECT_EQ(controls.repaintsPosted, posted);
}

}  // namespace
}  // namespace ondela
