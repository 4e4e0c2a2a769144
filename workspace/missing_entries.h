// Completing a specification before the fields show it: every value it lacks is taken from what
// the field holds, else from the stored setting, else from a default. The window's fields and
// the command line's typed entries complete a loaded file's specification by the same rules, so
// that a file loads to the same filter in both.
#pragma once

#include <functional>

#include "engine/filter_spec.h"

namespace ondela {

class Preferences;

// What the parameters a description names make of it (ParseDescription counts them: the type,
// the edge, the sampling frequency, the attenuation and the ripple, a half band's ripple only
// with its attenuation). A specification to design again: at most one of the five is missing,
// and CompleteSpec supplies it. Load designs such a file again; fewer parameters describe a
// coefficient analysis, whose coefficients are measured instead.
constexpr bool IsDesignableSpec(int parameters) {
    return parameters >= 4;
}
// A complete specification: all five, as the description of a design names them. Edited text
// that names them all describes a design, judged against its targets.
constexpr bool IsCompleteSpec(int parameters) {
    return parameters >= 5;
}

// How each field reads what it holds, as its Create reads it (reading may show a correction).
// Each is called only when the specification lacks that value; f1 and f2 may look at the
// specification's sampling frequency, which is completed first.
struct FieldReaders {
    std::function<double()> fs;
    std::function<int()> type;  // the checked type radio; 0 when none
    std::function<double()> f1;
    std::function<double()> f2;
    std::function<double()> attenuation;
    std::function<double()> ripple;
    std::function<int()> maxCoefs;
};

// Completes s in place: a rate, an edge 1 or 2, an attenuation or ripple below the least a field
// shows (or not a number), a type of 0 and a count of 0 or less are missing. Missing edges fall
// back, past the fields and the stored settings, to a quarter and a third of the rate (edge 1
// stays below half the rate, edge 2 above edge 1); the levels to 40 dB and 0.4 dB; the rate to
// 48000 Hz. With prefs null a stored value reads 0 (so the default is used).
void CompleteSpec(FilterSpec& s, const FieldReaders& fields, Preferences* prefs);

// Completes the attenuation of a half band read from a description: one below
// kHalfBandMinAttenuation (none, or none that is usable) is taken as missing and becomes the
// stored attenuation of prefs (60 when prefs is null, not open, or holds no number there). Any
// other type, and a usable attenuation, stay as they are.
void CompleteHalfBandAttenuation(FilterSpec& s, Preferences* prefs);

}  // namespace ondela
