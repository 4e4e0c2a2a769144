// ondela-cli analyse, run as a child process on filter files written by ondela-cli design: a
// file with a complete specification is designed again, one with coefficients only is measured,
// files that give no filter exit with 1 and the window's message, and --output writes a
// description that loads again.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "tests/cli/cli_json.h"
#include "tests/cli/cli_process.h"

namespace ondela {
namespace {

using testing::AfterFirstLine;
using testing::CliRun;
using testing::ParseJson;
using testing::ReadFile;
using testing::RunCli;
using testing::Str;
using testing::TempDir;
using testing::WriteFile;

using Args = std::vector<std::string>;

// The "name value" lines of the summary, by name.
std::map<std::string, std::string> SummaryValues(const std::string& text) {
    std::map<std::string, std::string> values;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        const std::size_t gap = line.find(' ');
        const std::size_t value = line.find_first_not_of(' ', gap);
        if (gap != std::string::npos && value != std::string::npos)
            values[line.substr(0, gap)] = line.substr(value);
    }
    return values;
}

const Args kLowPass = {"--type", "lowpass", "--fs",     "48000", "--f1",        "8000",
                       "--att",  "60",      "--ripple", "0.5",   "--max-coefs", "63"};

const char* const kCoefWarning =
    "WARNING: The coefs stored in this file are not valid. They will be modified";
const char* const kCoefsOnly =
    "Filter not fully specified. Using Coefficients.\nCheck filter type, freqs and specifs...";

// The low pass written by design in each format, with its JSON reports, once for all tests.
class AnalyseCommand : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir = std::make_unique<TempDir>();
        for (const char* format : {"flt64", "flt32", "int32", "int16"}) {
            Args args = {"design"};
            args.insert(args.end(), kLowPass.begin(), kLowPass.end());
            args.insert(args.end(), {"--format", format});
            Args toFile = args;
            toFile.insert(toFile.end(), {"--output", File(format)});
            ASSERT_EQ(RunCli(toFile).exitCode, 0);
            args.push_back("--json");
            const CliRun json = RunCli(args);
            ASSERT_EQ(json.exitCode, 0);
            designed[format] = ParseJson(json.out);
        }
        // The FLT32 file with one coefficient edited (its fifth number, a small one, made 0.1).
        std::string text = ReadFile(File("flt32"));
        const std::size_t list = text.find("m_firCoefs[NBCOEFS]");
        std::size_t at = list;
        for (int i = 0; i < 5; ++i) at = text.find("e-0", at + 1);
        const std::size_t start = text.find_last_of(" ,", at);
        ASSERT_NE(list, std::string::npos);
        text.replace(start + 1, at + 5 - start - 1, "1.00000000e-001");
        WriteFile(File("flt32-edited"), text);
    }
    static void TearDownTestSuite() { dir.reset(); }

    static std::string File(const std::string& format) {
        return *dir / ("lowpass_" + format + ".txt");
    }

    // The coefficient array of the FLT64 file under a header that holds only the lines given.
    static std::string CoefficientsOnly(const std::string& header) {
        const std::string text = ReadFile(File("flt64"));
        return "Ondela coefficients\r\n" + header + "\r\n" +
               text.substr(text.find("static double m_firCoefs"));
    }

    static CliRun Analyse(Args args) {
        args.insert(args.begin(), "analyse");
        return RunCli(args);
    }

    static std::unique_ptr<TempDir> dir;
    static std::map<std::string, QJsonObject> designed;
};

std::unique_ptr<TempDir> AnalyseCommand::dir;
std::map<std::string, QJsonObject> AnalyseCommand::designed;

