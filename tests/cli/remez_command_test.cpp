// ondela-cli remez, run as a child process: a fixed-length low pass, a grid that cannot hold the
// length, exchanges that break down, and the usage errors.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "tests/cli/cli_json.h"
#include "tests/cli/cli_process.h"
#include "tests/cli/fixed_point_oracle.h"

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

// Exchanges that break down: far more taps than the bands need (the error falls to the rounding
// level and the interpolation divides by zero), and eight narrow bands at the longest length
// (the levelled deviation collapses to 0). Whatever the exchange does, the command's answer is
// honest: either a failure (exit 1, one line on the error stream, no coefficients and no null in
// the report) or coefficients whose weighted error, measured here on a dense grid of each band,
// really reaches the reported positive deviation and no more.
TEST(RemezCommand, BrokenDownExchangesAreFailures) {
    struct Case {
        const char* taps;
        const char* bands;
        const char* desired;
        const char* weights;
        const char* density;
    };
    const Case cases[] = {
        {"101", "0,0.02,0.3,0.5", "1,0", "1,1", "16"},
        {"4095", "0,0.01,0.02,0.03,0.04,0.05,0.06,0.07,0.08,0.09,0.10,0.11,0.12,0.13,0.14,0.5",
         "1,0,1,0,1,0,1,0", "1,1,1,1,1,1,1,1", "40"},
    };
    const auto numbers = [](const std::string& list) {
        std::vector<double> values;
        std::istringstream in(list);
        for (std::string item; std::getline(in, item, ',');) values.push_back(std::stod(item));
        return values;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.taps) + " taps, bands " + c.bands);
        const Args args = {"remez",   "--taps",    c.taps,    "--bands",   c.bands,  "--desired",
                           c.desired, "--weights", c.weights, "--density", c.density};
        const CliRun text = RunCli(args);
        Args jsonArgs = args;
        jsonArgs.push_back("--json");
        const CliRun json = RunCli(jsonArgs);
        EXPECT_EQ(json.exitCode, text.exitCode);
        EXPECT_EQ(text.out.find("null"), std::string::npos);
        EXPECT_EQ(json.out.find("null"), std::string::npos);
        const QJsonObject report = ParseJson(json.out);
        if (text.exitCode != 0) {
            EXPECT_EQ(text.exitCode, 1);
            EXPECT_EQ(text.out, "");
            ASSERT_EQ(text.ErrLines().size(), 1u) << text.err;
            EXPECT_EQ(text.ErrLines()[0].rfind("SORRY: ", 0), 0u) << text.err;
            EXPECT_EQ(json.err, text.err);
            EXPECT_FALSE(report["produced"].toBool(true));
            EXPECT_TRUE(report["coefficients"].toArray().isEmpty());
            EXPECT_FALSE(report.contains("deviation"));
            continue;
        }
        // A success must be a true one.
        const double deviation = report["deviation"].toDouble();
        ASSERT_GT(deviation, 0.0);
        ASSERT_TRUE(std::isfinite(deviation));
        std::vector<double> h;
        for (const std::string& line : Lines(text.out)) h.push_back(std::stod(line));
        ASSERT_EQ(h.size(), static_cast<std::size_t>(std::atoi(c.taps)));
        const std::vector<double> edges = numbers(c.bands);
        const std::vector<double> desired = numbers(c.desired);
        const std::vector<double> weights = numbers(c.weights);
        const int half = static_cast<int>(h.size()) / 2;
        double worst = 0.0;
        for (std::size_t b = 0; b < desired.size(); ++b) {
            // About 16 samples per ripple of the band (a ripple spans 1 / taps of fs at least).
            const double width = edges[2 * b + 1] - edges[2 * b];
            const int samples = 64 + static_cast<int>(16.0 * h.size() * width);
            for (int i = 0; i <= samples; ++i) {
                const double f = edges[2 * b] + width * i / samples;
                double amplitude = h[half];
                for (int k = 1; k <= half; ++k) {
                    amplitude += 2.0 * h[half - k] * std::cos(2.0 * M_PI * f * k);
                }
                worst = std::max(worst, weights[b] * std::fabs(amplitude - desired[b]));
            }
        }
        EXPECT_NEAR(worst, deviation, 0.01 * deviation);
    }
}

