// A design made to meet its targets in a coefficient format survives Save and Load: in the
// window whatever its check box shows at Load, and in "ondela-cli analyse" and "export", which
// write the same file as the window's Export of the loaded filter.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <string>
#include <vector>

#include "app/about/version_info.h"
#include "engine/design_engine.h"
#include "settings/memory_settings_store.h"
#include "settings/preferences.h"
#include "tests/cli/cli_json.h"
#include "tests/cli/cli_process.h"
#include "tests/main_window/window_rig.h"
#include "tests/workspace/workspace_fakes.h"
#include "ui/export/export_session.h"
#include "ui/main_window/control_ids.h"
#include "ui/main_window/main_window_presenter.h"
#include "ui/plot/response_plot.h"
#include "workspace/filter_workspace.h"

namespace ondela {
namespace {

using testing::ParseJson;
using testing::ReadFile;
using testing::RunCli;
using testing::TempDir;
using Window = testing::WindowRig;

std::vector<double> ReportedCoefs(const std::string& json) {
    std::vector<double> coefs;
    for (const auto& c : ParseJson(json)["coefficients"].toArray()) coefs.push_back(c.toDouble());
    return coefs;
}

TEST(MetInFormatFile, ReloadsToTheSavedCoefficientsEverywhere) {
    TempDir dir;
    VersionStrings version;
    ReadVersionInfo(BuiltInVersionBlock, version);

    // The designer's example in Integer 16, whose plain design's words fall short of 60 dB;
    // met in the format, it is another filter.
    const auto create = [](Window& w, bool meet) {
        w.Click(ctl::kInteger16);
        w.TickMeetInFormat(meet);
        w.controls.text[ctl::kSamplingFreq] = "48000";
        w.controls.text[ctl::kEdgeFreq1] = "10000";
        w.controls.text[ctl::kAttenuation] = "60";
        w.controls.text[ctl::kRipple] = "0.4";
        w.controls.text[ctl::kMaxCoefs] = "127";
        w.dlg.OnCommand(ctl::kCreate);
        ASSERT_TRUE(w.ws.Current().valid);
    };
    Window plain;
    create(plain, false);
    Window made;
    create(made, true);
    const std::vector<double> saved = made.Coefs();
    ASSERT_NE(saved, plain.Coefs());

    // A plain design's file stays plain at Load, even with the box ticked.
    {
        const std::string path = dir / "plain.txt";
        plain.dialogs.fileToSave = path;
        plain.dlg.OnCommand(ctl::kSave);
        Window loaded;
        loaded.TickMeetInFormat(true);
        loaded.dialogs.fileToOpen = path;
        loaded.dlg.OnCommand(ctl::kLoad);
        // Its words still miss the targets, as they did at Create; nothing else is said.
        EXPECT_EQ(loaded.dialogs.Texts(), plain.dialogs.Texts());
        EXPECT_EQ(loaded.Coefs(), plain.Coefs());
    }

    // Saved in the format it was met in, and in Float 64 after the format was switched.
    const struct {
        const char* name;
        int radio;
    } files[] = {{"met_int16.txt", ctl::kInteger16}, {"met_flt64.txt", ctl::kFloat64}};
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        const std::string path = dir / file.name;
        made.Click(file.radio);
        made.dialogs.fileToSave = path;
        made.dlg.OnCommand(ctl::kSave);
        ASSERT_NE(ReadFile(path), "");

        for (const bool ticked : {false, true}) {
            SCOPED_TRACE(ticked ? "box ticked at Load" : "box clear at Load");
            Window loaded;
            loaded.TickMeetInFormat(ticked);
            loaded.dialogs.fileToOpen = path;
            loaded.dlg.OnCommand(ctl::kLoad);
            EXPECT_TRUE(loaded.dialogs.Texts().empty()) << loaded.dialogs.Texts()[0];
            EXPECT_EQ(loaded.Coefs(), saved);
            EXPECT_EQ(loaded.controls.IsChecked(file.radio), true);
        }

        const testing::CliRun analysed = RunCli({"analyse", path, "--json"});
        ASSERT_EQ(analysed.exitCode, 0) << analysed.err;
        EXPECT_EQ(analysed.err, "");
        EXPECT_EQ(ReportedCoefs(analysed.out), saved);

        // The window's Export of the loaded filter and the command line's export of the file.
        Window loaded;
        loaded.dialogs.fileToOpen = path;
        loaded.dlg.OnCommand(ctl::kLoad);
        ExportSession session(loaded.ws, version.productName, version.productVersion);
        session.choices.format = ExportFormat::Coe;
        session.choices.wordBits = 16;
        session.choices.name = "fir";
        const std::string mine = path + ".window.coe";
        ASSERT_TRUE(session.WriteTo(mine).written);
        const std::string theirs = path + ".cli.coe";
        const testing::CliRun exported =
            RunCli({"export", path, "--to", "coe", "--word-bits", "16", "--output", theirs});
        ASSERT_EQ(exported.exitCode, 0) << exported.err;
        EXPECT_EQ(ReadFile(mine), ReadFile(theirs));
    }
}

}  // namespace
}  // namespace ondela
