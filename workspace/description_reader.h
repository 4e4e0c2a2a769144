// Reading a filter description back: the design parameters of its header, the coefficient array
// with its number format, and the record of a design made to meet its targets in a format. The
// readers are tolerant keyword scans over zero-terminated text, so that descriptions edited or
// written by hand are understood too; no text, however malformed, makes them read outside the
// text. They read nothing but the text.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/filter_spec.h"
#include "workspace/targets_met_in.h"

namespace ondela {

// The word that opens every description (first word of its first line).
constexpr const char* kDescriptionMarker = "Ondela";
// The declaration that opens the coefficient array.
constexpr const char* kCoefDeclaration = "m_firCoefs[NBCOEFS]";

// Coefficient counts of a list that gives no coefficients.
constexpr int kCoefListNoMarker = -1;       // the text holds no marker
constexpr int kCoefListNoDeclaration = -2;  // the text holds no declaration after the marker
constexpr int kCoefListTooLong = 0;         // more numbers than the coefficient arrays hold

struct DescriptionContents {
    // The design parameters: type, edges, sampling frequency, attenuation, ripple and the maximum
    // number of coefficients; a missing one reads as 0. A half band's edge follows from its
    // sampling frequency and its ripple is fixed; its attenuation stands as written (the caller
    // completes one below kHalfBandMinAttenuation).
    FilterSpec spec{};
    // -1 when the text holds no marker, else the number of parameters found: 5 for a full
    // description of any type, 2 for a coefficient analysis ("Type = ..., fs = ..."), 3 for that
    // of a half band.
    int parameterCount = -1;
    // The keywords ("fc", "fc2", "fs", "Attenuation", "Ripple", "Max nb of Coefficients") of
    // fields that stand there without a readable number ("Attenuation = abc"): a value is read
    // only within its own field (up to the next ",", "@" or line end), and such a field reads as
    // 0, as a missing one does.
    std::vector<std::string> unreadableFields;

    // The number of coefficients in the list, or one of the kCoefList codes. Every number after
    // the declaration counts, up to the end of the text. A list of more than kCoefArraySize
    // numbers cannot be held: it is refused as a whole (kCoefListTooLong, no coefficients)
    // rather than cut, since a cut impulse response would be measured as some other filter.
    int coefCount = kCoefListNoMarker;
    // The coefficients each number of the list stands for in the list's format.
    std::vector<double> coefs;
    // The list's number format: FLT64, FLT32, INT32 or INT16 (a declaration without numbers
    // counts as INT16); FLT64 without marker or declaration.
    int format = FLT64;

    // The "Targets met in = ..." record of the header (ReadTargetsMetIn).
    std::optional<TargetsMetIn> targetsMetIn;
};

// Reads the description in text (zero-terminated; null reads as no text).
DescriptionContents ReadDescription(const char* text);

}  // namespace ondela
