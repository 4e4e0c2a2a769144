#include "ui/plot/plot_geometry.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "numbers/number_text.h"

namespace ondela {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

std::vector<std::string> Texts(const std::vector<AxisLabel>& labels) {
    std::vector<std::string> texts;
    for (const AxisLabel& l : labels) texts.push_back(l.text);
    return texts;
}

// "from, from + step, ..., to" as "%d" texts.
std::vector<std::string> Counting(int from, int to, int step) {
    std::vector<std::string> texts;
    for (int v = from; v <= to; v += step) texts.push_back(FormatText("%d", v));
    return texts;
}

TEST(GridDivisionTest, DividesTheWindowAreas) {
    const GridDivision columns = DivideColumns(1060);
    EXPECT_EQ(columns.steps, 100);
    EXPECT_EQ(columns.step, 10);
    EXPECT_EQ(columns.size, 1000);
    const GridDivision rows = DivideRows(333);  // H - 33 = 300
    EXPECT_EQ(rows.steps, 60);
    EXPECT_EQ(rows.step, 5);
    EXPECT_EQ(rows.size, 300);
    const GridDivision coefRows = DivideRows(169);
    EXPECT_EQ(coefRows.steps, 27);
    EXPECT_EQ(coefRows.size, 135);
    // Uneven sizes: the step is what divides evenly, the grid what the steps cover.
    const GridDivision odd = DivideColumns(1001);
    EXPECT_EQ(odd.steps, 94);
    EXPECT_EQ(odd.step, 10);
    // Too small to divide: nothing, rather than a division by zero.
    EXPECT_EQ(DivideColumns(69).steps, 0);
    EXPECT_EQ(DivideRows(37).steps, 0);
}

TEST(LevelScaleTest, MapsTopToTheTopRowAndBottomToTheAxis) {
    const LevelScale scale = MakeLevelScale(300, 0.0, -120.0);
    EXPECT_DOUBLE_EQ(scale.pixelsPerDb, 2.5);
    EXPECT_EQ(scale.Height(0.0), 318);
    EXPECT_EQ(scale.Height(-120.0), 18);
    EXPECT_EQ(scale.Height(-240.0), -282);  // below the axis: the curve holds it there
    EXPECT_EQ(scale.Height(3.0), 325);      // above the top: no clamp
    const LevelScale shifted = MakeLevelScale(300, 10.0, -50.0);
    EXPECT_EQ(shifted.Height(10.0), 318);
    EXPECT_EQ(shifted.Height(-50.0), 18);
}

TEST(AxisLabelTest, LinearAxisRunsEvenlyFromMinToMax) {
    const std::vector<AxisLabel> labels = LinearAxisLabels(1060, 333, 0.0, 24000.0, 20);
    EXPECT_THAT(Texts(labels), ElementsAreArray(Counting(0, 24000, 1200)));
    EXPECT_EQ(labels.front().x, 41);
    EXPECT_EQ(labels.back().x, 1041);
    EXPECT_EQ(labels.front().y, 329);
    EXPECT_THAT(Texts(LinearAxisLabels(1060, 333, 5000.0, 7000.0, 20)).back(), "7000");
    EXPECT_THAT(Texts(LinearAxisLabels(1060, 333, 0.0, 30000.0, 20))[1], "1500");
}

TEST(AxisLabelTest, LevelAxisRunsFromBottomToTop) {
    const std::vector<AxisLabel> labels = LevelAxisLabels(333, -120.0, 0.0, 12);
    EXPECT_THAT(Texts(labels), ElementsAreArray(Counting(-120, 0, 10)));
    EXPECT_EQ(labels.front().x, 34);
    EXPECT_EQ(labels.front().y, 333 - 18 + 4);
    EXPECT_EQ(labels.back().y, 333 - 318 + 4);
    // Thirds of 100 dB: three significant digits, and the top, reached by repeated addition a
    // hair off 0, reads 0.
    const std::vector<std::string> texts = Texts(LevelAxisLabels(333, -100.0, 0.0, 12));
    EXPECT_EQ(texts[1], "-91.7");
    EXPECT_EQ(texts[2], "-83.3");
    EXPECT_EQ(texts.back(), "0");
}

TEST(AxisLabelTest, LogAxisSpansThreeDecades) {
    const std::vector<LogTick> ticks = LogAxisTicks(1060, 24000.0);
    std::vector<int> decades;
    std::vector<std::string> labels;
    std::vector<double> minors;
    for (const LogTick& t : ticks) {
        if (t.decade) decades.push_back(t.x);
        if (t.labelled) labels.push_back(FormatText("%g", t.value));
        if (!t.decade) minors.push_back(t.value);
    }
    EXPECT_THAT(decades, ElementsAre(40, 373, 707, 1040));
    EXPECT_THAT(labels, ElementsAre("24", "48", "72", "96", "120", "168", "240", "480", "720",
                                    "960", "1200", "1680", "2400", "4800", "7200", "9600", "12000",
                                    "16800", "24000"));
    ASSERT_EQ(minors.size(), 24u);
    EXPECT_DOUBLE_EQ(minors.front(), 48.0);
    EXPECT_DOUBLE_EQ(minors[7], 216.0);
    EXPECT_DOUBLE_EQ(minors[8], 480.0);
    EXPECT_DOUBLE_EQ(minors.back(), 21600.0);
    EXPECT_EQ(ticks[1].x, 140);  // 48 Hz: 40 + 333.3 * log10(2), rounded
    // No usable upper limit: no ticks (and no division by zero).
    EXPECT_TRUE(LogAxisTicks(1060, 0.0).empty());
}

struct IndexCase {
    int n;
    int unit;
    int steps;
    int lastLabel;
    double pixelsPerIndex;
};

TEST(CoefAxisTest, IndexAxisChoosesItsUnit) {
    const IndexCase cases[] = {
        {15, 1, 15, 15, 1000.0 / 15},        {20, 1, 20, 20, 1000.0 / 20},
        {21, 2, 11, 22, 1000.0 / 22},        {101, 10, 11, 110, 1000.0 / 110},
        {4095, 500, 9, 4500, 1000.0 / 4500}, {1, 1, 1, 1, 1000.0},
    };
    for (const IndexCase& c : cases) {
        const CoefIndexAxis axis = MakeCoefIndexAxis(c.n, 1000, 10);
        EXPECT_EQ(axis.unit, c.unit) << c.n;
        EXPECT_EQ(axis.steps, c.steps) << c.n;
        EXPECT_EQ(axis.lastColumn, 1050) << c.n;
        EXPECT_NEAR(axis.pixelsPerIndex, c.pixelsPerIndex, 1e-9) << c.n;
        std::vector<std::string> labels;
        for (const CoefIndexTick& t : axis.ticks)
            if (t.major) labels.push_back(t.label);
        EXPECT_THAT(labels, ElementsAreArray(Counting(0, c.lastLabel, c.unit))) << c.n;
        EXPECT_EQ(axis.ticks.size(), static_cast<size_t>(5 * c.steps + 1)) << c.n;
        EXPECT_EQ(axis.ticks.back().x, 1040) << c.n;
    }
    // n = 15: 75 intervals of 13.3 pixels, each column rounded.
    const CoefIndexAxis fifteen = MakeCoefIndexAxis(15, 1000, 10);
    EXPECT_EQ(fifteen.ticks[1].x, 53);
    EXPECT_EQ(fifteen.ticks[2].x, 67);
}

TEST(CoefAxisTest, ValueLabelsInBothZeroLinePositions) {
    EXPECT_THAT(Texts(CoefValueLabels(169, 135, 5, false)),
                ElementsAre("-0.25", "0.00", "0.25", "0.50", "0.75", "1.00"));
    EXPECT_THAT(Texts(CoefValueLabels(169, 135, 5, true)),
                ElementsAre("-1.00", "-0.50", "0.00", "0.50", "1.00", "1.50"));
    const std::vector<AxisLabel> labels = CoefValueLabels(333, 300, 5, false);
    EXPECT_EQ(labels.size(), 13u);
    EXPECT_EQ(labels[1].y, 333 - 43 + 4);
}

TEST(CoefAxisTest, ScaleMovesTheZeroLineForDeepNegativeValues) {
    struct ScaleCase {
        std::vector<double> coefs;
        int zeroHeight;
        double pixelsPerUnit;
        bool moved;
    };
    const ScaleCase cases[] = {
        {{0.5, 1.0, -0.1}, 43, 100.0, false},   // -0.1 reaches 10 pixels down: stays
        {{0.5, 1.0, -0.25}, 43, 100.0, false},  // exactly one division: stays
        {{0.5, 1.0, -0.3}, 68, 50.0, true},     // more than one division: moved, halved
        {{2.0, 1.0}, 43, 50.0, false},          // the largest value is 1 on the plot
        {{-1.0, -0.5}, 68, 50.0, true},         // no positive value: scaled by the magnitude
        {{0.0, 0.0}, 43, 0.0, false},           // nothing to scale: on the zero line
    };
    for (const ScaleCase& c : cases) {
        const CoefScale s = ChooseCoefScale(c.coefs.data(), static_cast<int>(c.coefs.size()), 25);
        EXPECT_EQ(s.zeroHeight, c.zeroHeight) << c.coefs.back();
        EXPECT_DOUBLE_EQ(s.pixelsPerUnit, c.pixelsPerUnit) << c.coefs.back();
        EXPECT_EQ(s.moved, c.moved) << c.coefs.back();
    }
    // Values off the plot are held 2 pixels above the bottom edge and 1 below the top.
    const CoefScale s{43, 100.0, false};
    EXPECT_EQ(CoefHeight(1.0, s, 169), 143);
    EXPECT_EQ(CoefHeight(-0.25, s, 169), 18);
    EXPECT_EQ(CoefHeight(5.0, s, 169), 168);
    EXPECT_EQ(CoefHeight(-5.0, s, 169), 2);
}

TEST(TransformTest, RoundingIsHalfAwayFromZeroAndSaturates) {
    EXPECT_EQ(RoundToInt(2.5), 3);
    EXPECT_EQ(RoundToInt(-2.5), -3);
    EXPECT_EQ(TruncToInt(-2.7), -2);
    EXPECT_EQ(RoundToInt(1e300), 1000000000);
    EXPECT_EQ(TruncToInt(-1e300), -1000000000);
    EXPECT_EQ(RoundToInt(std::nan("")), 0);
}

}  // namespace
}  // namespace ondela
