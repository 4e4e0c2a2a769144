// One command, three ways in: the same entries designed through the window's fields, through the
// workspace's Create and through "ondela-cli design --json" give the same filter, and the same
// files loaded through the window's chooser, as a dropped path and with "ondela-cli analyse"
// end in the same state. The command line is the built executable, run as a child process.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonObject>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engine/design_engine.h"
#include "settings/memory_settings_store.h"
#include "settings/preferences.h"
#include "tests/cli/cli_json.h"
#include "tests/cli/cli_process.h"
#include "tests/main_window/fake_controls.h"
#include "tests/main_window/window_rig.h"
#include "tests/workspace/workspace_fakes.h"
#include "ui/main_window/control_ids.h"
#include "ui/main_window/main_window_presenter.h"
#include "ui/plot/plot_text.h"
#include "ui/plot/response_plot.h"
#include "workspace/display_numbers.h"
#include "workspace/field_entries.h"
#include "workspace/filter_workspace.h"

namespace ondela {
namespace {

using testing::CliRun;
using testing::ParseJson;
using testing::RecordingDialogs;
using testing::RunCli;
using testing::Str;
using testing::TempDir;
using testing::WindowRig;

// What a command left behind, in the terms all three ways can report.
struct Outcome {
    std::vector<std::string> messages;
    bool produced = false;
    bool fromSpec = false;
    bool enteredKnown = true;  // the command line reports no entered values for a non-filter
    std::string format;
    FilterSpec entered{};
    FilterSpec achieved{};
    std::vector<double> coefs;
    double cursor = 0.0;
};

std::string FormatName(int format) {
    static const char* const kNames[] = {"FLT64", "FLT32", "INT32", "INT16"};
    return format >= 0 && format < 4 ? kNames[format] : "?";
}

Outcome FromWorkspace(const FilterWorkspace& ws, std::vector<std::string> messages) {
    Outcome o;
    o.messages = std::move(messages);
    o.produced = ws.Current().valid;
    o.fromSpec = ws.Current().GoesWithRequest();
    o.format = FormatName(ws.m_current.format);
    o.entered = ws.m_current.request;
    o.cursor = ws.m_view.cursorHz;
    if (o.produced) {
        o.achieved = ws.m_current.achieved;
        o.coefs.assign(ws.m_current.taps.begin(),
                       ws.m_current.taps.begin() + ws.m_current.achieved.numCoefs);
    }
    return o;
}

// The report of the command line; messages that name an option (the corrections the command
// line reports and the window makes silently) are left out unless asked for.
Outcome FromReport(const CliRun& run, std::vector<std::string>* corrections = nullptr) {
    Outcome o;
    const QJsonObject r = ParseJson(run.out);
    for (const auto& m : r["messages"].toArray()) {
        const std::string text = m.toString().toStdString();
        if (text.rfind("--", 0) == 0) {
            if (corrections) corrections->push_back(text);
        } else {
            o.messages.push_back(text);
        }
    }
    o.produced = !r["achieved"].isNull();
    o.fromSpec = r.contains("redesigned") ? r["redesigned"].toBool() : o.produced;
    o.format = Str(r["format"]);
    const auto spec = [](const QJsonObject& j) {
        FilterSpec s;
        const std::string type = Str(j["type"]);
        for (int t = LowPass; t <= HalfBand; ++t)
            if (type == FilterTypeName(t)) s.type = static_cast<FilterType>(t);
        s.fs = j["fs"].toDouble();
        s.f1 = j["f1"].toDouble();
        s.f2 = j["f2"].toDouble();
        s.attenuation = j["attenuation"].toDouble();
        s.ripple = j["ripple"].toDouble();
        s.maxCoefs = j["maxCoefs"].toInt();
        s.numCoefs = j["numCoefs"].toInt();
        s.bandwidth = j["bandwidth"].toDouble();
        return s;
    };
    o.enteredKnown = !r["entered"].isNull();
    if (o.enteredKnown) o.entered = spec(r["entered"].toObject());
    if (o.produced) {
        o.achieved = spec(r["achieved"].toObject());
        for (const auto& c : r["coefficients"].toArray()) o.coefs.push_back(c.toDouble());
    }
    o.cursor = r["cursor"].toDouble(-1.0);
    return o;
}

void ExpectSame(const Outcome& want, const Outcome& got, const char* way) {
    SCOPED_TRACE(way);
    EXPECT_EQ(got.messages, want.messages);
    EXPECT_EQ(got.produced, want.produced);
    EXPECT_EQ(got.fromSpec, want.fromSpec);
    EXPECT_EQ(got.format, want.format);
    // The reports give the achieved values without type and rate (they are the entered ones);
    // an entered edge 2 counts for the band types only (the window keeps an unused old one).
    const auto same = [](const FilterSpec& a, const FilterSpec& b, bool achieved) {
        if (!achieved) {
            EXPECT_EQ(a.type, b.type);
            EXPECT_EQ(a.fs, b.fs);
        }
        EXPECT_EQ(a.f1, b.f1);
        if (achieved || HasTwoEdges(a.type)) {
            EXPECT_EQ(a.f2, b.f2);
        }
        EXPECT_EQ(a.attenuation, b.attenuation);
        EXPECT_EQ(a.ripple, b.ripple);
        if (achieved) {
            EXPECT_EQ(a.numCoefs, b.numCoefs);
            EXPECT_EQ(a.bandwidth, b.bandwidth);
        } else {
            EXPECT_EQ(a.maxCoefs, b.maxCoefs);
        }
    };
    if (want.enteredKnown && got.enteredKnown) {
        SCOPED_TRACE("entered");
        same(want.entered, got.entered, false);
    }
    if (want.produced && got.produced) {
        SCOPED_TRACE("achieved");
        same(want.achieved, got.achieved, true);
    }
    ASSERT_EQ(got.coefs.size(), want.coefs.size());
    for (std::size_t i = 0; i < want.coefs.size(); ++i)
        EXPECT_EQ(got.coefs[i], want.coefs[i]) << "coefficient " << i;  // bit for bit
    if (want.produced) {
        EXPECT_EQ(got.cursor, want.cursor);
    }
}

// The workspace alone, with no window.
struct WorkspaceRig {
    WorkspaceRig() {
        prefs.OpenKeys();
        ws.m_prefs = &prefs;
        ws.m_engine = &engine;
        ws.m_dialogs = &dialogs;
        ws.m_current.format = FLT32;
    }

