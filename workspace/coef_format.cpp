#include "workspace/coef_format.h"

#include <cmath>
#include <cstdint>

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

}  // namespace ondela
