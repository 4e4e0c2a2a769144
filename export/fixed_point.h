// Fixed-point quantisation of filter coefficients: signed two's complement words of W bits
// (2 to 32) with F fraction bits, so that an integer q stands for q / 2^F. F is either given or
// chosen as the largest that keeps every coefficient inside the word. Values are rounded to the
// nearest integer (ties away from zero) or truncated toward minus infinity, and values beyond the
// word's limits saturate at them and are counted; nothing ever wraps around.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace ondela {

constexpr int kMinWordBits = 2;
constexpr int kMaxWordBits = 32;
// Fraction bits a format may have. Negative F scales by a power of two above one (for
// coefficients larger than the word's integer range); the bounds keep every scale exact.
constexpr int kMinFracBits = -64;
constexpr int kMaxFracBits = 128;

enum class Rounding {
    Nearest,  // to the nearest integer, ties away from zero
    Floor,    // truncation toward minus infinity (dropping the low bits of two's complement)
};

// The fixed-point format asked for.
struct FixedPointRequest {
    int wordBits = 16;
    std::optional<int> fracBits;  // none: the largest that keeps every coefficient in the word
    Rounding rounding = Rounding::Nearest;
};

// A format in full: what a request becomes once its fraction bits are known.
struct FixedPointFormat {
    int wordBits = 16;
    int fracBits = 15;
    Rounding rounding = Rounding::Nearest;
};

struct QuantisedCoefs {
    FixedPointFormat format;
    std::vector<int32_t> values;  // one integer per coefficient, inside the word's limits
    int saturated = 0;            // coefficients that lay beyond the limits and were clipped
};

// Largest and smallest integer of a signed word of w bits.
int64_t WordMax(int wordBits);
int64_t WordMin(int wordBits);

// What is wrong with a request, in words for the user; empty when it can be used.
std::string FixedPointProblem(const FixedPointRequest& request);
// What is wrong with a coefficient set to be quantised (none, or NaN or infinite values);
// empty when it can be quantised.
std::string CoefficientProblem(std::span<const double> coefs);

// The integer c becomes in the format, clipped to the word; saturated tells whether it was.
int32_t QuantiseValue(double c, const FixedPointFormat& format, bool* saturated = nullptr);

// The largest F (within kMinFracBits..kMaxFracBits) for which no coefficient saturates in a word
// of wordBits with this rounding; W - 1 when every coefficient is zero. The coefficients must be
// finite.
int LargestFracBits(std::span<const double> coefs, int wordBits, Rounding rounding);

// The request with its fraction bits settled for these coefficients.
FixedPointFormat ResolveFormat(std::span<const double> coefs, const FixedPointRequest& request);

// The coefficients quantised to the format. The request and the coefficients must be usable
// (FixedPointProblem and CoefficientProblem empty).
QuantisedCoefs Quantise(std::span<const double> coefs, const FixedPointRequest& request);

// "N of M coefficients saturated at the limits of the word (format)"; empty when none were.
std::string SaturationText(const QuantisedCoefs& q);

// The real value each integer stands for, q / 2^F: exactly the filter the words hold, for the
// response and the analysis to measure.
std::vector<double> QuantisedValues(const QuantisedCoefs& q);

// "1 fraction bit", "15 fraction bits".
std::string FractionBitsText(int fracBits);

// The format in words: "16-bit signed, 15 fraction bits (Q1.15)". The Qm.n name (m integer
// bits including the sign) is given when 0 <= F <= W.
std::string FixedPointFormatText(const FixedPointFormat& format);
// "Q1.15", or empty when F lies outside 0..W.
std::string QFormatName(const FixedPointFormat& format);
// "nearest" or "floor".
const char* RoundingName(Rounding rounding);
// "to nearest, ties away from zero" or "toward minus infinity".
const char* RoundingText(Rounding rounding);

}  // namespace ondela
