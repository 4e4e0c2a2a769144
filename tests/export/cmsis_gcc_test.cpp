// The CMSIS-DSP header compiled by gcc (as C99 and as C++) with every warning an error, against
// a stand-in for the library's arm_math.h that defines only its number types (CMSIS itself is not
// packaged in Debian), and run: the array holds the integers worked out by hand, time-reversed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include "export/coef_export.h"
#include "numbers/number_text.h"
#include "tests/export/export_probe.h"
#include "tests/export/tool_run.h"

namespace ondela::testing {
namespace {

constexpr const char* kArmMath = R"(#ifndef ARM_MATH_H
#define ARM_MATH_H
#include <stdint.h>
typedef int16_t q15_t;
typedef int32_t q31_t;
typedef float float32_t;
#endif
)";

// Prints the tap count and the fraction bits, then every entry; the header is included twice to
// show that its guard holds.
constexpr const char* kMain = R"(#include <stdio.h>
#include "probe_coefs.h"
#include "probe_coefs.h"

int main(void) {
    unsigned i;
    printf("%u %d\n", (unsigned)PROBE_NUM_TAPS, PROBE_FRAC_BITS);
    for (i = 0; i < PROBE_NUM_TAPS; ++i) PRINT_ENTRY(probe_coefs[i]);
    return 0;
}
)";

// A second translation unit that includes the header without using the array: the program
// links (no duplicate definition) and nothing warns about the unused array.
constexpr const char* kOther = R"(#include "probe_coefs.h"
int other(void);
int other(void) { return PROBE_FRAC_BITS; }
)";

struct Case {
    const char* what;
    std::vector<double> coefs;
    int w;
    CmsisType type;
    const char* printEntry;
    std::vector<std::string> expected;  // the program's output lines
};

// Nineteen taps k / 32 for k = -9..9: several rows of entries. q15_t words are Q1.15 and q31_t
// words Q1.31 (although the largest tap, 9 / 32, would fit F = 16 and F = 32), so entry k is
// k * 2^10 or k * 2^26.
std::vector<double> Ramp() {
    std::vector<double> coefs;
    for (int k = -9; k <= 9; ++k) coefs.push_back(k / 32.0);
    return coefs;
}
std::vector<std::string> RampOutput(int count, int frac, long long step, int padding) {
    std::vector<std::string> lines = {std::to_string(count) + " " + std::to_string(frac)};
    for (int i = 0; i < padding; ++i) lines.push_back("0");
    for (int k = 9; k >= -9; --k) lines.push_back(std::to_string(k * step));
    return lines;
}

