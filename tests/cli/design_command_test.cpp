// ondela-cli design, run as a child process: the description it writes against the window's
// descriptions of the same filters, the JSON report against the text, exit statuses and their
// messages, the process locale, and the output file.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
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
using testing::WithOption;

using Args = std::vector<std::string>;

Args Design(Args options) {
    options.insert(options.begin(), "design");
    return options;
}

Args Plus(Args args, const Args& more) {
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

// The number after "#define NBCOEFS"; -1 when there is none.
int DefinedCount(const std::string& text) {
    std::smatch m;
    if (!std::regex_search(text, m, std::regex("#define NBCOEFS (\\d+)\r\n"))) return -1;
    return std::stoi(m[1]);
}

// The values of the coefficient array of a description, as written.
std::vector<double> ArrayValues(const std::string& text) {
    std::vector<double> values;
    std::size_t p = text.find("m_firCoefs[NBCOEFS] = {");
    if (p == std::string::npos) return values;
    p = text.find('{', p) + 1;
    const std::string block = text.substr(p, text.find('}', p) - p);
    const char* s = block.c_str();
    while (*s != '\0') {
        char* end = nullptr;
        const double v = std::strtod(s, &end);
        if (end == s) {
            ++s;
            continue;
        }
        values.push_back(v);
        s = end;
    }
    return values;
}

bool EveryLineEndsWithCrLf(const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) return false;
    }
    return !text.empty() && text.back() == '\n';
}

const std::regex kDateLine(
    "Ondela Filter Designed  :  [ 0-9]{2} [a-z. ]{4} [0-9]{4} at [ 0-9]{2}:[ 0-9]{2}\r\n");

// The description the command writes is the one the window writes for the same entries: the
// workspace's whole-text fixtures, from the line after the date on.
TEST(DesignCommand, WritesTheWindowsDescription) {
    const Args lowPass = {"--type", "lowpass", "--fs",     "48000", "--f1",        "8000",
                          "--att",  "60",      "--ripple", "0.5",   "--max-coefs", "63"};
    // The 16-bit coefficients of that low pass miss its ripple: the window warns, and so does
    // the command, on standard error.
    const std::string notMet = "Warning: Original specifications not met\n";
    const struct {
        Args args;
        const char* fixture;
        std::string err = "";
    } cases[] = {
        {Plus(lowPass, {"--format", "flt64"}), "lowpass_flt64.txt"},
        {Plus(lowPass, {"--format", "FLT32"}), "lowpass_flt32.txt"},
        {Plus(lowPass, {"--format", "int32"}), "lowpass_int32.txt"},
        {Plus(lowPass, {"--format", "int16"}), "lowpass_int16.txt", notMet},
        {lowPass, "lowpass_flt32.txt"},  // FLT32 unless told otherwise, as on a first run
        {{"--type", "bandpass", "--fs", "44100", "--f1", "4000", "--f2", "8000", "--att", "50",
          "--ripple", "0.3", "--max-coefs", "81", "--format", "flt32"},
         "bandpass_flt32.txt"},
        // A half band takes its edge at fs/4 and needs no ripple; an edge given as fs/4 is the
        // same filter.
        {{"--type", "halfband", "--fs", "96000", "--att", "70", "--max-coefs", "43", "--format",
          "flt64"},
         "halfband_flt64.txt"},
        {{"--type", "halfband", "--fs", "96 kHz", "--f1", "24 kHz", "--att", "70", "--ripple",
          "0.5", "--max-coefs", "43", "--format", "flt64"},
         "halfband_flt64.txt"},
    };
    for (const auto& c : cases) {
        const CliRun run = RunCli(Design(c.args));
        SCOPED_TRACE(c.fixture);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.err, c.err);
        EXPECT_TRUE(std::regex_search(run.out, kDateLine, std::regex_constants::match_continuous))
            << run.out.substr(0, 60);
        const std::string fixture = ReadFile(std::string(ONDELA_TEST_DATA_DIR) + "/" + c.fixture);
        ASSERT_FALSE(fixture.empty());
        EXPECT_EQ(AfterFirstLine(run.out), AfterFirstLine(fixture));
    }
}

