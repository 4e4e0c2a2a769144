// ondela-cli response, run as a child process on filter files written by ondela-cli design: the
// frequencies it samples, its levels against a direct evaluation of the stored coefficients, the
// coefficient format they are read in, and its errors.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <complex>
#include <memory>
#include <numbers>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/cli/cli_process.h"

namespace ondela {
namespace {

using testing::CliRun;
using testing::ReadFile;
using testing::RunCli;
using testing::TempDir;
using testing::WriteFile;

using Args = std::vector<std::string>;

struct Point {
    double hz;
    double db;
};

// The output's lines; every one must be "frequency,level" with the level to 6 decimals.
std::vector<Point> Points(const std::string& text) {
    static const std::regex kLine("[0-9.e+-]+,-?[0-9]+\\.[0-9]{6}");
    std::vector<Point> points;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        EXPECT_TRUE(std::regex_match(line, kLine)) << line;
        const std::size_t comma = line.find(',');
        points.push_back({std::stod(line.substr(0, comma)), std::stod(line.substr(comma + 1))});
    }
    return points;
}

// |H| in dB at x (fraction of half the sampling frequency), summed term by term.
double DirectLevel(const std::vector<double>& h, double x) {
    std::complex<double> sum = 0.0;
    for (std::size_t k = 0; k < h.size(); ++k) {
        sum += h[k] * std::polar(1.0, -std::numbers::pi * x * static_cast<double>(k));
    }
    return 20.0 * std::log10(std::abs(sum));
}

// The 16-bit values the coefficients stand for: truncated after scaling by 32767, read as
// fractions of 32768.
std::vector<double> Int16Values(const std::vector<double>& h) {
    std::vector<double> q;
    for (const double c : h) q.push_back(std::trunc(c * 32767.0) / 32768.0);
    return q;
}

const Args kLowPass = {"--type", "lowpass", "--fs",     "48000", "--f1",        "8000",
                       "--att",  "60",      "--ripple", "0.5",   "--max-coefs", "63"};

// The low pass written in FLT64 and INT16, and its coefficients as designed.
class ResponseCommand : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir = std::make_unique<TempDir>();
        for (const char* format : {"flt64", "int16"}) {
            Args args = {"design"};
            args.insert(args.end(), kLowPass.begin(), kLowPass.end());
            args.insert(args.end(), {"--format", format, "--output", File(format)});
            ASSERT_EQ(RunCli(args).exitCode, 0);
        }
        Args json = {"design"};
        json.insert(json.end(), kLowPass.begin(), kLowPass.end());
        json.insert(json.end(), {"--format", "flt64", "--json"});
        const CliRun run = RunCli(json);
        ASSERT_EQ(run.exitCode, 0);
        const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(run.out));
        for (const QJsonValue& c : doc.object()["coefficients"].toArray())
            coefs.push_back(c.toDouble());
        ASSERT_EQ(coefs.size(), 63u);
    }
    static void TearDownTestSuite() { dir.reset(); }

    static std::string File(const std::string& format) {
        return *dir / ("lowpass_" + format + ".txt");
    }

    static CliRun Response(Args args) {
        args.insert(args.begin(), "response");
        return RunCli(args);
    }

    static std::unique_ptr<TempDir> dir;
    static std::vector<double> coefs;
};

std::unique_ptr<TempDir> ResponseCommand::dir;
std::vector<double> ResponseCommand::coefs;

// N frequencies i * fs / (2 N) from 0 up to, not including, fs/2, with the levels of the stored
// coefficients.
TEST_F(ResponseCommand, SamplesFromZeroUpToHalfTheSamplingFrequency) {
    const struct {
        Args options;
        int n;
    } cases[] = {
        {{}, 1024},  // the default
        {{"--points", "7"}, 7},
        {{"--points", "1"}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.n);
        Args args = {File("flt64")};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const CliRun run = Response(args);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.err, "");
        const std::vector<Point> points = Points(run.out);
        ASSERT_EQ(static_cast<int>(points.size()), c.n);
        EXPECT_EQ(points.front().hz, 0.0);
        EXPECT_LT(points.back().hz, 24000.0);
        for (int i = 0; i < c.n; ++i) {
            const double x = static_cast<double>(i) / c.n;
            EXPECT_NEAR(points[i].hz, 24000.0 * x, 24000.0 * 1e-9) << i;  // 10 digits
            if (c.n < 1024 || i % 97 == 0) {
                EXPECT_NEAR(points[i].db, DirectLevel(coefs, x), 2e-6) << "at " << points[i].hz;
            }
        }
    }
    // A pass band near 0 dB and a stop band below -60 dB: the frequency axis is not off by two.
    const std::vector<Point> points = Points(Response({File("flt64"), "--points", "8"}).out);
    ASSERT_EQ(points.size(), 8u);
    EXPECT_NEAR(points[2].db, 0.0, 0.5);  // 6000 Hz
    EXPECT_LT(points[4].db, -60.0);       // 12000 Hz
}

