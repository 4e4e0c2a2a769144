#include "workspace/field_entries.h"

#include <algorithm>
#include <cmath>

#include "engine/filter_limits.h"
#include "numbers/number_text.h"
#include "workspace/display_numbers.h"
#include "workspace/view_state.h"

namespace ondela {

namespace {
// Frequencies below this leave a field empty.
constexpr double kMinShown = ViewState::kSmallestShown;
// The least distance of an edge from 0 Hz and of edge 2 above edge 1, a fraction of the rate.
constexpr double kMinEdgeStep = 0.0001;
}  // namespace

double EdgeLimit(double fs) {
    return kMaxEdgeFraction * fs;
}

double LimitEdge1(double f1, double fs) {
    return fs > 0.0 && f1 > EdgeLimit(fs) ? EdgeLimit(fs) : f1;
}

double LimitEdge2(double f2, double f1, double fs) {
    if (f2 < 2.5e-16) return 0.0;
    if (!(fs > 0.0)) return f2;
    const double middle = f1 + (EdgeLimit(fs) - f1) / 2.0;
    if (f2 > EdgeLimit(fs)) f2 = middle;
    if (f2 <= f1) f2 = middle;
    return f2;
}

double LimitAttenuation(double db) {
    return std::min(std::fabs(db), kMaxAttenuation);
}

double LimitRipple(double db) {
    return std::clamp(std::fabs(db), kMinRipple, kMaxRipple);
}

int LimitMaxCoefs(int n) {
    return std::clamp(n, kMinCoefs, kMaxCoefs);
}

void LimitShownLevels(FilterSpec& s) {
    if (s.ripple > kMaxRipple) s.ripple = kMaxRipple;
    if (s.attenuation > kMaxAttenuation) s.attenuation = kMaxAttenuation;
    if (s.maxCoefs > kMaxCoefs) s.maxCoefs = kMaxCoefs;
}

void LimitShownEdges(FilterSpec& s) {
    if (s.f1 < kMinShown) s.f1 = kMinShown;
    if (s.f1 > EdgeLimit(s.fs)) s.f1 = EdgeLimit(s.fs);
    if (s.type == HalfBand) s.f1 = HalfBandEdge(s.fs);
    if (HasTwoEdges(s.type)) {
        if (s.f2 > EdgeLimit(s.fs)) s.f2 = EdgeLimit(s.fs);
        if (s.f2 < 1.0001 * s.f1) s.f2 = 1.0001 * s.f1;
    }
    if (s.type == HalfBand) {
        if (s.attenuation < kHalfBandMinAttenuation) s.attenuation = kHalfBandMinAttenuation;
        s.ripple = kHalfBandRipple;
    }
}

std::optional<double> ShownEdge1(double hz, double fs) {
    if (!(std::fabs(hz) >= kMinShown)) return std::nullopt;
    double v = std::max(hz, kMinEdgeStep * fs);
    if (fs > 0.0) v = std::min(v, EdgeLimit(fs));
    return v;
}

std::optional<double> ShownEdge2(double hz, double f1, double fs) {
    if (!(hz >= kMinShown)) return std::nullopt;
    double v = hz;
    if (fs > 0.0 && v >= EdgeLimit(fs)) v = EdgeLimit(fs);
    if (v < f1 + kMinEdgeStep * fs) v = f1 + kMinEdgeStep * fs;
    return v;
}

double ShownLevel(double db) {
    return ParseFrequency(FormatText("%g dB", db).c_str());
}

SpecEntries ShownEntries(const FilterSpec& s, const ShownFrequency& shown) {
    SpecEntries e;
    e.type = s.type;
    e.fs = std::fabs(s.fs) < kMinShown ? 0.0 : shown(s.fs);
    const auto f1 = ShownEdge1(s.f1, s.fs);
    e.f1 = f1 ? shown(*f1) : 0.0;
    if (HasTwoEdges(s.type)) {
        const auto f2 = ShownEdge2(s.f2, LimitEdge1(e.f1, s.fs), s.fs);
        e.f2 = f2 ? shown(*f2) : 0.0;
    }
    e.attenuation = ShownLevel(LimitAttenuation(s.attenuation));
    e.ripple = ShownLevel(LimitRipple(s.ripple));
    e.maxCoefs = LimitMaxCoefs(s.maxCoefs);
    return e;
}

SpecReading ReadSpecEntries(const SpecEntries& typed, const ShownFrequency& shown) {
    SpecReading r;
    FilterSpec& s = r.spec;
    const double fs = typed.fs;
    s.fs = fs;
    s.type = typed.type;
    const bool band = HasTwoEdges(typed.type);
    const bool halfBand = typed.type == HalfBand;

    // What each field holds while it is read: a corrected value is shown and read back.
    double f1Field = typed.f1;
    double f2Field = typed.f2;
    double attField = typed.attenuation;
    double rippleField = typed.ripple;
    const auto readEdge1 = [&] {
        const double v = LimitEdge1(f1Field, fs);
        if (v != f1Field) f1Field = shown(v);
        return v;
    };
    const auto readEdge2 = [&] {
        const double f1 = readEdge1();
        const double v = LimitEdge2(f2Field, f1, fs);
        if (v != f2Field && v != 0.0) f2Field = shown(v);
        return v;
    };

    // Choosing the type reads the edges and the attenuation once and sets up a half band.
    readEdge1();
    readEdge2();
    const double att = LimitAttenuation(attField);
    attField = ShownLevel(att);
    if (halfBand) {
        rippleField = ShownLevel(kHalfBandRipple);
        if (att < kHalfBandMinAttenuation) attField = ShownLevel(kHalfBandMinAttenuation);
    }

    s.maxCoefs = LimitMaxCoefs(typed.maxCoefs);
    if (s.maxCoefs != typed.maxCoefs) {
        r.corrections.push_back({EntryCorrection::kCountOutOfRange,
                                 static_cast<double>(typed.maxCoefs),
                                 static_cast<double>(s.maxCoefs)});
    }
    s.f1 = halfBand ? HalfBandEdge(fs) : readEdge1();
    if (!halfBand && s.f1 != typed.f1)
        r.corrections.push_back({EntryCorrection::kEdge1AboveLimit, typed.f1, s.f1});
    if (band) {
        s.f2 = readEdge2();
        if (s.f2 != typed.f2) {
            const auto kind = typed.f2 > EdgeLimit(fs) ? EntryCorrection::kEdge2AboveLimit
                                                       : EntryCorrection::kEdge2NotAboveEdge1;
            r.corrections.push_back({kind, typed.f2, s.f2});
        }
    }
    s.ripple = LimitRipple(rippleField);
    s.attenuation = LimitAttenuation(attField);
    return r;
}

FilterSpec ReadShownSpec(const FilterSpec& s) {
    const auto exact = [](double hz) { return hz; };
    const FilterSpec read = ReadSpecEntries(ShownEntries(s, exact), exact).spec;
    FilterSpec r = s;
    r.type = read.type;
    r.fs = read.fs;
    r.f1 = read.f1;
    if (HasTwoEdges(read.type)) r.f2 = read.f2;
    r.attenuation = read.attenuation;
    r.ripple = read.ripple;
    r.maxCoefs = read.maxCoefs;
    return r;
}

}  // namespace ondela
