// The designer's current filter as one value: what was asked for, what the coefficients achieve,
// the coefficients themselves, the number format they are delivered in, where they came from and
// the bands they were designed for. Commands of the design session replace it as a whole; every
// other part of the program reads it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "engine/dense_response.h"
#include "engine/filter_spec.h"
#include "workspace/targets_met_in.h"

namespace ondela {

// Where the coefficients of the current filter came from.
enum class FilterOrigin {
    None,         // no filter yet, or the last design produced none
    Designed,     // designed from the request (Create, or Load of a complete description)
    LoadedCoefs,  // read from a description without a complete specification and measured
    EditedCoefs,  // edited in the Filter Editor and measured by Analysis
};

struct CurrentFilter {
    // The specification as entered (the fields, the command line's options, a loaded file):
    // type, rate, edges, attenuation, ripple and the longest length allowed.
    FilterSpec request{};
    // What the coefficients achieve, measured in the coefficient format: attenuation, ripple,
    // edges, transition width and the number of coefficients.
    FilterSpec achieved{};
    // The coefficients in impulse-response order, at full precision. The filter has the first
    // Count() of them; an edit to fewer coefficients keeps the rest, and a missing value is 0.
    std::vector<double> taps;
    // The coefficients as last designed or loaded, before any edit: Load compares a file's
    // stored coefficients with these.
    std::vector<double> referenceTaps;
    CoefFormat format = FLT64;
    FilterOrigin origin = FilterOrigin::None;
    // A coefficient set is present: the plots draw it, Save and the title describe it, a format
    // change measures it again.
    bool valid = false;
    // The bands the coefficients were designed for (type 0 when they were not designed, or the
    // engine reported none): coefficients that go with the request are measured over these.
    DesignBands designBands{};
    // The format or word a design was made to meet its targets in (the meet-in-format search),
    // which its description records so that Load repeats the search; nullopt for other designs.
    std::optional<TargetsMetIn> targetsMetIn;

    // The coefficients were designed from the request, so they are judged against its targets.
    bool GoesWithRequest() const { return origin == FilterOrigin::Designed; }
    // How many coefficients the filter has (as achieved).
    int Count() const { return achieved.numCoefs; }
    // The filter's coefficients: the first Count() taps.
    std::span<const double> Taps() const {
        const std::size_t n = static_cast<std::size_t>(std::max(Count(), 0));
        return std::span<const double>(taps).first(std::min(n, taps.size()));
    }
    // How many coefficients a measurement of the filter takes: Count(), and for coefficients
    // measured without a count of their own, the count requested, else the longest length
    // allowed.
    int MeasuredCount() const {
        if (achieved.numCoefs != 0) return achieved.numCoefs;
        if (request.numCoefs != 0) return request.numCoefs;
        return request.maxCoefs;
    }
    // Tap i, 0 past the taps held.
    double Tap(int i) const {
        return i >= 0 && static_cast<std::size_t>(i) < taps.size()
                   ? taps[static_cast<std::size_t>(i)]
                   : 0.0;
    }
};

}  // namespace ondela
