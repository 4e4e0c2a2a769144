// The Export dialog's logic over a designed filter: the preview's words and achieved attenuation
// against words rounded by hand and a plain DFT of them, the warning of a missed target, the
// refusals, the file chooser's proposal, a failed write, and files equal to what ondela-cli export
// writes for the same choices.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "app/about/version_info.h"
#include "engine/design_engine.h"
#include "numbers/number_text.h"
#include "tests/cli/cli_process.h"
#include "tests/cli/fixed_point_oracle.h"
#include "tests/support/named_spec.h"
#include "tests/workspace/recording_dialogs.h"
#include "ui/export/export_session.h"
#include "workspace/filter_workspace.h"

namespace ondela {
namespace {

using testing::DftLevels;
using testing::HandQuantised;
using testing::Ints;
using testing::LargestFrac;
using testing::ReadFile;
using testing::RecordingDialogs;
using testing::StopBandPeak;
using testing::TempDir;

std::string Fixture(const std::string& name) {
    return std::string(ONDELA_TEST_DATA_DIR) + "/" + name;
}

bool Contains(const std::vector<std::string>& lines, const std::string& part) {
    for (const std::string& line : lines)
        if (line.find(part) != std::string::npos) return true;
    return false;
}

class ExportSessionTest : public ::testing::Test {
  protected:
    ExportSessionTest() {
        ws.m_engine = &engine;
        ws.m_dialogs = &dialogs;
    }
    // The designer's usual example: a 60 dB low pass at 10 kHz for 48 kHz, at most 127 taps.
    void Design(const testing::Spec& spec = {}) {
        ws.m_current.request = spec;
        ASSERT_TRUE(ws.CreateFromSpec().entered);
        ASSERT_TRUE(ws.Current().valid);
        dialogs.messages.clear();
    }
    std::vector<double> Coefs() const {
        return {ws.m_current.taps.begin(),
                ws.m_current.taps.begin() + ws.m_current.achieved.numCoefs};
    }

