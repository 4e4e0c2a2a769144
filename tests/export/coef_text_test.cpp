// The text exports read back by small readers written here from the formats' documented syntax,
// and what every file says about how it was made.
#include <gtest/gtest.h>

#include <cctype>
#include <clocale>
#include <cmath>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "export/coef_export.h"
#include "tests/export/export_probe.h"
#include "tests/export/tool_run.h"

namespace ondela::testing {
namespace {

std::string Trim(const std::string& s) {
    const std::size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// A two's complement pattern of `bits` bits read back as a signed value.
int64_t SignExtend(uint64_t pattern, int bits) {
    const uint64_t sign = uint64_t{1} << (bits - 1);
    return static_cast<int64_t>(pattern ^ sign) - static_cast<int64_t>(sign);
}

struct CoeRead {
    int radix = 0;
    std::vector<int64_t> values;
    std::vector<std::size_t> digits;  // characters of each value as written
};

// Xilinx coefficient file: "keyword = value;" statements, text after a semicolon is a comment,
// coefdata is the last keyword and its values are separated by commas. Hexadecimal values are
// sign-extended from the top of their most significant digit.
std::optional<CoeRead> ReadCoe(const std::string& text) {
    std::vector<std::string> statements;
    std::string current;
    for (const std::string& line : Lines(text)) {
        const std::size_t semi = line.find(';');
        current += line.substr(0, semi) + "\n";
        if (semi != std::string::npos) {
            if (!Trim(current).empty()) statements.push_back(Trim(current));
            current.clear();
        }
    }
    if (!Trim(current).empty()) return std::nullopt;  // a statement without its semicolon
    CoeRead read;
    bool data = false;
    for (const std::string& s : statements) {
        if (data) return std::nullopt;  // coefdata must be last
        const std::size_t eq = s.find('=');
        if (eq == std::string::npos) return std::nullopt;
        const std::string key = Lower(Trim(s.substr(0, eq)));
        const std::string value = s.substr(eq + 1);
        if (key == "radix") {
            read.radix = std::stoi(Trim(value));
        } else if (key == "coefdata") {
            data = true;
            std::size_t start = 0;
            while (start <= value.size()) {
                const std::size_t comma = std::min(value.find(',', start), value.size());
                const std::string token = Trim(value.substr(start, comma - start));
                if (token.empty()) return std::nullopt;
                read.digits.push_back(token.size());
                if (read.radix == 16) {
                    read.values.push_back(SignExtend(std::stoull(token, nullptr, 16),
                                                     4 * static_cast<int>(token.size())));
                } else {
                    read.values.push_back(std::stoll(token));
                }
                start = comma + 1;
            }
        } else {
            return std::nullopt;
        }
    }
    if (!data || (read.radix != 10 && read.radix != 16)) return std::nullopt;
    return read;
}

struct MifRead {
    int width = 0;
    int depth = 0;
    std::string addressRadix;
    std::string dataRadix;
    std::vector<int64_t> values;
};

// Intel memory initialisation file: "--" comments to the line end and "%" comments between
// percent signs; WIDTH, DEPTH and the radices as "KEY = value;", then "CONTENT BEGIN",
// "address : value;" entries and "END;". DEC data are signed; HEX data are W-bit patterns.
std::optional<MifRead> ReadMif(const std::string& text) {
    std::string clean;
    bool inPercent = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (inPercent) {
            inPercent = text[i] != '%';
        } else if (text[i] == '%') {
            inPercent = true;
        } else if (text.compare(i, 2, "--") == 0) {
            i = std::min(text.find('\n', i), text.size()) - 1;
        } else {
            clean += text[i];
        }
    }
    MifRead read;
    const std::size_t begin = clean.find("CONTENT");
    if (begin == std::string::npos) return std::nullopt;
    std::string head = clean.substr(0, begin);
    for (std::size_t start = 0, semi; (semi = head.find(';', start)) != std::string::npos;
         start = semi + 1) {
        const std::string statement = head.substr(start, semi - start);
        const std::size_t eq = statement.find('=');
        if (eq == std::string::npos) return std::nullopt;
        const std::string key = Trim(statement.substr(0, eq));
        const std::string value = Trim(statement.substr(eq + 1));
        if (key == "WIDTH") read.width = std::stoi(value);
        if (key == "DEPTH") read.depth = std::stoi(value);
        if (key == "ADDRESS_RADIX") read.addressRadix = value;
        if (key == "DATA_RADIX") read.dataRadix = value;
    }
    std::string body = clean.substr(begin + 7);
    const std::size_t beginWord = body.find("BEGIN");
    const std::size_t end = body.rfind("END;");
    if (beginWord == std::string::npos || end == std::string::npos) return std::nullopt;
    body = body.substr(beginWord + 5, end - beginWord - 5);
    std::map<int, int64_t> byAddress;
    for (std::size_t start = 0, semi; (semi = body.find(';', start)) != std::string::npos;
         start = semi + 1) {
        const std::string entry = body.substr(start, semi - start);
        const std::size_t colon = entry.find(':');
        if (colon == std::string::npos) return std::nullopt;
        const int address = std::stoi(Trim(entry.substr(0, colon)));
        const std::string value = Trim(entry.substr(colon + 1));
        if (byAddress.count(address)) return std::nullopt;
        byAddress[address] = read.dataRadix == "HEX"
                                 ? SignExtend(std::stoull(value, nullptr, 16), read.width)
                                 : std::stoll(value);
    }
    for (int a = 0; a < read.depth; ++a) {
        if (!byAddress.count(a)) return std::nullopt;
        read.values.push_back(byAddress[a]);
    }
    if (byAddress.size() != static_cast<std::size_t>(read.depth)) return std::nullopt;
    return read;
}

TEST(CoefTextTest, CoeReadsBackTheIntegersInBothRadices) {
    for (const ProbeCase& c : kProbeCases) {
        for (const int radix : {10, 16}) {
            SCOPED_TRACE(::testing::Message() << "W=" << c.w << " radix " << radix);
            ExportRequest request = ProbeRequest(c.w);
            request.options.radix = radix;
            const ExportResult result = ExportCoefficients(ExportFormat::Coe, request);
            ASSERT_EQ(result.error, "");
            const std::optional<CoeRead> read = ReadCoe(result.content);
            ASSERT_TRUE(read.has_value()) << result.content;
            EXPECT_EQ(read->radix, radix);
            EXPECT_EQ(read->values, c.values);
            if (radix == 16) {
                for (const std::size_t d : read->digits) EXPECT_EQ(d, (c.w + 3) / 4u);
            }
        }
    }
    // Sign extension to whole digits, by hand: 18 bits take 5 digits (20 bits); -131072 is
    // 0x100000 - 0x20000 = 0xE0000 and -131 is 0xFFF7D. Two bits take one digit: -1 is F.
    ExportRequest request = ProbeRequest(18);
    request.options.radix = 16;
    const std::string coe18 = ExportCoefficients(ExportFormat::Coe, request).content;
    EXPECT_NE(coe18.find("radix=16;\ncoefdata=\nE0000,\n18000,\nF0000,\n08000,\n03333,\nFFF7D,\n"
                         "00000;\n"),
              std::string::npos)
        << coe18;
    request = ProbeRequest(2);
    request.options.radix = 16;
    EXPECT_NE(
        ExportCoefficients(ExportFormat::Coe, request).content.find("coefdata=\nF,\n1,\nF,\n"),
        std::string::npos);
}

TEST(CoefTextTest, MifReadsBackTheIntegersInBothRadices) {
    for (const ProbeCase& c : kProbeCases) {
        for (const int radix : {10, 16}) {
            SCOPED_TRACE(::testing::Message() << "W=" << c.w << " radix " << radix);
            ExportRequest request = ProbeRequest(c.w);
            request.options.radix = radix;
            const ExportResult result = ExportCoefficients(ExportFormat::Mif, request);
            ASSERT_EQ(result.error, "");
            const std::optional<MifRead> read = ReadMif(result.content);
            ASSERT_TRUE(read.has_value()) << result.content;
            EXPECT_EQ(read->width, c.w);
            EXPECT_EQ(read->depth, 7);
            EXPECT_EQ(read->addressRadix, "UNS");
            EXPECT_EQ(read->dataRadix, radix == 16 ? "HEX" : "DEC");
            EXPECT_EQ(read->values, c.values);
        }
    }
    // In hexadecimal the word holds exactly W bits: 18-bit -131072 is 0x20000, -131 is 0x3FF7D.
    ExportRequest request = ProbeRequest(18);
    request.options.radix = 16;
    const std::string mif = ExportCoefficients(ExportFormat::Mif, request).content;
    EXPECT_NE(mif.find("    0 : 20000;\n    1 : 18000;\n"), std::string::npos) << mif;
    EXPECT_NE(mif.find("    5 : 3FF7D;\n    6 : 00000;\nEND;\n"), std::string::npos) << mif;
}

// Every text file names the program, the design, its targets and achieved values, the format
// and the rounding in its own comment syntax.
TEST(CoefTextTest, EveryTextFileSaysHowItWasMadeInItsCommentSyntax) {
    struct Case {
        ExportFormat format;
        const char* marker;
    };
    const Case cases[] = {
        {ExportFormat::Coe, "; "},      {ExportFormat::Mif, "-- "},   {ExportFormat::Vhdl, "-- "},
        {ExportFormat::Verilog, "// "}, {ExportFormat::Cmsis, "// "}, {ExportFormat::Csv, "# "},
    };
    const std::vector<std::string> expected = {
        "probe: 7 coefficients of a linear-phase FIR filter",
        "Made by Ondela 1.21",
        "Design: LowPass, sampling frequency 48000 Hz, edge 8000 Hz, transition width 1200 Hz",
        "Target: stop-band attenuation 60.000 dB, pass-band ripple 0.500 dB",
        "Achieved in this format: stop-band attenuation 59.250 dB, pass-band ripple 0.432 dB",
        "Coefficients: 16-bit signed, 15 fraction bits (Q1.15), value = integer / 2^15",
        "Rounding to nearest, ties away from zero; 0 coefficients saturated at the word's limits",
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ExportFormatName(c.format));
        const ExportResult result = ExportCoefficients(c.format, ProbeRequest(16));
        ASSERT_EQ(result.error, "");
        const std::vector<std::string> lines = Lines(result.content);
        ASSERT_GE(lines.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(lines[i], c.marker + expected[i]);
        }
    }
}

TEST(CoefTextTest, BandEdgesMissingTargetsAndSaturationAreStated) {
    ExportRequest request = ProbeRequest(16);
    request.design.type = "BandPass";
    request.design.f1 = 4000;
    request.design.f2 = 9000.5;
    request.design.targetAttenuation.reset();
    request.design.targetRipple.reset();
    request.design.achievedRipple.reset();
    // F = 16: -1 and 0.75 become -65536 and 49152, both beyond the 16-bit word.
    request.fixed = {16, 16, Rounding::Floor};
    const ExportResult result = ExportCoefficients(ExportFormat::Csv, request);
    ASSERT_EQ(result.error, "");
    EXPECT_EQ(result.quantised.saturated, 2);
    const std::vector<std::string> lines = Lines(result.content);
    ASSERT_GE(lines.size(), 7u);
    EXPECT_EQ(lines[2],
              "# Design: BandPass, sampling frequency 48000 Hz, edges 4000 Hz and 9000.5 Hz, "
              "transition width 1200 Hz");
    EXPECT_EQ(lines[3], "# Target: none stated");
    EXPECT_EQ(lines[4], "# Achieved in this format: stop-band attenuation 59.250 dB");
    EXPECT_EQ(lines[5],
              "# Coefficients: 16-bit signed, 16 fraction bits (Q0.16), value = "
              "integer / 2^16");
    EXPECT_EQ(lines[6],
              "# Rounding toward minus infinity; 2 coefficients saturated at the "
              "word's limits");
    // The integers follow the comments, one a line: -32768 and 32767 are the clipped ones;
    // 0.1 * 65536 = 6553.6 and -0.001 * 65536 = -65.536 truncate down.
    const std::vector<std::string> values(lines.end() - 7, lines.end());
    EXPECT_EQ(values,
              (std::vector<std::string>{"-32768", "32767", "-32768", "16384", "6553", "-66", "0"}));
}

TEST(CoefTextTest, RequestsThatCannotBeExportedSayWhy) {
    struct Case {
        const char* what;
        ExportFormat format;
        ExportRequest request;
    };
    std::vector<Case> cases;
    for (const char* name : {"", "1st", "_lp", "lp_", "low__pass", "low-pass", "tiefpaß"}) {
        cases.push_back({name, ExportFormat::Vhdl, ProbeRequest(16, name)});
    }
    cases.push_back(
        {"65 characters", ExportFormat::Json, ProbeRequest(16, std::string(65, 'a').c_str())});
    cases.push_back({"33 bits", ExportFormat::Coe, ProbeRequest(33)});
    cases.push_back({"1 bit", ExportFormat::Mif, ProbeRequest(1)});
    ExportRequest r = ProbeRequest(16);
    r.options.radix = 8;
    cases.push_back({"radix 8", ExportFormat::Coe, r});
    cases.push_back({"radix 8 in a MIF", ExportFormat::Mif, r});
    r = ProbeRequest(18);
    r.options.cmsisType = CmsisType::Q15;
    cases.push_back({"q15 of 18 bits", ExportFormat::Cmsis, r});
    r = ProbeRequest(16);
    r.options.cmsisType = CmsisType::Q31;
    cases.push_back({"q31 of 16 bits", ExportFormat::Cmsis, r});
    r = ProbeRequest(16);
    r.coefs[3] = std::nan("");
    cases.push_back({"NaN", ExportFormat::Csv, r});
    r.coefs.clear();
    cases.push_back({"no coefficients", ExportFormat::Npy, r});
    r = ProbeRequest(16);
    r.fixed.fracBits = kMaxFracBits + 1;
    cases.push_back({"too many fraction bits", ExportFormat::Verilog, r});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ExportResult result = ExportCoefficients(c.format, c.request);
        EXPECT_NE(result.error, "");
        EXPECT_EQ(result.content, "");
    }
    // What is accepted: letters, digits and single underscores, up to 64 characters; radix 16
    // is ignored by formats without one.
    for (const std::string& name :
         std::vector<std::string>{"lp", "Low_Pass2", std::string(64, 'b')}) {
        EXPECT_EQ(ExportCoefficients(ExportFormat::Vhdl, ProbeRequest(16, name.c_str())).error, "")
            << name;
    }
    r = ProbeRequest(32);
    r.options.cmsisType = CmsisType::F32;
    EXPECT_EQ(ExportCoefficients(ExportFormat::Cmsis, r).error, "");
}

