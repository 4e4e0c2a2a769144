#include "ui/plot/plot_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace ondela {
namespace {

struct CompactCase {
    double value;
    int width;
    const char* text;
};

TEST(FormatCompactTest, WritesEachKindOfNumber) {
    const CompactCase cases[] = {
        {0, 6, "0"},
        {24000, 6, "24000"},
        {123456.7, 6, "123457"},
        {12.5, 6, "12.5"},
        {3.14159, 6, "3.142"},
        {0.987654, 6, "0.9877"},
        {-0.987654, 6, "-0.9877"},
        {0.000123, 6, "0.0001"},
        {0.00001234, 6, "1.2e-5"},
        {0.00001, 6, "1e-5"},
        {-120, 8, "-120"},
        {1234567, 6, "1234e3"},
        {-1234567, 6, "-1234e3"},
        {12.3456, 8, "12.3456"},
        {0.0000123456, 8, "1.235e-5"},
        {0.00000001, 8, "1e-8"},
        {0.00001, 8, "1e-5"},
        {1.5e-100, 6, "2e-100"},  // cannot be shortened further: the one-digit text stays
    };
    for (const CompactCase& c : cases) {
        EXPECT_EQ(FormatCompact(c.value, c.width), c.text) << c.value << " width " << c.width;
    }
}

TEST(FormatCompactTest, PadsAnExponentFormWithAPointUpToTheWidth) {
    // A mantissa with a point is filled with zeros to the full width; one without stays short.
    EXPECT_EQ(FormatCompact(2.5e-5, 8), "2.500e-5");
    EXPECT_EQ(FormatCompact(2e-5, 8), "2e-5");
}

TEST(FormatCompactTest, NeverExceedsTheWidthForFittingValues) {
    const double mantissas[] = {1.0, 1.5, 2.25, 3.14159265, 7.77777, 9.99949, 9.99951};
    for (int width = 6; width <= 8; ++width) {
        for (int e = -30; e <= width - 1; ++e) {
            for (const double m : mantissas) {
                for (const double sign : {1.0, -1.0}) {
                    const double v = sign * m * std::pow(10.0, e);
                    const std::string text = FormatCompact(v, width);
                    const int allowed = width + (v < 0.0 ? 1 : 0);
                    EXPECT_LE(static_cast<int>(text.size()), allowed) << v << " -> " << text;
                }
            }
        }
    }
}

TEST(FormatCompactTest, NarrowWidthsAndOddValuesEnd) {
    // Below 3 characters no power-of-ten text fits; the width is taken as 3.
    EXPECT_EQ(FormatCompact(123456789, 0), "1e8");
    EXPECT_EQ(FormatCompact(123456789, 2), "1e8");
    EXPECT_EQ(FormatCompact(5, 1), "5");
    // No mantissa fits: the shortest text is the result.
    EXPECT_EQ(FormatCompact(1e17, 3), "1e17");
    EXPECT_FALSE(FormatCompact(1e300, 6).empty());
    EXPECT_FALSE(FormatCompact(std::numeric_limits<double>::infinity(), 6).empty());
    EXPECT_FALSE(FormatCompact(std::numeric_limits<double>::quiet_NaN(), 6).empty());
}

TEST(FormatFreqTest, UnitAndFieldTexts) {
    const std::pair<double, const char*> units[] = {
        {440, "440 Hz"},      {999.9, "999.9 Hz"}, {1000, "1 KHz"}, {12345.678, "12.3457 KHz"},
        {2500000, "2.5 MHz"}, {0, "0 Hz"},
    };
    for (const auto& [hz, text] : units) EXPECT_EQ(FormatFreqUnit(hz), text) << hz;

    const std::pair<double, const char*> fields[] = {
        {48000, "48000 Hz"},   {2500000, "2500e03 Hz"}, {0.25, "0.25 Hz"},
        {999999, "999999 Hz"}, {1e9, "1000e06 Hz"},     {2.5e12, "2500e09 Hz"},
    };
    for (const auto& [hz, text] : fields) EXPECT_EQ(FormatFreqField(hz), text) << hz;
}

}  // namespace
}  // namespace ondela
