#include "cli/json_writer.h"

#include <cmath>

#include "numbers/number_text.h"

namespace ondela::cli {

namespace {

bool IsContinuation(unsigned char b, unsigned char low = 0x80, unsigned char high = 0xBF) {
    return b >= low && b <= high;
}

// Length of the well-formed UTF-8 sequence at text[i], or 0 when it is not one (a stray
// continuation byte, an overlong form, a surrogate, a value beyond U+10FFFF, a cut sequence).
std::size_t Utf8SequenceLength(std::string_view text, std::size_t i) {
    const auto at = [&](std::size_t k) -> unsigned char {
        return i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0;
    };
    const unsigned char b = at(0);
    if (b < 0x80) return 1;
    if (b >= 0xC2 && b <= 0xDF) return IsContinuation(at(1)) ? 2 : 0;
    if (b >= 0xE0 && b <= 0xEF) {
        const unsigned char low = b == 0xE0 ? 0xA0 : 0x80;
        const unsigned char high = b == 0xED ? 0x9F : 0xBF;
        return IsContinuation(at(1), low, high) && IsContinuation(at(2)) ? 3 : 0;
    }
    if (b >= 0xF0 && b <= 0xF4) {
        const unsigned char low = b == 0xF0 ? 0x90 : 0x80;
        const unsigned char high = b == 0xF4 ? 0x8F : 0xBF;
        return IsContinuation(at(1), low, high) && IsContinuation(at(2)) && IsContinuation(at(3))
                   ? 4
                   : 0;
    }
    return 0;
}

}  // namespace

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            const std::size_t n = Utf8SequenceLength(text, i);
            if (n == 0) {
                out += "\\ufffd";
                ++i;
            } else {
                out.append(text.substr(i, n));
                i += n;
            }
            continue;
        }
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            default:
                if (c < 0x20) {
                    out += FormatText("\\u%04x", c);
                } else {
                    out += static_cast<char>(c);
                }
                break;
        }
        ++i;
    }
    out += '"';
    return out;
}

std::string JsonNumber(double value) {
    if (!std::isfinite(value)) return "null";
    return FormatText("%.17g", value);
}

void JsonWriter::BeforeValue() {
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (m_levels.empty()) return;
    Level& level = m_levels.back();
    if (level.count++ > 0) m_text += ',';
    m_text += '\n';
    m_text.append(2 * m_levels.size(), ' ');
}

void JsonWriter::Close(char bracket) {
    if (m_levels.empty()) return;
    const bool empty = m_levels.back().count == 0;
    m_levels.pop_back();
    if (!empty) {
        m_text += '\n';
        m_text.append(2 * m_levels.size(), ' ');
    }
    m_text += bracket;
    if (m_levels.empty()) m_text += '\n';
}

JsonWriter& JsonWriter::BeginObject() {
    BeforeValue();
    m_text += '{';
    m_levels.push_back({true, 0});
    return *this;
}

JsonWriter& JsonWriter::EndObject() {
    Close('}');
    return *this;
}

JsonWriter& JsonWriter::BeginArray() {
    BeforeValue();
    m_text += '[';
    m_levels.push_back({false, 0});
    return *this;
}

JsonWriter& JsonWriter::EndArray() {
    Close(']');
    return *this;
}

JsonWriter& JsonWriter::Key(std::string_view name) {
    BeforeValue();
    m_text += JsonString(name);
    m_text += ": ";
    m_afterKey = true;
    return *this;
}

JsonWriter& JsonWriter::String(std::string_view text) {
    BeforeValue();
    m_text += JsonString(text);
    return *this;
}

JsonWriter& JsonWriter::Number(double value) {
    BeforeValue();
    m_text += JsonNumber(value);
    return *this;
}

JsonWriter& JsonWriter::Integer(long long value) {
    BeforeValue();
    m_text += FormatText("%lld", value);
    return *this;
}

JsonWriter& JsonWriter::Bool(bool value) {
    BeforeValue();
    m_text += value ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::Null() {
    BeforeValue();
    m_text += "null";
    return *this;
}

JsonWriter& JsonWriter::OptionalInteger(const std::optional<long long>& value) {
    return value ? Integer(*value) : Null();
}

}  // namespace ondela::cli
