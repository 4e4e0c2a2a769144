// Load and Save of filter files, in a private folder under the system's temporary directory.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "engine/design_engine.h"
#include "engine/response.h"
#include "settings/memory_settings_store.h"
#include "settings/preferences.h"
#include "tests/workspace/workspace_fakes.h"
#include "workspace/filter_workspace.h"

namespace ondela {
namespace {

namespace fs = std::filesystem;
using testing::Spec;
using testing::WiredWorkspace;

const char* const kCoefsInvalid =
    "WARNING: The coefs stored in this file are not valid. They will be modified";
const char* const kCoefsOnly =
    "Filter not fully specified. Using Coefficients.\nCheck filter type, freqs and specifs...";

class FilterFilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / "ondela_filter_files_test" /
              (std::to_string(getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        ASSERT_TRUE(prefs.OpenKeys());
        w = NewWorkspace();
    }
    void TearDown() override { fs::remove_all(dir); }

    // A workspace as the application has it, sharing one settings store.
    std::unique_ptr<WiredWorkspace> NewWorkspace() {
        auto made = std::make_unique<WiredWorkspace>();
        made->ws.m_engine = &engine;
        made->ws.m_prefs = &prefs;
        made->editor.open = false;
        return made;
    }

    FilterWorkspace& ws() { return w->ws; }

    void Design(const FilterSpec& spec) {
        ws().m_current.request = spec;
        ASSERT_EQ(w->window.CreateFilter(), 1);
        ASSERT_TRUE(ws().Current().valid);
        w->log.clear();
    }

    void Save(const fs::path& path, int format) {
        ws().m_current.format = static_cast<CoefFormat>(format);
        w->dialogs.fileToSave = path.string();
        ws().SaveFilter();
    }

    void Load(const fs::path& path) {
        w->dialogs.fileToOpen = path.string();
        ws().LoadFilter();
    }

    static void Write(const fs::path& path, const std::string& content) {
        std::ofstream(path, std::ios::binary)
            .write(content.data(), static_cast<std::streamsize>(content.size()));
    }
    static std::string Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream content;
        content << in.rdbuf();
        return content.str();
    }
    bool Warned(const std::string& message) {
        const auto messages = w->Messages();
        return std::find(messages.begin(), messages.end(), message) != messages.end();
    }
    std::string StoredPath() {
        const auto& values = store.Values();
        const auto it = values.find("FileInPath");
        return it == values.end() ? std::string() : std::get<std::string>(it->second);
    }

