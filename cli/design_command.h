// "ondela-cli design": one filter designed from a specification typed on the command line, as the
// window's Create button designs it, written as its description text or as a JSON report.
#pragma once

#include <QStringList>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_support.h"
#include "engine/filter_spec.h"
#include "workspace/field_entries.h"

namespace ondela::cli {

// What the command line asked for.
struct DesignRequest {
    SpecEntries typed{};  // the values typed, as the window's fields would hold them
    std::vector<std::string> corrections;  // the values corrected on the way, one line each
    int format = -1;  // coefficient format; -1: the stored setting, as in the window
    QString output;   // empty: standard output
    bool json = false;
    bool meetInFormat = false;  // lengthen the design until the rounded filter meets the targets
};

// Runs the whole command and returns the exit status.
int RunDesignCommand(const QStringList& arguments, const Console& console);

}  // namespace ondela::cli