// For every type, the text and the JSON report of one specification describe the same filter.
TEST(DesignCommand, TextAndJsonAgreeForEveryType) {
    const struct {
        Args args;
        const char* typeName;
        double f1;
        double f2;
        int maxCoefs;
    } cases[] = {
        {{"--type", "lowpass", "--fs", "48000", "--f1", "8000", "--att", "60", "--ripple", "0.5",
          "--max-coefs", "63"},
         "LowPass",
         8000,
         0,
         63},
        {{"--type", "highpass", "--fs", "48000", "--f1", "12000", "--att", "60", "--ripple", "0.5",
          "--max-coefs", "127"},
         "HighPass",
         12000,
         0,
         127},
        {{"--type", "bandpass", "--fs", "44100", "--f1", "4000", "--f2", "8000", "--att", "50",
          "--ripple", "0.3", "--max-coefs", "81"},
         "BandPass",
         4000,
         8000,
         81},
        {{"--type", "bandstop", "--fs", "48000", "--f1", "6000", "--f2", "12000", "--att", "50",
          "--ripple", "0.5", "--max-coefs", "127"},
         "BandStop",
         6000,
         12000,
         127},
        {{"--type", "halfband", "--fs", "96000", "--att", "70", "--max-coefs", "43"},
         "HalfBand",
         24000,
         0,
         43},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typeName);
        const Args args = Plus(c.args, {"--format", "flt64"});
        const CliRun text = RunCli(Design(args));
        const CliRun json = RunCli(Design(Plus(args, {"--json"})));
        ASSERT_EQ(text.exitCode, 0) << text.err;
        ASSERT_EQ(json.exitCode, 0) << json.err;

        EXPECT_TRUE(EveryLineEndsWithCrLf(text.out));
        EXPECT_NE(text.out.find("\r\nType = " + std::string(c.typeName)), std::string::npos);
        EXPECT_NE(text.out.find("\r\nstatic double m_firCoefs[NBCOEFS] = {\r\n"),
                  std::string::npos);

        const QJsonObject report = ParseJson(json.out);
        EXPECT_EQ(report["status"].toInt(-99), 0);
        EXPECT_TRUE(report["engineStatus"].isDouble());
        EXPECT_TRUE(report["messages"].toArray().isEmpty());
        EXPECT_EQ(Str(report["format"]), "FLT64");

        const QJsonObject entered = report["entered"].toObject();
        EXPECT_EQ(Str(entered["type"]), c.typeName);
        EXPECT_EQ(entered["f1"].toDouble(), c.f1);
        EXPECT_EQ(entered["f2"].toDouble(), c.f2);
        EXPECT_EQ(entered["maxCoefs"].toInt(), c.maxCoefs);

        const QJsonObject achieved = report["achieved"].toObject();
        const int n = achieved["numCoefs"].toInt(-1);
        EXPECT_EQ(DefinedCount(text.out), n);
        EXPECT_EQ(n % 2, 1);
        EXPECT_LE(n, c.maxCoefs);
        EXPECT_GT(achieved["attenuation"].toDouble(), 0.0);
        EXPECT_EQ(
            Str(report["title"])
                .rfind("FIR_" + std::to_string(n) + "_FLT64 " + std::string(c.typeName) + " ", 0),
            0u)
            << Str(report["title"]);

        // The JSON coefficients are the written ones, digit for digit, and symmetric.
        const QJsonArray coefs = report["coefficients"].toArray();
        const std::vector<double> written = ArrayValues(text.out);
        ASSERT_EQ(coefs.size(), n);
        ASSERT_EQ(static_cast<int>(written.size()), n);
        for (int i = 0; i < n; ++i) {
            EXPECT_EQ(coefs[i].toDouble(), written[i]) << "coefficient " << i;
            EXPECT_EQ(coefs[i].toDouble(), coefs[n - 1 - i].toDouble()) << "coefficient " << i;
        }
    }
}