    fs::path dir;
    MemorySettingsStore store;
    Preferences prefs{&store};
    DesignEngine engine;
    std::unique_ptr<WiredWorkspace> w;
};

// ---------------------------------------------------------------------------------------------
// Round trips

TEST_F(FilterFilesTest, Flt64FileIsDesignedAgainAndMatchesItsCoefficients) {
    Design(Spec{.f1 = 8000, .ripple = 0.5, .maxCoefs = 63});
    const auto designed = ws().m_current.taps;
    const int n = ws().m_current.achieved.numCoefs;
    const fs::path file = dir / "lowpass.txt";
    Save(file, FLT64);
    ASSERT_TRUE(w->Messages().empty());
    EXPECT_EQ(Read(file), std::string(ws().Text()));
    EXPECT_EQ(StoredPath(), file.string());
    EXPECT_EQ(w->dialogs.saveAsked->filter, "Text Files (*.txt)|*.txt|All Files (*.*)|*.*");
    EXPECT_EQ(w->dialogs.saveAsked->name,
              "FIR_" + std::to_string(n) + "_FLT64 LowPass fs=48000 fc=8000 Att=60dB Rip=0.5dB");

    // A fresh run of the program loads it, starting in the file's folder.
    w = NewWorkspace();
    ws().m_current.format = INT16;
    Load(file);
    EXPECT_EQ(w->dialogs.openAsked->dir, dir.string());
    EXPECT_EQ(w->dialogs.openAsked->name, "*.txt");
    EXPECT_TRUE(w->Messages().empty()) << w->Messages()[0];
    EXPECT_EQ(ws().m_current.taps, designed);
    EXPECT_EQ(ws().m_current.referenceTaps, designed);
    EXPECT_EQ(ws().m_current.format, FLT64);
    EXPECT_EQ(ws().m_current.request.numCoefs, n);
    EXPECT_EQ(ws().m_current.request.f1, 8000.0);
    EXPECT_TRUE(ws().Current().valid);
    EXPECT_TRUE(ws().Current().GoesWithRequest());
    EXPECT_EQ(ws().m_view.keepLimits, 1);
    EXPECT_EQ(ws().m_filePath, file.string());
    EXPECT_NE(std::find(w->log.begin(), w->log.end(), "CreateFromEntered"), w->log.end());
    EXPECT_FALSE(w->dialogs.waiting);
}

// Every format holds the design rounded to it; reloading a file the program wrote designs the
// filter again and finds the stored values to be that design, for every type.
TEST_F(FilterFilesTest, SavedFilesOfEveryTypeAndFormatReloadWithoutWarning) {
    const FilterSpec entries[] = {
        Spec{.f1 = 8000, .ripple = 0.5, .maxCoefs = 63},
        Spec{.type = HighPass,
             .f1 = 5000,
             .attenuation = 70,
             .ripple = 0.1,
             .maxCoefs = 101,
             .fs = 44100},
        Spec{.type = BandPass,
             .f1 = 4000,
             .f2 = 8000,
             .attenuation = 50,
             .ripple = 0.3,
             .maxCoefs = 81,
             .fs = 44100},
        Spec{.type = BandStop,
             .f1 = 4000,
             .f2 = 8000,
             .attenuation = 50,
             .ripple = 0.3,
             .maxCoefs = 81,
             .fs = 44100},
        Spec{.type = HalfBand,
             .f1 = 24000,
             .attenuation = 70,
             .ripple = 0.01,
             .maxCoefs = 43,
             .fs = 96000},
    };
    for (const FilterSpec& entry : entries) {
        for (const int format : {FLT64, FLT32, INT32, INT16}) {
            SCOPED_TRACE(std::string(FilterTypeName(entry.type)) + " " + std::to_string(format));
            w = NewWorkspace();
            Design(entry);
            const auto designed = ws().m_current.taps;
            const fs::path file = dir / "reload.txt";
            Save(file, format);
            ASSERT_TRUE(w->Messages().empty()) << w->Messages()[0];

            // (A design may miss its targets once quantised; Load says so, as Create does.)
            w = NewWorkspace();
            Load(file);
            EXPECT_FALSE(Warned(kCoefsInvalid));
            EXPECT_EQ(ws().m_current.taps, designed);
            EXPECT_EQ(ws().m_current.format, format);
            EXPECT_TRUE(ws().Current().GoesWithRequest());
        }
    }
}

// A stored value is the design's when it is within one step of the format or 1e-6 of the largest
// coefficient; anything further is an edit, and the design replaces it. The file is "edited" by
// moving one coefficient of the design before it is written.
TEST_F(FilterFilesTest, EditedCoefficientIsReplacedByTheNewDesign) {
    const struct {
        int format;
        double shift;  // added to coefficient 5 before the file is written
        bool warned;
    } cases[] = {
        {FLT64, 2e-7, false},        {FLT64, 2e-5, true},        {FLT32, 2e-7, false},
        {FLT32, 2e-5, true},         {INT32, 2e-7, false},       {INT32, 2e-5, true},
        {INT16, 1.0 / 32767, false}, {INT16, 3.0 / 32767, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.format) + " moved by " + std::to_string(c.shift));
        w = NewWorkspace();
        Design(Spec{.f1 = 8000, .ripple = 0.5, .maxCoefs = 63});
        const auto designed = ws().m_current.taps;
        // The largest coefficient of this low pass is its centre, about 0.33: 1e-6 of it is
        // about 3.3e-7, and one INT16 step is 3.1e-5.
        ASSERT_NEAR(designed[31], 0.33, 0.01);
        ws().m_current.taps[5] += c.shift;
        const fs::path file = dir / "edited.txt";
        Save(file, c.format);

        w = NewWorkspace();
        Load(file);
        EXPECT_EQ(Warned(kCoefsInvalid), c.warned);
        EXPECT_EQ(ws().m_current.taps, designed);  // the design stays
        EXPECT_EQ(ws().m_current.format, c.format);
        EXPECT_EQ(w->log.back(), "Repaint");
        EXPECT_NE(
            std::find(w->log.begin(), w->log.end(), "SelectCoefFormat " + std::to_string(c.format)),
            w->log.end());
    }
    // The edited value is kept as what was loaded.
    EXPECT_EQ(ws().m_current.referenceTaps[5],
              (QuantiseInt16(ws().m_current.taps[5] + 3.0 / 32767)) / 32767.0);
}

