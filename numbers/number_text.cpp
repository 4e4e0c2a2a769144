#include "numbers/number_text.h"

#include <locale.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include <sys/types.h>

namespace ondela {
namespace {

// The "C" locale, created once for the whole process.
locale_t CLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}

// Makes the "C" locale current for this thread while it lives, whatever the process locale is.
class LocaleScope {
  public:
    LocaleScope() : m_previous(uselocale(CLocale())) {}
    ~LocaleScope() { uselocale(m_previous); }
    LocaleScope(const LocaleScope&) = delete;
    LocaleScope& operator=(const LocaleScope&) = delete;

  private:
    locale_t m_previous;
};

// snprintf into a std::string of the right size.
template <typename T>
void AppendFormatted(std::string& out, const std::string& spec, T value) {
    char small[128];
    const int n = std::snprintf(small, sizeof small, spec.c_str(), value);
    if (n < 0) return;
    if (static_cast<std::size_t>(n) < sizeof small) {
        out.append(small, static_cast<std::size_t>(n));
        return;
    }
    std::string big(static_cast<std::size_t>(n) + 1, '\0');
    std::snprintf(big.data(), big.size(), spec.c_str(), value);
    out.append(big.data(), static_cast<std::size_t>(n));
}

// Widens the exponent of an %e or %g result to at least three digits ("e-01" -> "e-001").
// The exponent, when there is one, ends the text.
void WidenExponent(std::string& s) {
    const std::size_t e = s.find_last_of("eE");
    if (e == std::string::npos || e + 1 >= s.size()) return;
    if (s[e + 1] != '+' && s[e + 1] != '-') return;
    const std::size_t digits = s.size() - (e + 2);
    if (digits < 3) s.insert(e + 2, 3 - digits, '0');
}

struct Conversion {
    std::string flags;
    int width = -1;      // -1: none
    int precision = -1;  // -1: none
    std::string length;  // hh, h, l, ll, j, z, t, L
    char conv = 0;
};

// Writes one floating-point conversion of e/E/g/G: formatted without its width, the exponent
// widened, then padded to the width with the flags' rules, so the width counts the exponent's
// extra digit.
void AppendFloatWide(std::string& out, const Conversion& c, long double value, bool isLong) {
    std::string spec = "%";
    for (char f : c.flags)
        if (f != '-' && f != '0') spec += f;
    if (c.precision >= 0) spec += "." + std::to_string(c.precision);
    if (isLong) spec += 'L';
    spec += c.conv;

    std::string s;
    if (isLong)
        AppendFormatted(s, spec, value);
    else
        AppendFormatted(s, spec, static_cast<double>(value));
    WidenExponent(s);

    const std::size_t width = c.width > 0 ? static_cast<std::size_t>(c.width) : 0;
    if (s.size() < width) {
        const std::size_t pad = width - s.size();
        if (c.flags.find('-') != std::string::npos) {
            s.append(pad, ' ');
        } else if (c.flags.find('0') != std::string::npos && std::isfinite(value)) {
            const std::size_t at = (!s.empty() && (s[0] == '-' || s[0] == '+' || s[0] == ' '));
            s.insert(at, pad, '0');
        } else {
            s.insert(0, pad, ' ');
        }
    }
    out += s;
}

// Rebuilds the conversion as a printf spec, with any "*" already resolved.
std::string SpecOf(const Conversion& c) {
    std::string spec = "%" + c.flags;
    if (c.width >= 0) spec += std::to_string(c.width);
    if (c.precision >= 0) spec += "." + std::to_string(c.precision);
    return spec + c.length + c.conv;
}

std::string FormatInC(const char* format, va_list args) {
    std::string out;
    if (format == nullptr) return out;
    const char* p = format;
    while (*p != '\0') {
        if (*p != '%') {
            const char* next = std::strchr(p, '%');
            if (next == nullptr) next = p + std::strlen(p);
            out.append(p, static_cast<std::size_t>(next - p));
            p = next;
            continue;
        }
        const char* start = p++;
        if (*p == '%') {
            out += '%';
            ++p;
            continue;
        }
        Conversion c;
        while (*p != '\0' && std::strchr("-+ #0'", *p) != nullptr) c.flags += *p++;
        if (*p == '*') {
            c.width = va_arg(args, int);
            if (c.width < 0) {  // a negative width from an argument means "-" and its magnitude
                c.flags += '-';
                c.width = c.width == INT_MIN ? INT_MAX : -c.width;
            }
            ++p;
        } else if (*p >= '0' && *p <= '9') {
            c.width = 0;
            while (*p >= '0' && *p <= '9') c.width = c.width * 10 + (*p++ - '0');
        }
        if (*p == '.') {
            ++p;
            if (*p == '*') {
                c.precision = va_arg(args, int);  // negative: as if omitted
                if (c.precision < 0) c.precision = -1;
                ++p;
            } else {
                c.precision = 0;
                while (*p >= '0' && *p <= '9') c.precision = c.precision * 10 + (*p++ - '0');
            }
        }
        while (*p != '\0' && std::strchr("hljztL", *p) != nullptr) c.length += *p++;
        c.conv = *p;
        if (c.conv == '\0') {  // an incomplete conversion at the end is written as it stands
            out.append(start);
            break;
        }
        ++p;

        const std::string& len = c.length;
        switch (c.conv) {
            case 'd':
            case 'i':
                if (len == "l")
                    AppendFormatted(out, SpecOf(c), va_arg(args, long));
                else if (len == "ll")
                    AppendFormatted(out, SpecOf(c), va_arg(args, long long));
                else if (len == "j")
                    AppendFormatted(out, SpecOf(c), va_arg(args, intmax_t));
                else if (len == "z")
                    AppendFormatted(out, SpecOf(c), va_arg(args, ssize_t));
                else if (len == "t")
                    AppendFormatted(out, SpecOf(c), va_arg(args, ptrdiff_t));
                else  // int, and the promoted char and short of hh and h
                    AppendFormatted(out, SpecOf(c), va_arg(args, int));
                break;
            case 'o':
            case 'u':
            case 'x':
            case 'X':
                if (len == "l")
                    AppendFormatted(out, SpecOf(c), va_arg(args, unsigned long));
                else if (len == "ll")
                    AppendFormatted(out, SpecOf(c), va_arg(args, unsigned long long));
                else if (len == "j")
                    AppendFormatted(out, SpecOf(c), va_arg(args, uintmax_t));
                else if (len == "z")
                    AppendFormatted(out, SpecOf(c), va_arg(args, size_t));
                else if (len == "t")
                    AppendFormatted(out, SpecOf(c), va_arg(args, ptrdiff_t));
                else
                    AppendFormatted(out, SpecOf(c), va_arg(args, unsigned int));
                break;
            case 'e':
            case 'E':
            case 'g':
            case 'G':
                if (len == "L")
                    AppendFloatWide(out, c, va_arg(args, long double), true);
                else
                    AppendFloatWide(out, c, va_arg(args, double), false);
                break;
            case 'f':
            case 'F':
            case 'a':
            case 'A':
                if (len == "L")
                    AppendFormatted(out, SpecOf(c), va_arg(args, long double));
                else
                    AppendFormatted(out, SpecOf(c), va_arg(args, double));
                break;
            case 'c':
                if (len == "l")
                    AppendFormatted(out, SpecOf(c), va_arg(args, wint_t));
                else
                    AppendFormatted(out, SpecOf(c), va_arg(args, int));
                break;
            case 's':
                if (len == "l") {
                    AppendFormatted(out, SpecOf(c), va_arg(args, const wchar_t*));
                } else {
                    const char* s = va_arg(args, const char*);
                    AppendFormatted(out, SpecOf(c), s != nullptr ? s : "(null)");
                }
                break;
            case 'p':
                AppendFormatted(out, SpecOf(c), va_arg(args, void*));
                break;
            case 'n': {
                // Stores the count of characters written so far.
                const auto count = static_cast<long long>(out.size());
                if (len == "hh")
                    *va_arg(args, signed char*) = static_cast<signed char>(count);
                else if (len == "h")
                    *va_arg(args, short*) = static_cast<short>(count);
                else if (len == "l")
                    *va_arg(args, long*) = static_cast<long>(count);
                else if (len == "ll")
                    *va_arg(args, long long*) = count;
                else if (len == "j")
                    *va_arg(args, intmax_t*) = static_cast<intmax_t>(count);
                else if (len == "z")
                    *va_arg(args, ssize_t*) = static_cast<ssize_t>(count);
                else if (len == "t")
                    *va_arg(args, ptrdiff_t*) = static_cast<ptrdiff_t>(count);
                else
                    *va_arg(args, int*) = static_cast<int>(count);
                break;
            }
            default:  // not a conversion: written as it stands, no argument taken
                out.append(start, static_cast<std::size_t>(p - start));
                break;
        }
    }
    return out;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

const char* SkipBlanks(const char* p) {
    // White space as the "C" locale's isspace sees it.
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
    return p;
}

}  // namespace

std::string FormatTextV(const char* format, va_list args) {
    LocaleScope scope;
    va_list copy;
    va_copy(copy, args);
    std::string out = FormatInC(format, copy);
    va_end(copy);
    return out;
}

std::string FormatText(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string out = FormatTextV(format, args);
    va_end(args);
    return out;
}

std::optional<NumberRead> ReadDouble(const char* text) {
    if (text == nullptr) return std::nullopt;
    const char* start = SkipBlanks(text);
    const char* p = start;
    if (*p == '+' || *p == '-') ++p;
    // Hexadecimal floating point is something strtod would take; it is no number here.
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) return std::nullopt;

