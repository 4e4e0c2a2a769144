#include "workspace/coef_format.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "engine/response.h"
#include "numbers/number_text.h"

namespace ondela {

namespace {

bool Known(int format) {
    return format >= FLT64 && format <= INT16;
}

}  // namespace

const char* CoefFormatName(int format) {
    static const char* const kNames[] = {"FLT64", "FLT32", "INT32", "INT16"};
    return Known(format) ? kNames[format] : "";
}

const char* CoefTypeKeyword(int format) {
    static const char* const kKeywords[] = {"double", "float", "int", "short"};
    return Known(format) ? kKeywords[format] : "";
}

int CoefsPerRow(int format) {
    static const int kPerRow[] = {4, 6, 6, 8};
    return Known(format) ? kPerRow[format] : 0;
}

std::string CoefValueText(double c, int format, bool last) {
    switch (format) {
        case FLT64:
            return last ? FormatText("% 17.16e };\n", c) : FormatText("% 17.16e,", c);
        case FLT32:
            return last ? FormatText("% 9.8e };\n", RoundToFloat(c))
                        : FormatText("% 9.8e,", RoundToFloat(c));
        case INT32:
            return last ? FormatText("% 11d };\n", QuantiseInt32(c))
                        : FormatText("% 11d,", QuantiseInt32(c));
        case INT16: {
            const int q = QuantiseInt16(c);
            return last ? FormatText("% 6d };\n", q) : FormatText("% 6d,", q);
        }
        default:
            return {};
    }
}

double CoefFromText(double number, int kind) {
    switch (kind) {
        case FLT32:
            return RoundToFloat(number);
        case INT32:
            return number / 2147483647.0;
        case INT16: {
            // The written integer keeps only its low 16 bits, as a short array would.
            if (!(std::fabs(number) < 9.0e18)) return 0.0;
            const auto whole = static_cast<int64_t>(number);
            const auto low = static_cast<int16_t>(static_cast<uint16_t>(whole & 0xFFFF));
            return low / 32767.0;
        }
        default:
            return number;
    }
}

double StoredCoefValue(double c, int format) {
    if (!Known(format)) return std::numeric_limits<double>::quiet_NaN();
    const std::string text = CoefValueText(c, format, false);
    const auto number = ReadDouble(text.c_str());
    return number ? CoefFromText(number->value, format) : std::numeric_limits<double>::quiet_NaN();
}

bool StoredCoefsMatch(const double* designed, const double* stored, int n, int format) {
    if (!Known(format)) return false;
    double largest = 0.0;
    for (int i = 0; i < n; ++i) largest = std::max(largest, std::fabs(designed[i]));
    const double share = 1e-6 * largest;
    for (int i = 0; i < n; ++i) {
        const double written = StoredCoefValue(designed[i], format);
        // One step of the format at this value: an integer step of the scale the text is read
        // back with, the spacing of single- or double-precision numbers there.
        double step;
        switch (format) {
            case FLT32: {
                const float f = static_cast<float>(written);
                step = std::nextafter(f, std::numeric_limits<float>::infinity()) - f;
                break;
            }
            case INT32:
                step = 1.0 / 2147483647.0;
                break;
            case INT16:
                step = 1.0 / 32767.0;
                break;
            default:
                step = std::nextafter(written, std::numeric_limits<double>::infinity()) - written;
                break;
        }
        // The difference of two stored values one step apart is that step up to the rounding
        // of the subtraction, which the last term absorbs.
        const double tolerance =
            std::max(step, share) + 4.0 * std::numeric_limits<double>::epsilon() *
                                        std::max(std::fabs(written), std::fabs(stored[i]));
        if (!(std::fabs(stored[i] - written) <= tolerance)) return false;
    }
    return true;
}

}  // namespace ondela
