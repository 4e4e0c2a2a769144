// How the specification fields read what was typed into them. The window reads its fields through
// these rules, and the command line reads its options through ReadSpecEntries, which applies them
// in the order the window's Create reads its fields, so that the same entries give the same
// specification (and so the same filter) in both.
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "engine/filter_spec.h"

namespace ondela {

// The highest band edge a field accepts, as a fraction of the sampling frequency.
double EdgeLimit(double fs);
// Edge 1 as its field reads it: above the edge limit it is pulled down to the limit.
double LimitEdge1(double f1, double fs);
// Edge 2 as its field reads it, against edge 1 as read: below 2.5e-16 there is none (0); above
// the edge limit, or not above edge 1, it becomes the middle between edge 1 and the limit.
double LimitEdge2(double f2, double f1, double fs);
// The attenuation field reads the magnitude of what was typed, at most 120 dB.
double LimitAttenuation(double db);
// The ripple field reads the magnitude of what was typed, within 0.001..2 dB.
double LimitRipple(double db);
// The coefficient-count field reads a whole number within 3..4096.
int LimitMaxCoefs(int n);

// The value a frequency field reads back after showing hz (the field shows a rounded text).
using ShownFrequency = std::function<double(double hz)>;

// What edge 1's field shows for hz, before its rounding: at least 0.0001 fs, at most the edge
// limit; nullopt (an empty field) below 0.0001 Hz.
std::optional<double> ShownEdge1(double hz, double fs);
// What a band's edge 2 field shows for hz with edge 1 at f1: at most the edge limit, at least
// f1 + 0.0001 fs; nullopt (an empty field) below 0.0001 Hz.
std::optional<double> ShownEdge2(double hz, double f1, double fs);
// The level fields show "%g dB" (six significant digits): the value that text reads back.
double ShownLevel(double db);

// What showing a specification in the fields does to it. The levels: a ripple above 2 dB and an
// attenuation above 120 dB are lowered to those, a count above 4096 too.
void LimitShownLevels(FilterSpec& s);
// The edges: edge 1 within 0.0001 Hz..0.4999 fs (fs/4 for a half band, which also takes at
// least 30 dB and a ripple of 0.001 dB); a band's edge 2 within 1.0001 edge 1..0.4999 fs.
void LimitShownEdges(FilterSpec& s);

// The values typed into the fields, each already read as a number. f1 is not used by a half band,
// f2 only by the band types, ripple not by a half band.
struct SpecEntries {
    FilterType type = LowPass;
    double fs = 0.0;
    double f1 = 0.0;
    double f2 = 0.0;
    double attenuation = 0.0;
    double ripple = 0.0;
    int maxCoefs = 0;
};

// A value the fields changed without saying so: what was typed and what is used.
struct EntryCorrection {
    enum Kind {
        kEdge1AboveLimit,     // edge 1 above the edge limit: the limit is used
        kEdge2AboveLimit,     // edge 2 above the edge limit: the middle is used
        kEdge2NotAboveEdge1,  // edge 2 not above edge 1 (reversed or equal edges): the middle
        kCountOutOfRange,     // the count outside 3..4096: the nearest end is used
    };
    Kind kind;
    double typed;
    double used;
};

struct SpecReading {
    FilterSpec spec{};  // the entered specification, as the fields give it to Create
    std::vector<EntryCorrection> corrections;
};

// What the fields hold once s is shown in them, each value as its field reads it back: the
// entries the window's Create then reads.
SpecEntries ShownEntries(const FilterSpec& s, const ShownFrequency& shown);

// Reads typed as the window's Create reads its fields on a first design: the rate, the type (a
// half band takes its edge at fs/4, a ripple of 0.001 dB and at least 30 dB), the count, the
// edges, the ripple and the attenuation, each corrected and, where the window shows a corrected
// value, taken back as its field shows it. A band's edge 2 of 0 is kept as 0.
SpecReading ReadSpecEntries(const SpecEntries& typed, const ShownFrequency& shown);

// The specification Create reads once s is shown in the fields, each value by the fields' rules
// but at the precision s holds it rather than at the digits a field shows: Load designs a file's
// rate of 6722.2 Hz, not the "6722" its field shows. The rest of s (edge 2 of the types without
// one, the count designed) stays.
FilterSpec ReadShownSpec(const FilterSpec& s);

}  // namespace ondela