    // Mantissa: digits with an optional point, at least one digit. This also refuses "inf"
    // and "nan", which begin with a letter.
    int digits = 0;
    while (IsDigit(*p)) ++p, ++digits;
    if (*p == '.') {
        ++p;
        while (IsDigit(*p)) ++p, ++digits;
    }
    if (digits == 0) return std::nullopt;
    // Exponent, taken only when at least one digit follows.
    if (*p == 'e' || *p == 'E') {
        const char* q = p + 1;
        if (*q == '+' || *q == '-') ++q;
        if (IsDigit(*q)) {
            while (IsDigit(*q)) ++q;
            p = q;
        }
    }

    const std::string token(start, static_cast<std::size_t>(p - start));
    errno = 0;
    char* end = nullptr;
    const double value = strtod_l(token.c_str(), &end, CLocale());
    if (end != token.c_str() + token.size()) return std::nullopt;
    if (!std::isfinite(value)) return std::nullopt;  // beyond the range of double
    return NumberRead{value, static_cast<std::size_t>(p - text)};
}

std::optional<IntRead> ReadInt(const char* text) {
    if (text == nullptr) return std::nullopt;
    const char* p = SkipBlanks(text);
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    if (!IsDigit(*p)) return std::nullopt;
    long long magnitude = 0;
    const long long cap = static_cast<long long>(INT32_MAX) + 1;
    while (IsDigit(*p)) {
        if (magnitude < cap) magnitude = magnitude * 10 + (*p - '0');
        ++p;
    }
    if (magnitude > cap) magnitude = cap;
    long long value = negative ? -magnitude : magnitude;
    if (value > INT32_MAX) value = INT32_MAX;
    return IntRead{value, static_cast<std::size_t>(p - text)};
}

}  // namespace ondela
