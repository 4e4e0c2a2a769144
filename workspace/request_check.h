// The check every filter request passes before it is designed, described or titled: whether it
// can be a filter at all, and the corrections that make it one (reversed band edges swapped,
// levels taken as magnitudes and held within their limits, the count within its limits). It
// changes nothing but the request it is given.
#pragma once

#include "engine/filter_spec.h"

namespace ondela {

// Checks and corrects request in place: -1 invalid, 0 valid as it was, 1 valid after corrections.
int CheckRequest(FilterSpec& request);

}  // namespace ondela
