#include "export/export_context.h"

#include <cctype>

#include "numbers/number_text.h"

namespace ondela {

namespace {

bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Text from outside (program name, type) made safe for one comment line: control characters,
// line ends among them, become spaces.
std::string OneLine(std::string_view text) {
    std::string line(text);
    for (char& c : line) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
    }
    return line;
}

}  // namespace

std::string IdentifierProblem(std::string_view name) {
    if (name.empty()) return "The identifier is empty.";
    if (name.size() > static_cast<std::size_t>(kMaxIdentifierLength)) {
        return FormatText("The identifier is longer than %d characters.", kMaxIdentifierLength);
    }
    const std::string rule =
        "; it must start with a letter and hold only letters, digits and single underscores, "
        "and must not end with an underscore.";
    const std::string quoted = "The identifier \"" + OneLine(name) + "\"";
    if (!IsLetter(name.front())) return quoted + " does not start with a letter" + rule;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (!IsLetter(c) && !IsDigit(c) && c != '_') {
            return quoted + " holds a character other than a letter, digit or underscore" + rule;
        }
        if (c == '_' && i + 1 < name.size() && name[i + 1] == '_') {
            return quoted + " holds two underscores in a row" + rule;
        }
    }
    if (name.back() == '_') return quoted + " ends with an underscore" + rule;
    return {};
}

std::string UpperName(std::string_view name) {
    std::string upper(name);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

std::string HertzText(double hz) {
    return FormatText("%.10g", hz);
}

std::string DecibelText(double db) {
    return FormatText("%.3f", db);
}

std::vector<std::string> DescriptionLines(const ExportContext& context) {
    const DesignSummary& d = context.design;
    const QuantisedCoefs& q = context.quantised;
    std::vector<std::string> lines;
    lines.push_back(FormatText("%s: %zu coefficients of a linear-phase FIR filter",
                               context.name.c_str(), q.values.size()));
    std::string made = "Made by " + OneLine(d.program.empty() ? "an unnamed program" : d.program);
    if (!d.version.empty()) made += " " + OneLine(d.version);
    lines.push_back(made);

    std::string design = "Design:";
    const auto add = [&design](const std::string& part) {
        design += (design.back() == ':' ? " " : ", ") + part;
    };
    if (!d.type.empty()) add(OneLine(d.type));
    if (d.fs > 0.0) add("sampling frequency " + HertzText(d.fs) + " Hz");
    if (d.f1 > 0.0 && d.f2 > 0.0) {
        add("edges " + HertzText(d.f1) + " Hz and " + HertzText(d.f2) + " Hz");
    } else if (d.f1 > 0.0) {
        add("edge " + HertzText(d.f1) + " Hz");
    }
    if (d.bandwidth > 0.0) add("transition width " + HertzText(d.bandwidth) + " Hz");
    if (design.back() != ':') lines.push_back(design);

    const auto levels = [](const std::optional<double>& att, const std::optional<double>& rip) {
        std::string text;
        if (att) text += "stop-band attenuation " + DecibelText(*att) + " dB";
        if (rip)
            text += std::string(text.empty() ? "" : ", ") + "pass-band ripple " +
                    DecibelText(*rip) + " dB";
        return text;
    };
    const std::string target = levels(d.targetAttenuation, d.targetRipple);
    lines.push_back("Target: " + (target.empty() ? std::string("none stated") : target));
    const std::string achieved = levels(d.achievedAttenuation, d.achievedRipple);
    if (!d.noFilter.empty()) {
        lines.push_back("Achieved in this format: no filter: " + OneLine(d.noFilter));
    } else if (!achieved.empty()) {
        lines.push_back("Achieved in this format: " + achieved);
    }
    if (d.targetsMet && !*d.targetsMet) {
        std::string line = "Targets not met in this format";
        if (!d.missedTargets.empty()) line += ": " + OneLine(d.missedTargets);
        lines.push_back(line);
    }

    lines.push_back(FormatText("Coefficients: %s, value = integer / 2^%d",
                               FixedPointFormatText(q.format).c_str(), q.format.fracBits));
    lines.push_back(FormatText("Rounding %s; %d coefficient%s saturated at the word's limits",
                               RoundingText(q.format.rounding), q.saturated,
                               q.saturated == 1 ? "" : "s"));
    return lines;
}

std::string CommentBlock(const std::vector<std::string>& lines, std::string_view marker) {
    std::string block;
    for (const std::string& line : lines) {
        block += marker;
        block += line;
        block += '\n';
    }
    return block;
}

}  // namespace ondela

namespace ondela {

std::string TwosComplementHex(int64_t value, int bits, int digits) {
    const uint64_t mask = bits >= 64 ? ~uint64_t{0} : (uint64_t{1} << bits) - 1;
    const uint64_t pattern = static_cast<uint64_t>(value) & mask;
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text(static_cast<std::size_t>(digits), '0');
    for (int i = 0; i < digits; ++i) {
        text[static_cast<std::size_t>(digits - 1 - i)] = kDigits[(pattern >> (4 * i)) & 0xF];
    }
    return text;
}

int HexDigitsFor(int wordBits) {
    return (wordBits + 3) / 4;
}

}  // namespace ondela
