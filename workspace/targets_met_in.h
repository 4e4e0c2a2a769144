// The record a description keeps of a design made to meet its targets in a coefficient format or
// a fixed-point word (the window's "Meet targets in coef format", design --meet-in-format): one
// header line, "Targets met in = INT16" or "Targets met in = 12-bit words" (with ", F fraction
// bits" when they were fixed and ", floor rounding" when truncated). Load runs the same search
// again from it, so that the file reloads to the filter that was saved whatever the window's
// check box shows. Descriptions of other designs have no such line.
#pragma once

#include <optional>
#include <string>

#include "export/fixed_point.h"

namespace ondela {

struct TargetsMetIn {
    int format = 0;                         // the coefficient format of the search
    std::optional<FixedPointRequest> word;  // the word it met them in instead, when one was asked
};

// The header line, ended by a line feed.
std::string TargetsMetInLine(const TargetsMetIn& met);

// The record of the description in text (searched between its marker and its coefficient list);
// nullopt when it has none, or one that does not read as a format or a word of 2 to 32 bits.
std::optional<TargetsMetIn> ReadTargetsMetIn(const char* text);

}  // namespace ondela