// A desktop process runs in the user's locale; a decimal comma must not reach any file.
TEST(CoefTextTest, FilesAreTheSameInADecimalCommaLocale) {
    ExportRequest request = ProbeRequest(24);
    request.design.f1 = 8000.25;
    request.options.realValues = true;
    std::vector<std::string> inC;
    for (const ExportFormat f : {ExportFormat::Csv, ExportFormat::Json, ExportFormat::Cmsis}) {
        request.options.cmsisType = CmsisType::F32;
        inC.push_back(ExportCoefficients(f, request).content);
    }
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr)
        << "the de_DE.UTF-8 locale is missing: scripts/setup generates it";
    std::vector<std::string> inGerman;
    for (const ExportFormat f : {ExportFormat::Csv, ExportFormat::Json, ExportFormat::Cmsis}) {
        inGerman.push_back(ExportCoefficients(f, request).content);
    }
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(inGerman, inC);
    EXPECT_NE(inC[0].find("edge 8000.25 Hz"), std::string::npos);
    EXPECT_NE(inC[0].find("\n0.75\n"), std::string::npos);
    EXPECT_NE(inC[1].find("\"f1\": 8000.25,"), std::string::npos);
    EXPECT_NE(inC[2].find(" 0.75f,"), std::string::npos);
}

TEST(CoefTextTest, FormatNamesAndExtensions) {
    const std::map<std::string, std::string> extensions = {
        {"coe", ".coe"}, {"mif", ".mif"}, {"vhdl", ".vhd"}, {"verilog", ".vh"},
        {"cmsis", ".h"}, {"csv", ".csv"}, {"npy", ".npy"},  {"json", ".json"},
    };
    for (const auto& [name, extension] : extensions) {
        const std::optional<ExportFormat> format = ExportFormatFromName(name);
        ASSERT_TRUE(format.has_value()) << name;
        EXPECT_EQ(ExportFormatName(*format), name);
        EXPECT_EQ(ExportFileExtension(*format), extension);
        EXPECT_EQ(IsTextExport(*format), name != "npy");
    }
    for (const char* other : {"", "COE", "hex", "vhd"}) {
        EXPECT_FALSE(ExportFormatFromName(other).has_value()) << other;
    }
}

}  // namespace
}  // namespace ondela::testing