// A file with the whole specification is designed again in the file's format: the same filter
// design made, and no warning, since the stored coefficients are the new ones as the file's format
// holds them (rounded, for FLT32).
TEST_F(AnalyseCommand, ASpecifiedFileIsDesignedAgain) {
    const struct {
        const char* format;
        const char* file;
        std::vector<std::string> messages;
    } cases[] = {
        {"flt64", "flt64", {}},
        {"flt32", "flt32", {}},
        {"int32", "int32", {}},
        // 16-bit coefficients cost this low pass a little of its attenuation, as its design says.
        {"int16", "int16", {"Warning: Original specifications not met"}},
        {"flt32", "flt32-edited", {kCoefWarning}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const CliRun json = Analyse({File(c.file), "--json"});
        ASSERT_EQ(json.exitCode, 0) << json.err;
        std::string err;
        for (const std::string& m : c.messages) err += m + "\n";
        EXPECT_EQ(json.err, err);

        const QJsonObject report = ParseJson(json.out);
        const QJsonObject& design = designed[c.format];
        EXPECT_EQ(report["status"].toInt(-99), 0);
        EXPECT_EQ(report["engineStatus"], design["engineStatus"]);
        QJsonArray messages;
        for (const std::string& m : c.messages) messages.append(QString::fromStdString(m));
        EXPECT_EQ(report["messages"].toArray(), messages);
        EXPECT_EQ(report["redesigned"], QJsonValue(true));
        for (const char* same : {"format", "title", "entered", "achieved", "coefficients"}) {
            EXPECT_EQ(report[same], design[same]) << same;
        }

        // The summary tells the same values.
        const CliRun summary = Analyse({File(c.file)});
        ASSERT_EQ(summary.exitCode, 0) << summary.err;
        EXPECT_EQ(summary.err, err);
        auto values = SummaryValues(summary.out);
        const QJsonObject achieved = design["achieved"].toObject();
        EXPECT_EQ(values["from"], "specification");
        EXPECT_EQ(values["title"], Str(design["title"]));
        EXPECT_EQ(values["format"], Str(design["format"]));
        EXPECT_EQ(values["type"], "LowPass");
        EXPECT_EQ(values["fs"], "48000 Hz");
        EXPECT_EQ(values["coefs"], std::to_string(achieved["numCoefs"].toInt()));
        EXPECT_NEAR(std::stod(values["attenuation"]), achieved["attenuation"].toDouble(), 1e-3);
        EXPECT_NEAR(std::stod(values["ripple"]), achieved["ripple"].toDouble(), 1e-5);
        EXPECT_DOUBLE_EQ(std::stod(values["f1"]), achieved["f1"].toDouble());
    }
}

// Coefficients without a complete specification are measured as they stand: the measured values
// become the entered ones, and they are those of the design the coefficients came from.
TEST_F(AnalyseCommand, CoefficientsAloneAreMeasured) {
    const std::string path = *dir / "coefs_only.txt";
    WriteFile(path, CoefficientsOnly("Type = LowPass, fs = 48000 Hz\r\n"));
    const CliRun run = Analyse({path, "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err,
              "Filter not fully specified. Using Coefficients. Check filter type, freqs and "
              "specifs...\n");

    const QJsonObject report = ParseJson(run.out);
    const QJsonObject& design = designed["flt64"];
    EXPECT_EQ(report["status"].toInt(-99), 0);
    EXPECT_TRUE(report["engineStatus"].isNull());
    EXPECT_EQ(report["messages"].toArray(), QJsonArray{kCoefsOnly});
    EXPECT_EQ(report["redesigned"], QJsonValue(false));
    EXPECT_EQ(Str(report["format"]), "FLT64");
    EXPECT_EQ(report["achieved"], design["achieved"]);
    EXPECT_EQ(report["coefficients"], design["coefficients"]);
    const QJsonObject entered = report["entered"].toObject();
    const QJsonObject achieved = report["achieved"].toObject();
    EXPECT_EQ(Str(entered["type"]), "LowPass");
    EXPECT_EQ(entered["fs"].toDouble(), 48000.0);
    for (const char* measured : {"f1", "attenuation", "ripple"}) {
        EXPECT_EQ(entered[measured], achieved[measured]) << measured;
    }
    EXPECT_EQ(entered["maxCoefs"], achieved["numCoefs"]);
    EXPECT_NE(Str(report["title"]).find("COEF ANALYSIS"), std::string::npos);

    const CliRun summary = Analyse({path});
    ASSERT_EQ(summary.exitCode, 0) << summary.err;
    EXPECT_EQ(SummaryValues(summary.out)["from"], "coefficients");
}

// Files that give no filter: exit status 1, nothing on standard output, the window's message on
// standard error; a JSON report tells that there is none.
TEST_F(AnalyseCommand, FilesThatGiveNoFilter) {
    const std::string text = ReadFile(File("flt64"));
    const struct {
        const char* what;
        std::string content;  // not written when empty
        std::vector<std::string> err;
        int status;  // of the JSON report
    } cases[] = {
        {"missing",
         "",
         {"Could not open File " + *dir / "missing.txt" + ": No such file or directory"},
         -1},
        {"not a description",
         "just some text\n",
         {"Sorry, not a valid Ondela filter description..."},
         -1},
        {"marker without data", "Ondela\r\n", {"Sorry, no valid filter data in this file."}, -1},
        // 90 dB with 0.01 dB ripple and a 2000 Hz edge need far more than the 63 stored taps.
        {"design not possible",
         [&] {
             std::string t = text;
             t.replace(t.find("fc = 8000"), 9, "fc = 2000");
             t.replace(t.find("Attenuation = 60.000"), 20, "Attenuation = 90.000");
             t.replace(t.find("Ripple = 0.500"), 14, "Ripple = 0.010");
             return t;
         }(),
         {"SORRY: Creating this filter is not possible!"},
         0x20},
        // Coefficients cannot be measured without a sampling frequency.
        {"coefficients without fs",
         CoefficientsOnly(""),
         {"Filter not fully specified. Using Coefficients. Check filter type, freqs and "
          "specifs...",
          "ondela-cli analyse: " + *dir / "coefficients without fs" +
              ": no sampling frequency (\"fs = ...\" in the header); its coefficients cannot be "
              "measured"},
         -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = *dir / (c.content.empty() ? "missing.txt" : c.what);
        if (!c.content.empty()) WriteFile(path, c.content);
        const std::string output = *dir / "output.txt";
        WriteFile(output, "an older filter\n");

        const CliRun run = Analyse({path, "--output", output});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.ErrLines(), c.err);
        EXPECT_EQ(ReadFile(output), "an older filter\n");

        const CliRun json = Analyse({path, "--json"});
        EXPECT_EQ(json.exitCode, 1);
        const QJsonObject report = ParseJson(json.out);
        if (c.status == -1) {
            EXPECT_EQ(report["status"].toInt(), -1);
        } else {
            EXPECT_NE(report["status"].toInt() & c.status, 0);
            EXPECT_EQ(report["engineStatus"], report["status"]);
        }
        EXPECT_TRUE(report["redesigned"].isNull());
        EXPECT_TRUE(report["achieved"].isNull());
        EXPECT_TRUE(report["coefficients"].toArray().isEmpty());
        // The report's messages are the window's: every line but the command's own.
        std::vector<std::string> shown;
        for (const QJsonValue& m : report["messages"].toArray()) {
            // As printed: one line, without the line break that ends some messages.
            std::string line = Str(m);
            while (!line.empty() && line.back() == '\n') line.pop_back();
            std::replace(line.begin(), line.end(), '\n', ' ');
            shown.push_back(line);
        }
        std::vector<std::string> window;
        for (const std::string& line : c.err)
            if (line.rfind("ondela-cli", 0) != 0) window.push_back(line);
        EXPECT_EQ(shown, window);
    }
    // Without a marker there is no entered specification either.
    EXPECT_TRUE(ParseJson(Analyse({*dir / "not a description", "--json"}).out)["entered"].isNull());
}

// --output writes the description of the resulting filter as Save writes it, and that file loads
// again to the same filter.
TEST_F(AnalyseCommand, OutputWritesADescriptionThatLoadsAgain) {
    // Designed again: the file written is the design's description.
    const std::string again = *dir / "again.txt";
    const CliRun run = Analyse({File("flt64"), "--output", again});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(SummaryValues(run.out)["from"], "specification");
    EXPECT_EQ(AfterFirstLine(ReadFile(again)), AfterFirstLine(ReadFile(File("flt64"))));

    // Measured coefficients: a coefficient analysis description, which is measured again to the
    // same values.
    const std::string coefs = *dir / "coefs.txt";
    const std::string analysed = *dir / "analysed.txt";
    WriteFile(coefs, CoefficientsOnly("Type = LowPass, fs = 48000 Hz\r\n"));
    const CliRun first = Analyse({coefs, "--json", "--output", analysed});
    ASSERT_EQ(first.exitCode, 0) << first.err;
    // Its header holds only the type and the sampling frequency.
    const std::string written = ReadFile(analysed);
    EXPECT_NE(written.find("\r\nType = LowPass, fs = 48000\r\n"), std::string::npos) << written;
    EXPECT_EQ(written.find("Attenuation"), std::string::npos) << written;
    const CliRun second = Analyse({analysed, "--json"});
    ASSERT_EQ(second.exitCode, 0) << second.err;
    const QJsonObject a = ParseJson(first.out);
    const QJsonObject b = ParseJson(second.out);
    for (const char* same : {"redesigned", "format", "title", "achieved", "coefficients"}) {
        EXPECT_EQ(a[same], b[same]) << same;
    }

    // A file may be written over itself.
    const CliRun inPlace = Analyse({again, "--output", again});
    EXPECT_EQ(inPlace.exitCode, 0) << inPlace.err;
    EXPECT_EQ(AfterFirstLine(ReadFile(again)), AfterFirstLine(ReadFile(File("flt64"))));

    // An output that cannot be written: exit status 1 and why, the values still reported.
    const std::string nowhere = *dir / "no/such/dir/out.txt";
    const CliRun failed = Analyse({File("flt64"), "--output", nowhere});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_EQ(failed.err.rfind("ondela-cli: cannot write " + nowhere + ": ", 0), 0u) << failed.err;
    EXPECT_EQ(SummaryValues(failed.out)["from"], "specification");
    // The JSON report's messages say why too.
    const CliRun failedJson = Analyse({File("flt64"), "--output", nowhere, "--json"});
    EXPECT_EQ(failedJson.exitCode, 1);
    const QJsonArray messages = ParseJson(failedJson.out)["messages"].toArray();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(Str(messages[0]).rfind("ondela-cli: cannot write " + nowhere + ": ", 0), 0u);
}

TEST_F(AnalyseCommand, UsageErrors) {
    const struct {
        Args args;
        const char* says;
    } cases[] = {
        {{}, "no filter file given"},
        {{"a.txt", "b.txt"}, "unexpected argument 'b.txt'"},
        {{""}, "the file name is empty"},
        {{"a.txt", "--output", ""}, "--output: the file name is empty"},
        {{"a.txt", "--format", "flt64"}, "Unknown option 'format'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.says);
        const CliRun run = Analyse(c.args);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.out, "");
        const auto lines = run.ErrLines();
        ASSERT_EQ(lines.size(), 1u) << run.err;
        EXPECT_NE(lines[0].find(c.says), std::string::npos) << lines[0];
    }
}

}  // namespace
}  // namespace ondela