// The coefficients are evaluated in the format they are written in, or in --format.
TEST_F(ResponseCommand, FormatDecidesHowTheCoefficientsAreRead) {
    const Args points = {"--points", "64"};
    const auto run = [&](const std::string& file, Args more) {
        Args args = {file};
        args.insert(args.end(), points.begin(), points.end());
        args.insert(args.end(), more.begin(), more.end());
        const CliRun r = Response(args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return r.out;
    };
    const std::string flt64 = run(File("flt64"), {});
    const std::string flt64AsInt16 = run(File("flt64"), {"--format", "INT16"});
    const std::string int16 = run(File("int16"), {});
    const std::string int16AsFlt64 = run(File("int16"), {"--format", "flt64"});

    // The 16-bit file is read as 16-bit values: the same as the 64-bit file taken in 16 bits,
    // and the direct evaluation of the truncated values.
    EXPECT_EQ(int16, flt64AsInt16);
    const std::vector<Point> quantised = Points(int16);
    const std::vector<double> q = Int16Values(coefs);
    for (std::size_t i = 0; i < quantised.size(); ++i) {
        EXPECT_NEAR(quantised[i].db, DirectLevel(q, static_cast<double>(i) / 64.0), 2e-6) << i;
    }

    // Other readings give other levels: in 16 bits the stop band differs. Load designs the
    // 16-bit file again, so in Float 64 it is the design itself, as the 64-bit file is.
    const std::vector<Point> exact = Points(flt64);
    double largest = 0.0;
    for (std::size_t i = 0; i < exact.size(); ++i)
        largest = std::max(largest, std::fabs(exact[i].db - quantised[i].db));
    EXPECT_GT(largest, 0.1);
    EXPECT_EQ(int16AsFlt64, flt64);
}

// Stored values that are no measurable filter are refused with Load's message, by response as
// by analyse and plot (which load the file as the window does); values that are a filter,
// however extreme, give finite levels, none below the -240 dB floor.
TEST_F(ResponseCommand, AbsurdCoefficientsAreNoFilter) {
    const auto file = [](const std::string& name, const std::string& type,
                         const std::string& list) {
        const std::string path = *dir / name;
        WriteFile(path, "Ondela coefficients\r\nType = LowPass, fs = 48000\r\n\r\nstatic " + type +
                            " m_firCoefs[NBCOEFS] = { " + list + " };\r\n");
        return path;
    };
    const std::string huge = file("huge.txt", "double",
                                  "1.0000000000000000e+308, 1.0000000000000000e+308, "
                                  "1.0000000000000000e+308, 1.0000000000000000e+308");
    // Finite as doubles (4e100 at most), beyond the range of single precision.
    const std::string large = file("large.txt", "double",
                                   "1.0000000000000000e+100, 1.0000000000000000e+100, "
                                   "1.0000000000000000e+100, 1.0000000000000000e+100");
    // The largest 32-bit values, once as a set whose response has an exact zero at fs/4.
    const std::string flat =
        file("int32_flat.txt", "int", "2147483647, 2147483647, 2147483647, 2147483647");
    const std::string alternating =
        file("int32_alternating.txt", "int",
             "2147483647, -2147483648, 2147483647, -2147483648, 2147483647");

    const std::string refused = "Sorry, no valid filter coefs in this file.";
    // Load refuses the one; the other is a filter that single precision cannot hold.
    const CliRun loaded = Response({huge});
    EXPECT_EQ(loaded.exitCode, 1);
    EXPECT_EQ(loaded.out, "");
    EXPECT_EQ(loaded.err, refused + "\n");
    const CliRun asFloat = Response({large, "--format", "flt32"});
    EXPECT_EQ(asFloat.exitCode, 1);
    EXPECT_EQ(asFloat.out, "");
    ASSERT_FALSE(asFloat.ErrLines().empty());
    EXPECT_EQ(asFloat.ErrLines().back(), "ondela-cli response: " + large + ": " + refused);
    const CliRun analysed = RunCli({"analyse", huge});
    EXPECT_EQ(analysed.exitCode, 1);
    EXPECT_EQ(analysed.out, "");
    EXPECT_EQ(analysed.err, refused + "\n");
    const CliRun plotted = RunCli({"plot", huge, "--output", *dir / "huge.png"});
    EXPECT_EQ(plotted.exitCode, 1);
    EXPECT_NE(plotted.err.find(refused), std::string::npos) << plotted.err;

    for (const Args& args : {Args{large}, Args{flat}, Args{alternating}}) {
        SCOPED_TRACE(args[0]);
        const CliRun run = Response({args[0], "--points", "64"});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.out.find("inf"), std::string::npos);
        EXPECT_EQ(run.out.find("nan"), std::string::npos);
        const std::vector<Point> points = Points(run.out);
        ASSERT_EQ(points.size(), 64u);
        for (const Point& p : points) EXPECT_GE(p.db, -240.0) << p.hz;
        if (args[0] == flat) {
            // 1 + z^-1 + z^-2 + z^-3 is zero at fs/4 (point 32 of 64): the floor exactly.
            EXPECT_EQ(points[32].db, -240.0);
            EXPECT_NEAR(points[0].db, 20.0 * std::log10(4.0 * 2147483647.0 / 2147483648.0), 1e-6);
        }
    }
}

