// The JSON report of a filter that the design and analyse commands write: how the command ended,
// the messages shown, the coefficient format, the title, the entered and the achieved values and
// the coefficients of the workspace's current filter.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "export/fixed_point.h"

namespace ondela {
class FilterWorkspace;
}  // namespace ondela

namespace ondela::cli {

// A fixed-point word a report's achieved values were measured in, and the words themselves.
struct ReportedWords {
    FixedPointFormat format;
    int saturated = 0;
    std::vector<int> values;
};

struct FilterReport {
    int status = 0;                     // 0 a filter resulted; otherwise why not
    std::optional<int> engineStatus;    // the engine's status word; null when it did not run
    std::vector<std::string> messages;  // every message shown, in order
    bool produced = false;  // a filter resulted: title, achieved values and coefficients follow
    bool entered = true;    // the entered specification is known ("entered" is null otherwise)
    // Reports of a filter file: whether the filter was designed again from the file's
    // specification (true) or measured from its coefficients (false); null without a filter.
    // Not written when the report is not about a file.
    bool aboutFile = false;
    bool redesigned = false;
    // The fixed-point word the achieved values were measured in ("fixedPoint"; written only when
    // the command was asked for one).
    std::optional<ReportedWords> words;
};

// The report as JSON text (JsonWriter's layout, a line end after the closing brace).
std::string FilterReportJson(FilterWorkspace& ws, const FilterReport& report);

// Measures the current filter's coefficients quantised to the word: the workspace's achieved
// values become those of the words, and words describes them. False when the words hold no
// measurable filter (a message says so).
bool MeasureInWords(FilterWorkspace& ws, const FixedPointRequest& fixed, ReportedWords& words);

}  // namespace ondela::cli