// Files written by an earlier build, whose designs differ from today's in their last digits,
// are this program's own files too.
TEST_F(FilterFilesTest, FilesOfAnEarlierBuildReloadWithoutWarning) {
    for (const char* name :
         {"lowpass_flt64_earlier_build.txt", "lowpass_flt32_earlier_build.txt"}) {
        SCOPED_TRACE(name);
        w = NewWorkspace();
        Load(fs::path(ONDELA_TEST_DATA_DIR) / "earlier_build" / name);
        EXPECT_TRUE(w->Messages().empty()) << w->Messages()[0];
        EXPECT_TRUE(ws().Current().GoesWithRequest());
        EXPECT_TRUE(ws().Current().valid);
        EXPECT_EQ(ws().m_current.request.numCoefs, 63);
    }
}

TEST_F(FilterFilesTest, WithoutMainWindowTheWorkspaceDesignsOnItsOwn) {
    Design(Spec{.type = BandStop,
                .f1 = 4000,
                .f2 = 8000,
                .attenuation = 50,
                .ripple = 0.3,
                .maxCoefs = 81,
                .fs = 44100});
    const auto designed = ws().m_current.taps;
    const fs::path file = dir / "bandstop.txt";
    Save(file, FLT64);

    w = NewWorkspace();
    ws().m_mainWindow = nullptr;
    ws().m_current.format = INT32;
    Load(file);
    EXPECT_TRUE(w->Messages().empty()) << w->Messages()[0];
    EXPECT_EQ(ws().m_current.taps, designed);
    EXPECT_EQ(ws().m_current.format, FLT64);
    EXPECT_EQ(ws().m_current.request.f2, 8000.0);
    EXPECT_TRUE(ws().Current().valid);
    EXPECT_TRUE(ws().Current().GoesWithRequest());
}

TEST_F(FilterFilesTest, SpecificationThatCannotBeDesignedLeavesNoFilter) {
    const fs::path file = dir / "bad.txt";
    Write(file,
          "Ondela Filter\r\nPARAMETERS\r\nType = LowPass, fc = 0 @ fs = 48000\r\n"
          "Attenuation = 60.000 dB, Ripple = 0.500 dB\r\nMax nb of Coefficients = 63\r\n");
    ws().m_current.valid = true;
    Load(file);
    EXPECT_EQ(w->Messages(), (std::vector<std::string>{
                                 "WARNING: Not every parameter stored in this file is valid...",
                                 "SORRY: Invalid Specifications"}));
    EXPECT_EQ(w->dialogs.captions[1], "Error");
    EXPECT_FALSE(ws().Current().valid);
    EXPECT_FALSE(ws().Current().GoesWithRequest());
}

// ---------------------------------------------------------------------------------------------
// Coefficient-only files

const char* const kHalfBandList =
    "Ondela Filter\r\n\r\nstatic double m_firCoefs[NBCOEFS] = {\r\n"
    "    -0.03, 0, 0.28, 0.5, 0.28, 0, -0.03 };\r\n";