TEST(DesignCommand, NoFilterExitsWithOneAndSaysWhy) {
    // 60 dB with 0.1 dB ripple and a 3000 Hz edge needs far more than 21 coefficients.
    const Args impossible = {"--type", "lowpass", "--fs",     "48000", "--f1",        "3000",
                             "--att",  "60",      "--ripple", "0.1",   "--max-coefs", "21"};
    const CliRun text = RunCli(Design(impossible));
    EXPECT_EQ(text.exitCode, 1);
    EXPECT_EQ(text.out, "");
    EXPECT_EQ(text.err, "SORRY: Creating this filter is not possible!\n");

    const CliRun json = RunCli(Design(Plus(impossible, {"--json"})));
    EXPECT_EQ(json.exitCode, 1);
    const QJsonObject report = ParseJson(json.out);
    EXPECT_NE(report["status"].toInt() & 0x20, 0);
    EXPECT_EQ(report["engineStatus"].toInt(), report["status"].toInt());
    EXPECT_EQ(report["messages"].toArray(),
              QJsonArray{"SORRY: Creating this filter is not possible!"});
    EXPECT_TRUE(report["achieved"].isNull());
    EXPECT_TRUE(report["title"].isNull());
    EXPECT_TRUE(report["coefficients"].toArray().isEmpty());

    // A band whose second edge is 0 passes validation but the engine refuses its edges.
    const CliRun refused =
        RunCli(Design({"--type", "bandpass", "--fs", "48000", "--f1", "3000", "--f2", "0", "--att",
                       "60", "--ripple", "0.5", "--max-coefs", "63"}));
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(refused.err, "Erroneous Filter Specifications\n");
}

TEST(DesignCommand, WarningsKeepTheFilter) {
    // 16-bit coefficients cannot hold 90 dB: the window's warning, and the filter all the same.
    const CliRun run =
        RunCli(Design({"--type", "lowpass", "--fs", "48000", "--f1", "8000", "--att", "90",
                       "--ripple", "0.1", "--max-coefs", "255", "--format", "int16", "--json"}));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "Warning: Original specifications not met\n");
    const QJsonObject report = ParseJson(run.out);
    EXPECT_EQ(report["status"].toInt(-99), 0);
    EXPECT_EQ(report["messages"].toArray(), QJsonArray{"Warning: Original specifications not met"});
    EXPECT_EQ(Str(report["format"]), "INT16");
    EXPECT_LT(report["achieved"].toObject()["attenuation"].toDouble(), 89.0);
    EXPECT_FALSE(report["coefficients"].toArray().isEmpty());
}

