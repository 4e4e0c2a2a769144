// Numbers as the window's fields and the plots show them: typed frequencies read back, values
// rounded for display, one-digit axis limits and the steps of the spin controls.
#pragma once

namespace ondela {

// A typed frequency in hertz: a decimal comma is accepted, "kHz" anywhere (any case)
// multiplies by 1000, and text that is no number reads 0. At most 32 characters are read.
double ParseFrequency(const char* text);

// x rounded to three significant digits (a multiple of 10 from 1000 on); 0 below 0.01.
double RoundDisplay(double x);

// The smallest value with one significant digit not below x; 0 for negative x.
double NiceCeil(double x);

// One step up or down the ladder 1, 2, ..., 9, 10, 20, ...; a negative x steps the other
// way. 0 when x is not finite.
double NiceStep(bool up, double x);

}  // namespace ondela
