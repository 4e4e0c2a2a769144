// Coefficients as data for analysis tools: CSV, a NumPy array and JSON.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>

#include "export/coef_files.h"
#include "numbers/number_text.h"

namespace ondela {

namespace {

// The shortest of 15, 16 or 17 significant digits that reads back as the same double.
std::string ExactText(double value) {
    for (int digits = 15; digits < 17; ++digits) {
        const std::string text = FormatText("%.*g", digits, value);
        const std::optional<NumberRead> back = ReadDouble(text.c_str());
        if (back && back->value == value) return text;
    }
    return FormatText("%.17g", value);
}

// The value q / 2^F an integer stands for.
std::string RealText(int32_t v, int fracBits) {
    return ExactText(std::ldexp(static_cast<double>(v), -fracBits));
}

// The text as a JSON string literal. Control characters are escaped; other bytes pass as they
// are (the texts are the program's own).
std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            out += FormatText("\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// A JSON number, or null for a value that has no JSON form or is not known.
std::string JsonNumber(double value) {
    return std::isfinite(value) ? ExactText(value) : "null";
}
std::string JsonOptional(const std::optional<double>& value) {
    return value ? JsonNumber(*value) : "null";
}
std::string JsonKnown(double value) {
    return value > 0.0 ? JsonNumber(value) : "null";
}

void AppendLittleEndian(std::string& out, uint64_t bits, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((bits >> (8 * i)) & 0xFF);
}

}  // namespace

std::string CsvFile(const ExportContext& context, bool realValues) {
    const QuantisedCoefs& q = context.quantised;
    std::string text = CommentBlock(DescriptionLines(context), "# ");
    text += realValues ? "# One value a line: the real coefficient, integer / 2^F.\n"
                       : "# One value a line: the integer of each coefficient.\n";
    for (const int32_t v : q.values) {
        text += realValues ? RealText(v, q.format.fracBits) : FormatText("%d", v);
        text += '\n';
    }
    return text;
}

std::string NpyFile(const ExportContext& context, bool realValues) {
    const QuantisedCoefs& q = context.quantised;
    const int w = q.format.wordBits;
    const int bytes = realValues ? 8 : w <= 8 ? 1 : w <= 16 ? 2 : 4;
    // One byte has no byte order: NumPy writes its type as "|i1".
    const char* descr = realValues ? "<f8" : bytes == 1 ? "|i1" : bytes == 2 ? "<i2" : "<i4";
    std::string header = FormatText("{'descr': '%s', 'fortran_order': False, 'shape': (%zu,), }",
                                    descr, q.values.size());
    // Magic, version and header length take 10 bytes; spaces and a line end pad the header so
    // that the data starts on a multiple of 64 bytes.
    const std::size_t unpadded = 10 + header.size() + 1;
    header.append((64 - unpadded % 64) % 64, ' ');
    header += '\n';

    std::string file("\x93NUMPY\x01\x00", 8);
    AppendLittleEndian(file, header.size(), 2);
    file += header;
    for (const int32_t v : q.values) {
        if (realValues) {
            const double d = std::ldexp(static_cast<double>(v), -q.format.fracBits);
            uint64_t bits = 0;
            std::memcpy(&bits, &d, sizeof bits);
            AppendLittleEndian(file, bits, 8);
        } else {
            AppendLittleEndian(file, static_cast<uint64_t>(static_cast<int64_t>(v)), bytes);
        }
    }
    return file;
}

std::string JsonFile(const ExportContext& context) {
    const QuantisedCoefs& q = context.quantised;
    const DesignSummary& d = context.design;
    std::string text = "{\n";
    text += "  \"program\": " + JsonString(d.program) + ",\n";
    text += "  \"version\": " + JsonString(d.version) + ",\n";
    text += "  \"name\": " + JsonString(context.name) + ",\n";
    text += "  \"design\": {\n";
    text += "    \"type\": " + (d.type.empty() ? "null" : JsonString(d.type)) + ",\n";
    text += "    \"fs\": " + JsonKnown(d.fs) + ",\n";
    text += "    \"f1\": " + JsonKnown(d.f1) + ",\n";
    text += "    \"f2\": " + JsonKnown(d.f2) + ",\n";
    text += "    \"bandwidth\": " + JsonKnown(d.bandwidth) + ",\n";
    text += "    \"target\": {\"attenuation\": " + JsonOptional(d.targetAttenuation) +
            ", \"ripple\": " + JsonOptional(d.targetRipple) + "},\n";
    text += "    \"achieved\": {\"attenuation\": " + JsonOptional(d.achievedAttenuation) +
            ", \"ripple\": " + JsonOptional(d.achievedRipple) + "},\n";
    text += std::string("    \"holdsFilter\": ") + (d.noFilter.empty() ? "true" : "false") + ",\n";
    const char* met = "null";
    if (d.targetsMet) met = *d.targetsMet ? "true" : "false";
    text += std::string("    \"targetsMet\": ") + met + ",\n";
    text += FormatText("    \"numCoefs\": %zu\n", q.values.size());
    text += "  },\n";
    text += FormatText("  \"wordBits\": %d,\n", q.format.wordBits);
    text += FormatText("  \"fracBits\": %d,\n", q.format.fracBits);
    const std::string qName = QFormatName(q.format);
    text += "  \"qFormat\": " + (qName.empty() ? "null" : JsonString(qName)) + ",\n";
    text += "  \"rounding\": " + JsonString(RoundingName(q.format.rounding)) + ",\n";
    text += FormatText("  \"saturated\": %d,\n", q.saturated);
    text += "  \"values\": [";
    for (std::size_t i = 0; i < q.values.size(); ++i) {
        text += (i % 8 == 0 ? "\n    " : " ") + FormatText("%d", q.values[i]) +
                (i + 1 < q.values.size() ? "," : "");
    }
    text += "\n  ],\n  \"coefficients\": [";
    for (std::size_t i = 0; i < q.values.size(); ++i) {
        text += (i % 4 == 0 ? "\n    " : " ") + RealText(q.values[i], q.format.fracBits) +
                (i + 1 < q.values.size() ? "," : "");
    }
    text += "\n  ]\n}\n";
    return text;
}

}  // namespace ondela
