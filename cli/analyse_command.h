// "ondela-cli analyse": a filter file read as the window's Load reads it (designed again from a
// complete specification, else measured from its coefficients), reported with its achieved
// values, and optionally written back as Save writes it.
#pragma once

#include <QStringList>
#include <optional>

#include "cli/cli_support.h"

namespace ondela::cli {

struct AnalyseRequest {
    QString file;    // the filter file to load
    QString output;  // empty: no description is written
    bool json = false;
};

// Runs the whole command and returns the exit status.
int RunAnalyseCommand(const QStringList& arguments, const Console& console);

}  // namespace ondela::cli
