// Reading a filter description back: the design parameters of its header and the coefficient
// array with its number format. Both readers are tolerant keyword scans over zero-terminated
// text, so that descriptions edited or written by hand are understood too; no text, however
// malformed, makes them read or write outside the text and the coefficient array.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "engine/filter_spec.h"

namespace ondela {

class CPreferences;

// The word that opens every description (first word of its first line).
constexpr const char* kDescriptionMarker = "Ondela";
// The declaration that opens the coefficient array.
constexpr const char* kCoefDeclaration = "m_firCoefs[NBCOEFS]";

// Reads the design parameters of the description in text into s (cleared first): type, edges,
// sampling frequency, attenuation, ripple and the maximum number of coefficients. Returns -1 when
// the text holds no marker, else the number of parameters found: 5 for a full description of any
// type, 2 for a coefficient analysis ("Type = ..., fs = ..."), 3 for that of a half band. A half
// band's attenuation below 30 dB is replaced by the stored "ATT" setting of prefs (60 when prefs
// is null, not open, or holds no number there). A value is read only within its own field (up to
// the next ",", "@" or line end): a field whose keyword stands there without a readable number
// ("Attenuation = abc") reads as 0, as a missing one does, and its keyword ("fc", "fc2", "fs",
// "Attenuation", "Ripple", "Max nb of Coefficients") is listed in unreadable when given.
int ParseDescription(const char* text, FilterSpec& s, CPreferences* prefs,
                     std::vector<std::string>* unreadable = nullptr);

// Result of ReadCoefList for a list longer than the coefficient arrays.
constexpr int kCoefListTooLong = 0;

// Reads the coefficient array of the description in text into coefs and detects its number
// format (fmt: FLT64, FLT32, INT32 or INT16; a declaration without numbers counts as INT16), then
// turns each number into the coefficient it stands for in that format. Every number after the
// declaration counts, up to the end of the text. Returns the number of coefficients; -1 without
// marker and -2 without declaration (fmt FLT64 then). A list of more than kCoefArraySize numbers
// cannot be held: it is refused as a whole (kCoefListTooLong, coefs all zero) rather than cut,
// since a cut impulse response would be measured as some other filter.
int ReadCoefList(const char* text, std::array<double, kCoefArraySize>& coefs, int& fmt);

}  // namespace ondela
