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

// Reads the analyse arguments. arguments starts with the command word ("analyse"). Returns the
// request, or nullopt with exitCode set: 0 after printing the help, 2 after a usage error line.
std::optional<AnalyseRequest> ParseAnalyseArguments(const QStringList& arguments,
                                                    const Console& console, int& exitCode);

// Runs the whole command and returns the exit status.
int RunAnalyseCommand(const QStringList& arguments, const Console& console);

}  // namespace ondela::cli
