// The number texts of the plots and of the main window's frequency fields: compact numbers of a
// bounded width (axis labels), frequencies with their unit (cursor readout) and the frequency
// field text. Every number goes through the locale-independent FormatText.
#pragma once

#include <string>

namespace ondela {

// value in at most width characters (a leading minus sign not counted) for values whose rounded
// integer part fits: whole numbers without a point ("24000"), larger whole numbers as a mantissa
// and a power of ten ("1234e3"), fractions with as many significant digits as fit ("0.9877",
// "1.2e-5"). A fraction that cannot be shortened to width keeps its one-digit text. Widths below
// 3 are taken as 3.
std::string FormatCompact(double value, int width);

// A frequency with its unit for the cursor readout: "440 Hz", "12.3457 KHz", "2.5 MHz".
std::string FormatFreqUnit(double hz);

// The text of a frequency field: "48000 Hz" below 1 MHz, "2500e03 Hz" from 1 MHz on. From 1 GHz
// on the mantissa is divided by further powers of 1000 ("1000e06 Hz"), so it stays compact.
std::string FormatFreqField(double hz);

}  // namespace ondela