    DesignEngine engine;
    RecordingDialogs dialogs;
    FilterWorkspace ws;
    TempDir dir;
};

// The words are the coefficients rounded by hand with the largest F that fits; the stated
// attenuation is that of a plain DFT of q / 2^F; the 60 dB target is missed exactly when the DFT
// finds less than 59 dB, and then the preview warns.
TEST_F(ExportSessionTest, PreviewAgreesWithWordsRoundedByHandAndAPlainDft) {
    Design();
    ASSERT_EQ(ws.m_current.achieved.numCoefs, 127);
    const std::vector<double> coefs = Coefs();
    const FilterSpec achieved = ws.m_current.achieved;
    struct Case {
        int w;
        bool floor;
        bool missed;  // what the DFT below finds, written down to keep the table honest
    };
    for (const Case c : {Case{16, false, false}, Case{24, false, false}, Case{10, false, true},
                         Case{12, true, true}}) {
        SCOPED_TRACE(c.w);
        ExportSession session(ws, "Ondela", "1.21");
        session.choices.wordBits = c.w;
        session.choices.rounding = c.floor ? Rounding::Floor : Rounding::Nearest;
        const ExportPreview p = session.Preview();
        ASSERT_EQ(p.refusal, "");

        const int f = LargestFrac(coefs, c.w, c.floor);
        const Ints hand = HandQuantised(coefs, c.w, f, c.floor);
        EXPECT_EQ(p.quantised.format.fracBits, f);
        EXPECT_EQ(Ints(p.quantised.values.begin(), p.quantised.values.end()), hand);
        std::vector<double> h;
        for (long long q : hand) h.push_back(std::ldexp(static_cast<double>(q), -f));
        const double measured = -StopBandPeak(DftLevels(h, 16384));

        ASSERT_TRUE(p.design.achievedAttenuation.has_value());
        EXPECT_NEAR(*p.design.achievedAttenuation, measured, 0.1);
        EXPECT_EQ(measured < 59.0, c.missed) << measured;
        EXPECT_EQ(p.attenuationMissed, c.missed);
        EXPECT_EQ(Contains(p.warnings, "misses its specification"), c.missed);
        ASSERT_FALSE(p.lines.empty());
        EXPECT_EQ(
            p.lines[0].rfind(
                FormatText("Q%d.%d (%d-bit signed, %d fraction bits)", c.w - f, f, c.w, f), 0),
            0u)
            << p.lines[0];
        EXPECT_TRUE(
            Contains(p.lines, FormatText("Stop-band attenuation %.1f dB (60.0 dB asked for)",
                                         *p.design.achievedAttenuation)));
        EXPECT_TRUE(Contains(p.lines, "Pass-band ripple"));
        EXPECT_TRUE(Contains(p.lines, "127 coefficients, none saturated"));
    }
    // Measuring the words showed nothing and left the filter and its achieved values alone.
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(Coefs(), coefs);
    EXPECT_EQ(ws.m_current.achieved.attenuation, achieved.attenuation);
    EXPECT_EQ(ws.m_current.achieved.ripple, achieved.ripple);
    EXPECT_EQ(ws.m_current.achieved.numCoefs, achieved.numCoefs);
}

// Given fraction bits that are too many saturate the largest taps: counted and warned about.
TEST_F(ExportSessionTest, SaturatedTapsAreCountedAndWarnedAbout) {
    Design();
    ExportSession session(ws, "Ondela", "1.21");
    session.choices.wordBits = 8;
    session.choices.fracBits = 9;  // the centre tap, about 0.42, needs 0.42 * 512 > 127
    const ExportPreview p = session.Preview();
    const Ints hand = HandQuantised(Coefs(), 8, 9, false);
    int clipped = 0;
    for (long long q : hand) clipped += q == 127 || q == -128;
    ASSERT_GT(clipped, 0);
    EXPECT_EQ(p.quantised.saturated, clipped);
    EXPECT_TRUE(Contains(p.warnings, FormatText("Warning: %d coefficient", clipped)));
}

// Words whose taps clip are measured as what they hold (the 127-tap low pass at 10 kHz, taps
// 0.42, 0.31, 0.31, then below 0.08). At F = 17 those three clip at 0.25: the pass band loses
// gain, the ripple shown is at least the loss a plain DFT of the words finds at 0 Hz (the preview
// showed 0.000 dB), and the targets are missed. At F = 20 (more taps clip at 0.031) and F = 40
// (every tap clips to +-2^-25) the DFT finds the stop band above 11 kHz louder than the pass band
// below 9 kHz somewhere: the preview says the words hold no filter and shows no achieved values.
TEST_F(ExportSessionTest, PreviewOfClippedWordsStatesWhatTheyHold) {
    Design();
    const std::vector<double> coefs = Coefs();
    struct Case {
        int f;
        bool holdsFilter;
    };
    for (const Case c : {Case{17, true}, Case{20, false}, Case{40, false}}) {
        SCOPED_TRACE(c.f);
        ExportSession session(ws, "Ondela", "1.21");
        session.choices.wordBits = 16;
        session.choices.fracBits = c.f;
        const ExportPreview p = session.Preview();
        ASSERT_EQ(p.refusal, "");
        std::vector<double> h;
        for (long long q : HandQuantised(coefs, 16, c.f, false))
            h.push_back(std::ldexp(static_cast<double>(q), -c.f));
        const std::vector<double> level = DftLevels(h, 4800);  // 5 Hz apart
        double passMin = 1e9;
        double stopMax = -1e9;
        for (int k = 0; k <= 4800; ++k) {
            if (k * 5 <= 9000) passMin = std::min(passMin, level[k]);
            if (k * 5 >= 11000) stopMax = std::max(stopMax, level[k]);
        }
        ASSERT_EQ(stopMax < passMin, c.holdsFilter) << stopMax << " " << passMin;

        EXPECT_EQ(p.measurable, c.holdsFilter);
        EXPECT_TRUE(p.rippleMissed);
        EXPECT_TRUE(Contains(p.warnings, "misses its specification"));
        if (c.holdsFilter) {
            ASSERT_TRUE(p.design.achievedRipple.has_value());
            EXPECT_GE(*p.design.achievedRipple, std::fabs(level[0]) - 0.01);
            EXPECT_TRUE(Contains(p.lines, FormatText("Pass-band ripple %.3f dB (0.400 dB asked "
                                                     "for)",
                                                     *p.design.achievedRipple)));
        } else {
            EXPECT_FALSE(p.design.achievedRipple.has_value());
            EXPECT_FALSE(p.design.achievedAttenuation.has_value());
            EXPECT_FALSE(Contains(p.lines, "Pass-band ripple"));
            EXPECT_TRUE(Contains(p.lines, "No filter: "));
            EXPECT_TRUE(Contains(p.warnings, "Warning: the words hold no filter"));
        }
    }
}

// After a band design the window keeps the second edge in its hidden field; a low pass designed
// next has one edge, and every file states that one (JSON: "f2": null).
TEST_F(ExportSessionTest, ALowPassAfterABandDesignStatesOneEdge) {
    Design(testing::Spec{.type = BandPass, .f1 = 10000.0, .f2 = 12000.0});
    Design(testing::Spec{.f2 = 12000.0});
    ASSERT_EQ(ws.m_current.request.type, LowPass);
    for (const ExportFormat format :
         {ExportFormat::Coe, ExportFormat::Mif, ExportFormat::Vhdl, ExportFormat::Verilog,
          ExportFormat::Cmsis, ExportFormat::Csv, ExportFormat::Json}) {
        SCOPED_TRACE(ExportFormatName(format));
        ExportSession session(ws, "Ondela", "1.21");
        session.choices.format = format;
        const std::string path = dir / (std::string("lp") + ExportFileExtension(format));
        ASSERT_TRUE(session.WriteTo(path).written);
        const std::string text = ReadFile(path);
        EXPECT_EQ(text.find("12000"), std::string::npos) << text;
        if (format == ExportFormat::Json) {
            EXPECT_NE(text.find("\"f1\": 10000,"), std::string::npos) << text;
            EXPECT_NE(text.find("\"f2\": null,"), std::string::npos) << text;
        } else {
            EXPECT_NE(text.find("Design: LowPass, sampling frequency 48000 Hz, edge 10000 Hz"),
                      std::string::npos)
                << text;
        }
    }
}

// A half band has no ripple target of its own: the preview states its attenuation only.
TEST_F(ExportSessionTest, HalfBandPreviewStatesNoRipple) {
    Design(testing::Spec{.type = HalfBand, .attenuation = 60.0, .maxCoefs = 127});
    ExportSession session(ws, "Ondela", "1.21");
    EXPECT_EQ(session.choices.name, "halfband");
    const ExportPreview p = session.Preview();
    ASSERT_EQ(p.refusal, "");
    EXPECT_TRUE(Contains(p.lines, "Stop-band attenuation"));
    EXPECT_FALSE(Contains(p.lines, "ripple"));
    EXPECT_FALSE(p.rippleMissed);
}

// Nothing to export, a bad identifier, a word the format cannot take: the preview says why, and
// Export says the same in a message box without asking for a file or writing one.
TEST_F(ExportSessionTest, RefusalsSayWhyAndWriteNothing) {
    struct Case {
        const char* what;
        bool designed;
        const char* name;
        ExportFormat format;
        int w;
        const char* refusal;
    };
    const Case cases[] = {
        {"no filter", false, "lowpass", ExportFormat::Coe, 16, "No valid filter coefs available"},
        {"identifier", true, "2nd_stage", ExportFormat::Vhdl, 16, "does not start with a letter"},
        {"identifier", true, "lp__a", ExportFormat::Verilog, 16, "two underscores"},
        {"q15 word", true, "lowpass", ExportFormat::Cmsis, 12,
         "A q15_t header needs a 16-bit word"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.designed) Design();
        ExportSession session(ws, "Ondela", "1.21");
        session.choices.name = c.name;
        session.choices.format = c.format;
        session.choices.wordBits = c.w;
        const ExportPreview p = session.Preview();
        EXPECT_NE(p.refusal.find(c.refusal), std::string::npos) << p.refusal;
        EXPECT_TRUE(p.lines.empty());

        dialogs.messages.clear();
        dialogs.saveAsked.reset();
        dialogs.fileToSave = dir / "refused.out";
        const ExportWrite outcome = session.Export(dialogs);
        EXPECT_FALSE(outcome.written);
        EXPECT_FALSE(dialogs.saveAsked.has_value());
        EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{p.refusal});
        EXPECT_TRUE(dir.Entries().empty());
    }
}

// The chooser proposes the identifier with the format's extension (a VHDL file after its
// package), a name without spaces that HDL tools take, and starts in the folder of the last save
// or export, else of the last loaded file, else the home folder, never the program's own; a write
// that fails says so and leaves the file that was there as it was.
TEST_F(ExportSessionTest, ChooserProposalAndFailedWrites) {
    Design();
    ExportSession session(ws, "Ondela", "1.21");
    EXPECT_EQ(session.choices.name, "lowpass");
    const TempDir home;
    const TempDir program;
    session.homeDir = home.Path();
    ws.m_moduleDir = program.Path();
    struct Proposal {
        ExportFormat format;
        const char* name;
    };
    for (const Proposal c :
         {Proposal{ExportFormat::Vhdl, "lowpass_pkg.vhd"},
          Proposal{ExportFormat::Verilog, "lowpass.vh"}, Proposal{ExportFormat::Cmsis, "lowpass.h"},
          Proposal{ExportFormat::Npy, "lowpass.npy"}}) {
        session.choices.format = c.format;
        EXPECT_EQ(session.ProposedFileName(), c.name);
    }
    session.choices.name = "stage_2";
    session.choices.format = ExportFormat::Coe;
    EXPECT_EQ(session.ProposedFileName(), "stage_2.coe");
    session.choices.name = "lowpass";
    // Nothing saved or loaded yet: home. A save chooser cancelled leaves the program's folder as
    // the save folder, which an export does not take.
    EXPECT_EQ(session.StartDirectory(), home.Path());
    ws.m_saveDir = program.Path();
    EXPECT_EQ(session.StartDirectory(), home.Path());
    // The last loaded file's folder ("FileInPath" holds the file).
    ws.m_fileDir = Fixture("lowpass_flt64.txt");
    EXPECT_EQ(session.StartDirectory(), std::string(ONDELA_TEST_DATA_DIR));

    session.choices.format = ExportFormat::Mif;
    ws.m_saveDir = dir.Path();
    const std::string path = dir / "lp.mif";
    dialogs.fileToSave = path;
    ExportWrite outcome = session.Export(dialogs);
    EXPECT_TRUE(outcome.written) << outcome.message;
    ASSERT_TRUE(dialogs.saveAsked.has_value());
    EXPECT_EQ(dialogs.saveAsked->dir, dir.Path());
    EXPECT_EQ(dialogs.saveAsked->name, "lowpass.mif");
    EXPECT_EQ(dialogs.saveAsked->filter,
              "Memory Initialisation Files (*.mif)|*.mif|All Files (*.*)|*.*");
    const std::string written = ReadFile(path);
    EXPECT_NE(written.find("WIDTH=16;"), std::string::npos);
    EXPECT_TRUE(dialogs.messages.empty());

    // A full disk: the old file stays, the message names the file and the reason.
    ws.m_writeBytes = [](int, const char*, std::size_t) -> long {
        errno = ENOSPC;
        return -1;
    };
    session.choices.wordBits = 12;
    outcome = session.Export(dialogs);
    EXPECT_FALSE(outcome.written);
    EXPECT_EQ(ReadFile(path), written);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text.rfind("Could not write the file " + path, 0), 0u)
        << dialogs.messages[0].text;
    EXPECT_NE(dialogs.messages[0].text.find("left as it was"), std::string::npos);