// max |weight (A(f) - desired)| of the integers q / 2^F over 64 points per tap in each band of
// the 35-tap low pass below, A(f) the sum of h[n] cos(2 pi f (n - 17)).
double WordsError(const testing::Ints& words, int frac) {
    const struct { double lower, upper, desired; } bands[] = {{0.0, 0.2, 1.0}, {0.25, 0.5, 0.0}};
    const int n = static_cast<int>(words.size());
    double worst = 0.0;
    for (const auto& band : bands) {
        const int points = static_cast<int>(64 * n * (band.upper - band.lower) / 0.5);
        for (int i = 0; i <= points; ++i) {
            const double f = band.lower + (band.upper - band.lower) * i / points;
            double a = 0.0;
            for (int t = 0; t < n; ++t) {
                a += std::ldexp(static_cast<double>(words[t]), -frac) *
                     std::cos(2.0 * std::numbers::pi * f * (t - (n - 1) / 2.0));
            }
            worst = std::max(worst, std::abs(a - band.desired));
        }
    }
    return worst;
}

// The exchange's coefficients in 8-bit words: rounded to nearest as by hand, and chosen together
// with a weighted error below rounding's, each reported as the oracle measures it; the text
// output is the integers.
TEST(RemezCommand, WordsOfTheCoefficients) {
    const Args lowPass35 = {"remez",     "--taps", "35",        "--bands", "0,0.2,0.25,0.5",
                            "--desired", "1,0",    "--weights", "1,1",     "--json"};
    const CliRun real = RunCli(lowPass35);
    ASSERT_EQ(real.exitCode, 0) << real.err;
    std::vector<double> h;
    for (const auto& c : ParseJson(real.out)["coefficients"].toArray()) h.push_back(c.toDouble());
    ASSERT_EQ(h.size(), 35u);
    const int frac = testing::LargestFrac(h, 8, false);
    const testing::Ints rounded = testing::HandQuantised(h, 8, frac, false);

    double errors[2] = {0.0, 0.0};
    const char* modes[] = {"nearest", "optimised"};
    for (int m = 0; m < 2; ++m) {
        SCOPED_TRACE(modes[m]);
        Args args = lowPass35;
        for (const char* a : {"--word-bits", "8", "--rounding", modes[m]}) args.push_back(a);
        const CliRun run = RunCli(args);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const QJsonObject report = ParseJson(run.out);
        EXPECT_EQ(report["coefficients"].toArray().size(), 35);
        const QJsonObject fixed = report["fixedPoint"].toObject();
        EXPECT_EQ(fixed["wordBits"].toInt(), 8);
        EXPECT_EQ(fixed["fracBits"].toInt(), frac);
        EXPECT_EQ(fixed["rounding"].toString().toStdString(), modes[m]);
        EXPECT_EQ(fixed["saturated"].toInt(-1), 0);
        testing::Ints words;
        for (const auto& v : fixed["values"].toArray()) words.push_back(v.toInteger());
        ASSERT_EQ(words.size(), 35u);
        for (std::size_t i = 0; i < words.size(); ++i) {
            EXPECT_EQ(words[i], words[34 - i]) << i;
            EXPECT_LE(words[i], 127);
            EXPECT_GE(words[i], -128);
        }
        if (m == 0) {
            EXPECT_EQ(words, rounded);
        }
        errors[m] = WordsError(words, frac);
        EXPECT_NEAR(fixed["deviation"].toDouble(), errors[m], 1e-3 * errors[m]);

        // Without --json: the integers one a line.
        args.erase(std::find(args.begin(), args.end(), "--json"));
        const CliRun text = RunCli(args);
        ASSERT_EQ(text.exitCode, 0) << text.err;
        std::string expected;
        for (const long long q : words) expected += std::to_string(q) + "\n";
        EXPECT_EQ(text.out, expected);
    }
    EXPECT_LT(errors[1], errors[0]);
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
        {with("--rounding", "nearest"), "--frac-bits and --rounding need --word-bits W"},
        {WithOption(with("--word-bits", "10"), 1, "--rounding", "best"),
         "--rounding: unknown mode 'best' (nearest, floor or optimised)"},
        {with("--word-bits", "33"), "--word-bits: 33 is outside 2 to 32"},
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