// Every usage error and invalid specification: exit status 2, nothing on standard output, one
// line on standard error that names the problem.
TEST(DesignCommand, UsageErrorsAndInvalidSpecifications) {
    const Args good = {"--type", "lowpass", "--fs",     "48000", "--f1",        "8000",
                       "--att",  "60",      "--ripple", "0.5",   "--max-coefs", "63"};
    // good with the value of one option replaced, or without it (value nullptr).
    const auto with = [&](const std::string& option, const char* value) {
        return Design(WithOption(good, 0, option, value));
    };
    const struct {
        Args args;
        const char* says;
    } cases[] = {
        {with("--fs", "abc"), "--fs: 'abc' is not a number"},
        {with("--fs", ""), "--fs: '' is not a number"},
        {with("--f1", "nan"), "--f1: 'nan' is not a number"},
        {with("--f1", "inf"), "--f1: 'inf' is not a number"},
        {with("--att", "dB"), "--att: 'dB' is not a number"},
        {with("--ripple", "1e999"), "--ripple: '1e999' is not a number"},
        {with("--fs", nullptr), "--fs is required"},
        {with("--max-coefs", nullptr), "--max-coefs is required"},
        {with("--max-coefs", "12x"), "--max-coefs: '12x' is not a whole number"},
        {with("--type", "notch"), "unknown filter type 'notch'"},
        {Plus(Design(good), {"--format", "flt16"}), "unknown coefficient format 'flt16'"},
        {Plus(Design(good), {"--bogus"}), "Unknown option 'bogus'"},
        {Plus(Design(good), {"stray"}), "unexpected argument 'stray'"},
        {Plus(Design(good), {"--output", ""}), "--output: the file name is empty"},
        {Plus(with("--type", "bandstop"), {}), "--f2 is required"},
        {Plus(with("--type", "bandstop"), {"--f2", "8000"}), "two different edges"},
        {Plus(with("--type", "halfband"), {}), "edge at fs/4 = 12000 Hz, not 8000 Hz"},
        {{"draw"}, "unknown command 'draw'"},
        {{}, "no command given"},
        // Specifications the window's Create refuses.
        {with("--fs", "0"), "SORRY: Invalid Specifications"},
        {with("--fs", "-48000"), "SORRY: Invalid Specifications"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.says);
        const CliRun run = RunCli(c.args);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.out, "");
        const auto lines = run.ErrLines();
        ASSERT_EQ(lines.size(), 1u) << run.err;
        EXPECT_NE(lines[0].find(c.says), std::string::npos) << lines[0];
    }
}

// Values the window's fields correct without a word are corrected the same way here, and each
// correction is said once, on standard error and first among the report's messages.
TEST(DesignCommand, CorrectionsOfTheFieldsAreReported) {
    const Args good = {"--type", "lowpass", "--fs",     "48000", "--f1",        "8000",
                       "--att",  "60",      "--ripple", "0.5",   "--max-coefs", "63"};
    const auto with = [&](const std::string& option, const char* value) {
        return Design(Plus(WithOption(good, 0, option, value), {"--json"}));
    };
    const Args band = WithOption(WithOption(good, 0, "--type", "bandpass"), 0, "--f2", "12000");
    // 0.4999 fs at 48 kHz is 23995.2 Hz, which the edge field shows in six characters, 23995 Hz;
    // an edge 2 out of place becomes the middle between edge 1 and that limit, 15997.6 Hz, shown as
    // 15998 Hz.
    const struct {
        Args args;
        const char* says;
        const char* key;
        double used;
    } cases[] = {
        {with("--f1", "30000"), "--f1: 30000 Hz is above 0.4999 fs; 23995 Hz is used", "f1", 23995},
        {Design(Plus(WithOption(band, 0, "--f2", "30000"), {"--json"})),
         "--f2: 30000 Hz is above 0.4999 fs; 15998 Hz is used, halfway from --f1 to 0.4999 fs",
         "f2", 15998},
        {Design(Plus(WithOption(band, 0, "--f2", "4000"), {"--json"})),
         "--f2: 4000 Hz is not above --f1 (8000 Hz); 15998 Hz is used, halfway from --f1 to "
         "0.4999 fs",
         "f2", 15998},
        {with("--max-coefs", "2"), "--max-coefs: 2 is outside 3 to 4096; 3 is used", "maxCoefs", 3},
        {with("--max-coefs", "4097"), "--max-coefs: 4097 is outside 3 to 4096; 4096 is used",
         "maxCoefs", 4096},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.says);
        const CliRun run = RunCli(c.args);
        ASSERT_FALSE(run.ErrLines().empty());
        EXPECT_EQ(run.ErrLines()[0], c.says);
        const QJsonObject report = ParseJson(run.out);
        ASSERT_FALSE(report["messages"].toArray().isEmpty());
        EXPECT_EQ(Str(report["messages"].toArray()[0]), c.says);
        EXPECT_EQ(report["entered"].toObject()[c.key].toDouble(), c.used);
    }
}