// Load answers what it did with a file: whether it held a description, the design of its
// specification or the measurement of its coefficients, the rate it names, whether the display
// limits were reset, and every message shown, in order.
TEST_F(FilterFilesTest, LoadAnswersItsOutcome) {
    const std::string spec =
        "Ondela Filter\r\nPARAMETERS\r\nType = LowPass, fc = 8000 @ fs = 48000\r\n"
        "Attenuation = 60.000 dB, Ripple = 0.500 dB\r\nMax nb of Coefficients = 63\r\n";
    const std::string badSpec =
        "Ondela Filter\r\nPARAMETERS\r\nType = LowPass, fc = 0 @ fs = 48000\r\n"
        "Attenuation = 60.000 dB, Ripple = 0.500 dB\r\nMax nb of Coefficients = 63\r\n";
    const std::string coefs = std::string(kHalfBandList);
    const std::string coefsWithRate =
        "Ondela Filter\r\nPARAMETERS\r\nType = LowPass, fs = 8000\r\n\r\n"
        "static double m_firCoefs[NBCOEFS] = {\r\n    0.1, 0.2, 0.4, 0.2, 0.1 };\r\n";
    struct Case {
        const char* what;
        std::optional<std::string> content;  // none: the file is missing
        bool described;
        std::optional<int> designResult;  // the design's result when there was one
        bool designEntered;
        bool coefsMeasured;
        double fileRate;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {"missing", std::nullopt, false, std::nullopt, false, false, 0.0, {"missing"}},
        {"no description",
         "just text",
         false,
         std::nullopt,
         false,
         false,
         0.0,
         {"Sorry, not a valid Ondela filter description..."}},
        {"specification", spec, true, 0, true, false, 48000.0, {}},
        {"invalid specification",
         badSpec,
         true,
         -1,
         false,
         false,
         48000.0,
         {"WARNING: Not every parameter stored in this file is valid...",
          "SORRY: Invalid Specifications"}},
        {"coefficients", coefs, true, std::nullopt, false, true, 0.0, {kCoefsOnly}},
        {"coefficients and a rate",
         coefsWithRate,
         true,
         std::nullopt,
         false,
         true,
         8000.0,
         {kCoefsOnly}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        w = NewWorkspace();
        const fs::path file = dir / "outcome.txt";
        fs::remove(file);
        if (c.content) Write(file, *c.content);
        const LoadOutcome load = ws().LoadFilterFile(file.string());
        EXPECT_EQ(load.described, c.described);
        ASSERT_EQ(load.design.has_value(), c.designResult.has_value());
        if (load.design) {
            EXPECT_EQ(load.design->result, *c.designResult);
            EXPECT_EQ(load.design->entered, c.designEntered);
        }
        EXPECT_EQ(load.coefsMeasured, c.coefsMeasured);
        EXPECT_EQ(load.limitsReset, c.coefsMeasured);
        EXPECT_EQ(load.fileRate, c.fileRate);
        std::vector<std::string> told;
        for (const ShownMessage& m : load.messages) told.push_back(m.text);
        if (!c.content) {
            // The system's own words follow the file's name.
            ASSERT_EQ(told.size(), 1u);
            EXPECT_EQ(told[0].rfind("Could not open File " + file.string() + ": ", 0), 0u);
        } else {
            EXPECT_EQ(told, c.messages);
        }
        EXPECT_EQ(told, w->Messages());
    }
}

TEST_F(FilterFilesTest, SevenValueListWithZerosAroundItsCentreIsAHalfBand) {
    const fs::path file = dir / "hb.txt";
    Write(file, kHalfBandList);
    ws().m_view.nyquist = 0.0;
    Load(file);
    EXPECT_EQ(w->Messages(), std::vector<std::string>{kCoefsOnly});
    EXPECT_EQ(ws().m_current.request.type, HalfBand);
    EXPECT_EQ(ws().m_current.request.maxCoefs, 7);
    EXPECT_EQ(ws().m_current.achieved.numCoefs, 7);
    EXPECT_EQ(ws().m_current.taps[3], RoundToFloat(0.5));
    EXPECT_EQ(ws().m_current.format, FLT32);
    EXPECT_TRUE(ws().Current().valid);
    EXPECT_FALSE(ws().Current().GoesWithRequest());
    EXPECT_EQ(ws().m_view.keepLimits, 0);
    EXPECT_NE(std::find(w->log.begin(), w->log.end(), "SelectFilterType 5"), w->log.end());
}

TEST_F(FilterFilesTest, CoefficientAnalysisFileIsMeasuredAndGetsTheWholeAxis) {
    // What Save writes for a coefficient analysis: type and sampling frequency only. A half band
    // among them is measured too, not designed again.
    for (const char* type : {"LowPass", "HalfBand"}) {
        SCOPED_TRACE(type);
        w = NewWorkspace();
        const fs::path file = dir / "analysis.txt";
        Write(file, std::string("Ondela Filter\r\nPARAMETERS\r\nType = ") + type +
                        ", fs = 44100\r\n\r\nstatic double m_firCoefs[NBCOEFS] = {\r\n"
                        " 0.05, 0.25, 0.4, 0.25, 0.05 };\r\n");
        ws().m_view.nyquist = 0.0;
        Load(file);
        EXPECT_EQ(w->Messages(), std::vector<std::string>{kCoefsOnly});
        EXPECT_EQ(std::find(w->log.begin(), w->log.end(), "CreateFilter"), w->log.end());
        EXPECT_EQ(ws().m_current.request.fs, 44100.0);
        EXPECT_EQ(ws().m_view.nyquist, 22050.0);
        EXPECT_EQ(ws().m_view.linFMax, 30000.0);
        EXPECT_EQ(ws().m_view.linFMin, 0.0);
        EXPECT_EQ(ws().m_view.logFMax, 50000.0);
        EXPECT_EQ(ws().m_view.logFMin, 50.0);
        EXPECT_EQ(ws().m_view.cursorHz, ws().m_current.request.f1);
        EXPECT_NE(std::find(w->log.begin(), w->log.end(), "ShowFreqMax 30000"), w->log.end());
        EXPECT_NE(std::find(w->log.begin(), w->log.end(), "ShowFreqMin 0"), w->log.end());
    }
}

TEST_F(FilterFilesTest, FilesWithoutUsableDataAreRefused) {
    struct Case {
        const char* what;
        std::string content;
        const char* message;
    };
    const Case cases[] = {
        {"marker only", "Ondela Filter\r\n", "Sorry, no valid filter data in this file."},
        {"three values",
         "Ondela Filter\r\n\r\nstatic double m_firCoefs[NBCOEFS] = { 0.25, 0.5, 0.25 };",
         "Sorry, no valid filter data in this file."},
        {"no positive value",
         "Ondela Filter\r\n\r\nstatic short m_firCoefs[NBCOEFS] = { -1, 0, -3, 0, -1 };",
         "Sorry, no valid filter coefs in this file."},
        {"no marker", "static double m_firCoefs[NBCOEFS] = { 0.1, 0.2, 0.1 };",
         "Sorry, not a valid Ondela filter description..."},
        // Values whose response overflows: the sum of magnitudes is not finite, a float beyond
        // single precision, and 4 x 4e150 (its power, the square of about n times that sum,
        // would not be finite either).
        {"values near the largest double",
         "Ondela Filter\r\n\r\nstatic double m_firCoefs[NBCOEFS] = { 1.0000000000000000e+308, "
         "1.0000000000000000e+308, 1.0000000000000000e+308, 1.0000000000000000e+308 };",
         "Sorry, no valid filter coefs in this file."},
        {"a float beyond single precision",
         "Ondela Filter\r\n\r\nstatic float m_firCoefs[NBCOEFS] = { 1.00000000e-001, "
         "3.50000000e+038, 3.50000000e+038, 1.00000000e-001 };",
         "Sorry, no valid filter coefs in this file."},
        {"a response beyond reach",
         "Ondela Filter\r\n\r\nstatic double m_firCoefs[NBCOEFS] = { 1.0000000000000000e+150, "
         "1.0000000000000000e+150, 1.0000000000000000e+150, 1.0000000000000000e+150 };",
         "Sorry, no valid filter coefs in this file."},
        // The whole response at most 4e-13 in magnitude: below the -240 dB floor everywhere.
        {"a response below the floor",
         "Ondela Filter\r\n\r\nstatic double m_firCoefs[NBCOEFS] = { 1.0000000000000000e-013, "
         "1.0000000000000000e-013, 1.0000000000000000e-013, 1.0000000000000000e-013 };",
         "Sorry, no valid filter coefs in this file."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        w = NewWorkspace();
        ws().m_current.valid = true;
        ws().m_current.origin = FilterOrigin::Designed;
        ws().m_view.keepLimits = 1;
        ws().m_current.taps.assign(kCoefArraySize, 0.5);
        const fs::path file = dir / "refused.txt";
        Write(file, c.content);
        Load(file);
        EXPECT_EQ(w->Messages(), std::vector<std::string>{c.message});
        EXPECT_TRUE(ws().Current().valid);
        EXPECT_FALSE(ws().Current().GoesWithRequest());
        EXPECT_EQ(ws().m_view.keepLimits, 0);
        EXPECT_TRUE(std::all_of(ws().m_current.taps.begin(), ws().m_current.taps.end(),
                                [](double v) { return v == 0.0; }));
        EXPECT_EQ(std::string(ws().m_text.data()), c.content);
        EXPECT_EQ(StoredPath(), file.string());
        // The plots lose the old curve before the message shows.
        const auto repaint = std::find(w->log.begin(), w->log.end(), "Repaint");
        const auto message =
            std::find(w->log.begin(), w->log.end(), std::string("Message ") + c.message);
        EXPECT_TRUE(repaint < message);
    }
}

// ---------------------------------------------------------------------------------------------
// Size limit, malformed content, open failures

// Large or extreme values whose response is finite and above the floor are a filter: measured,
// and every achieved value a number.
TEST_F(FilterFilesTest, ExtremeButMeasurableCoefficientsAreMeasured) {
    const char* const cases[] = {
        "static int m_firCoefs[NBCOEFS] = { 2147483647, -2147483648, 2147483647, -2147483648, "
        "2147483647 };",
        "static double m_firCoefs[NBCOEFS] = { 1.0000000000000000e+148, 2.0000000000000000e+148, "
        "4.0000000000000000e+148, 2.0000000000000000e+148, 1.0000000000000000e+148 };",
        "static double m_firCoefs[NBCOEFS] = { 1.0000000000000000e-012, 2.0000000000000000e-012, "
        "1.0000000000000000e-012, 1.0000000000000000e-013 };",
    };
    for (const char* list : cases) {
        SCOPED_TRACE(list);
        w = NewWorkspace();
        const fs::path file = dir / "extreme.txt";
        Write(file, std::string("Ondela Filter\r\nType = LowPass, fs = 48000\r\n\r\n") + list);
        Load(file);
        EXPECT_EQ(w->Messages(), std::vector<std::string>{kCoefsOnly});
        EXPECT_TRUE(ws().Current().valid);
        EXPECT_TRUE(std::isfinite(ws().m_current.achieved.attenuation));
        EXPECT_TRUE(std::isfinite(ws().m_current.achieved.ripple));
    }
}

TEST_F(FilterFilesTest, LargestFileLoadsAndOneByteMoreIsRefused) {
    std::string content = kHalfBandList;
    content.resize(kFileSizeLimit, ' ');
    const fs::path file = dir / "big.txt";
    Write(file, content);
    Load(file);
    EXPECT_EQ(w->Messages(), std::vector<std::string>{kCoefsOnly});
    EXPECT_EQ(ws().m_textSize, kFileSizeLimit);
    EXPECT_EQ(ws().m_text[kFileSizeLimit], '\0');

    w = NewWorkspace();
    Write(file, content + " ");
    Load(file);
    EXPECT_EQ(w->Messages(), std::vector<std::string>{"Sorry, this file is too large !"});
    EXPECT_EQ(ws().m_textSize, 0);
    EXPECT_FALSE(ws().Current().valid);
    EXPECT_EQ(ws().m_filePath, file.string());
}

TEST_F(FilterFilesTest, MalformedFilesAreReadSafely) {
    const std::vector<std::string> contents = {
        std::string("Ondela\0PARAMETERS Type = LowPass, fc = 1000 @ fs = 48000", 56),
        std::string("\0\0\0\xff\xfe\x01 Ondela m_firCoefs[NBCOEFS] = {\x80\x81 1, 2", 44),
        "Ondela m_firCoefs[NBCOEFS] = { " + std::string(250000, '9') + ", 1, 2, 3, 4 }",
        "Ondela PARAMETERS Type = LowPass, fc = nan @ fs = inf\r\nAttenuation = nan dB, "
        "Ripple = -inf\r\nMax nb of Coefficients = -99999999999\r\n"
        "m_firCoefs[NBCOEFS] = { nan, 0x10, 1e999, 0.5, 0.25, 0.5 }",
        "Ondela PARAMETERS Type = BandPass, fc1 = 3000, fc2 = 1000 @ fs = 8000\r\n"
        "Attenuation = -60 dB, Ripple = 9 dB\r\nMax nb of Coefficients = -7",
        "Ondela",
    };
    for (const std::string& content : contents) {
        SCOPED_TRACE(content.substr(0, 80));
        w = NewWorkspace();
        const fs::path file = dir / "odd.txt";
        Write(file, content);
        Load(file);
        EXPECT_FALSE(w->Messages().empty());
        EXPECT_EQ(ws().m_text[content.size()], '\0');
        EXPECT_FALSE(w->dialogs.waiting);
    }
}

TEST_F(FilterFilesTest, FileThatCannotBeOpenedIsReported) {
    const fs::path missing = dir / "missing.txt";
    Load(missing);
    // The system's words for the failure, not its number.
    EXPECT_EQ(w->Messages(), std::vector<std::string>{"Could not open File " + missing.string() +
                                                      ": No such file or directory"});
    EXPECT_EQ(ws().m_filePath, missing.string());
    EXPECT_EQ(StoredPath(), "");

    w = NewWorkspace();
    Load(dir);
    EXPECT_EQ(w->Messages(),
              std::vector<std::string>{"Could not open File " + dir.string() + ": Is a directory"});

    // Cancelling the chooser does nothing at all.
    w = NewWorkspace();
    w->dialogs.fileToOpen.reset();
    ws().LoadFilter();
    EXPECT_TRUE(w->log.empty());
    EXPECT_TRUE(ws().m_filePath.empty());
}

// ---------------------------------------------------------------------------------------------
// Start folders and the remembered path

TEST_F(FilterFilesTest, ChoosersStartInTheFolderOfTheLastFile) {
    const fs::path sub = dir / "sub";
    fs::create_directories(sub);
    ws().m_moduleDir = dir.string();

    struct Case {
        const char* what;
        std::string stored;  // "FileInPath"; empty: none
        std::string start;
    };
    const Case cases[] = {
        {"nothing stored: the program's folder", "", dir.string()},
        {"a file", (sub / "f.txt").string(), sub.string()},
        {"a folder", sub.string(), sub.string()},
        {"a folder that is gone: wherever the chooser likes", (dir / "gone" / "f.txt").string(),
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        store.Remove("FileInPath");
        if (!c.stored.empty()) store.Plant("FileInPath", c.stored);
        w->dialogs.fileToOpen.reset();
        ws().LoadFilter();
        EXPECT_EQ(w->dialogs.openAsked->dir, c.start);
        EXPECT_EQ(ws().m_fileDir, c.stored);
    }

    // Save starts where the last Load pointed, then where the last Save went.
    Design(Spec{.f1 = 8000, .ripple = 0.5, .maxCoefs = 31});
    store.Plant("FileInPath", (sub / "f.txt").string());
    w->dialogs.fileToOpen.reset();
    ws().LoadFilter();
    Save(dir / "first.txt", FLT64);
    EXPECT_EQ(w->dialogs.saveAsked->dir, sub.string());
    EXPECT_EQ(ws().m_saveDir, dir.string());
    EXPECT_EQ(StoredPath(), (dir / "first.txt").string());
    w->dialogs.fileToSave.reset();
    ws().SaveFilter();
    EXPECT_EQ(w->dialogs.saveAsked->dir, dir.string());
}

// ---------------------------------------------------------------------------------------------
// Save

TEST_F(FilterFilesTest, SaveWithoutAFilterOrTitle) {
    ws().SaveFilter();
    EXPECT_EQ(w->Messages(), std::vector<std::string>{"No filter created"});

    // Coefficients present, none in the first taps: nothing to describe.
    w = NewWorkspace();
    ws().m_current.valid = true;
    ws().m_current.request = Spec{.f1 = 8000, .ripple = 0.5, .maxCoefs = 31};
    ws().SaveFilter();
    EXPECT_EQ(w->Messages(), std::vector<std::string>{"No valid filter coefs available"});
    EXPECT_FALSE(w->dialogs.saveAsked);

    // A specification that is no longer valid gives no title: the proposed name is the plain one.
    w = NewWorkspace();
    Design(Spec{.f1 = 8000, .ripple = 0.5, .maxCoefs = 31});
    ws().m_current.request.f1 = 30000;
    w->dialogs.fileToSave.reset();
    ws().SaveFilter();
    EXPECT_TRUE(w->Messages().empty());
    EXPECT_EQ(w->dialogs.saveAsked->name, "FIR Filter");
    EXPECT_TRUE(fs::is_empty(dir));
}

TEST_F(FilterFilesTest, FailedSaveLeavesTheOldFileAsItWas) {
    Design(Spec{.f1 = 8000, .ripple = 0.5, .maxCoefs = 31});
    const fs::path file = dir / "keep.txt";
    Write(file, "old content");
    store.Plant("FileInPath", std::string("/elsewhere/old.txt"));

    // The disk fills up half-way through the text.
    int writes = 0;
    ws().m_writeBytes = [&writes](int fd, const char* data, std::size_t size) -> long {
        if (writes++ == 0) return static_cast<long>(::write(fd, data, std::min<size_t>(size, 100)));
        errno = ENOSPC;
        return -1;
    };
    Save(file, FLT64);
    EXPECT_EQ(w->Messages(), std::vector<std::string>{"Could not write to File"});
    EXPECT_EQ(Read(file), "old content");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    EXPECT_EQ(StoredPath(), "/elsewhere/old.txt");

    // A folder that does not exist: the file cannot even be created.
    w->log.clear();
    Save(dir / "none" / "f.txt", FLT64);
    EXPECT_EQ(w->Messages(), std::vector<std::string>{"Could not create File!"});

    // With a working disk the old file is replaced, keeping its permissions.
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    w = NewWorkspace();
    Design(Spec{.f1 = 8000, .ripple = 0.5, .maxCoefs = 31});
    Save(file, FLT64);
    EXPECT_TRUE(w->Messages().empty());
    EXPECT_EQ(Read(file), std::string(ws().Text()));
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST_F(FilterFilesTest, OpenEditorIsShownTheTextBeingSaved) {
    Design(Spec{.f1 = 8000, .ripple = 0.5, .maxCoefs = 31});
    w->editor.open = true;
    Save(dir / "shown.txt", INT16);
    EXPECT_EQ(w->editor.text, Read(dir / "shown.txt"));
    EXPECT_EQ(w->editor.title, w->dialogs.saveAsked->name);
}

// A file saved in one format whose design met its targets in another is searched again in that
// other format; the open editor is then shown the filter in the file's format.
TEST_F(FilterFilesTest, OpenEditorShowsAFileMetInAnotherFormatInItsOwn) {
    ws().m_meetInFormat = 1;
    ws().m_current.format = INT16;
    Design(Spec{.f1 = 8000, .ripple = 0.5, .maxCoefs = 31});
    ws().m_meetInFormat = 0;
    const fs::path file = dir / "met.txt";
    Save(file, FLT32);
    ASSERT_NE(Read(file).find("Targets met in = INT16\r\n"), std::string::npos);
    ASSERT_NE(Read(file).find("static float m_firCoefs"), std::string::npos);

    w->editor.open = true;
    Load(file);
    EXPECT_EQ(ws().m_current.format, FLT32);
    EXPECT_NE(w->editor.text.find("static float m_firCoefs"), std::string::npos);
    EXPECT_TRUE(w->editor.title.starts_with("FIR_")) << w->editor.title;
    EXPECT_NE(w->editor.title.find("_FLT32 LowPass"), std::string::npos) << w->editor.title;
}

}  // namespace
}  // namespace ondela
