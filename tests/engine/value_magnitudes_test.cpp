#include "engine/response.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/filter_spec.h"
#include "engine/response.h"

namespace ondela {
namespace {

// Every column's magnitude must be the very value the single-frequency evaluation gives, or a
// level landing on a pixel boundary would move the curve by a pixel. Coefficient counts from
// none to a long filter; column counts below, at and between the group widths, so that the
// last, partly filled group is covered as well.
TEST(MagnitudesOfValues, EveryColumnIsTheSingleFrequencyValueBitForBit) {
    std::vector<double> values(1001);
    for (std::size_t k = 0; k < values.size(); ++k) {
        values[k] = std::sin(0.37 * static_cast<double>(k) + 0.1) / (1.0 + 0.01 * k);
    }
    for (const int count : {0, 1, 2, 7, 128, 1001}) {
        for (const int points : {1, 5, 8, 16, 23, 40}) {
            std::vector<double> x(static_cast<std::size_t>(points));
            for (int p = 0; p < points; ++p) x[p] = points == 1 ? 0.25 : p / (points - 1.0);
            std::vector<double> wide(x.size(), -1.0);
            std::vector<double> portable(x.size(), -1.0);
            MagnitudesOfValues(values.data(), count, x.data(), points, wide.data());
            MagnitudesOfValuesPortable(values.data(), count, x.data(), points, portable.data());
            for (int p = 0; p < points; ++p) {
                const double expected = MagnitudeAt(values.data(), count, x[p], FLT64);
                EXPECT_EQ(wide[p], expected) << count << " coefficients, column " << p;
                EXPECT_EQ(portable[p], expected) << count << " coefficients, column " << p;
            }
        }
    }
}

// A power that is not positive (here: no coefficients at all) gives the floor
// that keeps the level finite, as the single evaluation does.
TEST(MagnitudesOfValues, NoCoefficientsGiveTheFloor) {
    const double x[] = {0.0, 0.5};
    double out[2] = {};
    MagnitudesOfValues(nullptr, 5, x, 2, out);
    EXPECT_EQ(out[0], 1e-12);
    EXPECT_EQ(out[1], 1e-12);
}

}  // namespace
}  // namespace ondela
