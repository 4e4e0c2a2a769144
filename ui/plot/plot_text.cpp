#include "ui/plot/plot_text.h"

#include <cmath>
#include <cstring>

#include "numbers/number_text.h"

namespace ondela {
namespace {

// Largest magnitude whose rounding to a long integer is exact and safe.
constexpr double kLongLimit = 9.0e18;
// Highest power of ten that a long integer holds.
constexpr int kMaxTenPower = 18;

// Rewrites the exponent of a "%g" text without its plus sign and leading zeros: "1.2e-005"
// becomes "1.2e-5", "3e+010" becomes "3e10".
std::string ShortExponent(const std::string& text) {
    const std::size_t e = text.find('e');
    if (e == std::string::npos) return text;
    std::string out = text.substr(0, e + 1);
    std::size_t p = e + 1;
    if (p < text.size() && (text[p] == '+' || text[p] == '-')) {
        if (text[p] == '-') out += '-';
        ++p;
    }
    while (p + 1 < text.size() && text[p] == '0') ++p;
    out += text.substr(p);
    return out;
}

}  // namespace

std::string FormatCompact(double value, int width) {
    if (width < 3) width = 3;  // no shorter text can be promised: "1e9" is three characters
    if (!std::isfinite(value) || std::fabs(value) >= kLongLimit) {
        return ShortExponent(FormatText("%.*g", width - 2 > 0 ? width - 2 : 1, value));
    }
    const long n = std::lround(value);
    const std::string whole = FormatText("%li", n);
    double integral = 0.0;
    const double frac = std::modf(value, &integral);
    if (value < 0.0) ++width;

    if (frac == 0.0 || static_cast<int>(whole.size()) > width - 2) {
        if (static_cast<int>(whole.size()) <= width) return whole;
        // A mantissa and a power of ten: the first that fits, else the shortest there is.
        std::string shortest;
        long scale = 1;
        for (int k = 1; k <= kMaxTenPower; ++k) {
            scale *= 10;
            std::string text = FormatText("%lie%d", n / scale, k);
            if (static_cast<int>(text.size()) <= width) return text;
            if (shortest.empty() || text.size() < shortest.size()) shortest = std::move(text);
        }
        return shortest;
    }

    int precision = width - 2;
    for (;;) {
        std::string text = ShortExponent(FormatText("%.*g", precision, value));
        const int length = static_cast<int>(text.size());
        if (length == width) return text;
        if (length > width) {
            --precision;
            if (precision >= 1) continue;
            return text;
        }
        // Shorter: an exponent form with a point is padded with zeros up to the width; a
        // mantissa without a point stays as it is ("1e-5").
        const std::size_t e = text.find('e');
        if (e != std::string::npos && text.find('.') < e) {
            text.insert(e, static_cast<std::size_t>(width - length), '0');
        }
        return text;
    }
}

std::string FormatFreqUnit(double hz) {
    if (hz >= 1000000.0) return FormatCompact(hz / 1000000.0, 5) + " MHz";
    if (hz >= 1000.0) return FormatCompact(hz / 1000.0, 8) + " KHz";
    return FormatCompact(hz, 6) + " Hz";
}

std::string FormatFreqField(double hz) {
    if (!(hz >= 1000000.0) || !std::isfinite(hz)) return FormatCompact(hz, 6) + " Hz";
    int exponent = 3;
    double mantissa = hz / 1000.0;
    while (mantissa >= 1000000.0) {
        mantissa /= 1000.0;
        exponent += 3;
    }
    return FormatCompact(mantissa, 6) + FormatText("e%02d Hz", exponent);
}

}  // namespace ondela