    MemorySettingsStore store;
    Preferences prefs{&store};
    DesignEngine engine;
    FilterWorkspace ws;
    RecordingDialogs dialogs;
};

struct Entries {
    const char* name;
    const char* type;  // the command line's word
    int radio;
    const char* fs;
    const char* f1;  // nullptr: not typed (a half band's edge)
    const char* f2;
    const char* att;
    const char* ripple;
    const char* maxCoefs;
    const char* format;
    std::vector<std::string> corrections;  // what the command line reports it corrected
};

// One row per line; the columns are those of Entries.
// clang-format off
const Entries kEntries[] = {
    {"low pass", "lowpass", ctl::kLowPass, "48000", "8000", nullptr, "60", "0.5", "63", "flt64", {}},
    {"high pass", "highpass", ctl::kHighPass, "48000", "12000", nullptr, "60", "0.5", "127", "flt32", {}},
    {"band pass", "bandpass", ctl::kBandPass, "44100", "4000", "8000", "50", "0.3", "81", "flt32", {}},
    {"band stop", "bandstop", ctl::kBandStop, "48000", "6000", "12000", "50", "0.5", "127", "int32", {}},
    {"half band", "halfband", ctl::kHalfBand, "96000", nullptr, nullptr, "70", nullptr, "43", "flt64", {}},
    {"weak target", "lowpass", ctl::kLowPass, "48000", "8000", nullptr, "90", "0.1", "255", "int16", {}},
    {"impossible target", "lowpass", ctl::kLowPass, "48000", "3000", nullptr, "60", "0.1", "21", "flt32", {}},
    {"half band below 30 dB", "halfband", ctl::kHalfBand, "96000", nullptr, nullptr, "20", nullptr, "43", "flt64", {}},
    {"attenuation of many digits", "lowpass", ctl::kLowPass, "48000", "8000", nullptr, "60.123456789", "0.5", "63", "flt64", {}},
    // A corrected edge is taken as its field shows it, in six characters: 0.4999 fs is
    // 23995.2 Hz at 48 kHz, shown "23995 Hz"; the middle 8000 + (22045.59 - 8000) / 2 =
    // 15022.795 Hz is shown "15023 Hz", and 6000 + (23995.2 - 6000) / 2 = 14997.6 Hz "14998 Hz".
    {"reversed edges", "bandpass", ctl::kBandPass, "44100", "8000", "4000", "50", "0.3", "81", "flt32", {"--f2: 4000 Hz is not above --f1 (8000 Hz); 15023 Hz is used, halfway from --f1 to 0.4999 fs"}},
    {"edge at half the rate", "lowpass", ctl::kLowPass, "48000", "24000", nullptr, "60", "0.5", "63", "flt32", {"--f1: 24000 Hz is above 0.4999 fs; 23995 Hz is used"}},
    {"band edge above half the rate", "bandpass", ctl::kBandPass, "48000", "6000", "30000", "50", "0.5", "127", "flt32", {"--f2: 30000 Hz is above 0.4999 fs; 14998 Hz is used, halfway from --f1 to 0.4999 fs"}},
    {"more than 1000 coefficients", "lowpass", ctl::kLowPass, "48000", "1000", nullptr, "100", "0.01", "1500", "flt32", {}},
    {"count above the range", "lowpass", ctl::kLowPass, "48000", "8000", nullptr, "60", "0.5", "5000", "flt32", {"--max-coefs: 5000 is outside 3 to 4096; 4096 is used"}},
    {"count below the range", "lowpass", ctl::kLowPass, "48000", "8000", nullptr, "20", "2", "2", "flt32", {"--max-coefs: 2 is outside 3 to 4096; 3 is used"}},
};
// clang-format on

int FormatRadio(const std::string& word) {
    if (word == "flt64") return ctl::kFloat64;
    if (word == "int32") return ctl::kInteger32;
    if (word == "int16") return ctl::kInteger16;
    return ctl::kFloat32;
}

Outcome CreateInWindow(const Entries& e) {
    WindowRig rig;
    rig.controls.ClickRadio(FormatRadio(e.format));
    rig.dlg.OnCommand(FormatRadio(e.format));
    rig.controls.ClickRadio(e.radio);
    rig.dlg.OnCommand(e.radio);
    rig.controls.text[ctl::kSamplingFreq] = e.fs;
    if (e.f1) rig.controls.text[ctl::kEdgeFreq1] = e.f1;
    if (e.f2) rig.controls.text[ctl::kEdgeFreq2] = e.f2;
    rig.controls.text[ctl::kAttenuation] = e.att;
    if (e.ripple) rig.controls.text[ctl::kRipple] = e.ripple;
    rig.controls.text[ctl::kMaxCoefs] = e.maxCoefs;
    rig.dlg.OnCommand(ctl::kCreate);
    return FromWorkspace(rig.ws, rig.Messages());
}

double Number(const char* text) {
    return ParseFrequency(text);
}

Outcome CreateInWorkspace(const Entries& e) {
    WorkspaceRig rig;
    rig.ws.m_current.format = static_cast<CoefFormat>(FormatRadio(e.format) - ctl::kFloat64);
    SpecEntries typed;
    typed.type = e.radio == ctl::kLowPass    ? LowPass
                 : e.radio == ctl::kHighPass ? HighPass
                 : e.radio == ctl::kBandPass ? BandPass
                 : e.radio == ctl::kBandStop ? BandStop
                                             : HalfBand;
    typed.fs = Number(e.fs);
    typed.f1 = e.f1 ? Number(e.f1) : 0.0;
    typed.f2 = e.f2 ? Number(e.f2) : 0.0;
    typed.attenuation = Number(e.att);
    typed.ripple = e.ripple ? Number(e.ripple) : 0.0;
    typed.maxCoefs = std::atoi(e.maxCoefs);
    const SpecReading read = ReadSpecEntries(
        typed, [](double hz) { return ParseFrequency(FormatFreqField(hz).c_str()); });
    rig.ws.m_current.request = read.spec;
    rig.ws.CreateFromSpec();
    return FromWorkspace(rig.ws, rig.dialogs.Texts());
}

CliRun DesignWithCli(const Entries& e) {
    std::vector<std::string> args = {"design", "--type", e.type, "--fs", e.fs};
    if (e.f1) args.insert(args.end(), {"--f1", e.f1});
    if (e.f2) args.insert(args.end(), {"--f2", e.f2});
    args.insert(args.end(), {"--att", e.att});
    if (e.ripple) args.insert(args.end(), {"--ripple", e.ripple});
    args.insert(args.end(), {"--max-coefs", e.maxCoefs, "--format", e.format, "--json"});
    return RunCli(args);
}

TEST(CommandParity, TheSameEntriesGiveTheSameFilterEveryWay) {
    for (const Entries& e : kEntries) {
        SCOPED_TRACE(e.name);
        const Outcome window = CreateInWindow(e);
        const Outcome workspace = CreateInWorkspace(e);
        const CliRun run = DesignWithCli(e);
        std::vector<std::string> corrections;
        const Outcome cli = FromReport(run, &corrections);
        ExpectSame(window, workspace, "workspace command");
        ExpectSame(window, cli, "command line");
        EXPECT_EQ(corrections, e.corrections);
        // The corrections come first on standard error, then the window's own messages.
        std::string err;
        for (const auto& c : corrections) err += c + "\n";
        EXPECT_EQ(run.err.substr(0, err.size()), err);
        EXPECT_EQ(run.exitCode, window.produced ? 0 : 1) << run.err;
    }
}

// ---- files ----

std::string ReadFixture(const char* name) {
    return testing::ReadFile(std::string(ONDELA_TEST_DATA_DIR) + "/" + name);
}

// The fixture with its parameters cut down to the sampling frequency: coefficients only.
std::string CoefsOnly(const char* name) {
    std::string text = ReadFixture(name);
    const auto from = text.find("PARAMETERS");
    const auto to = text.find("COEFFICIENTS");
    const auto fsAt = text.find("fs = ");
    const auto fsEnd = text.find_first_of(",\r", fsAt);
    const std::string fs = text.substr(fsAt, fsEnd - fsAt);
    return text.substr(0, from) + "PARAMETERS\r\n----------\r\n" + fs + "\r\n\r\n" +
           text.substr(to);
}

struct FileCase {
    const char* name;
    std::string content;  // empty: the path is a directory
    // A file the program saved: it must reload to these coefficients, bit for bit, and say
    // nothing.
    std::vector<double> saved{};
    // Values Load completes: what a first start's fields hold (0: not checked).
    double attenuation = 0.0;
    double f2 = 0.0;
    double fs = 0.0;
};

// The description "ondela-cli design" writes for args, with the coefficients it designed.
FileCase Designed(const char* name, std::vector<std::string> args) {
    args.insert(args.begin(), "design");
    std::vector<std::string> json = args;
    json.push_back("--json");
    const CliRun report = RunCli(json);
    EXPECT_EQ(report.exitCode, 0) << report.err;
    FileCase c{name, {}};
    for (const auto& v : ParseJson(report.out)["coefficients"].toArray())
        c.saved.push_back(v.toDouble());
    TempDir dir;
    args.insert(args.end(), {"--output", dir / "designed.txt"});
    EXPECT_EQ(RunCli(args).exitCode, 0);
    c.content = testing::ReadFile(dir / "designed.txt");
    return c;
}

// A description of the parameters given, without coefficients.
std::string Described(const std::string& parameters) {
    return "Ondela Filter Designed  :  7 may  2026 at  9: 5\r\n"
           "------------------------------------------------\r\n\r\nPARAMETERS\r\n"
           "----------\r\n" +
           parameters + "\r\nMax nb of Coefficients = 63\r\n";
}

std::vector<FileCase> FileCases() {
    std::string noMarker = ReadFixture("lowpass_flt32.txt");
    noMarker.replace(noMarker.find("Ondela Filter Designed"), 22, "Some other text");
    std::string tooLarge = ReadFixture("lowpass_flt32.txt") + std::string(262000, ' ');
    // Values the window's fields show rounded (six characters, "%g" for the levels) before its
    // Create reads them back.
    std::string manyDigits = ReadFixture("bandpass_flt32.txt");
    manyDigits.replace(manyDigits.find("fc1 = 4000, fc2 = 8000 @ fs = 44100"), 35,
                       "fc1 = 4000.123456, fc2 = 8000.987654 @ fs = 44100.25");
    manyDigits.replace(manyDigits.find("Attenuation = 50.000"), 20, "Attenuation = 50.123456");
    std::string noRate = ReadFixture("lowpass_flt32.txt");
    noRate.replace(noRate.find("fs = 48000"), 10, "fs = 0");
    std::string noNumber = ReadFixture("lowpass_flt32.txt");
    noNumber.replace(noNumber.find("Attenuation = 60.000"), 20, "Attenuation = abc");
    // A first start's fields show the stored defaults: 48000 Hz, edge 2 at 20000 Hz, 60 dB.
    FileCase noAttenuation{
        "no attenuation",
        Described("Type = LowPass, fc = 10000 @ fs = 48000\r\nRipple = 0.500 dB")};
    noAttenuation.attenuation = 60.0;
    FileCase noEdge2{"band pass without fc2",
                     Described("Type = BandPass, fc1 = 6000 @ fs = 48000\r\n"
                               "Attenuation = 60.000 dB, Ripple = 0.500 dB")};
    noEdge2.f2 = 20000.0;
    std::string noCount = Described(
        "Type = LowPass, fc = 10000 @ fs = 48000\r\n"
        "Attenuation = 60.000 dB, Ripple = 0.500 dB");
    noCount.erase(noCount.find("Max nb of Coefficients = 63\r\n"));
    FileCase rateZero{"specification without fs", noRate};
    rateZero.fs = 48000.0;
    FileCase unreadable{"attenuation that is no number", noNumber};
    unreadable.attenuation = 60.0;
    return {
        // Saved files come back as they were: values of more digits than the fields show, and
        // a design that met its targets in a format.
        Designed("rate and edge of many digits",
                 {"--type", "highpass", "--fs", "6722.2", "--f1", "1280.3", "--att", "91.036",
                  "--ripple", "1.04", "--max-coefs", "68", "--format", "flt64"}),
        Designed("edge of a half hertz",
                 {"--type", "lowpass", "--fs", "44100", "--f1", "1234.5", "--att", "60", "--ripple",
                  "0.5", "--max-coefs", "255", "--format", "flt64"}),
        Designed("band of many digits",
                 {"--type", "bandstop", "--fs", "44100.5", "--f1", "4000.25", "--f2", "8000.5",
                  "--att", "50.125", "--ripple", "0.3", "--max-coefs", "101", "--format", "flt32"}),
        Designed("targets met in a format",
                 {"--type", "lowpass", "--fs", "48000", "--f1", "10000", "--att", "60", "--ripple",
                  "0.4", "--max-coefs", "127", "--format", "int16", "--meet-in-format"}),
        Designed("targets met in a word",
                 {"--type", "lowpass", "--fs", "48000", "--f1", "10000", "--att", "60", "--ripple",
                  "0.4", "--max-coefs", "127", "--format", "flt64", "--meet-in-format",
                  "--word-bits", "14"}),
        // Values the file lacks are completed from the fields, as missing ones.
        noAttenuation,
        noEdge2,
        {"no count", noCount},
        rateZero,
        unreadable,
        {"full specification", ReadFixture("lowpass_flt32.txt")},
        {"half-band specification", ReadFixture("halfband_flt64.txt")},
        {"16-bit specification", ReadFixture("lowpass_int16.txt")},
        {"band pass specification", ReadFixture("bandpass_flt32.txt")},
        {"specification of many digits", manyDigits},
        {"coefficients only", CoefsOnly("lowpass_flt32.txt")},
        {"half-band coefficients only", CoefsOnly("halfband_flt64.txt")},
        {"no marker", noMarker},
        {"too large", tooLarge},
        {"a directory", ""},
    };
}

TEST(CommandParity, TheSameFileLoadsTheSameEveryWay) {
    TempDir dir;
    int index = 0;
    for (const FileCase& f : FileCases()) {
        SCOPED_TRACE(f.name);
        const std::string path = dir / ("filter" + std::to_string(index++) + ".txt");
        if (f.content.empty()) {
            std::filesystem::create_directory(path);
        } else {
            testing::WriteFile(path, f.content);
        }

        WindowRig chooser;
        chooser.dialogs.fileToOpen = path;
        chooser.dlg.OnCommand(ctl::kLoad);
        const Outcome chosen = FromWorkspace(chooser.ws, chooser.Messages());

        WindowRig dropped;
        dropped.ws.LoadFilterFile(path);
        const Outcome drop = FromWorkspace(dropped.ws, dropped.Messages());

        const CliRun run = RunCli({"analyse", path, "--json"});
        const Outcome cli = FromReport(run);

        ExpectSame(chosen, drop, "dropped path");
        ExpectSame(chosen, cli, "command line");
        EXPECT_EQ(run.exitCode, chosen.produced ? 0 : 1) << run.err;
        if (!f.saved.empty()) {
            EXPECT_TRUE(chosen.messages.empty()) << chosen.messages[0];
            EXPECT_EQ(chosen.coefs, f.saved);
        }
        if (f.attenuation > 0.0) {
            EXPECT_EQ(chosen.entered.attenuation, f.attenuation);
        }
        if (f.f2 > 0.0) {
            EXPECT_EQ(chosen.entered.f2, f.f2);
        }
        if (f.fs > 0.0) {
            EXPECT_EQ(chosen.entered.fs, f.fs);
        }
    }
}

}  // namespace
}  // namespace ondela