    // A folder that does not exist.
    outcome = session.WriteTo(dir / "missing/lp.mif");
    EXPECT_FALSE(outcome.written);
    EXPECT_EQ(outcome.message.rfind("Could not create the file", 0), 0u) << outcome.message;
}

// The window's export of a loaded file is byte for byte what ondela-cli export writes from the
// same file with the same choices.
TEST_F(ExportSessionTest, FilesEqualTheCommandLinesExport) {
    VersionStrings version;
    ReadVersionInfo(BuiltInVersionBlock, version);
    struct Case {
        const char* fixture;
        std::vector<std::string> args;
        ExportChoices choices;
    };
    const auto choose = [](ExportFormat format, int w, std::optional<int> f, Rounding rounding,
                           const char* name, int radix, CmsisType type, bool real) {
        ExportChoices c;
        c.format = format;
        c.wordBits = w;
        c.fracBits = f;
        c.rounding = rounding;
        c.name = name;
        c.radix = radix;
        c.cmsisType = type;
        c.realValues = real;
        return c;
    };
    const Case cases[] = {
        {"lowpass_flt64.txt",
         {"--to", "coe", "--word-bits", "18", "--radix", "16"},
         choose(ExportFormat::Coe, 18, std::nullopt, Rounding::Nearest, "fir", 16, CmsisType::Q15,
                false)},
        {"bandpass_flt32.txt",
         {"--to", "vhdl", "--word-bits", "12", "--rounding", "floor", "--name", "bp"},
         choose(ExportFormat::Vhdl, 12, std::nullopt, Rounding::Floor, "bp", 10, CmsisType::Q15,
                false)},
        {"halfband_flt64.txt",
         {"--to", "npy", "--word-bits", "16", "--real"},
         choose(ExportFormat::Npy, 16, std::nullopt, Rounding::Nearest, "fir", 10, CmsisType::Q15,
                true)},
        {"lowpass_int16.txt",
         {"--to", "cmsis", "--word-bits", "24", "--frac-bits", "22", "--cmsis-type", "f32",
          "--name", "lp"},
         choose(ExportFormat::Cmsis, 24, 22, Rounding::Nearest, "lp", 10, CmsisType::F32, false)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fixture);
        ws.LoadFilterFile(Fixture(c.fixture));
        ASSERT_TRUE(ws.Current().valid);
        ExportSession session(ws, version.productName, version.productVersion);
        session.choices = c.choices;
        const std::string mine = dir / (std::string(c.fixture) + ".window");
        const ExportWrite outcome = session.WriteTo(mine);
        ASSERT_TRUE(outcome.written) << outcome.message;

        const std::string theirs = dir / (std::string(c.fixture) + ".cli");
        std::vector<std::string> args = {"export", Fixture(c.fixture)};
        args.insert(args.end(), c.args.begin(), c.args.end());
        args.insert(args.end(), {"--output", theirs});
        const testing::CliRun run = testing::RunCli(args);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(ReadFile(mine), ReadFile(theirs));
    }
}

}  // namespace
}  // namespace ondela
