// The one implementation of the Goertzel recurrence: the magnitude at many frequencies side by
// side, each frequency by the unchanged one-frequency recurrence, over coefficient values already
// in the form their format evaluates to. MagnitudeAt and MagnitudesAt come here too.
#include "engine/response.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ondela {
namespace {

// Four columns in one value; its arithmetic is element by element, each rounded as the scalar
// operation is.
using Quad = double __attribute__((vector_size(32)));

// The Goertzel states s1, s2 after count steps of 4 * kQuads recurrences with the coefficients
// c (2 cos(pi x) of each column).
template <int kQuads>
[[gnu::always_inline]] inline void RunRecurrences(const double* values, int count, const double* c,
                                                  double* s1Out, double* s2Out) {
    Quad cq[kQuads];
    Quad s1[kQuads];
    Quad s2[kQuads];
#pragma GCC unroll 8
    for (int q = 0; q < kQuads; ++q) {
        cq[q] = Quad{c[4 * q], c[4 * q + 1], c[4 * q + 2], c[4 * q + 3]};
        s1[q] = Quad{0.0, 0.0, 0.0, 0.0};
        s2[q] = Quad{0.0, 0.0, 0.0, 0.0};
    }
    for (int k = 0; k < count; ++k) {
        const double v = values[k];
        const Quad vq = {v, v, v, v};
#pragma GCC unroll 8
        for (int q = 0; q < kQuads; ++q) {
            const Quad s0 = vq + cq[q] * s1[q] - s2[q];
            s2[q] = s1[q];
            s1[q] = s0;
        }
    }
#pragma GCC unroll 8
    for (int q = 0; q < kQuads; ++q) {
        for (int i = 0; i < 4; ++i) {
            s1Out[4 * q + i] = s1[q][i];
            s2Out[4 * q + i] = s2[q][i];
        }
    }
}

// Sixteen columns where the processor has 256-bit vector registers, eight elsewhere: as many as
// the registers hold, so that every recurrence's step overlaps the waits of the others.
constexpr int kMaxLanes = 16;

[[gnu::target("avx")]] void Recurrences16(const double* values, int count, const double* c,
                                          double* s1, double* s2) {
    RunRecurrences<4>(values, count, c, s1, s2);
}

void Recurrences8(const double* values, int count, const double* c, double* s1, double* s2) {
    RunRecurrences<2>(values, count, c, s1, s2);
}

}  // namespace

namespace {

void Magnitudes(const double* values, int count, const double* x, int points, double* out,
                bool wide) {
    if (values == nullptr) count = 0;
    const int lanes = wide ? 16 : 8;
    for (int first = 0; first < points; first += lanes) {
        double c[kMaxLanes];
        for (int i = 0; i < lanes; ++i) {
            // Lanes past the last column repeat it; their values are not kept.
            c[i] = 2.0 * std::cos(std::numbers::pi * x[std::min(first + i, points - 1)]);
        }
        double s1[kMaxLanes];
        double s2[kMaxLanes];
        if (wide)
            Recurrences16(values, count, c, s1, s2);
        else
            Recurrences8(values, count, c, s1, s2);
        for (int i = 0; i < lanes && first + i < points; ++i) {
            const double power = s2[i] * s2[i] + s1[i] * s1[i] - c[i] * s1[i] * s2[i];
            out[first + i] = power > 0.0 ? std::sqrt(power) : kMagnitudeFloor;
        }
    }
}

}  // namespace

void MagnitudesOfValues(const double* values, int count, const double* x, int points, double* out) {
    static const bool wide = __builtin_cpu_supports("avx");
    Magnitudes(values, count, x, points, out, wide);
}

void MagnitudesOfValuesPortable(const double* values, int count, const double* x, int points,
                                double* out) {
    Magnitudes(values, count, x, points, out, false);
}

}  // namespace ondela
