#include "workspace/display_numbers.h"

#include <cmath>
#include <cstring>
#include <string>

#include "numbers/number_text.h"
#include "workspace/text_scan.h"

namespace ondela {
namespace {

constexpr std::size_t kFrequencyTextLimit = 32;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Decimal exponent and leading digit of x as "%le" prints it (seven significant digits, so
// 9.9999999 counts as 1.000000e+001). False when the text does not start with a digit after an
// optional sign, as for infinities and NaN.
bool ScientificParts(double x, int& exponent, int& leadingDigit) {
    const std::string text = FormatText("%le", x);
    const char* p = text.c_str();
    if (*p == '-') ++p;
    if (!IsDigit(*p)) return false;
    leadingDigit = *p - '0';
    const char* e = std::strchr(p, 'e');
    if (e == nullptr) return false;
    const auto read = ReadInt(e + 1);
    if (!read) return false;
    exponent = static_cast<int>(read->value);
    return true;
}

}  // namespace

double ParseFrequency(const char* text) {
    if (text == nullptr) return 0.0;
    const double multiplier = FindNoCase(text, "khz") != nullptr ? 1000.0 : 1.0;
    std::string copy(text, strnlen(text, kFrequencyTextLimit));
    for (char& c : copy)
        if (c == ',') c = '.';
    const auto read = ReadDouble(copy.c_str());
    return read ? read->value * multiplier : 0.0;
}

double RoundDisplay(double x) {
    const double a = std::fabs(x);
    if (a < 0.01) return 0.0;
    double m = 1.0;
    if (a >= 1000.0)
        m = 0.1;
    else
        while (m * a < 100.0) m *= 10.0;
    const double r = std::trunc(m * a + 0.5);
    return std::copysign(r / m, x);
}

double NiceCeil(double x) {
    int e = 0;
    int leading = 0;
    if (!ScientificParts(x, e, leading)) return x;  // infinities and NaN stay as they are
    const double scale = std::pow(10.0, e);
    const double sign = x < 0.0 ? -1.0 : 1.0;
    for (int k = 0; k <= 9; ++k) {
        const double y = k == 0 ? 0.0 : sign * k * scale;
        if (y > x || std::fabs(y - x) < 2.5e-16) return y;
    }
    return std::pow(10.0, e + 1);
}

double NiceStep(bool up, double x) {
    int e = 0;
    int d = 0;
    if (!ScientificParts(x, e, d)) return 0.0;
    if (x < 0.0) up = !up;
    if (up) return x == 0.0 ? 1.0 : x * (d + 1) / d;
    return d < 1.99999999 ? x * 0.9 : x * (d - 1) / d;
}

}  // namespace ondela
