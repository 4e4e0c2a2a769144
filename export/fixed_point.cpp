#include "export/fixed_point.h"

#include <algorithm>
#include <cmath>

#include "numbers/number_text.h"

namespace ondela {

int64_t WordMax(int wordBits) {
    return (int64_t{1} << (wordBits - 1)) - 1;
}

int64_t WordMin(int wordBits) {
    return -(int64_t{1} << (wordBits - 1));
}

std::string FixedPointProblem(const FixedPointRequest& request) {
    if (request.wordBits < kMinWordBits || request.wordBits > kMaxWordBits) {
        return FormatText("The word length must be from %d to %d bits; %d was asked for.",
                          kMinWordBits, kMaxWordBits, request.wordBits);
    }
    if (request.fracBits &&
        (*request.fracBits < kMinFracBits || *request.fracBits > kMaxFracBits)) {
        return FormatText("The fraction bits must be from %d to %d; %d was asked for.",
                          kMinFracBits, kMaxFracBits, *request.fracBits);
    }
    if (request.rounding != Rounding::Nearest && request.rounding != Rounding::Floor) {
        return "Unknown rounding.";
    }
    return {};
}

std::string CoefficientProblem(std::span<const double> coefs) {
    if (coefs.empty()) return "There are no coefficients to quantise.";
    for (std::size_t i = 0; i < coefs.size(); ++i) {
        if (!std::isfinite(coefs[i])) {
            return FormatText("Coefficient %zu is not a number (NaN or infinite).", i);
        }
    }
    return {};
}

int32_t QuantiseValue(double c, const FixedPointFormat& format, bool* saturated) {
    // Scaling by a power of two is exact; only the rounding changes the value.
    const double scaled = std::ldexp(c, format.fracBits);
    const double rounded =
        format.rounding == Rounding::Nearest ? std::round(scaled) : std::floor(scaled);
    const double hi = static_cast<double>(WordMax(format.wordBits));
    const double lo = static_cast<double>(WordMin(format.wordBits));
    const bool clipped = !(rounded <= hi && rounded >= lo);
    if (saturated) *saturated = clipped;
    if (rounded > hi) return static_cast<int32_t>(WordMax(format.wordBits));
    if (rounded < lo) return static_cast<int32_t>(WordMin(format.wordBits));
    if (clipped) return 0;  // not a number: counted as saturated, never converted
    return static_cast<int32_t>(rounded);
}

int LargestFracBits(std::span<const double> coefs, int wordBits, Rounding rounding) {
    if (coefs.empty()) return wordBits - 1;
    // Rounding is monotonic in the value, so the largest and the smallest coefficient are the
    // first to leave the word as F grows.
    const auto [lo, hi] = std::minmax_element(coefs.begin(), coefs.end());
    if (*lo == 0.0 && *hi == 0.0) return wordBits - 1;
    for (int f = kMaxFracBits; f > kMinFracBits; --f) {
        const FixedPointFormat format{wordBits, f, rounding};
        bool hiOut = false;
        bool loOut = false;
        QuantiseValue(*hi, format, &hiOut);
        QuantiseValue(*lo, format, &loOut);
        if (!hiOut && !loOut) return f;
    }
    return kMinFracBits;
}

FixedPointFormat ResolveFormat(std::span<const double> coefs, const FixedPointRequest& request) {
    FixedPointFormat format{request.wordBits, 0, request.rounding};
    format.fracBits = request.fracBits ? *request.fracBits
                                       : LargestFracBits(coefs, request.wordBits, request.rounding);
    return format;
}

QuantisedCoefs Quantise(std::span<const double> coefs, const FixedPointRequest& request) {
    QuantisedCoefs q;
    q.format = ResolveFormat(coefs, request);
    q.values.reserve(coefs.size());
    for (const double c : coefs) {
        bool clipped = false;
        q.values.push_back(QuantiseValue(c, q.format, &clipped));
        if (clipped) ++q.saturated;
    }
    return q;
}

std::vector<double> QuantisedValues(const QuantisedCoefs& q) {
    std::vector<double> values;
    values.reserve(q.values.size());
    for (const int32_t v : q.values) values.push_back(std::ldexp(v, -q.format.fracBits));
    return values;
}

std::string SaturationText(const QuantisedCoefs& q) {
    if (q.saturated == 0) return {};
    return FormatText("%d of %zu coefficients saturated at the limits of the word (%s)",
                      q.saturated, q.values.size(), FixedPointFormatText(q.format).c_str());
}

std::string QFormatName(const FixedPointFormat& format) {
    if (format.fracBits < 0 || format.fracBits > format.wordBits) return {};
    return FormatText("Q%d.%d", format.wordBits - format.fracBits, format.fracBits);
}

std::string FractionBitsText(int fracBits) {
    return FormatText("%d fraction bit%s", fracBits, fracBits == 1 ? "" : "s");
}

std::string FixedPointFormatText(const FixedPointFormat& format) {
    std::string text =
        FormatText("%d-bit signed, ", format.wordBits) + FractionBitsText(format.fracBits);
    const std::string q = QFormatName(format);
    if (!q.empty()) text += " (" + q + ")";
    return text;
}

const char* RoundingName(Rounding rounding) {
    return rounding == Rounding::Floor ? "floor" : "nearest";
}

const char* RoundingText(Rounding rounding) {
    return rounding == Rounding::Floor ? "toward minus infinity"
                                       : "to nearest, ties away from zero";
}

}  // namespace ondela