TEST_F(ResponseCommand, UsageAndFileErrors) {
    const std::string text = ReadFile(File("flt64"));
    const std::string noFs = *dir / "no_fs.txt";
    WriteFile(noFs, "Ondela coefficients\r\n" + text.substr(text.find("static double")));
    const std::string plain = *dir / "plain.txt";
    WriteFile(plain, "just some text\n");

    const std::string good = File("flt64");
    const struct {
        Args args;
        int exitCode;
        std::string says;  // in the last line of standard error
    } cases[] = {
        {{good, "--points", "0"}, 2, "--points: 0 is outside 1 to 1000000"},
        {{good, "--points", "1000001"}, 2, "--points: 1000001 is outside 1 to 1000000"},
        {{good, "--points", "12x"}, 2, "--points: '12x' is not a whole number"},
        {{good, "--points", ""}, 2, "--points: '' is not a whole number"},
        {{good, "--format", "int8"}, 2, "unknown coefficient format 'int8'"},
        {{}, 2, "no filter file given"},
        {{good, good}, 2, "unexpected argument"},
        {{good, "--json"}, 2, "Unknown option 'json'"},
        // Files that give no filter: Load's own message, as the window shows it.
        {{*dir / "missing.txt"},
         1,
         "Could not open File " + *dir / "missing.txt" + ": No such file or directory"},
        {{dir->Path()}, 1, "Could not open File " + dir->Path() + ": Is a directory"},
        {{plain}, 1, "Sorry, not a valid Ondela filter description..."},
        {{noFs}, 1, "ondela-cli response: " + noFs + ": no sampling frequency"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.says);
        const CliRun run = Response(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_EQ(run.out, "");
        const auto lines = run.ErrLines();
        ASSERT_FALSE(lines.empty()) << run.err;
        if (c.exitCode == 2) {
            EXPECT_EQ(lines.size(), 1u) << run.err;
            EXPECT_EQ(lines[0].rfind("ondela-cli response: ", 0), 0u) << lines[0];
        }
        EXPECT_NE(lines.back().find(c.says), std::string::npos) << lines.back();
    }
}

// The file is loaded as the window loads it: a specification without coefficients is designed,
// values it lacks are completed, and a saved file gives the response of its own coefficients.
TEST_F(ResponseCommand, LoadsTheFileAsTheWindowDoes) {
    const std::string text = ReadFile(File("flt64"));
    const std::string noArray = *dir / "no_array.txt";
    WriteFile(noArray, text.substr(0, text.find("COEFFICIENTS")));
    const std::string noAttenuation = *dir / "no_attenuation.txt";
    std::string lacking = ReadFile(noArray);
    lacking.replace(lacking.find("Attenuation = 60.000 dB, "), 25, "");
    WriteFile(noAttenuation, lacking);
    const Args points = {"--points", "64"};
    const std::string stored = Response({File("flt64"), points[0], points[1]}).out;
    for (const std::string& file : {noArray, noAttenuation}) {
        SCOPED_TRACE(file);
        const CliRun run = Response({file, points[0], points[1]});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.err, "");
        // The file's 60 dB, and a first start's 60 dB field for the one that lacks it: the same
        // design as the saved file's coefficients.
        EXPECT_EQ(run.out, stored);
    }
}

}  // namespace
}  // namespace ondela
