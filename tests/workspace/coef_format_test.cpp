#include "workspace/coef_format.h"

#include <gtest/gtest.h>

#include <string>

namespace ondela {
namespace {

TEST(CoefFormat, NamesKeywordsAndRowLengths) {
    struct Case {
        int format;
        const char* name;
        const char* keyword;
        int perRow;
    };
    const Case cases[] = {
        {FLT64, "FLT64", "double", 4},
        {FLT32, "FLT32", "float", 6},
        {INT32, "INT32", "int", 6},
        {INT16, "INT16", "short", 8},
        {-1, "", "", 0},
        {4, "", "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        EXPECT_STREQ(CoefFormatName(c.format), c.name);
        EXPECT_STREQ(CoefTypeKeyword(c.format), c.keyword);
        EXPECT_EQ(CoefsPerRow(c.format), c.perRow);
    }
}

TEST(CoefFormat, ValueTextsTruncateAndPadAsTheArrayDeclarationNeeds) {
    struct Case {
        double c;
        int format;
        const char* text;
    };
    const Case cases[] = {
        {0.1, FLT64, " 1.0000000000000001e-001,"},
        {-0.25, FLT64, "-2.5000000000000000e-001,"},
        {0.0, FLT64, " 0.0000000000000000e+000,"},
        {0.1, FLT32, " 1.00000001e-001,"},  // the single-precision value, not the double
        {-3e-7, FLT32, "-3.00000011e-007,"},
        {1.0, INT32, " 2147483647,"},
        {-1.0, INT32, "-2147483647,"},
        {-0.00001, INT32, "     -21474,"},
        {1.5, INT32, "-2147483648,"},  // out of range
        {1.0, INT16, " 32767,"},
        {0.5, INT16, " 16383,"},  // 16383.5 truncated
        {0.99999, INT16, " 32766,"},
        {-0.00001, INT16, "     0,"},
        {1.5, INT16, "-16386,"},  // 49150 wraps around
        {0.5, 7, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.c) + " in format " + std::to_string(c.format));
        EXPECT_EQ(CoefValueText(c.c, c.format, false), c.text);
    }
}

TEST(CoefFormat, LastValueClosesTheArray) {
    EXPECT_EQ(CoefValueText(0.5, FLT64, true), " 5.0000000000000000e-001 };\n");
    EXPECT_EQ(CoefValueText(0.5, FLT32, true), " 5.00000000e-001 };\n");
    EXPECT_EQ(CoefValueText(0.5, INT32, true), " 1073741823 };\n");
    EXPECT_EQ(CoefValueText(-0.5, INT16, true), "-16383 };\n");
}

TEST(CoefFormat, ReadingBackDividesByTheWritingScale) {
    EXPECT_EQ(CoefFromText(0.123456789012345678, FLT64), 0.123456789012345678);
    EXPECT_EQ(CoefFromText(0.1, FLT32), static_cast<double>(0.1f));
    EXPECT_EQ(CoefFromText(2147483647.0, INT32), 1.0);
    EXPECT_EQ(CoefFromText(-21474.0, INT32), -21474.0 / 2147483647.0);
    EXPECT_EQ(CoefFromText(16383.0, INT16), 16383.0 / 32767.0);  // not 16383 / 32768
    EXPECT_EQ(CoefFromText(-32767.0, INT16), -1.0);
    EXPECT_EQ(CoefFromText(49150.0, INT16), -16386.0 / 32767.0);  // wrapped to 16 bits
    EXPECT_EQ(CoefFromText(65536.0, INT16), 0.0);
}

TEST(CoefFormat, WrittenIntegersReadBackWithinOneStep) {
    // What the writer prints in an integer format, read back, is the coefficient within one
    // quantisation step (truncation loses at most one step).
    for (const double c : {0.7071067811865476, -0.0123, 0.5, -1.0, 3.0e-6}) {
        SCOPED_TRACE(c);
        const double q32 = std::stod(CoefValueText(c, INT32, false));
        EXPECT_NEAR(CoefFromText(q32, INT32), c, 1.0 / 2147483647.0);
        const double q16 = std::stod(CoefValueText(c, INT16, false));
        EXPECT_NEAR(CoefFromText(q16, INT16), c, 1.0 / 32767.0);
    }
}

TEST(CoefFormat, ListTakesTheSmallestKindAndEmptyListsAreShort) {
    CoefListFormat empty;
    EXPECT_EQ(empty.Format(), INT16);

    CoefListFormat ints;
    for (const int kind : {INT16, INT16, INT32, INT16}) ints.Add(kind);
    EXPECT_EQ(ints.Format(), INT32);  // one long integer makes the whole list INT32

    CoefListFormat mixed;
    for (const int kind : {INT32, FLT32, INT16, FLT64, FLT32}) mixed.Add(kind);
    EXPECT_EQ(mixed.Format(), FLT64);

    CoefListFormat floats;
    for (const int kind : {FLT32, INT16}) floats.Add(kind);
    EXPECT_EQ(floats.Format(), FLT32);
}

}  // namespace
}  // namespace ondela
