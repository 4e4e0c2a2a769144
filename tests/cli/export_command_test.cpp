// ondela-cli export, run as a child process on the description files of tests/data: each format
// read back (by hand-written parsers, Python's numpy, gcc, GHDL and Icarus Verilog) holds the
// integers worked out in the test from the coefficients the file lists; the attenuation the file
// states agrees with a plain DFT of those integers; usage errors exit 2 and files that give no
// filter exit 1, both without writing anything.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonObject>
#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <numbers>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/about/version_info.h"
#include "numbers/number_text.h"
#include "tests/cli/cli_json.h"
#include "tests/cli/cli_process.h"
#include "tests/cli/fixed_point_oracle.h"

namespace ondela {
namespace {

using testing::ChildRun;
using testing::CliRun;
using testing::DftLevels;
using testing::HandQuantised;
using testing::Ints;
using testing::LargestFrac;
using testing::Lines;
using testing::ListedCoefs;
using testing::ParseJson;
using testing::ReadFile;
using testing::RoundScaled;
using testing::RunChild;
using testing::RunCli;
using testing::StopBandPeak;
using testing::Str;
using testing::TempDir;
using testing::WriteFile;

using Args = std::vector<std::string>;

// Debian's python3-numpy belongs to the system interpreter.
constexpr const char* kPython = "/usr/bin/python3";

std::string Fixture(const std::string& name) {
    return std::string(ONDELA_TEST_DATA_DIR) + "/" + name;
}

// ---- readers: the integers a written file holds, read as a toolchain would ----

struct Written {
    std::string path;
    const TempDir* dir;
    int w;
    int f;
};

Ints ParseInts(const std::vector<std::string>& words, int base, int bits) {
    Ints values;
    for (const std::string& word : words) {
        long long v = std::strtoll(word.c_str(), nullptr, base);
        // Hexadecimal words are two's complement over their whole digits.
        if (base == 16 && bits > 0 && v >= (1LL << (bits - 1))) v -= 1LL << bits;
        values.push_back(v);
    }
    return values;
}

Ints CsvInts(const Written& w) {
    std::vector<std::string> words;
    for (const std::string& line : Lines(ReadFile(w.path)))
        if (!line.empty() && line[0] != '#') words.push_back(line);
    return ParseInts(words, 10, 0);
}

Ints CsvRealInts(const Written& w) {
    Ints values;
    for (const std::string& line : Lines(ReadFile(w.path))) {
        if (line.empty() || line[0] == '#') continue;
        const double scaled = std::ldexp(std::strtod(line.c_str(), nullptr), w.f);
        EXPECT_EQ(scaled, std::nearbyint(scaled)) << line;  // q / 2^F is exact
        values.push_back(static_cast<long long>(scaled));
    }
    return values;
}

// "coefdata=" then values separated by commas, ended by ";".
Ints CoeInts(const Written& w, int radix) {
    const std::string text = ReadFile(w.path);
    EXPECT_NE(text.find(radix == 16 ? "radix=16;" : "radix=10;"), std::string::npos);
    const std::size_t start = text.find("coefdata=") + 9;
    const std::size_t end = text.find(';', start);
    std::string list = text.substr(start, end - start);
    std::replace(list.begin(), list.end(), ',', ' ');
    std::istringstream in(list);
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    const int digits = (w.w + 3) / 4;
    if (radix == 16) {
        for (const std::string& word : words) {
            EXPECT_EQ(static_cast<int>(word.size()), digits) << word;
        }
    }
    return ParseInts(words, radix, digits * 4);
}

// "address : value;" lines between CONTENT BEGIN and END, addresses 0, 1, 2, ...
Ints MifInts(const Written& w, int radix) {
    const std::string text = ReadFile(w.path);
    EXPECT_NE(text.find("WIDTH=" + std::to_string(w.w) + ";"), std::string::npos);
    EXPECT_NE(text.find(radix == 16 ? "DATA_RADIX=HEX;" : "DATA_RADIX=DEC;"), std::string::npos);
    const std::size_t begin = text.find("CONTENT BEGIN");
    std::vector<std::string> words;
    bool inside = false;
    for (const std::string& line : Lines(text.substr(begin))) {
        if (line.find("CONTENT BEGIN") != std::string::npos) {
            inside = true;
            continue;
        }
        if (line.find("END;") != std::string::npos) break;
        if (!inside) continue;
        const std::size_t colon = line.find(':');
        EXPECT_EQ(std::atoi(line.substr(0, colon).c_str()), static_cast<int>(words.size()));
        std::string value = line.substr(colon + 1);
        value.erase(
            std::remove_if(value.begin(), value.end(), [](char c) { return c == ' ' || c == ';'; }),
            value.end());
        words.push_back(value);
    }
    EXPECT_NE(text.find("DEPTH=" + std::to_string(words.size()) + ";"), std::string::npos);
    return ParseInts(words, radix, radix == 16 ? w.w : 0);
}

Ints JsonInts(const Written& w) {
    const QJsonObject o = ParseJson(ReadFile(w.path));
    EXPECT_EQ(o["wordBits"].toInt(), w.w);
    EXPECT_EQ(o["fracBits"].toInt(), w.f);
    Ints values;
    for (const QJsonValue v : o["values"].toArray()) values.push_back(v.toInteger());
    return values;
}

// numpy's own reader: the dtype on the first line, then one value a line (real arrays scaled
// by 2^F in Python, which must give whole numbers).
Ints NpyInts(const Written& w, const std::string& dtype) {
    const char* script =
        "import sys, numpy\n"
        "a = numpy.load(sys.argv[1])\n"
        "print(a.dtype.str, a.ndim)\n"
        "for v in a.tolist():\n"
        "    s = v * 2.0 ** int(sys.argv[2]) if a.dtype.kind == 'f' else v\n"
        "    assert s == int(s)\n"
        "    print(int(s))\n";
    const ChildRun run = RunChild({kPython, "-c", script, w.path, std::to_string(w.f)});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    std::vector<std::string> lines = Lines(run.out);
    if (lines.empty()) return {};
    EXPECT_EQ(lines.front(), dtype + " 1");
    lines.erase(lines.begin());
    return ParseInts(lines, 10, 0);
}

// gcc compiles the header with every warning an error against a stand-in arm_math.h that only
// defines the number types, and a program prints its entries.
Ints CmsisInts(const Written& w) {
    WriteFile(*w.dir / "arm_math.h",
              "#include <stdint.h>\ntypedef int16_t q15_t;\ntypedef int32_t q31_t;\n"
              "typedef float float32_t;\n");
    WriteFile(*w.dir / "main.c",
              "#include <stdio.h>\n#include \"" + w.path +
                  "\"\nint main(void) {\n    unsigned i;\n"
                  "    for (i = 0; i < FIR_NUM_TAPS; ++i) printf(\"%ld\\n\", (long)fir_coefs[i]);\n"
                  "    return FIR_FRAC_BITS == " +
                  std::to_string(w.f) + " ? 0 : 3;\n}\n");
    const std::string exe = *w.dir / "cmsis_probe";
    const ChildRun build = RunChild({"gcc", "-std=c99", "-Wall", "-Wextra", "-Werror", "-I",
                                     w.dir->Path(), "-o", exe, *w.dir / "main.c"});
    EXPECT_EQ(build.exitCode, 0) << build.err;
    const ChildRun run = RunChild({exe});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return ParseInts(Lines(run.out), 10, 0);
}

// GHDL analyses the package and runs a bench that reports every constant.
Ints VhdlInts(const Written& w) {
    WriteFile(*w.dir / "bench.vhd",
              "library ieee;\nuse ieee.numeric_std.all;\nuse work.fir_pkg.all;\n"
              "entity bench is\nend entity;\narchitecture sim of bench is\nbegin\n"
              "    process\n    begin\n        for i in 0 to FIR_COUNT - 1 loop\n"
              "            report \"coef \" & integer'image(to_integer(FIR_COEFS(i)));\n"
              "        end loop;\n        wait;\n    end process;\nend architecture;\n");
    for (const std::string& file : {w.path, *w.dir / "bench.vhd"}) {
        const ChildRun analyse =
            RunChild({"ghdl", "-a", "--std=08", "--workdir=" + w.dir->Path(), file});
        EXPECT_EQ(analyse.exitCode, 0) << analyse.err;
    }
    testing::ChildOptions options;
    options.dir = w.dir->Path();
    const ChildRun run = RunChild({"ghdl", "--elab-run", "--std=08", "bench"}, options);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    std::vector<std::string> words;
    for (const std::string& line : Lines(run.out + run.err)) {
        const std::size_t at = line.find("coef ");
        if (at != std::string::npos) words.push_back(line.substr(at + 5));
    }
    return ParseInts(words, 10, 0);
}

// Icarus Verilog compiles a module that includes the file and displays every coefficient.
Ints VerilogInts(const Written& w) {
    WriteFile(*w.dir / "bench.v", "module bench;\n`include \"" + w.path +
                                      "\"\n    integer k;\n    initial begin\n        #1;\n"
                                      "        for (k = 0; k < FIR_COUNT; k = k + 1)\n"
                                      "            $display(\"%0d\", fir_coefs[k]);\n"
                                      "    end\nendmodule\n");
    const std::string vvp = *w.dir / "bench.vvp";
    const ChildRun build = RunChild({"iverilog", "-g2001", "-Wall", "-o", vvp, *w.dir / "bench.v"});
    EXPECT_EQ(build.exitCode, 0) << build.err;
    const ChildRun run = RunChild({"vvp", "-n", vvp});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return ParseInts(Lines(run.out), 10, 0);
}

struct FormatCase {
    const char* what;
    const char* fixture;  // the file exported
    Args options;         // after "export FILE"
    int w;
    std::optional<int> f;  // none: the largest that fits, worked out here
    bool floor;
    std::function<Ints(const Written&)> read;
    // The order the file holds the taps in, from the hand-rounded b[0..N-1].
    std::function<Ints(Ints)> order = [](Ints q) { return q; };
};

// The CMSIS q15 array: b[N-1] first, b[0] last, with a zero tap first when N is odd.
Ints CmsisQ15Order(Ints q) {
    std::reverse(q.begin(), q.end());
    if (q.size() % 2 == 1) q.insert(q.begin(), 0);
    return q;
}

TEST(ExportCommandTest, EveryFormatHoldsTheHandRoundedCoefficientsOfTheDescribedFilter) {
    const std::vector<FormatCase> cases = {
        {"csv 16 bits",
         "lowpass_flt64.txt",
         {"--to", "csv", "--word-bits", "16"},
         16,
         {},
         false,
         CsvInts},
        {"csv real 10 bits floor",
         "lowpass_flt64.txt",
         {"--to", "csv", "--word-bits", "10", "--rounding", "floor", "--real"},
         10,
         {},
         true,
         CsvRealInts},
        {"coe hex 18 bits",
         "lowpass_flt64.txt",
         {"--to", "coe", "--word-bits", "18", "--radix", "16"},
         18,
         {},
         false,
         [](const Written& w) { return CoeInts(w, 16); }},
        {"coe decimal, given fraction bits",
         "bandpass_flt32.txt",
         {"--to", "coe", "--word-bits", "14", "--frac-bits", "14"},
         14,
         14,
         false,
         [](const Written& w) { return CoeInts(w, 10); }},
        {"mif decimal floor",
         "lowpass_flt64.txt",
         {"--to", "mif", "--word-bits", "12", "--frac-bits", "13", "--rounding", "floor"},
         12,
         13,
         true,
         [](const Written& w) { return MifInts(w, 10); }},
        {"mif hex 24 bits",
         "halfband_flt64.txt",
         {"--to", "mif", "--word-bits", "24", "--radix", "16"},
         24,
         {},
         false,
         [](const Written& w) { return MifInts(w, 16); }},
        {"json 20 bits",
         "lowpass_flt64.txt",
         {"--to", "json", "--word-bits", "20"},
         20,
         {},
         false,
         JsonInts},
        {"npy 12 bits: int16",
         "lowpass_flt64.txt",
         {"--to", "npy", "--word-bits", "12"},
         12,
         {},
         false,
         [](const Written& w) { return NpyInts(w, "<i2"); }},
        {"npy 8 bits: int8",
         "halfband_flt64.txt",
         {"--to", "npy", "--word-bits", "8"},
         8,
         {},
         false,
         [](const Written& w) { return NpyInts(w, "|i1"); }},
        {"npy real 28 bits",
         "lowpass_flt64.txt",
         {"--to", "npy", "--word-bits", "28", "--real"},
         28,
         {},
         false,
         [](const Written& w) { return NpyInts(w, "<f8"); }},
        // CMSIS words are Q1.15 and Q1.31, as the FIR functions read them.
        {"cmsis q15",
         "lowpass_flt64.txt",
         {"--to", "cmsis", "--word-bits", "16"},
         16,
         15,
         false,
         CmsisInts,
         CmsisQ15Order},
        {"cmsis q31",
         "lowpass_flt64.txt",
         {"--to", "cmsis", "--word-bits", "32"},
         32,
         31,
         false,
         CmsisInts,
         [](Ints q) {
             std::reverse(q.begin(), q.end());
             return q;
         }},
        {"vhdl 12 bits",
         "halfband_flt64.txt",
         {"--to", "vhdl", "--word-bits", "12"},
         12,
         {},
         false,
         VhdlInts},
        {"verilog 16 bits floor",
         "lowpass_flt64.txt",
         {"--to", "verilog", "--word-bits", "16", "--rounding", "floor"},
         16,
         {},
         true,
         VerilogInts},
    };
    for (const FormatCase& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string out = dir / "coefs.out";
        Args args = {"export", Fixture(c.fixture)};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.insert(args.end(), {"--output", out});
        const CliRun run = RunCli(args);
        ASSERT_EQ(run.exitCode, 0) << run.err;

        // The files hold a complete specification: Load designs them again, and the design
        // matches the listed coefficients to far below one step of these words.
        const std::vector<double> coefs = ListedCoefs(Fixture(c.fixture));
        const int f = c.f.value_or(LargestFrac(coefs, c.w, c.floor));
        const Ints expected = c.order(HandQuantised(coefs, c.w, f, c.floor));
        EXPECT_EQ(c.read({out, &dir, c.w, f}), expected);
    }
}

// The CMSIS-DSP FIR functions read q15_t words as Q1.15 and q31_t words as Q1.31: arm_fir_q15
// sums the products in 64 bits and keeps the sum shifted right by 15 (arm_fir_q31: by 31). A
// program compiled by gcc forms those sums over the header's array for an input of one half at
// 0 Hz and at half the rate: each is one half times the filter's gain there, worked out here
// from the file's listed coefficients, within a quarter step per tap. (The low pass's largest
// tap, 0.323, would fit Q0.16 and Q0.32, which doubled its gain.)
TEST(ExportCommandTest, CmsisHeadersKeepTheFiltersGain) {
    struct Case {
        const char* fixture;
        int w;
        int shift;  // the FIR function's own: 15 for q15, 31 for q31
    };
    for (const Case& c : {Case{"lowpass_flt64.txt", 16, 15}, Case{"lowpass_flt64.txt", 32, 31},
                          Case{"halfband_flt64.txt", 16, 15}}) {
        SCOPED_TRACE(std::string(c.fixture) + " " + std::to_string(c.w));
        TempDir dir;
        const std::string header = dir / "fir_coefs.h";
        const CliRun run = RunCli({"export", Fixture(c.fixture), "--to", "cmsis", "--word-bits",
                                   std::to_string(c.w), "--output", header});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_NE(ReadFile(header).find(FormatText("Q format Q1.%d", c.shift)), std::string::npos);
        WriteFile(dir / "arm_math.h",
                  "#include <stdint.h>\ntypedef int16_t q15_t;\ntypedef int32_t q31_t;\n"
                  "typedef float float32_t;\n");
        WriteFile(dir / "gain.c",
                  "#include <stdio.h>\n#include \"fir_coefs.h\"\n"
                  "int main(void) {\n"
                  "    const long long half = 1LL << (" +
                      std::to_string(c.shift) +
                      " - 1);\n"
                      "    long long dc = 0, nyquist = 0;\n"
                      "    unsigned i;\n"
                      "    for (i = 0; i < FIR_NUM_TAPS; ++i) {\n"
                      "        dc += (long long)fir_coefs[i] * half;\n"
                      "        nyquist += (long long)fir_coefs[i] * (i % 2 ? -half : half);\n"
                      "    }\n"
                      "    printf(\"%lld %lld\\n\", dc >> " +
                      std::to_string(c.shift) + ", (nyquist < 0 ? -nyquist : nyquist) >> " +
                      std::to_string(c.shift) +
                      ");\n"
                      "    return 0;\n}\n");
        const std::string exe = dir / "gain";
        const ChildRun build = RunChild({"gcc", "-std=c99", "-Wall", "-Wextra", "-Werror", "-I",
                                         dir.Path(), "-o", exe, dir / "gain.c"});
        ASSERT_EQ(build.exitCode, 0) << build.err;
        const ChildRun probe = RunChild({exe});
        ASSERT_EQ(probe.exitCode, 0) << probe.err;
        std::istringstream sums(probe.out);
        long long dc = 0;
        long long nyquist = 0;
        ASSERT_TRUE(sums >> dc >> nyquist) << probe.out;

        const std::vector<double> coefs = ListedCoefs(Fixture(c.fixture));
        double dcGain = 0.0;
        double nyquistGain = 0.0;
        for (std::size_t i = 0; i < coefs.size(); ++i) {
            dcGain += coefs[i];
            nyquistGain += i % 2 ? -coefs[i] : coefs[i];
        }
        const double half = std::ldexp(1.0, c.shift - 1);
        const double tolerance = static_cast<double>(coefs.size()) / 4.0 + 1.0;
        EXPECT_NEAR(static_cast<double>(dc), half * dcGain, tolerance);
        EXPECT_NEAR(static_cast<double>(nyquist), half * std::fabs(nyquistGain), tolerance);
    }
}

// A file in Integer 16 is designed again from its specification: the export quantises that
// full-precision design, not the file's 16-bit copy of it (at 24 bits, with 24 fraction
// bits, the first tap of the file, -18 / 32767, is -9216; the design's, -5.4998e-4, is -9227).
TEST(ExportCommandTest, AnInteger16FileExportsItsFullPrecisionDesign) {
    TempDir dir;
    const CliRun run = RunCli({"export", Fixture("lowpass_int16.txt"), "--to", "csv", "--word-bits",
                               "24", "--output", dir / "int16.csv"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::vector<double> design = ListedCoefs(Fixture("lowpass_flt64.txt"));
    const int f = LargestFrac(design, 24, false);
    ASSERT_EQ(f, 24);  // the largest tap 0.3232 * 2^24 = 5421869 fits, * 2^25 does not
    const Ints ints = CsvInts({dir / "int16.csv", &dir, 24, f});
    EXPECT_EQ(ints, HandQuantised(design, 24, f, false));
    ASSERT_FALSE(ints.empty());
    EXPECT_EQ(ints.front(), RoundScaled(-5.4998413195988822e-4, 24, false));
}

// ---- the stated attenuation against a plain DFT ----

TEST(ExportCommandTest, StatedAttenuationIsThatOfTheQuantisedFilter) {
    struct Case {
        const char* fixture;
        int w;
    };
    for (const Case& c : {Case{"lowpass_flt64.txt", 16}, Case{"lowpass_flt64.txt", 10},
                          Case{"bandpass_flt32.txt", 13}, Case{"halfband_flt64.txt", 12}}) {
        SCOPED_TRACE(std::string(c.fixture) + " " + std::to_string(c.w));
        TempDir dir;
        const CliRun run = RunCli({"export", Fixture(c.fixture), "--to", "csv", "--word-bits",
                                   std::to_string(c.w), "--output", dir / "q.csv"});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const std::string text = ReadFile(dir / "q.csv");
        const std::string label = "# Achieved in this format: stop-band attenuation ";
        const std::size_t at = text.find(label);
        ASSERT_NE(at, std::string::npos) << text;
        const double stated = std::strtod(text.c_str() + at + label.size(), nullptr);

        const std::vector<double> coefs = ListedCoefs(Fixture(c.fixture));
        const int f = LargestFrac(coefs, c.w, false);
        std::vector<double> h;
        for (const long long q : CsvInts({dir / "q.csv", &dir, c.w, f}))
            h.push_back(std::ldexp(static_cast<double>(q), -f));
        const double measured = -StopBandPeak(DftLevels(h, 16384));
        EXPECT_NEAR(stated, measured, 0.1);
    }
}

// Fewer bits cost attenuation: 10-bit words of the 60 dB low pass fall short, and the export
// says so in words; 16 bits keep it. The Integer 16 file is measured by Load in its own format
// (which may warn about that format), but its 24-bit export meets the specification and gets no
// warning of the export's own. (The largest tap, 0.323, lies below one half: F = W.)
TEST(ExportCommandTest, WarnsWhenTheQuantisedFilterMissesItsTargets) {
    const std::string warning = "ondela-cli export: warning: in ";
    struct Case {
        const char* fixture;
        const char* w;
        bool warns;
    };
    for (const Case& c :
         {Case{"lowpass_flt64.txt", "16", false}, Case{"lowpass_flt64.txt", "10", true},
          Case{"lowpass_int16.txt", "24", false}}) {
        SCOPED_TRACE(std::string(c.fixture) + " " + c.w);
        const CliRun run =
            RunCli({"export", Fixture(c.fixture), "--to", "json", "--word-bits", c.w});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const auto lines = run.ErrLines();
        const auto found = std::find_if(lines.begin(), lines.end(), [&](const std::string& l) {
            return l.rfind(warning, 0) == 0;
        });
        EXPECT_EQ(found != lines.end(), c.warns) << run.err;
        const QJsonObject design = ParseJson(run.out)["design"].toObject();
        const double achieved = design["achieved"].toObject()["attenuation"].toDouble();
        EXPECT_EQ(design["target"].toObject()["attenuation"].toDouble(), 60.0);
        EXPECT_EQ(achieved < 59.0, c.warns) << achieved;
        if (found != lines.end()) {
            EXPECT_EQ(*found, warning + c.w + "-bit words with " + c.w +
                                  " fraction bits the filter misses its specification: "
                                  "stop-band attenuation " +
                                  FormatText("%.3f", achieved) + " dB (60.000 dB asked for)");
        }
    }
}

// What the words hold, judged by a plain DFT of the integers the file lists (the 63-tap low pass
// at 8 kHz for 48 kHz, 60 dB and 0.5 dB asked for; its largest taps 0.142, 0.270, 0.323):
// - words that keep the filter state its achieved values (16 bits);
// - words whose largest taps clip (8 bits at F = 10, 16 bits at F = 18: limits 0.124 and 0.125)
//   lose half the gain; the ripple stated is that of the clipped words, at least the loss the
//   DFT finds at 0 Hz, and the targets are not met;
// - words whose every tap clips (16 bits at F = 40: each +-2^-25) hold no filter, as the DFT's
//   stop band, as loud as its pass band, shows; so do words that round to zero (F = -10) or clip
//   to a vanishing response (32 bits at F = 128, +-2^-97): no achieved values, no filter, targets
//   not met, in the file, the report and on standard error.
TEST(ExportCommandTest, SaturatedAndVanishingWordsStateWhatTheyHold) {
    struct Case {
        int w;
        std::optional<int> f;
        bool holdsFilter;
    };
    const Case cases[] = {{16, std::nullopt, true}, {8, 10, true},    {16, 18, true},
                          {16, 40, false},          {32, -10, false}, {32, 128, false}};
    const std::vector<double> coefs = ListedCoefs(Fixture("lowpass_flt64.txt"));
    constexpr double kFs = 48000.0;
    constexpr double kEdge = 8000.0;
    constexpr int kPoints = 4800;  // 5 Hz apart
    const auto hz = [](int k) { return k * kFs / 2.0 / kPoints; };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.w << " bits, F " << c.f.value_or(99));
        TempDir dir;
        Args args = {"export",      Fixture("lowpass_flt64.txt"), "--to",     "csv",
                     "--word-bits", std::to_string(c.w),          "--output", dir / "q.csv",
                     "--json"};
        if (c.f) args.insert(args.end(), {"--frac-bits", std::to_string(*c.f)});
        const CliRun run = RunCli(args);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const QJsonObject report = ParseJson(run.out);
        const std::string text = ReadFile(dir / "q.csv");

        // The oracle: the DFT of the integers the file holds, as values q / 2^F.
        const int f = c.f.value_or(LargestFrac(coefs, c.w, false));
        const Ints q = CsvInts({dir / "q.csv", &dir, c.w, f});
        if (f < 60) {
            ASSERT_EQ(q, HandQuantised(coefs, c.w, f, false));
        } else {  // c * 2^F lies far beyond any integer: each word is the limit of its sign
            for (std::size_t i = 0; i < q.size(); ++i)
                EXPECT_EQ(q[i], coefs[i] > 0 ? 2147483647LL : coefs[i] < 0 ? -2147483648LL : 0);
        }
        std::vector<double> h;
        for (const long long v : q) h.push_back(std::ldexp(static_cast<double>(v), -f));
        const std::vector<double> level = DftLevels(h, kPoints);
        double passMin = 1e9, passDev = 0.0, stopMax = -1e9, aboveEdgeMax = -1e9;
        for (int k = 0; k <= kPoints; ++k) {
            if (hz(k) <= kEdge / 2) passMin = std::min(passMin, level[k]);
            if (hz(k) <= kEdge) passDev = std::max(passDev, std::fabs(level[k]));
            if (hz(k) >= 1.5 * kEdge) stopMax = std::max(stopMax, level[k]);
            if (hz(k) >= kEdge) aboveEdgeMax = std::max(aboveEdgeMax, level[k]);
        }
        const bool dftSeesAFilter = stopMax < passMin && passMin > -150.0;
        ASSERT_EQ(dftSeesAFilter, c.holdsFilter) << stopMax << " " << passMin;

        const QJsonObject achieved = report["achieved"].toObject();
        EXPECT_EQ(report["holdsFilter"].toBool(), c.holdsFilter);
        bool met = false;
        if (c.holdsFilter) {
            ASSERT_TRUE(achieved["ripple"].isDouble());
            ASSERT_TRUE(achieved["attenuation"].isDouble());
            const double ripple = achieved["ripple"].toDouble();
            const double attenuation = achieved["attenuation"].toDouble();
            // The pass band holds 0 Hz and lies below the edge; the stop band holds half the
            // rate and lies above the edge.
            EXPECT_GE(ripple, std::fabs(level[0]) - 0.01);
            EXPECT_LE(ripple, passDev + 0.01);
            EXPECT_LE(attenuation, -level[kPoints] + 0.01);
            EXPECT_GE(attenuation, -aboveEdgeMax - 0.01);
            met = ripple <= 0.55 && attenuation >= 59.0;
            EXPECT_NE(text.find(FormatText("# Achieved in this format: stop-band attenuation "
                                           "%.3f dB, pass-band ripple %.3f dB",
                                           attenuation, ripple)),
                      std::string::npos)
                << text;
        } else {
            EXPECT_TRUE(achieved["attenuation"].isNull());
            EXPECT_TRUE(achieved["ripple"].isNull());
            EXPECT_NE(text.find("# Achieved in this format: no filter: "), std::string::npos)
                << text;
            EXPECT_NE(run.err.find("hold no filter: "), std::string::npos) << run.err;
        }
        EXPECT_EQ(met, c.w == 16 && !c.f);  // only the unclipped words keep the targets
        EXPECT_EQ(report["targetsMet"].toBool(), met);
        EXPECT_EQ(text.find("# Targets not met in this format") != std::string::npos, !met) << text;
        EXPECT_EQ(run.err.find("misses its specification") != std::string::npos, !met) << run.err;
        EXPECT_NE(text.find("# Target: stop-band attenuation 60.000 dB"), std::string::npos);
    }
}

// Coefficients read without a specification have no designed bands: words whose response
// nowhere reaches -3 dB (a plain DFT of them says so) lost the pass band the coefficients have,
// and hold no filter; words that keep it state their achieved values.
TEST(ExportCommandTest, CoefficientsWithoutASpecificationThatLoseThePassBandHoldNoFilter) {
    TempDir dir;
    std::string text = ReadFile(Fixture("lowpass_flt64.txt"));
    text.replace(text.find("Type = LowPass, fc = 8000 @ fs = 48000"),
                 std::string("Type = LowPass, fc = 8000 @ fs = 48000").size(), "fs = 48000");
    for (const char* line : {"Attenuation = ", "Max nb of Coefficients = "}) {
        const std::size_t at = text.find(line);
        text.erase(at, text.find('\n', at) + 1 - at);
    }
    WriteFile(dir / "coefs.txt", text);
    const std::vector<double> coefs = ListedCoefs(Fixture("lowpass_flt64.txt"));
    for (const int f : {16, 18, 40}) {
        SCOPED_TRACE(f);
        const CliRun run =
            RunCli({"export", dir / "coefs.txt", "--to", "csv", "--word-bits", "16", "--frac-bits",
                    std::to_string(f), "--output", dir / "q.csv", "--json"});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        ASSERT_NE(run.err.find("Using Coefficients"), std::string::npos) << run.err;
        std::vector<double> h;
        for (const long long q : HandQuantised(coefs, 16, f, false))
            h.push_back(std::ldexp(static_cast<double>(q), -f));
        const std::vector<double> level = DftLevels(h, 4800);
        const bool reaches = *std::max_element(level.begin(), level.end()) >= -3.0;
        const QJsonObject report = ParseJson(run.out);
        EXPECT_EQ(report["holdsFilter"].toBool(), reaches);
        EXPECT_EQ(report["achieved"].toObject()["ripple"].isDouble(), reaches);
        EXPECT_TRUE(report["targetsMet"].isNull());
        EXPECT_EQ(ReadFile(dir / "q.csv")
                          .find("no filter: no part of their response reaches "
                                "-3 dB") == std::string::npos,
                  reaches);
    }
}

// ---- saturation, standard output, help ----

// One fraction bit is said in the singular wherever the words are named: 4-bit words with F = 1
// keep only the three largest taps (0.5 each) and miss the targets.
TEST(ExportCommandTest, OneFractionBitIsNamedInTheSingular) {
    const CliRun run = RunCli({"export", Fixture("lowpass_flt64.txt"), "--to", "csv", "--word-bits",
                               "4", "--frac-bits", "1"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("4-bit words with 1 fraction bit "), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("4-bit signed, 1 fraction bit (Q3.1)"), std::string::npos) << run.out;
    EXPECT_EQ((run.out + run.err).find("1 fraction bits"), std::string::npos);
}

// 8-bit words with 10 fraction bits hold at most 127 / 1024 = 0.124: the five taps of the low
// pass above it (0.142, 0.270, 0.323, 0.270, 0.142) clip at 127, and standard error says so.
TEST(ExportCommandTest, SaturatedTapsAreClippedAndReported) {
    const CliRun run = RunCli({"export", Fixture("lowpass_flt64.txt"), "--to", "csv", "--word-bits",
                               "8", "--frac-bits", "10"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("ondela-cli export: warning: 5 of 63 coefficients saturated at the "
                           "limits of the 8-bit word (-128 to 127)"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.out.find("5 coefficients saturated"), std::string::npos);
    std::vector<std::string> words;
    for (const std::string& line : Lines(run.out))
        if (!line.empty() && line[0] != '#') words.push_back(line);
    const Ints values = ParseInts(words, 10, 0);
    ASSERT_EQ(values.size(), 63u);
    EXPECT_EQ(std::count(values.begin(), values.end(), 127LL), 5);
    for (int i = 29; i <= 33; ++i) EXPECT_EQ(values[i], 127) << i;
}

// The .npy bytes reach standard output as they are, the same as in a file, and '-' means
// standard output too.
TEST(ExportCommandTest, BinaryArrayOnStandardOutputEqualsTheFile) {
    TempDir dir;
    const Args base = {"export", Fixture("halfband_flt64.txt"), "--to", "npy", "--word-bits", "16"};
    Args toFile = base;
    toFile.insert(toFile.end(), {"--output", dir / "a.npy"});
    ASSERT_EQ(RunCli(toFile).exitCode, 0);
    const std::string file = ReadFile(dir / "a.npy");
    ASSERT_EQ(file.substr(0, 6), "\x93NUMPY");
    for (const Args& args : {base, [&] {
                                 Args dash = base;
                                 dash.insert(dash.end(), {"--output", "-"});
                                 return dash;
                             }()}) {
        const CliRun run = RunCli(args);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.out, file);
    }
}

// One version: ondela-cli --version, the About box ("Ondela Version 1.21", from the version data
// built in) and every exported file name the same.
TEST(ExportCommandTest, VersionIsTheAboutBoxsAndTheFilesOne) {
    VersionStrings about;
    ASSERT_NE(ReadVersionInfo(BuiltInVersionBlock, about), 0);
    ASSERT_FALSE(about.productVersion.empty());
    EXPECT_EQ(ProductLine(about), "Ondela Version " + about.productVersion);
    const CliRun version = RunCli({"--version"});
    ASSERT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "ondela-cli " + about.productVersion + "\n");
    const CliRun run =
        RunCli({"export", Fixture("lowpass_flt64.txt"), "--to", "json", "--word-bits", "16"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Str(ParseJson(run.out)["version"]), about.productVersion);
}

TEST(ExportCommandTest, HelpDescribesEveryOptionAndTheCommandIsListed) {
    const CliRun help = RunCli({"export", "--help"});
    ASSERT_EQ(help.exitCode, 0);
    for (const char* option : {"--to", "--word-bits", "--frac-bits", "--rounding", "--name",
                               "--radix", "--cmsis-type", "--real", "--output", "--json", "FILE",
                               "at full\nprecision", "QUANTISED", "Exit status"}) {
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
    }
    const CliRun top = RunCli({"--help"});
    EXPECT_NE(top.out.find("ondela-cli export FILE --to"), std::string::npos) << top.out;
}

// The report of a run that saturates: 8-bit words with 9 fraction bits hold at most
// 127 / 512 = 0.248, which three taps of the low pass exceed (0.270, 0.323, 0.270); F = 9 lies
// beyond the word, so there is no Qm.n name. The achieved attenuation is the one the file states.
TEST(ExportCommandTest, JsonReportStatesTheFormatTheSaturationAndTheAchievedValues) {
    TempDir dir;
    const CliRun run = RunCli({"export", Fixture("lowpass_flt64.txt"), "--to", "coe", "--word-bits",
                               "8", "--frac-bits", "9", "--output", dir / "q.coe", "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const QJsonObject report = ParseJson(run.out);
    EXPECT_TRUE(report["written"].toBool());
    EXPECT_EQ(report["format"].toString(), "coe");
    EXPECT_EQ(report["count"].toInt(), 63);
    EXPECT_EQ(report["wordBits"].toInt(), 8);
    EXPECT_EQ(report["fracBits"].toInt(), 9);
    EXPECT_TRUE(report["qFormat"].isNull());
    EXPECT_EQ(report["rounding"].toString(), "nearest");
    EXPECT_EQ(report["saturated"].toInt(), 3);
    EXPECT_EQ(report["target"].toObject()["attenuation"].toDouble(), 60.0);
    EXPECT_EQ(report["target"].toObject()["ripple"].toDouble(), 0.5);
    std::vector<std::string> messages;
    for (const QJsonValue m : report["messages"].toArray()) messages.push_back(Str(m));
    EXPECT_EQ(messages, run.ErrLines());
    EXPECT_NE(run.err.find("warning: 3 of 63 coefficients saturated"), std::string::npos);

    const std::string text = ReadFile(dir / "q.coe");
    const std::string label = "; Achieved in this format: stop-band attenuation ";
    const std::size_t at = text.find(label);
    ASSERT_NE(at, std::string::npos) << text;
    const double stated = std::strtod(text.c_str() + at + label.size(), nullptr);
    EXPECT_NEAR(report["achieved"].toObject()["attenuation"].toDouble(), stated, 0.0005);

    // No filter: the report says so and keeps Load's message.
    const CliRun missing = RunCli({"export", dir / "missing.txt", "--to", "coe", "--word-bits", "8",
                                   "--output", dir / "never.coe", "--json"});
    EXPECT_EQ(missing.exitCode, 1);
    const QJsonObject none = ParseJson(missing.out);
    EXPECT_FALSE(none["written"].toBool());
    EXPECT_FALSE(none.contains("saturated"));
    ASSERT_EQ(none["messages"].toArray().size(), 1);
    EXPECT_EQ(Str(none["messages"][0]).rfind("Could not open File", 0), 0u);
}

// An output that cannot be written: exit 1 with the reason, and the report says nothing was.
TEST(ExportCommandTest, AnUnwritableOutputExitsOne) {
    TempDir dir;
    const CliRun run =
        RunCli({"export", Fixture("lowpass_flt64.txt"), "--to", "vhdl", "--word-bits", "16",
                "--output", dir / "no-such-folder/q.vhd", "--json"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("cannot write " + dir / "no-such-folder"), std::string::npos) << run.err;
    const QJsonObject report = ParseJson(run.out);
    EXPECT_FALSE(report["written"].toBool());
    // The report's messages say why, as standard error does.
    const QJsonArray messages = report["messages"].toArray();
    ASSERT_FALSE(messages.isEmpty());
    EXPECT_EQ(Str(messages.last()).rfind("ondela-cli: cannot write " + dir / "no-such-folder", 0),
              0u);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{});
}

// ---- usage errors and files that give no filter ----

TEST(ExportCommandTest, UsageErrorsExitTwoWithOneLineAndWriteNothing) {
    const Args valid = {"--to", "coe", "--word-bits", "16"};
    struct Case {
        Args options;
        const char* message;  // the line after "ondela-cli export: "
    };
    const Case cases[] = {
        {{"--word-bits", "16"}, "--to FORMAT is required"},
        {{"--to", "hex", "--word-bits", "16"}, "--to: unknown format 'hex'"},
        {{"--to", "csv"}, "--word-bits W is required (2 to 32)"},
        {{"--to", "csv", "--word-bits", "sixteen"}, "--word-bits: 'sixteen' is not a whole"},
        {{"--to", "csv", "--word-bits", "1"}, "--word-bits: 1 is outside 2 to 32"},
        {{"--to", "csv", "--word-bits", "33"}, "--word-bits: 33 is outside 2 to 32"},
        // What was typed, not the reader's capped number.
        {{"--to", "csv", "--word-bits", "99999999999999999999"},
         "--word-bits: 99999999999999999999 is outside 2 to 32"},
        {{"--to", "csv", "--word-bits", "16", "--frac-bits", "-99999999999"},
         "--frac-bits: -99999999999 is outside -64 to 128"},
        {{"--to", "csv", "--word-bits", "16", "--frac-bits", "129"},
         "--frac-bits: 129 is outside -64 to 128"},
        {{"--to", "csv", "--word-bits", "16", "--frac-bits", "1.5"},
         "--frac-bits: '1.5' is not a whole number"},
        {{"--to", "csv", "--word-bits", "16", "--rounding", "up"},
         "--rounding: unknown mode 'up' (nearest or floor)"},
        {{"--to", "vhdl", "--word-bits", "16", "--name", "lp__coefs"}, "--name: "},
        {{"--to", "vhdl", "--word-bits", "16", "--name", ""}, "--name: "},
        {{"--to", "coe", "--word-bits", "16", "--radix", "8"}, "--radix: '8' is neither 10 nor 16"},
        {{"--to", "csv", "--word-bits", "16", "--radix", "16"},
         "--radix applies to coe and mif only, not to csv"},
        {{"--to", "json", "--word-bits", "16", "--real"},
         "--real applies to csv and npy only, not to json"},
        {{"--to", "mif", "--word-bits", "16", "--cmsis-type", "q15"},
         "--cmsis-type applies to cmsis only, not to mif"},
        {{"--to", "cmsis", "--word-bits", "12"},
         "a CMSIS header of a 12-bit word needs --cmsis-type f32"},
        {{"--to", "cmsis", "--word-bits", "16", "--cmsis-type", "q31"}, "--cmsis-type: "},
        // The CMSIS-DSP functions read q15_t as Q1.15 and q31_t as Q1.31.
        {{"--to", "cmsis", "--word-bits", "16", "--frac-bits", "16"},
         "--frac-bits: A q15_t header holds Q1.15 words (15 fraction bits); 16 was asked for."},
        {{"--to", "cmsis", "--word-bits", "32", "--frac-bits", "1"},
         "--frac-bits: A q31_t header holds Q1.31 words (31 fraction bits); 1 was asked for."},
        {{"--to", "cmsis", "--word-bits", "16", "--cmsis-type", "q7"},
         "--cmsis-type: unknown type 'q7'"},
        {{"--to", "csv", "--word-bits", "16", "--output", ""}, "--output: the file name is empty"},
        {{"--to", "csv", "--word-bits", "16", "--json", "--output", "-"},
         "--json needs --output OUT naming a file"},
        {{"--to", "csv", "--word-bits", "16", "--bits", "4"}, "Unknown option 'bits'"},
    };
    TempDir dir;
    for (const Case& c : cases) {
        Args args = {"export", Fixture("lowpass_flt64.txt")};
        args.insert(args.end(), c.options.begin(), c.options.end());
        if (std::find(c.options.begin(), c.options.end(), "--output") == c.options.end())
            args.insert(args.end(), {"--output", dir / "never"});
        const CliRun run = RunCli(args);
        SCOPED_TRACE(c.message);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.out, "");
        ASSERT_EQ(run.ErrLines().size(), 1u) << run.err;
        EXPECT_EQ(run.ErrLines()[0].rfind(std::string("ondela-cli export: ") + c.message, 0), 0u)
            << run.err;
    }
    EXPECT_TRUE(dir.Entries().empty());
    // The same options with a valid word are accepted.
    Args ok = {"export", Fixture("lowpass_flt64.txt")};
    ok.insert(ok.end(), valid.begin(), valid.end());
    EXPECT_EQ(RunCli(ok).exitCode, 0);
}

TEST(ExportCommandTest, FilesThatGiveNoFilterExitOneWithLoadsMessageAndKeepTheOutput) {
    TempDir dir;
    WriteFile(dir / "notes.txt", "Nothing but notes.\n");
    // Coefficients without a sampling frequency: no measurement, no filter.
    std::string noRate = ReadFile(Fixture("lowpass_flt64.txt"));
    noRate.replace(noRate.find("Type = LowPass"),
                   std::string("Type = LowPass, fc = 8000 @ fs = 48000").size(), "");
    WriteFile(dir / "norate.txt", noRate);
    // A value that is no number: Load completes it as a missing one, but the file does not
    // hold the design that would be exported.
    std::string noNumber = ReadFile(Fixture("lowpass_flt64.txt"));
    noNumber.replace(noNumber.find("Attenuation = 60.000"), 20, "Attenuation = abc");
    WriteFile(dir / "nonumber.txt", noNumber);
    struct Case {
        std::string file;
        const char* message;  // a line standard error holds
    };
    const Case cases[] = {
        {dir / "missing.txt", "Could not open File"},
        {dir / "notes.txt", "Sorry, not a valid Ondela filter description..."},
        {dir / "norate.txt", "no sampling frequency"},
        {dir / "nonumber.txt", "its specification cannot be read (Attenuation holds no number)"},
    };
    WriteFile(dir / "out.coe", "old contents");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const CliRun run = RunCli(
            {"export", c.file, "--to", "coe", "--word-bits", "16", "--output", dir / "out.coe"});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(ReadFile(dir / "out.coe"), "old contents");
    }
}

}  // namespace
}  // namespace ondela
