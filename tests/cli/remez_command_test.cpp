// ondela-cli remez, run as a child process: a fixed-length low pass, a grid that cannot hold the
// length, and the usage errors.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "tests/cli/cli_json.h"
#include "tests/cli/cli_process.h"

namespace ondela {
namespace {

using testing::CliRun;
using testing::ParseJson;
using testing::RunCli;
using testing::WithOption;

using Args = std::vector<std::string>;

const Args kLowPass31 = {"remez",     "--taps", "31",        "--bands", "0,0.2,0.25,0.5",
                         "--desired", "1,0",    "--weights", "1,10"};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(RemezCommand, LowPassOfThirtyOneTaps) {
    const CliRun text = RunCli(kLowPass31);
    ASSERT_EQ(text.exitCode, 0) << text.err;
    EXPECT_EQ(text.err, "");
    const std::vector<std::string> lines = Lines(text.out);
    ASSERT_EQ(lines.size(), 31u);
    std::vector<double> h;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i], lines[30 - i]) << "line " << i;
        char* end = nullptr;
        h.push_back(std::strtod(lines[i].c_str(), &end));
        EXPECT_EQ(*end, '\0') << lines[i];
    }

    Args json = kLowPass31;
    json.push_back("--json");
    const CliRun run = RunCli(json);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const QJsonObject report = ParseJson(run.out);
    EXPECT_EQ(report["status"].toInt(-1), 0);
    EXPECT_TRUE(report["messages"].toArray().isEmpty());
    EXPECT_EQ(report["taps"].toInt(), 31);
    EXPECT_EQ(report["density"].toInt(), 16);
    const double deviation = report["deviation"].toDouble();
    EXPECT_GT(deviation, 0.0);
    const QJsonArray coefs = report["coefficients"].toArray();
    ASSERT_EQ(coefs.size(), 31);
    for (int i = 0; i < 31; ++i) EXPECT_EQ(coefs[i].toDouble(), h[i]) << "coefficient " << i;

    // The amplitude at 0 Hz is the sum of the taps: within the deviation of the desired 1 in the
    // pass band (weight 1).
    double dc = 0.0;
    for (const double c : h) dc += c;
    EXPECT_NEAR(dc, 1.0, deviation * 1.0001);
}

TEST(RemezCommand, GridTooSparseForTheLengthExitsWithOne) {
    const Args args = {"remez", "--taps",    "101", "--bands",   "0.1,0.1001", "--desired",
                       "1",     "--weights", "1",   "--density", "1"};
    const CliRun text = RunCli(args);
    EXPECT_EQ(text.exitCode, 1);
    EXPECT_EQ(text.out, "");
    EXPECT_EQ(text.ErrLines().size(), 1u) << text.err;

    Args json = args;
    json.push_back("--json");
    const CliRun run = RunCli(json);
    EXPECT_EQ(run.exitCode, 1);
    const QJsonObject report = ParseJson(run.out);
    EXPECT_NE(report["status"].toInt() & 4, 0);
    EXPECT_TRUE(report["deviation"].isNull());
    EXPECT_TRUE(report["coefficients"].toArray().isEmpty());
    EXPECT_EQ(report["messages"].toArray().size(), 1);
}

TEST(RemezCommand, UsageErrors) {
    // kLowPass31 with the value of one option replaced (or added), or without it (value
    // nullptr).
    const auto with = [](const std::string& option, const char* value) {
        return WithOption(kLowPass31, 1, option, value);
    };
    const struct {
        Args args;
        const char* says;
    } cases[] = {
        {with("--taps", "30"), "--taps: 30 is not an odd number from 3 to 4095"},
        {with("--taps", "1"), "--taps: 1 is not an odd number"},
        {with("--taps", "4097"), "--taps: 4097 is not an odd number"},
        {with("--taps", "31.5"), "--taps: '31.5' is not a whole number"},
        {with("--taps", nullptr), "--taps is required"},
        {with("--bands", "0,0.25,0.2,0.5"), "must rise within 0 to 0.5 (edge 3 is 0.2)"},
        {with("--bands", "0,0.2,0.2,0.5"), "must rise within 0 to 0.5 (edge 3 is 0.2)"},
        {with("--bands", "0,0.2,0.25,0.6"), "must rise within 0 to 0.5 (edge 4 is 0.6)"},
        {with("--bands", "-0.1,0.2,0.25,0.5"), "must rise within 0 to 0.5 (edge 1 is -0.1)"},
        {with("--bands", "0,0.2,0.25"), "two edges per band, for 1 to 8 bands (3 edges given)"},
        {with("--bands", "0,0.2,nan,0.5"), "is not a comma-separated list of numbers"},
        {with("--bands", "0,0.2,,0.5"), "is not a comma-separated list of numbers"},
        {with("--desired", "1"), "--desired: one value per band is needed (2 bands, 1 given)"},
        {with("--weights", "1,10,3"), "--weights: one value per band is needed"},
        {with("--weights", "1,0"), "every weight must be greater than 0"},
        {with("--density", "0"), "--density: '0' is not a whole number from 1 to 40"},
        {with("--density", "41"), "--density: '41' is not a whole number from 1 to 40"},
        {{"remez", "--taps", "31", "--bands",
          "0,0.01,0.02,0.03,0.04,0.05,0.06,0.07,0.08,0.09,0.1,0.11,0.12,0.13,0.14,0.15,0.16,0.17",
          "--desired", "1,0,1,0,1,0,1,0,1", "--weights", "1,1,1,1,1,1,1,1,1"},
         "for 1 to 8 bands (18 edges given)"},
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

}  // namespace
}  // namespace ondela