// The same filter, typed with decimal commas and "kHz" under a comma-decimal locale, gives the
// same bytes as the plain numbers under the C locale.
TEST(DesignCommand, ProcessLocaleChangesNothing) {
    const locale_t german = newlocale(LC_ALL_MASK, "de_DE.UTF-8", static_cast<locale_t>(nullptr));
    if (german == static_cast<locale_t>(nullptr)) GTEST_SKIP() << "no de_DE.UTF-8 locale here";
    freelocale(german);

    const testing::CliEnvironment de{{"LC_ALL=de_DE.UTF-8"}, ""};
    const testing::CliEnvironment c{{"LC_ALL=C"}, ""};
    const Args typed = {"--type",  "bandstop", "--fs",  "48,0 kHz", "--f1", "6 kHz",       "--f2",
                        "12000,0", "--att",    "50 dB", "--ripple", "0,5",  "--max-coefs", "63"};
    const Args plain = {"--type", "bandstop", "--fs", "48000",    "--f1", "6000",        "--f2",
                        "12000",  "--att",    "50",   "--ripple", "0.5",  "--max-coefs", "63"};
    const CliRun textDe = RunCli(Design(typed), de);
    const CliRun textC = RunCli(Design(plain), c);
    ASSERT_EQ(textDe.exitCode, 0) << textDe.err;
    ASSERT_EQ(textC.exitCode, 0) << textC.err;
    EXPECT_EQ(AfterFirstLine(textDe.out), AfterFirstLine(textC.out));
    EXPECT_NE(textC.out.find("Ripple = 0.500 dB"), std::string::npos);

    const CliRun jsonDe = RunCli(Design(Plus(typed, {"--json"})), de);
    const CliRun jsonC = RunCli(Design(Plus(plain, {"--json"})), c);
    ASSERT_EQ(jsonDe.exitCode, 0) << jsonDe.err;
    EXPECT_EQ(jsonDe.out, jsonC.out);
    EXPECT_EQ(ParseJson(jsonDe.out)["entered"].toObject()["ripple"].toDouble(), 0.5);
}

class DesignOutputFile : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/ondela_cli_test_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::vector<std::string> DirectoryEntries() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir))
            names.push_back(e.path().filename().string());
        return names;
    }

    static void Write(const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }

    const Args good = Design({"--type", "lowpass", "--fs", "48000", "--f1", "8000", "--att", "60",
                              "--ripple", "0.5", "--max-coefs", "63"});
    const Args impossible = Design({"--type", "lowpass", "--fs", "48000", "--f1", "3000", "--att",
                                    "60", "--ripple", "0.1", "--max-coefs", "21"});
    std::string dir;
};

TEST_F(DesignOutputFile, ReplacesAFileWithTheCompleteDescription) {
    const std::string path = dir + "/filter.txt";
    Write(path, "an older filter\n");
    const CliRun toFile = RunCli(Plus(good, {"--output", path}));
    const CliRun toStdout = RunCli(good);
    ASSERT_EQ(toFile.exitCode, 0) << toFile.err;
    EXPECT_EQ(toFile.out, "");
    EXPECT_EQ(toFile.err, "");
    EXPECT_EQ(AfterFirstLine(ReadFile(path)), AfterFirstLine(toStdout.out));
    EXPECT_EQ(DirectoryEntries(), std::vector<std::string>{"filter.txt"});
}

TEST_F(DesignOutputFile, NoFilterLeavesAnExistingFileAlone) {
    const std::string path = dir + "/filter.txt";
    Write(path, "an older filter\n");
    const CliRun run = RunCli(Plus(impossible, {"--output", path, "--json"}));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(ReadFile(path), "an older filter\n");
    EXPECT_EQ(DirectoryEntries(), std::vector<std::string>{"filter.txt"});
    // The report of the failure still reaches the caller.
    EXPECT_EQ(ParseJson(run.out)["achieved"].isNull(), true);
}

