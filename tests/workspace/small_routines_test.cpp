#include "engine/response.h"
#include "workspace/display_numbers.h"
#include "workspace/file_paths.h"
#include "workspace/text_scan.h"
#include "workspace/time_stamp.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <stdexcept>
#include <string>

namespace ondela {
namespace {

TEST(ResponseMagnitude, EvaluatesTheQuantisedFilter) {
    // Three-tap average: |H| = |1 + 2 cos(pi x)| / 3.
    const double third[] = {1.0 / 3, 1.0 / 3, 1.0 / 3};
    EXPECT_NEAR(MagnitudeAt(third, 3, 0.0, 0), 1.0, 1e-12);
    EXPECT_NEAR(MagnitudeAt(third, 3, 0.5, 0), 1.0 / 3, 1e-12);
    EXPECT_LT(MagnitudeAt(third, 3, 2.0 / 3, 0), 1e-7);
    // 16-bit: each tap becomes 10922 / 32768.
    EXPECT_NEAR(MagnitudeAt(third, 3, 0.0, 3), 3 * 10922 / 32768.0, 1e-12);
    EXPECT_EQ(MagnitudeAt(third, 3, 0.0, 4), 0.0);
    EXPECT_EQ(MagnitudeAt(nullptr, 3, 0.0, 0), 1e-12);
}

struct CoefTokenCase {
    const char* text;
    double value;
    int kind;
    int endOffset;  // -1: no number
};

TEST(NextCoefToken, ReadsAndClassifiesEachNumber) {
    const CoefTokenCase cases[] = {
        {" -1.2e-05,", -0.000012, 1, 9},
        {"12345,", 12345, 3, 5},
        {"123456,", 123456, 2, 6},
        {"-.5", 0.5, 1, 3},
        {" 1.0000000000000001e-001,", 0.1, 0, 24},
        {" 1.00000001e-001,", 0.100000001, 1, 16},
        {"123456789.5", 123456789.5, 1, 11},    // 10 digits: still FLT32
        {"1234567890.5", 1234567890.5, 0, 12},  // 11 digits
        {"  -2147483647}", -2147483647, 2, 13},
        {"x = 7;", 7, 3, 5},
        {"m_firCoefs[NBCOEFS] = {", 0, 0, -1},
        {" - . +e", 0, 0, -1},
        {"", 0, 0, -1},
    };
    for (const CoefTokenCase& c : cases) {
        double value = 99;
        int kind = 99;
        const char* end = NextCoefToken(c.text, value, kind);
        if (c.endOffset < 0) {
            EXPECT_EQ(end, nullptr) << c.text;
        } else {
            ASSERT_NE(end, nullptr) << c.text;
            EXPECT_EQ(end - c.text, c.endOffset) << c.text;
        }
        EXPECT_DOUBLE_EQ(value, c.value) << c.text;
        EXPECT_EQ(kind, c.kind) << c.text;
    }
}

TEST(NextCoefToken, WalksAWholeList) {
    const char* list = "static short m_firCoefs[NBCOEFS] = {\r\n    -12,  32767,\r\n 1.5e2 };";
    const char* p = FindNoCase(list, "m_firCoefs[NBCOEFS]");
    double value = 0;
    int kind = 0;
    std::string seen;
    while ((p = NextCoefToken(p, value, kind)) != nullptr)
        seen += std::to_string(static_cast<int>(value)) + "/" + std::to_string(kind) + " ";
    EXPECT_EQ(seen, "-12/3 32767/3 150/1 ");
    EXPECT_EQ(NextCoefToken(nullptr, value, kind), nullptr);
}

TEST(ParseFrequency, AcceptsDecimalCommaAndKilohertz) {
    const struct {
        const char* text;
        double hz;
    } cases[] = {
        {"1,5 kHz", 1500}, {"48000", 48000}, {"abc", 0},    {"2.5KHZ", 2500},
        {" 10,25", 10.25}, {"", 0},          {"-3 Hz", -3}, {"kHz 4", 0},
        {"nan", 0},        {"inf kHz", 0},   {"0x10", 0},   {"1e3khz", 1e6},
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(ParseFrequency(c.text), c.hz) << c.text;
    EXPECT_EQ(ParseFrequency(nullptr), 0.0);
    // Only the first 32 characters are read; "kHz" counts anywhere.
    const std::string padded = std::string(30, ' ') + "12345 kHz";
    EXPECT_EQ(ParseFrequency(padded.c_str()), 12000.0);
}

struct ValueCase {
    double in;
    double out;
};

TEST(RoundDisplay, KeepsThreeSignificantDigits) {
    const ValueCase cases[] = {
        {0.0123456, 0.0123}, {47.26, 47.3}, {-47.26, -47.3},    {999.6, 1000},
        {12345, 12350},      {0.00999, 0},  {-0.005, 0},        {100, 100},
        {0.01, 0.01},        {1234, 1230},  {1.005e6, 1.005e6}, {0.5, 0.5},
    };
    for (const ValueCase& c : cases) EXPECT_DOUBLE_EQ(RoundDisplay(c.in), c.out) << c.in;
}

TEST(NiceCeil, GivesTheNextOneDigitValue) {
    const ValueCase cases[] = {
        {3, 3},     {3.2, 4},          {9.5, 10}, {24000, 30000},   {0, 0},         {9.0, 9},
        {9.01, 10}, {0.00042, 0.0005}, {-5, 0},   {9.99999999, 10}, {12000, 20000}, {0.3, 0.3},
    };
    for (const ValueCase& c : cases) EXPECT_DOUBLE_EQ(NiceCeil(c.in), c.out) << c.in;
    EXPECT_FALSE(std::signbit(NiceCeil(-5)));
}

TEST(NiceStep, MovesAlongTheOneDigitLadder) {
    const struct {
        bool up;
        double in;
        double out;
    } cases[] = {
        {true, 3000, 4000},    {false, 3000, 2000}, {false, 1000, 900},   {true, 900, 1000},
        {true, 0, 1},          {false, 1500, 1350}, {true, 1500, 3000},   {false, 0, 0},
        {true, -3000, -2000},  // a negative value steps the other way
        {false, -3000, -4000}, {true, NAN, 0},      {false, INFINITY, 0},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(NiceStep(c.up, c.in), c.out) << (c.up ? "up from " : "down from ") << c.in;

    // From 48000 Hz's linear limit the maximum steps down 30000, 20000, 10000, 9000, 8000.
    double x = 30000;
    std::string ladder;
    for (int i = 0; i < 5; ++i, x = NiceStep(false, NiceCeil(x)))
        ladder += std::to_string(static_cast<long>(std::lround(x))) + " ";
    EXPECT_EQ(ladder, "30000 20000 10000 9000 8000 ");
}

TEST(Paths, DirectoryOfCutsAtTheLastSeparator) {
    const struct {
        const char* path;
        const char* dir;
    } cases[] = {
        {"file.txt", ""}, {"C:\\a\\b.txt", "C:\\a"},     {"/home/u/f.txt", "/home/u"},
        {"/f.txt", ""},   {"C:\\a/b\\c.txt", "C:\\a/b"},  // a backslash wins over a later slash
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(DirectoryOf(c.path), c.dir) << c.path;
    EXPECT_EQ(DirectoryOf(nullptr), "");

    // Only the first 259 characters are looked at.
    const std::string deep = "/" + std::string(250, 'a') + "/bbbbbbbb/c.txt";
    EXPECT_EQ(DirectoryOf(deep.c_str()), "/" + std::string(250, 'a'));
}

TEST(Paths, ModuleDirectoryAndFileExists) {
    std::string dir = "untouched";
    const int length = ModuleDirectory(dir);
    ASSERT_GT(length, 0);
    EXPECT_FALSE(dir.empty());
    EXPECT_NE(dir.back(), '/');
    EXPECT_NE(FileExists((dir + "/ondela_workspace_tests").c_str()), 0);

    char name[] = "/tmp/ondela_cutil_XXXXXX";
    const int fd = mkstemp(name);
    ASSERT_GE(fd, 0);
    close(fd);
    EXPECT_NE(FileExists(name), 0);
    unlink(name);
    EXPECT_EQ(FileExists(name), 0);
    EXPECT_EQ(FileExists("/tmp"), 0);  // a directory is no file
    EXPECT_EQ(FileExists(nullptr), 0);
}

TEST(Text, LengthsAndScans) {
    EXPECT_EQ(PrintableLength("abc\tdef"), 3);
    EXPECT_EQ(PrintableLength("ab\x7f"), 2);
    EXPECT_EQ(PrintableLength("a\xC3\xA9"), 1);
    EXPECT_EQ(PrintableLength(std::string(5000, 'x').c_str()), 4095);
    EXPECT_EQ(PrintableLength(nullptr), 0);

    EXPECT_EQ(BoundedLength("hello"), 5);
    EXPECT_EQ(BoundedLength(nullptr), 0);
    EXPECT_EQ(BoundedLength(std::string(1048575, 'x').c_str()), 1048575);
    EXPECT_EQ(BoundedLength(std::string(2000000, 'x').c_str()), 1048575);

    const char* text = "fs = 48000 Hz";
    EXPECT_EQ(FindNumberStart(text), text + 5);
    const char* att = "Att: -60";
    EXPECT_EQ(FindNumberStart(att), att + 5);
    EXPECT_EQ(FindNumberStart("no number"), nullptr);
    // The search gives up after 50000 characters.
    const std::string far = std::string(50000, 'x') + "1";
    EXPECT_EQ(FindNumberStart(far.c_str()), nullptr);
    const std::string near = std::string(49999, 'x') + "1";
    EXPECT_EQ(FindNumberStart(near.c_str()), near.c_str() + 49999);
}

TEST(Text, WordsEndAtASpaceAnEqualsSignOrTheEnd) {
    const struct {
        const char* text;
        int end;
    } cases[] = {
        {"Attenuation = 60 dB", 11},
        {"Attenuation=60dB, Ripple = 0.1", 11},
        {"Att", 3},
        {"", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(FindWordEnd(c.text) - c.text, c.end) << c.text;
    EXPECT_EQ(FindWordEnd(nullptr), nullptr);

    // The number after "Attenuation=" is the one that follows the keyword.
    const char* line = "Attenuation=60dB, Ripple=0.1dB";
    double value = 0;
    int kind = 0;
    NextCoefToken(FindNumberStart(FindWordEnd(line)), value, kind);
    EXPECT_EQ(value, 60.0);
}

TEST(Text, FindNoCaseAndNear) {
    const char* text = " = LowPass, fc";
    EXPECT_EQ(FindNoCase(text, "pass"), text + 6);
    EXPECT_EQ(FindNoCase(text, "PASS"), text + 6);
    EXPECT_EQ(FindNoCase(text, ""), text);
    EXPECT_EQ(FindNoCase(text, "passes"), nullptr);
    const char* overlap = "aaab";
    EXPECT_EQ(FindNoCase(overlap, "aab"), overlap + 1);  // resumes after a partial match
    EXPECT_EQ(FindNoCase(nullptr, "a"), nullptr);

    EXPECT_EQ(FindNoCaseNear(text, "pass", 8), text + 6);
    EXPECT_EQ(FindNoCaseNear(text, "pass", 6), text + 6);
    EXPECT_EQ(FindNoCaseNear(text, "pass", 5), nullptr);
    // Characters equal to the word's first letter do not count.
    const char* ps = "pppppppppPass";
    EXPECT_EQ(FindNoCaseNear(ps, "pass", 0), ps + 9);
    EXPECT_EQ(FindNoCaseNear("xyz", "", 0), FindNoCase("xyz", ""));
}

TEST(Text, CopyAppendAndFormatKeepTheirLimits) {
    std::string dest = "old";
    const std::string longPath(600, 'p');
    CopyText(dest, longPath.c_str());
    EXPECT_EQ(dest, std::string(520, 'p'));
    CopyText(dest, "short");
    EXPECT_EQ(dest, "short");
    CopyText(dest, nullptr);
    EXPECT_EQ(dest, "");

    dest = "Doc";
    AppendText(dest, "\\Ondela.chm");
    AppendText(dest, nullptr);
    EXPECT_EQ(dest, "Doc\\Ondela.chm");

    EXPECT_EQ(FormatTo(dest, "% 9.8e|%d", 0.1, 7), 18);
    EXPECT_EQ(dest, " 1.00000000e-001|7");
    EXPECT_EQ(FormatTo(dest, "%5000d", 1), 4095);
    EXPECT_EQ(dest.size(), 4095u);
}

TEST(TimeStamp, FormatsLocalTimeAndRefusesUnconvertibleTimes) {
    std::tm when{};
    when.tm_year = 2024 - 1900;
    when.tm_mon = 2;
    when.tm_mday = 7;
    when.tm_hour = 9;
    when.tm_min = 5;
    when.tm_isdst = -1;
    const std::time_t t = std::mktime(&when);
    EXPECT_EQ(LocalTimeStamp(t), "2024:03:07:09:05");
    EXPECT_THROW(LocalTimeStamp(INT64_MAX), std::invalid_argument);
}

}  // namespace
}  // namespace ondela
