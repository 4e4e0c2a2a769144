// The rules by which the specification fields read what was typed and what they show. A field
// here shows whole hertz, so that each expected value can be worked out by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "workspace/field_entries.h"

namespace ondela {
namespace {

double WholeHertz(double hz) {
    return std::round(hz);
}

struct Reading {
    const char* what;
    SpecEntries typed;
    FilterSpec want;  // type, fs, f1, f2, attenuation, ripple, maxCoefs
    std::vector<EntryCorrection::Kind> corrections;
};

FilterSpec Want(FilterType type, double fs, double f1, double f2, double att, double ripple,
                int count) {
    FilterSpec s;
    s.type = type;
    s.fs = fs;
    s.f1 = f1;
    s.f2 = f2;
    s.attenuation = att;
    s.ripple = ripple;
    s.maxCoefs = count;
    return s;
}

TEST(SpecEntry, ReadingCorrectsAsTheFieldsDo) {
    using C = EntryCorrection;
    // 0.4999 fs: 22045.59 Hz at 44.1 kHz, 23995.2 Hz at 48 kHz. A corrected edge 2 is the middle
    // between edge 1 and that limit, read back as its field shows it.
    // clang-format off
    const Reading cases[] = {
        {"as typed", {LowPass, 48000, 8000, 0, 60, 0.5, 63}, Want(LowPass, 48000, 8000, 0, 60, 0.5, 63), {}},
        {"reversed edges: 8000 + (22045.59 - 8000) / 2 = 15022.795", {BandPass, 44100, 8000, 4000, 50, 0.3, 81}, Want(BandPass, 44100, 8000, 15023, 50, 0.3, 81), {C::kEdge2NotAboveEdge1}},
        {"equal edges", {BandStop, 44100, 8000, 8000, 50, 0.3, 81}, Want(BandStop, 44100, 8000, 15023, 50, 0.3, 81), {C::kEdge2NotAboveEdge1}},
        {"edge 2 above the limit: 6000 + (23995.2 - 6000) / 2 = 14997.6", {BandPass, 48000, 6000, 30000, 50, 0.5, 127}, Want(BandPass, 48000, 6000, 14998, 50, 0.5, 127), {C::kEdge2AboveLimit}},
        {"edge 1 above the limit", {LowPass, 48000, 30000, 0, 60, 0.5, 63}, Want(LowPass, 48000, 23995, 0, 60, 0.5, 63), {C::kEdge1AboveLimit}},
        {"a band's edge 2 of 0 stays", {BandPass, 48000, 6000, 0, 50, 0.5, 127}, Want(BandPass, 48000, 6000, 0, 50, 0.5, 127), {}},
        {"count above the range", {LowPass, 48000, 8000, 0, 60, 0.5, 5000}, Want(LowPass, 48000, 8000, 0, 60, 0.5, 4096), {C::kCountOutOfRange}},
        {"count below the range", {LowPass, 48000, 8000, 0, 60, 0.5, -7}, Want(LowPass, 48000, 8000, 0, 60, 0.5, 3), {C::kCountOutOfRange}},
        {"levels: magnitudes, six digits, 120 dB and 0.001..2 dB", {HighPass, 48000, 12000, 0, -60.123456789, 5, 63}, Want(HighPass, 48000, 12000, 0, 60.1235, 2, 63), {}},
        {"levels beyond their ranges", {HighPass, 48000, 12000, 0, 150, 0.0001, 63}, Want(HighPass, 48000, 12000, 0, 120, 0.001, 63), {}},
        {"half band: fs / 4, 0.001 dB, at least 30 dB", {HalfBand, 96000, 5000, 0, 20, 0.5, 43}, Want(HalfBand, 96000, 24000, 0, 30, 0.001, 43), {}},
        {"no rate: no edge limit", {LowPass, 0, 30000, 0, 60, 0.5, 63}, Want(LowPass, 0, 30000, 0, 60, 0.5, 63), {}},
    };
    // clang-format on
    for (const Reading& c : cases) {
        SCOPED_TRACE(c.what);
        const SpecReading r = ReadSpecEntries(c.typed, WholeHertz);
        EXPECT_EQ(r.spec.type, c.want.type);
        EXPECT_EQ(r.spec.fs, c.want.fs);
        EXPECT_EQ(r.spec.f1, c.want.f1);
        EXPECT_EQ(r.spec.f2, c.want.f2);
        EXPECT_DOUBLE_EQ(r.spec.attenuation, c.want.attenuation);
        EXPECT_DOUBLE_EQ(r.spec.ripple, c.want.ripple);
        EXPECT_EQ(r.spec.maxCoefs, c.want.maxCoefs);
        std::vector<EntryCorrection::Kind> kinds;
        for (const EntryCorrection& k : r.corrections) kinds.push_back(k.kind);
        EXPECT_EQ(kinds, c.corrections);
    }
}

TEST(SpecEntry, TheFieldsShowASpecificationWithinTheirLimits) {
    struct Case {
        const char* what;
        FilterSpec spec;
        SpecEntries want;
    };
    // clang-format off
    const Case cases[] = {
        {"rounded as shown", Want(LowPass, 48000.4, 8000.6, 0, 60.1234567, 3, 5000), {LowPass, 48000, 8001, 0, 60.1235, 2, 4096}},
        {"edge 1 at least 0.0001 fs (4.8 Hz)", Want(LowPass, 48000, 1, 0, 60, 0.5, 63), {LowPass, 48000, 5, 0, 60, 0.5, 63}},
        {"edge 1 below 0.0001 Hz: an empty field", Want(LowPass, 48000, 0.00001, 0, 60, 0.5, 63), {LowPass, 48000, 0, 0, 60, 0.5, 63}},
        {"edge 2 at least edge 1 + 0.0001 fs (6004.8 Hz)", Want(BandPass, 48000, 6000, 5000, 60, 0.5, 63), {BandPass, 48000, 6000, 6005, 60, 0.5, 63}},
        {"edge 2 at most 0.4999 fs", Want(BandStop, 48000, 6000, 30000, 60, 0.5, 63), {BandStop, 48000, 6000, 23995, 60, 0.5, 63}},
        {"edge 2 only for a band", Want(HighPass, 48000, 6000, 9000, 60, 0.5, 2), {HighPass, 48000, 6000, 0, 60, 0.5, 3}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const SpecEntries e = ShownEntries(c.spec, WholeHertz);
        EXPECT_EQ(e.type, c.want.type);
        EXPECT_EQ(e.fs, c.want.fs);
        EXPECT_EQ(e.f1, c.want.f1);
        EXPECT_EQ(e.f2, c.want.f2);
        EXPECT_DOUBLE_EQ(e.attenuation, c.want.attenuation);
        EXPECT_DOUBLE_EQ(e.ripple, c.want.ripple);
        EXPECT_EQ(e.maxCoefs, c.want.maxCoefs);
    }
}

}  // namespace
}  // namespace ondela