TEST_F(DesignOutputFile, AWriteThatFailsHalfwayLeavesTheOldFile) {
    const std::string path = dir + "/filter.txt";
    Write(path, "an older filter\n");
    testing::CliEnvironment limited;
    limited.fileSizeLimit = 1000;  // the description is about 1500 bytes
    const CliRun run = RunCli(Plus(good, {"--output", path}), limited);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    ASSERT_EQ(run.ErrLines().size(), 1u) << run.err;
    EXPECT_EQ(run.err.rfind("ondela-cli: cannot write " + path + ": ", 0), 0u) << run.err;
    EXPECT_EQ(ReadFile(path), "an older filter\n");
    EXPECT_EQ(DirectoryEntries(), std::vector<std::string>{"filter.txt"});
}

TEST_F(DesignOutputFile, ALinkIsFollowedAndKept) {
    const std::string target = dir + "/filter.txt";
    Write(target, "an older filter\n");
    std::filesystem::create_symlink("filter.txt", dir + "/link.txt");
    const CliRun run = RunCli(Plus(good, {"--output", dir + "/link.txt"}));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(std::filesystem::is_symlink(dir + "/link.txt"));
    EXPECT_EQ(AfterFirstLine(ReadFile(target)), AfterFirstLine(RunCli(good).out));
    auto entries = DirectoryEntries();
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{"filter.txt", "link.txt"}));
}

TEST_F(DesignOutputFile, UnwritableDestinationsFailWithOneLine) {
    const CliRun missingDir = RunCli(Plus(good, {"--output", dir + "/no/such/dir/filter.txt"}));
    EXPECT_EQ(missingDir.exitCode, 1);
    ASSERT_EQ(missingDir.ErrLines().size(), 1u) << missingDir.err;
    EXPECT_NE(missingDir.err.find("cannot write " + dir + "/no/such/dir/filter.txt"),
              std::string::npos);

    const CliRun directory = RunCli(Plus(good, {"--output", dir}));
    EXPECT_EQ(directory.exitCode, 1);
    EXPECT_EQ(directory.ErrLines().size(), 1u) << directory.err;
    EXPECT_TRUE(DirectoryEntries().empty());

    // A full device behind standard output is a failure, not a success.
    testing::CliEnvironment full;
    full.stdoutPath = "/dev/full";
    const CliRun fullOut = RunCli(good, full);
    EXPECT_EQ(fullOut.exitCode, 1);
    EXPECT_EQ(fullOut.err, "ondela-cli: cannot write to standard output\n");
}

TEST(CliHelp, DocumentsEveryCommandAndOption) {
    const struct {
        Args args;
        std::vector<std::string> mentions;
    } cases[] = {
        {{"--help"},
         {"design", "remez", "analyse", "response", "plot", "export", "--type", "--taps",
          "--meet-in-format", "--word-bits", "--frac-bits", "--rounding", "Exit status"}},
        {{"design", "--help"},
         {"--type", "--fs", "--f1", "--f2", "--att", "--ripple", "--max-coefs", "--format",
          "--output", "--json", "halfband", "int16"}},
        {{"remez", "--help"},
         {"--taps", "--bands", "--desired", "--weights", "--density", "--json"}},
        {{"analyse", "--help"},
         {"FILE", "--json", "--output", "redesigned", "--word-bits", "Exit status"}},
        {{"response", "--help"},
         {"FILE", "--points", "--format", "%.10g", "--word-bits", "Exit status"}},
        {{"plot", "--help"}, {"FILE", "--output", "--log", "--word-bits", "Exit status"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.back());
        const CliRun run = RunCli(c.args);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(run.out.rfind("Usage: ondela-cli", 0), 0u);
        for (const std::string& m : c.mentions) {
            EXPECT_NE(run.out.find(m), std::string::npos) << m;
        }
    }
}

}  // namespace
}  // namespace ondela