TEST(CmsisGccTest, HeaderCompilesWithoutWarningsAndHoldsTheReversedTaps) {
    const Case cases[] = {
        {"q15 ramp", Ramp(), 16, CmsisType::Q15, "printf(\"%ld\\n\", (long)(x))",
         RampOutput(20, 15, 1024, 1)},
        {"q31 ramp", Ramp(), 32, CmsisType::Q31, "printf(\"%ld\\n\", (long)(x))",
         RampOutput(19, 31, 67108864, 0)},
        // Seven taps: q15 needs an even count, so one zero tap leads.
        {"q15",
         kProbeCoefs,
         16,
         CmsisType::Q15,
         "printf(\"%ld\\n\", (long)(x))",
         {"8 15", "0", "0", "-33", "3277", "8192", "-16384", "24576", "-32768"}},
        // Two taps become four: 0.5 and 0.25 at F = 15 are 16384 and 8192.
        {"q15 short",
         {0.5, 0.25},
         16,
         CmsisType::Q15,
         "printf(\"%ld\\n\", (long)(x))",
         {"4 15", "0", "0", "8192", "16384"}},
        {"q31",
         kProbeCoefs,
         32,
         CmsisType::Q31,
         "printf(\"%ld\\n\", (long)(x))",
         {"7 31", "0", "-2147484", "214748365", "536870912", "-1073741824", "1610612736",
          "-2147483648"}},
        // The 16-bit integers over 2^15 are exact in single precision: 3277 / 32768 is
        // 0.100006103515625 and -33 / 32768 is -0.001007080078125.
        {"float32",
         kProbeCoefs,
         16,
         CmsisType::F32,
         "printf(\"%.17g\\n\", (double)(x))",
         {"7 15", "0", "-0.001007080078125", "0.100006103515625", "0.25", "-0.5", "0.75", "-1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ExportRequest request = ProbeRequest(c.w);
        request.coefs = c.coefs;
        request.options.cmsisType = c.type;
        const ExportResult result = ExportCoefficients(ExportFormat::Cmsis, request);
        ASSERT_EQ(result.error, "");
        TempDir dir;
        WriteFile(dir / "arm_math.h", kArmMath);
        WriteFile(dir / "probe_coefs.h", result.content);
        WriteFile(dir / "main.c", kMain);
        WriteFile(dir / "other.c", kOther);
        const std::string define = std::string("-DPRINT_ENTRY(x)=") + c.printEntry;
        struct Build {
            const char* compiler;
            std::vector<std::string> flags;
        };
        const Build builds[] = {
            {"gcc", {"-std=c99", "-x", "c"}},
            {"g++", {"-std=c++17", "-x", "c++"}},
        };
        for (const Build& b : builds) {
            SCOPED_TRACE(b.compiler);
            std::vector<std::string> args = {b.compiler};
            args.insert(args.end(), b.flags.begin(), b.flags.end());
            for (const char* f : {"-Wall", "-Wextra", "-Wpedantic", "-Wconversion", "-Werror",
                                  "-I.", "main.c", "other.c", "-o", "main"}) {
                args.push_back(f);
            }
            args.push_back(define);
            const ChildRun compile = RunTool(args, dir.Path());
            ASSERT_EQ(compile.exitCode, 0) << compile.err << result.content;
            const ChildRun run = RunTool({"./main"}, dir.Path());
            ASSERT_EQ(run.exitCode, 0) << run.err;
            EXPECT_EQ(Lines(run.out), c.expected) << result.content;
        }
    }
}

// A q15_t header is Q1.15 whatever the taps: 1.0 does not fit and saturates at 32767, as in
// every other format, and the header says so; other fraction bits are refused, since the FIR
// functions would scale the output by a power of two.
TEST(CmsisGccTest, TapsBeyondTheTypesRangeSaturateAndOtherFractionBitsAreRefused) {
    ExportRequest request = ProbeRequest(16);
    request.coefs = {1.0, 0.5};
    ExportResult result = ExportCoefficients(ExportFormat::Cmsis, request);
    ASSERT_EQ(result.error, "");
    EXPECT_EQ(result.quantised.format.fracBits, 15);
    EXPECT_EQ(result.quantised.saturated, 1);
    EXPECT_NE(result.content.find("// q15_t: Q format Q1.15, as the FIR functions read it; "
                                  "value = integer / 2^15.\n"),
              std::string::npos)
        << result.content;
    EXPECT_NE(result.content.find("// Rounding to nearest, ties away from zero; 1 coefficient "
                                  "saturated at the word's limits\n"),
              std::string::npos)
        << result.content;
    EXPECT_NE(result.content.find("0, 0, 16384, 32767\n"), std::string::npos) << result.content;

    for (const auto& [type, w, f] :
         {std::tuple{CmsisType::Q15, 16, 14}, std::tuple{CmsisType::Q31, 32, 32}}) {
        request = ProbeRequest(w);
        request.options.cmsisType = type;
        request.fixed.fracBits = f;
        result = ExportCoefficients(ExportFormat::Cmsis, request);
        EXPECT_NE(result.error.find(FormatText("%d was asked for", f)), std::string::npos)
            << result.error;
        EXPECT_EQ(result.content, "");
    }
}

}  // namespace
}  // namespace ondela::testing
