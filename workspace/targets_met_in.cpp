#include "workspace/targets_met_in.h"

#include <cstring>
#include <string_view>

#include "numbers/number_text.h"
#include "workspace/coef_format.h"
#include "workspace/description_reader.h"
#include "workspace/text_scan.h"

namespace ondela {

namespace {

constexpr const char* kKeyword = "Targets met in";

}  // namespace

std::string TargetsMetInLine(const TargetsMetIn& met) {
    if (!met.word) return FormatText("%s = %s\n", kKeyword, CoefFormatName(met.format));
    std::string line = FormatText("%s = %d-bit words", kKeyword, met.word->wordBits);
    if (met.word->fracBits) line += FormatText(", %d fraction bits", *met.word->fracBits);
    if (met.word->rounding == Rounding::Floor) line += ", floor rounding";
    return line + "\n";
}

std::optional<TargetsMetIn> ReadTargetsMetIn(const char* text) {
    if (text == nullptr) return std::nullopt;
    const char* marker = FindNoCase(text, kDescriptionMarker);
    if (marker == nullptr) return std::nullopt;
    const char* at = FindNoCase(marker, kKeyword);
    const char* list = FindNoCase(marker, kCoefDeclaration);
    if (at == nullptr || (list != nullptr && list < at)) return std::nullopt;

    // The rest of the record's line, after its "=".
    const char* from = at + std::strlen(kKeyword);
    const std::string_view rest(from, std::strcspn(from, "\r\n"));
    const auto equals = rest.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    const std::string value(rest.substr(equals + 1));

    TargetsMetIn met;
    for (int fmt = FLT64; fmt <= INT16; ++fmt) {
        if (FindNoCaseNear(value.c_str(), CoefFormatName(fmt), 2) != nullptr) {
            met.format = fmt;
            return met;
        }
    }
    const auto bits = ReadInt(value.c_str());
    if (!bits || bits->value < kMinWordBits || bits->value > kMaxWordBits ||
        value.find("-bit words") == std::string::npos) {
        return std::nullopt;
    }
    FixedPointRequest word;
    word.wordBits = static_cast<int>(bits->value);
    if (const auto comma = value.find(','); comma != std::string::npos) {
        const auto frac = ReadInt(value.c_str() + comma + 1);
        if (frac && value.find("fraction bits", comma) != std::string::npos) {
            word.fracBits = static_cast<int>(frac->value);
        }
    }
    if (value.find("floor") != std::string::npos) word.rounding = Rounding::Floor;
    met.word = word;
    return met;
}

}  // namespace ondela
