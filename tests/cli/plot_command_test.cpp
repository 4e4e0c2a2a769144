// ondela-cli plot, run as a child process: the picture it writes (read back pixel by pixel), the
// options that change it, and the refusals that leave no picture.
#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <string>
#include <vector>

#include "tests/cli/cli_process.h"

namespace ondela {
namespace {

using testing::CliEnvironment;
using testing::CliRun;
using testing::ReadFile;
using testing::RunCli;
using testing::TempDir;
using testing::WriteFile;

using Args = std::vector<std::string>;

constexpr QRgb kOutline = qRgb(128, 128, 128);
constexpr QRgb kCurve = qRgb(255, 0, 0);
constexpr QRgb kCursor = qRgb(0, 192, 255);
constexpr int kResponseHeight = 333;

const std::string kLowPass = std::string(ONDELA_TEST_DATA_DIR) + "/lowpass_flt32.txt";

QImage Picture(const std::string& path) {
    return QImage(QString::fromStdString(path));
}

// Pixels of colour in the rows y0 .. y1 - 1.
int Count(const QImage& image, QRgb colour, int y0, int y1) {
    int count = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == colour) ++count;
    return count;
}

bool SameRows(const QImage& a, const QImage& b, int y0, int y1) {
    for (int y = y0; y < y1; ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) return false;
    return true;
}

TEST(PlotCommandTest, WritesTheResponseAboveTheCoefficients) {
    TempDir dir;
    // Without a display and without a platform asked for, the command draws off-screen.
    CliEnvironment env;
    env.set = {"QT_QPA_PLATFORM=", "DISPLAY="};
    const CliRun run = RunCli({"plot", kLowPass, "--output", dir / "p.png"}, env);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(run.out.empty());
    EXPECT_EQ(run.err, "");  // the FLT32 file's coefficients are the design's, as FLT32 holds it
    const QImage image = Picture(dir / "p.png");
    ASSERT_EQ(image.size(), QSize(1060, 333 + 169));
    EXPECT_EQ(image.pixel(0, 0), kOutline);
    EXPECT_EQ(image.pixel(1059, kResponseHeight - 1), kOutline);
    EXPECT_EQ(image.pixel(0, kResponseHeight), kOutline);
    EXPECT_GT(Count(image, kCurve, 0, kResponseHeight), 800);
    EXPECT_GT(Count(image, kCurve, kResponseHeight, image.height()), 100);
    // Load puts the cursor on the edge frequency, 8000 Hz: column 40 + 8000 / 30.
    EXPECT_EQ(image.pixel(307, 200), kCursor);
}

TEST(PlotCommandTest, OptionsChangeWhatIsShown) {
    TempDir dir;
    const auto plot = [&](const std::string& name, const Args& options) {
        Args args = {"plot", kLowPass, "--output", dir / name};
        args.insert(args.end(), options.begin(), options.end());
        const CliRun run = RunCli(args);
        EXPECT_EQ(run.exitCode, 0) << name << ": " << run.err;
        return Picture(dir / name);
    };
    const QImage base = plot("base.png", {});
    // The response is drawn in the coefficient format; the coefficients themselves are not.
    const QImage int16 = plot("int16.png", {"--format", "int16"});
    EXPECT_FALSE(SameRows(base, int16, 0, kResponseHeight));
    EXPECT_TRUE(SameRows(base, int16, kResponseHeight, base.height()));
    // 6000 .. 12000 Hz at 6 Hz per column: the cursor at 8000 Hz stands at column 373.
    const QImage zoomed = plot("zoom.png", {"--fmin", "6000", "--fmax", "12kHz"});
    EXPECT_EQ(zoomed.pixel(373, 200), kCursor);
    // Logarithmic, 50 .. 50000 Hz: 3000 Hz lies 1.78 decades up, at column 633.
    const QImage log = plot("log.png", {"--log", "--cursor", "3000"});
    EXPECT_EQ(log.pixel(633, 200), kCursor);
    EXPECT_FALSE(SameRows(base, log, 0, kResponseHeight));
}

TEST(PlotCommandTest, RefusalsWriteNoPicture) {
    TempDir dir;
    const std::string picture = dir / "p.png";
    const std::string notAFilter = dir / "note.txt";
    WriteFile(notAFilter, "just a note\n");
    // Coefficients without a header: nothing to plot them over.
    const std::string noFs = dir / "nofs.txt";
    std::string text = ReadFile(kLowPass);
    for (const char* line : {"Type = ", "Attenuation = ", "Max nb"}) {
        const auto at = text.find(line);
        ASSERT_NE(at, std::string::npos) << line;
        text.erase(at, text.find('\n', at) + 1 - at);
    }
    WriteFile(noFs, text);
    struct Case {
        Args args;
        int exitCode;
    };
    const Case cases[] = {
        {{"plot", kLowPass}, 2},
        {{"plot", "--output", picture}, 2},
        {{"plot", kLowPass, "--output", picture, "--format", "int8"}, 2},
        {{"plot", kLowPass, "--output", picture, "--fmax", "fast"}, 2},
        {{"plot", kLowPass, "--output", picture, "--log", "--fmin", "100"}, 2},
        {{"plot", kLowPass, "--output", picture, "--fmin", "20000", "--fmax", "10000"}, 2},
        {{"plot", dir / "missing.txt", "--output", picture}, 1},
        {{"plot", notAFilter, "--output", picture}, 1},
        {{"plot", noFs, "--output", picture}, 1},
    };
    for (const Case& c : cases) {
        const CliRun run = RunCli(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.args.back() << ": " << run.err;
        EXPECT_FALSE(run.err.empty()) << c.args.back();
        EXPECT_TRUE(ReadFile(picture).empty()) << c.args.back();
    }
}

}  // namespace
}  // namespace ondela
