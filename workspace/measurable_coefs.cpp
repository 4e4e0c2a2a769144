#include "workspace/measurable_coefs.h"

#include <cmath>

#include "engine/filter_spec.h"
#include "engine/response.h"

namespace ondela {

namespace {

// The response is evaluated by the Goertzel recurrence s(k) = v(k) + c s(k-1) - s(k-2) with
// |c| <= 2, whose state after k values is a sum of v(j) U(k-j), U the Chebyshev polynomials of
// the second kind (|U(m)| <= m + 1): it never exceeds n S in magnitude, S = sum |v|. The power
// is then a sum of products of two states, up to about 4 (n S)^2. Keeping n S below 1e150 keeps
// every step of the evaluation (and of the FFT of the analysis, whose sums stay below S) far
// from overflow.
constexpr double kLargestReach = 1e150;
// Every level of the response is at most S; levels below kMagnitudeFloor (-240 dB) read as that
// floor, so a set with S at or below it has a response that is the floor everywhere: there is
// nothing to measure.

}  // namespace

// The rule: every value the evaluation uses is a finite number, and S = sum |v| (the largest
// magnitude the response can reach, at any frequency) is finite, above the measurement's floor,
// and small enough that n S stays below kLargestReach. Anything else is no filter that can be
// measured: a value near the largest double overflows the sum, and a response of infinite or
// undefined level would be reported as a perfect or an absurd filter.
bool CoefsMeasurable(const double* coefs, int n, int format) {
    if (coefs == nullptr || n <= 0 || format < FLT64 || format > INT16) return false;
    double sum = 0.0;
    for (int i = 0; i < n; ++i) {
        const double v = EvaluatedValue(coefs[i], format);
        if (!std::isfinite(v)) return false;
        sum += std::fabs(v);
    }
    return std::isfinite(sum) && sum > kMagnitudeFloor && sum * n < kLargestReach;
}

}  // namespace ondela
