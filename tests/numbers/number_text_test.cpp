#include "numbers/number_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <thread>

namespace ondela {
namespace {

struct FloatCase {
    const char* format;
    double value;
    const char* expected;
};

TEST(FormatText, FloatingPointExponentsHaveThreeDigitsAndWidthsCountThem) {
    const double inf = std::numeric_limits<double>::infinity();
    const FloatCase cases[] = {
        {"% 17.16e", 0.1, " 1.0000000000000001e-001"},
        {"% 9.8e", static_cast<double>(0.1f), " 1.00000001e-001"},
        {"% 9.8e", -0.25, "-2.50000000e-001"},
        {"%g", 1e6, "1e+006"},
        {"%g", 48000, "48000"},
        {"%1.3g", 60, "60"},
        {"%g", 0.0001, "0.0001"},
        {"%g", 1e-5, "1e-005"},
        {"%G", 1e-5, "1E-005"},
        {"%le", 3000.0, "3.000000e+003"},
        {"%e", 0.0, "0.000000e+000"},
        {"%e", 1e100, "1.000000e+100"},
        {"%e", 1e-300, "1.000000e-300"},
        {"%12.3e", 1.5, "  1.500e+000"},
        {"%-12.3e|", 1.5, "1.500e+000  |"},
        {"%012.3e", -1.5, "-01.500e+000"},
        {"%+.2e", 12345.0, "+1.23e+004"},
        {"%#.0e", 3.0, "3.e+000"},
        {"%#g", 1e6, "1.00000e+006"},
        {"%8.3g", 1e-7, "  1e-007"},
        {"%10g", inf, "       inf"},
        {"%010g", -inf, "      -inf"},
        {"%lf", 48000.0, "48000.000000"},
        {"%.2f", 1e6, "1000000.00"},
    };
    for (const FloatCase& c : cases) {
        EXPECT_EQ(FormatText(c.format, c.value), c.expected) << c.format << " of " << c.value;
    }
}

TEST(FormatText, OtherConversionsBehaveAsPrintf) {
    EXPECT_EQ(FormatText("%d|%5s|%c|%%|%lf|%x|%-4d|%05d|%+d", 42, "ab", 'z', 1.5, 255u, 7, -42, 3),
              "42|   ab|z|%|1.500000|ff|7   |-0042|+3");
    EXPECT_EQ(FormatText("%lld %lu %hd", -9000000000LL, 4000000000UL, 12),
              "-9000000000 4000000000 12");
    EXPECT_EQ(FormatText("%*.*e|%-*d|", 12, 2, 1.5, 4, 9), "   1.50e+000|9   |");
    EXPECT_EQ(FormatText("no conversions"), "no conversions");
    EXPECT_EQ(FormatText("%.3s", "abcdef"), "abc");
}

TEST(FormatText, LongResultsAreNeverCut) {
    const std::string padded = FormatText("%300d", 1);
    ASSERT_EQ(padded.size(), 300u);
    EXPECT_EQ(padded.back(), '1');
    const std::string text(5000, 'x');
    EXPECT_EQ(FormatText("<%s>", text.c_str()), "<" + text + ">");
    EXPECT_EQ(FormatText("%.300e", 1.0).size(), 2u + 300u + 5u);
}

struct DoubleCase {
    const char* text;
    double value;
    std::size_t end;
};

TEST(ReadDouble, ReadsWhatPercentLfAccepts) {
    const DoubleCase cases[] = {
        {" -1.2e-05,", -1.2e-05, 9},
        {"+.5x", 0.5, 3},
        {"5.", 5.0, 2},
        {"1e", 1.0, 1},
        {"1e+", 1.0, 1},
        {"1.5E3 Hz", 1500.0, 5},
        {"\t\n 7", 7.0, 4},
        {"-0", 0.0, 2},
        {"48000.000000", 48000.0, 12},
        {"1e-400", 0.0, 6},  // underflow reads as zero, like the C library
        {"12,5", 12.0, 2},
    };
    for (const DoubleCase& c : cases) {
        const auto read = ReadDouble(c.text);
        ASSERT_TRUE(read.has_value()) << c.text;
        EXPECT_DOUBLE_EQ(read->value, c.value) << c.text;
        EXPECT_EQ(read->end, c.end) << c.text;
    }
}

TEST(ReadDouble, HexInfinityNanOverflowAndNonNumbersAreNotNumbers) {
    const char* const cases[] = {"",      ".",     "-",        "+.",    "abc",    "e5",
                                 "0x1p3", "-0X10", "0x",       "inf",   "-INF",   "Infinity",
                                 "nan",   "+NaN",  "NAN(123)", "1e999", "-1e999", "  "};
    for (const char* text : cases) EXPECT_FALSE(ReadDouble(text).has_value()) << '"' << text << '"';
    EXPECT_FALSE(ReadDouble(nullptr).has_value());
}

struct IntCase {
    const char* text;
    long long value;
    std::size_t end;
};

TEST(ReadInt, ReadsDecimalIntegersAndSaturates) {
    const IntCase cases[] = {
        {" 42x", 42, 3},
        {"-17", -17, 3},
        {"+5", 5, 2},
        {"3.9", 3, 1},
        {"0x10", 0, 1},
        {"2147483647", INT32_MAX, 10},
        {"2147483648", INT32_MAX, 10},
        {"99999999999999999999", INT32_MAX, 20},
        {"-2147483648", INT32_MIN, 11},
        {"-99999999999", INT32_MIN, 12},
    };
    for (const IntCase& c : cases) {
        const auto read = ReadInt(c.text);
        ASSERT_TRUE(read.has_value()) << c.text;
        EXPECT_EQ(read->value, c.value) << c.text;
        EXPECT_EQ(read->end, c.end) << c.text;
    }
    for (const char* text : {"", "x", "-", "+ 1", "inf"}) EXPECT_FALSE(ReadInt(text).has_value());
    EXPECT_FALSE(ReadInt(nullptr).has_value());
}

// A process locale with a decimal comma, as a desktop application gets from setlocale(LC_ALL, "").
class CommaLocale : public ::testing::Test {
  protected:
    void SetUp() override {
        if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr &&
            std::setlocale(LC_ALL, "de_DE.utf8") == nullptr)
            GTEST_SKIP() << "no de_DE locale on this machine";
        char buf[16];
        std::snprintf(buf, sizeof buf, "%.1f", 1.5);
        if (std::string(buf) != "1,5") GTEST_SKIP() << "the de_DE locale has no decimal comma";
    }
    void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

TEST_F(CommaLocale, WritesAndReadsWithAPoint) {
    EXPECT_EQ(FormatText("%lf", 48000.0), "48000.000000");
    EXPECT_EQ(FormatText("% 9.8e", static_cast<double>(0.1f)), " 1.00000001e-001");
    EXPECT_EQ(FormatText("%g", 0.5), "0.5");

    const auto point = ReadDouble("2.5");
    ASSERT_TRUE(point.has_value());
    EXPECT_DOUBLE_EQ(point->value, 2.5);
    const auto comma = ReadDouble("2,5");
    ASSERT_TRUE(comma.has_value());
    EXPECT_DOUBLE_EQ(comma->value, 2.0);
    EXPECT_EQ(comma->end, 1u);

    // The "C" locale is made current per thread; another thread sees the same results.
    std::string fromThread;
    std::thread([&] { fromThread = FormatText("%.2f", 0.25); }).join();
    EXPECT_EQ(fromThread, "0.25");

    // The process locale is left as it was.
    char buf[16];
    std::snprintf(buf, sizeof buf, "%.1f", 1.5);
    EXPECT_STREQ(buf, "1,5");
}

}  // namespace
}  // namespace ondela
