// Whether a stored coefficient set can be measured at all: a file may hold any numbers, and some
// give a response that is no filter's (not finite) or one the measurement cannot see.
#pragma once

namespace ondela {

// The message of Load, and of every command that measures a file's coefficients, for a set that
// is no filter.
constexpr const char* kNoValidCoefsMessage = "Sorry, no valid filter coefs in this file.";

// True when the n coefficients, evaluated in the format (the values the response uses: FLT64 as
// they are, FLT32 rounded to single precision, integers quantised), give a response that can be
// measured. See the rule in the source.
bool CoefsMeasurable(const double* coefs, int n, int format);

}  // namespace ondela
