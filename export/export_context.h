// What every coefficient file carries besides its numbers: the design that produced the
// coefficients and the program that made the file, the identifier the file's declarations are
// named after, and the quantised coefficients themselves.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "export/fixed_point.h"

namespace ondela {

// The design a coefficient set comes from, as the file states it. Values that are not known
// (a set measured from its coefficients has no targets) are left empty or zero and then not
// stated.
struct DesignSummary {
    std::string program;     // program name, e.g. "Ondela"
    std::string version;     // program version, e.g. "1.21"
    std::string type;        // filter type, e.g. "LowPass"; empty when not known
    double fs = 0.0;         // sampling frequency, Hz (0: not known)
    double f1 = 0.0;         // first edge, Hz (0: not known)
    double f2 = 0.0;         // second edge of a band pass or band stop, Hz (0: none)
    double bandwidth = 0.0;  // transition width, Hz (0: not known)
    std::optional<double> targetAttenuation;    // dB
    std::optional<double> targetRipple;         // dB
    std::optional<double> achievedAttenuation;  // dB, measured in the exported format
    std::optional<double> achievedRipple;       // dB, measured in the exported format
    // Why the words hold no filter, when they do not (their response vanishes, or its stop band
    // is not below its pass band); empty when they hold one. No achieved values go with it.
    std::string noFilter;
    // Whether the words meet the targets; none when that was not judged (no targets, or nothing
    // measured). When they miss, missedTargets says what they miss, in words.
    std::optional<bool> targetsMet;
    std::string missedTargets;
};

struct ExportContext {
    std::string name;  // identifier the declarations are named after (IdentifierProblem empty)
    DesignSummary design;
    QuantisedCoefs quantised;
};

// What is wrong with an identifier for the exported declarations, in words for the user; empty
// when it can be used. It must start with a letter and hold only letters, digits and single
// underscores, not end with an underscore, and have at most kMaxIdentifierLength characters: a
// name valid in C, VHDL and Verilog alike, whatever suffix the files add to it.
constexpr int kMaxIdentifierLength = 64;
std::string IdentifierProblem(std::string_view name);

// The name in capitals, for constants and macros.
std::string UpperName(std::string_view name);

// The lines that say how the file was made, without any comment marker: the filter, the program,
// the design's parameters, targets and achieved values, the fixed-point format and rounding, and
// the saturated coefficients.
std::vector<std::string> DescriptionLines(const ExportContext& context);

// The lines prefixed with a comment marker ("-- ", "// ", ...), each ending with "\n".
std::string CommentBlock(const std::vector<std::string>& lines, std::string_view marker);

// A frequency or a level as the files write it: "%.10g" (Hz) and "%.3f" (dB), locale-free.
std::string HertzText(double hz);
std::string DecibelText(double db);

}  // namespace ondela

namespace ondela {

// value as a two's complement pattern of `bits` bits (value modulo 2^bits), in `digits`
// upper-case hexadecimal digits. Bits and digits up to 64 and 16.
std::string TwosComplementHex(int64_t value, int bits, int digits);
// Hex digits a word of wordBits needs: ceil(W / 4).
int HexDigitsFor(int wordBits);

}  // namespace ondela
